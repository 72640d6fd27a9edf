// The common frame of the five port settings panels, the ids of their
// controls, and what the panels need from the rest of the program.
//
// The main view hosts exactly one panel, the one of the chosen port kind.
// Lifecycle, as the view drives it:
//   1. CreatePortCfgPanel(kind, providers, view) builds the panel, fills its
//      controls and shows the choices remembered in PortCfgData();
//   2. the view connects the panel's signals (CSerialCfgDlg::settingChanged,
//      CPrinterCfgDlg::noPrinterFound; the latter is queued, so connecting
//      right after creation is soon enough);
//   3. at open, the view reads the panel through its BuildRecord() or
//      SelectedRow();
//   4. before deleting the panel the view calls StoreToBlock(). The
//      destructor does NOT store: the network panel may have to ask the user
//      about a bad port number while storing, and a modal box must not run
//      inside a destructor.
//
// Controls carry their numeric id as object name (setObjectName("1018")), so
// FindPanelControl<QComboBox>(panel, kSerialPortId) finds them.
//
// Window thread only.
#pragma once

#include "port/portkind.h"

#include <QGroupBox>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <string_view>
#include <vector>

// Control ids of the panels.
inline constexpr int kSerialPortId = 1018;
inline constexpr int kSerialBaudId = 1019;
inline constexpr int kSerialDataBitsId = 1020;
inline constexpr int kSerialStopBitsId = 1021;
inline constexpr int kSerialParityId = 1022;
inline constexpr int kSerialFlowId = 1023;
inline constexpr int kEthPortId = 1024;
inline constexpr int kEthHostId = 1025;
inline constexpr int kEthTcpId = 1026;
inline constexpr int kEthUdpId = 1027;
inline constexpr int kEthTcpIpId = 1032;
inline constexpr int kEthIpxId = 1033;
inline constexpr int kEthHostLabelId = 1034;
inline constexpr int kPrinterListId = 1035;
inline constexpr int kUsbRefreshId = 1053;
inline constexpr int kUsbListId = 1078;

// What the panels learn from the port library and the system. Every member
// has a harmless default (nothing found, no mapped path), which the view
// replaces with EnumUsbDevices, the spooler's queue list and the device map.
struct PanelProviders
{
    // Numbers of the USB printer devices present, in probing order. A
    // negative number ends the table.
    std::function<std::vector<int>()> usbDevices = [] { return std::vector<int>{}; };
    // Names of the printer queues, in the spooler's order.
    std::function<QStringList()> printers = [] { return QStringList{}; };
    // The device path a port name such as "COM1" maps to; empty if none.
    std::function<QString(const QString &)> devicePath = [](const QString &) { return QString{}; };
};

// State of the device or printer list at the moment the view opens a port.
enum class RowChoice
{
    EmptyList,   // nothing to open: the view does nothing, silently
    NoSelection, // rows but none chosen: the view asks the user to choose
    Selected
};

struct PanelRowSelection
{
    RowChoice state = RowChoice::EmptyList;
    QString text; // the chosen row's text when state is Selected
};

class CPortCfgPanel : public QWidget
{
    Q_OBJECT

public:
    ~CPortCfgPanel() override;

    // Writes the panel's part of PortCfgData(). Panels that remember
    // nothing do nothing. Call it once, before deleting the panel.
    virtual void StoreToBlock() {}

protected:
    CPortCfgPanel(const QString &groupTitle, QWidget *parent);

    // The group box that frames the whole panel; controls go inside it.
    QGroupBox *Group() const { return m_pGroup; }

private:
    QGroupBox *m_pGroup = nullptr;
};

// The object name that carries control id `id`.
QString PanelControlName(int id);

template <typename Control> Control *FindPanelControl(const QWidget *panel, int id)
{
    return panel->findChild<Control *>(PanelControlName(id));
}

// Builds the panel of port kind `kind`, or returns nullptr for any other
// index (no kind chosen). The panel is a child of `parent`.
CPortCfgPanel *CreatePortCfgPanel(int kind, const PanelProviders &providers, QWidget *parent);

// The least size that holds the panel of every kind as `providers` fill
// them, at the font and style of `parent`.
QSize PortCfgPanelsMinimumSize(const PanelProviders &providers, QWidget *parent);

// LeadingDecimalValue (convert.h), the C library's atoi, on the text. The
// view and the panels read numbers this way from list texts.
int LeadingDecimal(const QString &text);
