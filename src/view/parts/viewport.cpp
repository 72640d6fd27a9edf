#include "view/parts/viewport.h"

#include "panels/ethportcfgdlg.h"
#include "panels/printercfgdlg.h"
#include "panels/serialcfgdlg.h"
#include "panels/usbcfgdlg.h"
#include "port/portcfg.h"
#include "port/portex.h"
#include "port/usbport.h"

#include <QCoreApplication>

#include <algorithm>
#include <string>

namespace {
// The captions are the view's texts and keep its translation context.
const char *const kContext = "CTarvikView";

// Null for no failure and for a job cut on purpose.
const char *SpoolFaultCaption(SpoolFault fault)
{
    switch (fault) {
    case SpoolFault::NotAnswering:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印服务 CUPS 没有响应");
    case SpoolFault::UnknownQueue:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印队列不存在");
    case SpoolFault::QueueStopped:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印队列已停止");
    case SpoolFault::NotAccepting:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印队列不接受任务");
    case SpoolFault::JobAborted:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印任务被中止");
    case SpoolFault::JobCanceled:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印任务被取消");
    case SpoolFault::Refused:
        return QT_TRANSLATE_NOOP("CTarvikView", "打印服务 CUPS 拒绝了任务");
    case SpoolFault::None:
    case SpoolFault::Cut:
        break;
    }
    return nullptr;
}

tagPARALLEL_CFG ParallelRecord()
{
    tagPARALLEL_CFG record;
    record.dwPort = 1; // LPT1, the only parallel port offered
    record.dwMarker = kCfgMarkerValid;
    return record;
}
} // namespace

CViewPort::CViewPort() : m_providers(SystemPanelProviders()), m_portFactory(&CreateSystemPort) {}

CViewPort::~CViewPort() = default;

CPortEx *CViewPort::Adopt(std::unique_ptr<CPortEx> port)
{
    m_pPort = std::move(port);
    if (m_pPort && m_adoptHook)
        m_adoptHook(*m_pPort);
    return m_pPort.get();
}

QString CViewPort::SpoolerFailureText() const
{
    const SpoolFailure failure = m_pPort ? m_pPort->GetSpoolFailure() : SpoolFailure{};
    const char *caption = SpoolFaultCaption(failure.fault);
    if (!caption)
        return {};
    QString text = QCoreApplication::translate(kContext, caption);
    if (!failure.reason.empty())
        text += QCoreApplication::translate("CTarvikView", "：") +
                QString::fromStdString(failure.reason);
    return text;
}

void CViewPort::Discard()
{
    std::unique_ptr<CPortEx> port = std::move(m_pPort);
    if (port)
        port->ClosePort();
}

CPortCfgPanel *CViewPort::CreatePanel(int kind, QWidget *parent)
{
    m_pPortPanel = CreatePortCfgPanel(kind, m_providers, parent);
    return m_pPortPanel;
}

void CViewPort::DestroyPanel()
{
    if (!m_pPortPanel)
        return;
    m_pPortPanel->StoreToBlock();
    delete m_pPortPanel;
    m_pPortPanel = nullptr;
}

// An empty device or printer list opens nothing and says that nothing is
// there; a list without a chosen row asks the user to choose one.
bool CViewPort::SelectedRowOrReport(const PanelRowSelection &row, PortKind kind)
{
    if (row.state == RowChoice::NoSelection && m_noRowReport)
        m_noRowReport();
    if (row.state == RowChoice::EmptyList && m_emptyListReport)
        m_emptyListReport(kind);
    return row.state == RowChoice::Selected;
}

// SetPortSettings' own verdict is not used: a refused record makes OpenPort
// fail, and that failure is what the user hears about.
template <typename Record>
std::unique_ptr<CPortEx> CViewPort::Configured(PortKind kind, const Record &record)
{
    std::unique_ptr<CPortEx> port = m_portFactory(kind);
    if (port)
        port->SetPortSettings(&record);
    return port;
}

template <typename Panel> Panel *CViewPort::PanelAs() const
{
    return qobject_cast<Panel *>(m_pPortPanel);
}

std::unique_ptr<CPortEx> CViewPort::CreateUsbPort()
{
    auto *panel = PanelAs<CUsbCfgDlg>();
    const PanelRowSelection row = panel ? panel->SelectedRow() : PanelRowSelection{};
    if (!SelectedRowOrReport(row, PortKind::Usb))
        return nullptr;
    const std::string path = UsbDeviceName(CUsbCfgDlg::DeviceNumberOf(row.text));
    const tagUSB_CFG record{path.c_str(), static_cast<uint32_t>(path.size())};
    return Configured(PortKind::Usb, record); // the port copies the path
}

std::unique_ptr<CPortEx> CViewPort::CreatePrinterPort()
{
    auto *panel = PanelAs<CPrinterCfgDlg>();
    const PanelRowSelection row = panel ? panel->SelectedRow() : PanelRowSelection{};
    if (!SelectedRowOrReport(row, PortKind::Printer))
        return nullptr;
    return Configured(PortKind::Printer, CPrinterCfgDlg::BuildRecord(row.text));
}

std::unique_ptr<CPortEx> CViewPort::CreateConfigured(int kind)
{
    switch (static_cast<PortKind>(kind)) {
    case PortKind::Serial:
        if (auto *panel = PanelAs<CSerialCfgDlg>())
            return Configured(PortKind::Serial, panel->BuildRecord());
        return nullptr;
    case PortKind::Parallel:
        return Configured(PortKind::Parallel, ParallelRecord());
    case PortKind::Usb:
        return CreateUsbPort();
    case PortKind::Network:
        if (auto *panel = PanelAs<CEthPortCfgDlg>())
            return Configured(PortKind::Network, panel->BuildRecord());
        return nullptr;
    case PortKind::Printer:
        return CreatePrinterPort();
    }
    return nullptr;
}

// The USB list is refilled every second and then chooses its first row, so
// a reopen waits for the device number rather than the first row.
std::unique_ptr<CPortEx> CViewPort::CreateUsbFor(int deviceNumber)
{
    const std::vector<int> present = m_providers.usbDevices();
    if (deviceNumber < 0 ||
        std::find(present.begin(), present.end(), deviceNumber) == present.end())
        return nullptr;
    const std::string path = UsbDeviceName(deviceNumber);
    const tagUSB_CFG record{path.c_str(), uint32_t(path.size())};
    return Configured(PortKind::Usb, record); // the port copies the path
}

int CViewPort::SelectedUsbDevice() const
{
    const auto *usb = PanelAs<CUsbCfgDlg>();
    const PanelRowSelection row = usb ? usb->SelectedRow() : PanelRowSelection{};
    return row.state == RowChoice::Selected ? CUsbCfgDlg::DeviceNumberOf(row.text) : -1;
}
