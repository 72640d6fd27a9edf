// CViewPort: the view's port object, how it is made, the settings panel of
// the chosen kind, and the lock held while a port notification is handled.
//
// A port is made by the factory (the port library's classes unless replaced)
// and configured from the panel's record when the user opens it. The panel
// stores its choices into the settings block before it goes, so that the
// next panel of the same kind and the configuration file see them. The lock
// is recursive: a handler may close the port, and a port may send a
// notification on this thread while it closes.
//
// Window thread only.
#pragma once

#include "panels/portcfgpanel.h"

#include <QRecursiveMutex>

#include <functional>
#include <memory>

class CPortEx;

class CViewPort
{
public:
    // Builds a port object of a kind of the kind list.
    using Factory = std::function<std::unique_ptr<CPortEx>(PortKind)>;
    // The port classes of the port library and the system's device lists.
    static std::unique_ptr<CPortEx> CreateSystemPort(PortKind kind);
    static PanelProviders SystemPanelProviders();

    CViewPort();
    ~CViewPort();
    CViewPort(const CViewPort &) = delete;
    CViewPort &operator=(const CViewPort &) = delete;

    void SetProviders(const PanelProviders &providers) { m_providers = providers; }
    const PanelProviders &Providers() const { return m_providers; }
    void SetFactory(Factory factory) { m_portFactory = std::move(factory); }
    // Runs when a device or printer list has rows but none is chosen.
    void SetNoRowReport(std::function<void()> report) { m_noRowReport = std::move(report); }
    // Runs when the device or printer list of `kind` is empty.
    void SetEmptyListReport(std::function<void(PortKind)> report)
    {
        m_emptyListReport = std::move(report);
    }

    CPortEx *Port() const { return m_pPort.get(); }
    CPortEx *Adopt(std::unique_ptr<CPortEx> port);
    // Runs with every port adopted, before it opens.
    void SetAdoptHook(std::function<void(CPortEx &)> hook) { m_adoptHook = std::move(hook); }
    // Forgets the port before closing it, so a notification that the close
    // itself raises on this thread finds no port to act on.
    void Discard();

    CPortCfgPanel *Panel() const { return m_pPortPanel; }
    CPortCfgPanel *CreatePanel(int kind, QWidget *parent);
    void DestroyPanel();

    // The port of `kind` with its settings record from the panel; nullptr
    // when there is nothing to open (also before the panel exists).
    std::unique_ptr<CPortEx> CreateConfigured(int kind);
    // The USB port of `deviceNumber` while the system lists it, else nullptr.
    std::unique_ptr<CPortEx> CreateUsbFor(int deviceNumber);
    // The device number of the USB panel's chosen row; -1 for none.
    int SelectedUsbDevice() const;

    QRecursiveMutex &Lock() { return m_cs; }

    // Why the spooler refused or failed the printer port's last job, in the
    // view's words; empty for the other kinds and when nothing failed.
    QString SpoolerFailureText() const;

private:
    std::unique_ptr<CPortEx> CreateUsbPort();
    std::unique_ptr<CPortEx> CreatePrinterPort();
    template <typename Record>
    std::unique_ptr<CPortEx> Configured(PortKind kind, const Record &record);
    template <typename Panel> Panel *PanelAs() const;
    bool SelectedRowOrReport(const PanelRowSelection &row, PortKind kind);

    PanelProviders m_providers;
    Factory m_portFactory;
    std::function<void()> m_noRowReport;
    std::function<void(PortKind)> m_emptyListReport;
    std::function<void(CPortEx &)> m_adoptHook;
    std::unique_ptr<CPortEx> m_pPort;
    CPortCfgPanel *m_pPortPanel = nullptr; // child of the view
    QRecursiveMutex m_cs;
};
