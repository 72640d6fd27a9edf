#include "panels/usbcfgdlg.h"

#include "panels/devicelist.h"

#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The device table holds at most this many numbers.
constexpr std::size_t kMaxUsbDevices = 32;
constexpr int kRowLabelPrefixLength = 12; // "QX-USB-Port "

QStringList DeviceLabels(const std::vector<int> &devices)
{
    QStringList labels;
    for (std::size_t i = 0; i < devices.size() && i < kMaxUsbDevices && devices[i] >= 0; ++i)
        labels << QStringLiteral("QX-USB-Port %1").arg(devices[i]);
    return labels;
}

} // namespace

CUsbCfgDlg::CUsbCfgDlg(const PanelProviders &providers, QWidget *parent)
    : CPortCfgPanel(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "点击选择USB接口")), parent),
      m_usbDevices(providers.usbDevices)
{
    auto *layout = new QVBoxLayout(Group());
    m_pList =
        CreateDeviceList(kUsbListId, QT_TRANSLATE_NOOP("Caption", "未找到 USB 打印机"), Group());
    layout->addWidget(m_pList);
    auto *refresh =
        new QPushButton(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "刷新")), Group());
    refresh->setObjectName(PanelControlName(kUsbRefreshId));
    layout->addWidget(refresh);
    connect(refresh, &QPushButton::clicked, this, &CUsbCfgDlg::RefreshDevices);

    RefreshDevices();
    connect(&m_refreshTimer, &QTimer::timeout, this, &CUsbCfgDlg::RefreshDevices);
    m_refreshTimer.start(kRefreshMs);
}

CUsbCfgDlg::~CUsbCfgDlg() = default;

void CUsbCfgDlg::RefreshDevices()
{
    FillDeviceList(m_pList, DeviceLabels(m_usbDevices()));
}

PanelRowSelection CUsbCfgDlg::SelectedRow() const
{
    return SelectedDeviceRow(m_pList);
}

int CUsbCfgDlg::DeviceNumberOf(const QString &rowText)
{
    return LeadingDecimal(rowText.mid(kRowLabelPrefixLength));
}
