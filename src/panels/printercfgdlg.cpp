#include "panels/printercfgdlg.h"

#include "panels/devicelist.h"
#include "panels/textfield.h"

#include <QTableWidget>
#include <QVBoxLayout>

CPrinterCfgDlg::CPrinterCfgDlg(const PanelProviders &providers, QWidget *parent)
    : CPortCfgPanel(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "点击选择打印驱动")), parent)
{
    auto *layout = new QVBoxLayout(Group());
    m_pList =
        CreateDeviceList(kPrinterListId, QT_TRANSLATE_NOOP("Caption", "未找到打印机"), Group());
    layout->addWidget(m_pList);

    FillDeviceList(m_pList, providers.printers());
    if (m_pList->rowCount() == 0)
        QMetaObject::invokeMethod(this, &CPrinterCfgDlg::noPrinterFound, Qt::QueuedConnection);
}

PanelRowSelection CPrinterCfgDlg::SelectedRow() const
{
    return SelectedDeviceRow(m_pList);
}

tagPRINTER_CFG CPrinterCfgDlg::BuildRecord(const QString &printerName)
{
    tagPRINTER_CFG record;
    CopyToTextField(printerName, record.szPrinter, sizeof(record.szPrinter) - 1);
    record.dwMarker = kCfgMarkerValid;
    return record;
}
