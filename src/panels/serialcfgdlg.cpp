#include "panels/serialcfgdlg.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kComPortCount = 9;

// "COM1" .. "COM9", each followed by the device it maps to, if any. The
// texts keep "COMn" first: the number after the first three characters is
// the port number.
QStringList ComPortEntries(const PanelProviders &providers)
{
    QStringList entries;
    for (int n = 1; n <= kComPortCount; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        const QString path = providers.devicePath(name);
        entries << (path.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, path));
    }
    return entries;
}

// Selects `index` when the list has it; a damaged block keeps the default.
void SelectIfPresent(QComboBox *list, uint32_t index)
{
    if (index < static_cast<uint32_t>(list->count()))
        list->setCurrentIndex(static_cast<int>(index));
}

} // namespace

CSerialCfgDlg::CSerialCfgDlg(const PanelProviders &providers, QWidget *parent)
    : CPortCfgPanel(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "串口参数")), parent)
{
    auto *grid = new QGridLayout(Group());
    m_pPort = AddList(grid, QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "端口号")),
                      kSerialPortId, ComPortEntries(providers), 0);
    m_pBaud =
        AddList(grid, QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "波特率")), kSerialBaudId,
                {"1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"}, 3);
    m_pDataBits = AddList(grid, QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "数据位")),
                          kSerialDataBitsId, {"4", "5", "6", "7", "8"}, 4);
    m_pStopBits = AddList(grid, QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "停止位")),
                          kSerialStopBitsId, {"1", "1.5", "2"}, 0);
    m_pParity = AddList(grid, QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "校验位")),
                        kSerialParityId, {"None", "Odd", "Even", "Mark", "Space"}, 0);
    m_pFlow = AddList(grid, QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "握手方式")),
                      kSerialFlowId, {"None", "Hardware", "Xon/Xoff"}, 1);

    // Any rate may be typed; typing must neither add entries nor count as
    // a choice (only `activated` signals a choice, see AddList).
    m_pBaud->setEditable(true);
    m_pBaud->setInsertPolicy(QComboBox::NoInsert);
    // No inline completion: typing "96" must stay "96", not become "9600".
    m_pBaud->setCompleter(nullptr);

    const tagSERIAL_CFG &stored = PortCfgData().serial;
    if (stored.dwMarker == kCfgMarkerValid)
        ShowStoredChoices(stored);
}

QComboBox *CSerialCfgDlg::AddList(QGridLayout *grid, const QString &label, int id,
                                  const QStringList &entries, int defaultIndex)
{
    auto *list = new QComboBox(Group());
    list->setObjectName(PanelControlName(id));
    list->addItems(entries);
    list->setCurrentIndex(defaultIndex);
    // `activated` comes from the user only, never from the code above.
    connect(list, &QComboBox::activated, this, &CSerialCfgDlg::settingChanged);
    const int row = grid->rowCount();
    grid->addWidget(new QLabel(label, Group()), row, 0);
    grid->addWidget(list, row, 1);
    return list;
}

void CSerialCfgDlg::ShowStoredChoices(const tagSERIAL_CFG &stored)
{
    SelectIfPresent(m_pPort, stored.dwPort);
    m_pBaud->setEditText(QString::number(static_cast<int>(stored.dwBaudRate)));
    SelectIfPresent(m_pDataBits, stored.byDataBits);
    SelectIfPresent(m_pParity, stored.byParity);
    SelectIfPresent(m_pStopBits, stored.byStopBits);
    const int flowIndex = stored.dwFlowCtrl == 1 ? 1 : stored.dwFlowCtrl == 2 ? 2 : 0;
    m_pFlow->setCurrentIndex(flowIndex);
}

uint32_t CSerialCfgDlg::FlowControl() const
{
    const int index = m_pFlow->currentIndex();
    return index == 0 ? 0 : index == 1 ? 1 : 2;
}

tagSERIAL_CFG CSerialCfgDlg::BuildRecord() const
{
    tagSERIAL_CFG record;
    record.dwPort = static_cast<uint32_t>(LeadingDecimal(m_pPort->currentText().mid(3)));
    record.dwBaudRate = static_cast<uint32_t>(LeadingDecimal(m_pBaud->currentText()));
    record.byDataBits = static_cast<uint8_t>(LeadingDecimal(m_pDataBits->currentText()));
    record.byParity = static_cast<uint8_t>(m_pParity->currentIndex());
    record.byStopBits = static_cast<uint8_t>(m_pStopBits->currentIndex());
    record.dwFlowCtrl = FlowControl();
    record.dwMarker = kCfgMarkerValid;
    return record;
}

void CSerialCfgDlg::StoreToBlock()
{
    // The stored part keeps list indexes for port and data bits, and leaves
    // the alignment byte as the block holds it.
    tagSERIAL_CFG &stored = PortCfgData().serial;
    stored.dwPort = static_cast<uint32_t>(m_pPort->currentIndex());
    stored.dwBaudRate = static_cast<uint32_t>(LeadingDecimal(m_pBaud->currentText()));
    stored.byParity = static_cast<uint8_t>(m_pParity->currentIndex());
    stored.byDataBits = static_cast<uint8_t>(m_pDataBits->currentIndex());
    stored.byStopBits = static_cast<uint8_t>(m_pStopBits->currentIndex());
    stored.dwFlowCtrl = FlowControl();
    stored.dwMarker = kCfgMarkerValid;
}
