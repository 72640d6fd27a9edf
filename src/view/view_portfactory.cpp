// The port object and settings record of each port kind, built from the
// settings panel when the user opens a port.
#include "panels/ethportcfgdlg.h"
#include "panels/printercfgdlg.h"
#include "panels/serialcfgdlg.h"
#include "panels/usbcfgdlg.h"
#include "port/portcfg.h"
#include "port/portex.h"
#include "stringtable.h"
#include "view/tarvikview.h"

#include <string>

namespace {
constexpr int kUntilReplaced = -1;

std::string UsbDevicePath(int deviceNumber)
{
    return "\\\\.\\QXUSB-" + std::to_string(deviceNumber);
}

tagPARALLEL_CFG ParallelRecord()
{
    tagPARALLEL_CFG record;
    record.dwPort = 1; // LPT1, the only parallel port offered
    record.dwMarker = kCfgMarkerValid;
    return record;
}
} // namespace

// An empty device or printer list opens nothing and says nothing; a list
// without a chosen row asks the user to choose one.
bool CTarvikView::SelectedRowOrReport(const PanelRowSelection &row)
{
    if (row.state == RowChoice::NoSelection)
        ShowStatusMessage(kStatusError, IDS_SELECT_PORT_FIRST, kUntilReplaced);
    return row.state == RowChoice::Selected;
}

// SetPortSettings' own verdict is not used: a refused record makes OpenPort
// fail, and that failure is what the user hears about.
template <typename Record>
std::unique_ptr<CPortEx> CTarvikView::Configured(PortKind kind, const Record &record)
{
    std::unique_ptr<CPortEx> port = m_portFactory(kind);
    if (port)
        port->SetPortSettings(&record);
    return port;
}

template <typename Panel> Panel *CTarvikView::PanelAs() const
{
    return qobject_cast<Panel *>(m_pPortPanel);
}

std::unique_ptr<CPortEx> CTarvikView::CreateUsbPort()
{
    // The USB kind starts with receiving off: its driver often locks up.
    SetReceivePaused(true);
    auto *panel = PanelAs<CUsbCfgDlg>();
    const PanelRowSelection row = panel ? panel->SelectedRow() : PanelRowSelection{};
    if (!SelectedRowOrReport(row))
        return nullptr;
    const std::string path = UsbDevicePath(CUsbCfgDlg::DeviceNumberOf(row.text));
    const tagUSB_CFG record{path.c_str(), static_cast<uint32_t>(path.size())};
    return Configured(PortKind::Usb, record); // the port copies the path
}

std::unique_ptr<CPortEx> CTarvikView::CreatePrinterPort()
{
    auto *panel = PanelAs<CPrinterCfgDlg>();
    const PanelRowSelection row = panel ? panel->SelectedRow() : PanelRowSelection{};
    if (!SelectedRowOrReport(row))
        return nullptr;
    return Configured(PortKind::Printer, CPrinterCfgDlg::BuildRecord(row.text));
}

// The new port object with its settings record handed over, or nullptr when
// there is nothing to open (also before the panel of the kind exists).
std::unique_ptr<CPortEx> CTarvikView::CreateConfiguredPort(int kind)
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
