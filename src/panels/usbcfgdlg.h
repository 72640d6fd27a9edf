// The USB port's panel: the list of the printer maker's USB devices present,
// re-read every second and on the refresh button.
#pragma once

#include "panels/portcfgpanel.h"

#include <QTimer>

class QTableWidget;

class CUsbCfgDlg : public CPortCfgPanel
{
    Q_OBJECT

public:
    explicit CUsbCfgDlg(const PanelProviders &providers, QWidget *parent = nullptr);
    ~CUsbCfgDlg() override;

    // Asks for the devices again and rebuilds the rows; row 0 is selected
    // afterwards, so a choice of another row lasts until the next refresh.
    void RefreshDevices();

    PanelRowSelection SelectedRow() const;

    // The device number in a row text "QX-USB-Port n": the number after its
    // first 12 characters.
    static int DeviceNumberOf(const QString &rowText);

    static constexpr int kRefreshMs = 1000;

private:
    std::function<std::vector<int>()> m_usbDevices;
    QTableWidget *m_pList = nullptr;
    QTimer m_refreshTimer;
};
