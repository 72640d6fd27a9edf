// CTarvikView: the main form of the program.
//
// A fixed port column on the left (port kind, open/close, the settings panel
// of the kind, file sending) and, to its right, the receive area, the user
// command strip and the send area, divided by two splitter bars.
//
// The view builds the form, wires its parts together and dispatches the
// port's notifications and other windows' requests to them; each part
// connects its own controls and holds its state:
//   CViewAreas        the splitter bars and their shares (viewareas.h;
//                     placing the areas: view_layout.cpp, layout.cpp)
//   CViewPort         the port object, how it is made, its panel, the lock
//   CPortControl      port kind, settings panel, open and close, open
//                     result, port lost (portcontrol.h)
//   CViewSettings     the settings file and the registry values, saving once
//   CViewStatus       status bar messages and the status-byte hints
//   CSendControls     the send operation, write done, the send box's buttons
//   CViewCounters     the receive and send counters, the write in progress
//   CReceiveControls  reading, the receive box's buttons, pause/continue
//   CReceiveDisplay   when the receive area is brought up to date, pausing
//   CFrameCommands    the frame's edit commands, the find target
//   CViewFind         find in the box that had the focus last
//   CSendPages        send pages, previous and next
//   CFileSendState    file sending and loading a file into the send box
//   CAutoSend         sending the send box at an interval
//   CSaveFiles        saving the receive history and the send box
//   CTextCodePage     the code page of the text notation
//   CCommandStrip     the user command strip and its edit dialog
//   CPortExtras       control lines, reconnecting, the capture log
//
// Other windows talk to the view by direct calls that keep the codes of the
// program's two request messages:
//   OnViewRequest(code, flag, text)  request message (WM_USER+101):
//       code 1 close an open port (serial panel setting changed), flag unused
//       code 3 select a file for file sending, text = path (send box drop)
//       code 4 find text in the send box, flag 1 = match case (find dialog)
//       any other code is ignored; the result is always 1
//   OnSendData(bytes)                send-data message (WM_USER+102) from the
//       command strip; 1 when the bytes went to the port's send, else 0
//
// Port notifications arrive as CPortMsgEvent (portnotify.h) in event() and
// are handled under CViewPort's recursive lock.
//
// Window thread only.
#pragma once

#include "panels/portcfgpanel.h"
#include "view/form/viewform.h"
#include "view/parts/autosend.h"
#include "view/parts/commandstrip.h"
#include "view/parts/filesendstate.h"
#include "view/parts/framecommands.h"
#include "view/parts/portcontrol.h"
#include "view/parts/portextras.h"
#include "view/parts/previewpart.h"
#include "view/parts/receivecontrols.h"
#include "view/parts/receivedisplay.h"
#include "view/parts/savefiles.h"
#include "view/parts/sendcontrols.h"
#include "view/parts/sendpages.h"
#include "view/parts/textcodepage.h"
#include "view/parts/viewareas.h"
#include "view/parts/viewcounters.h"
#include "view/parts/viewfind.h"
#include "view/parts/viewport.h"
#include "view/parts/viewsettings.h"
#include "view/parts/viewstatus.h"
#include "viewmessages.h"

#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>

class CMainFrame;
class CStatusMessenger;
class CUserCommandView;

class CTarvikView : public QWidget
{
    Q_OBJECT

public:
    // File dialogs; tests hand in their own. An empty result means cancelled.
    using FileChooser = std::function<QString(const QString &suggestedName)>;
    void SetOpenFileChooser(FileChooser chooser) { m_fileSend.SetOpenChooser(std::move(chooser)); }
    void SetSaveFileChooser(FileChooser chooser) { m_saveFiles.SetChooser(std::move(chooser)); }

    // Builds a port object of a kind of the kind list; tests hand in their
    // own (the port library's classes: CViewPort::CreateSystemPort).
    using PortFactory = CViewPort::Factory;

    explicit CTarvikView(QWidget *parent = nullptr);
    ~CTarvikView() override;

    // Before the start-up tick: what the panels list (USB devices, printers,
    // device paths) and which objects the open creates.
    void SetPanelProviders(const PanelProviders &providers) { m_port.SetProviders(providers); }
    void SetPortFactory(PortFactory factory) { m_port.SetFactory(std::move(factory)); }
    // The status bar's message routine; without one, messages go nowhere.
    void SetStatusMessenger(CStatusMessenger *messenger) { m_status.SetMessenger(messenger); }

    int OnViewRequest(int code, int flag, const QString &text);
    int OnSendData(const QByteArray &bytes) { return m_sending.OnSendData(bytes); }
    // Connects the frame's edit commands, send commands and code page menu
    // to this view.
    void AttachFrameCommands(CMainFrame &frame);

    // The code page of the text notation in every box: remembered in the
    // user's settings, offered and shown by the frame.
    CodePageId TextCodePage() const { return m_codePage.Current(); }
    void SetTextCodePage(CodePageId page) { m_codePage.Set(page); }

    // Splitter tops of the last layout, saved as "Splitter1Pos"/"Splitter2Pos".
    int Splitter1Pos() const { return m_areas.Splitter1Pos(); }
    int Splitter2Pos() const { return m_areas.Splitter2Pos(); }
    CPortCfgPanel *PortPanel() const { return m_port.Panel(); }
    // The user command strip; none before the start-up tick.
    CUserCommandView *CommandStrip() const { return m_commands.Strip(); }
    bool HasPort() const { return m_port.Port() != nullptr; }
    // The configuration file this view reads and writes, fixed at start.
    const std::filesystem::path &IniPath() const { return m_settings.IniPath(); }

signals:
    // The start-up tick has made the panel, the command strip and the first
    // layout; what is shown once after start (the about box) follows it.
    void startupDone();
    // After the view has set its texts and layout in a new language.
    void languageChanged();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    static constexpr int kStartupTimerMs = 100;

    // ---- start-up and wiring (tarvikview.cpp) ----
    void OnInitialUpdate();
    void OnLanguageChange();
    void OnStartupTimer();
    void OnPortMessage(int code, int error, uint32_t lParam);
    void SaveSettingsOnce();

    // ---- layout (view_layout.cpp) ----
    void LayoutAreas(int cx, int cy, bool repaint);
    void FitPortColumn(QSize panelNeed);
    void FitWindowToView(QSize viewNeed);

    // The parts, each after the parts it refers to.
    CViewForm m_form;
    CViewAreas m_areas;
    CViewPort m_port;
    CViewSettings m_settings;
    CViewStatus m_status{this};
    CSaveFiles m_saveFiles; // also chooses the capture log's file
    CPortExtras m_extras;
    CViewCounters m_counters;
    CReceiveDisplay m_recvDisplay{m_counters};
    CFrameCommands m_frameCommands;
    CSendPages m_pages;
    CFileSendState m_fileSend;
    CAutoSend m_autoSend;
    CReceiveControls m_receive{m_form, {m_port, m_recvDisplay, m_counters, m_status, m_extras}};
    CSendControls m_sending{m_form,
                            {m_port, m_counters, m_status, m_extras, m_recvDisplay, m_fileSend}};
    CPortControl m_portControl{m_form, {m_port, m_extras, m_status, m_receive, m_fileSend}};
    CViewFind m_find{m_frameCommands, m_status};
    CTextCodePage m_codePage{m_extras};
    CCommandStrip m_commands{m_settings.IniPath(), m_frameCommands, m_codePage};
    CPreviewPart m_preview{m_port, [this] { return m_form.sendBox; }, m_fileSend, this};
};
