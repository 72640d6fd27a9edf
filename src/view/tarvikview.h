// CTarvikView: the main form of the program.
//
// A fixed port column on the left (port kind, open/close, the settings panel
// of the kind, file sending) and, to its right, the receive area, the user
// command strip and the send area, divided by two splitter bars.
//
// The view is split into one unit per concern:
//   tarvikview.cpp      construction, start-up tick, destruction
//   viewform.cpp        the controls of the form
//   view_layout.cpp     placing the areas; the bars and their shares are
//                       CViewAreas' (viewareas.h, arithmetic in layout.cpp)
//   view_openclose.cpp  port kind, settings panel, open and close, open result, port lost;
//                       the port object, how it is made and its panel are
//                       CViewPort's (viewport.h, viewport_system.cpp)
//   view_dispatch.cpp   port notifications and the two request entry points
//   view_config.cpp     the form's switches to and from the saved settings;
//                       the file, the registry values and saving once are
//                       CViewSettings' (viewsettings.h)
//   view_find.cpp       find in the box that had the focus last (the frame owns the dialog)
//   viewstatus.cpp      status bar messages and the status-byte hints (CViewStatus)
//   view_send.cpp       the send operation, write done, the send box's buttons
//   viewcounters.cpp    the receive and send counters, the write in progress (CViewCounters)
//   view_receive.cpp    reading, the history and the receive box, pause/continue
//   receivedisplay.cpp  when the receive area is brought up to date, pausing (CReceiveDisplay)
//   view_edit.cpp       the frame's send and preset commands
//   framecommands.cpp   the frame's edit commands, their enabled states, the find target
//                       (CFrameCommands)
//   view_pages.cpp      send pages, previous and next (the pages: sendpages.cpp)
//   view_filesend.cpp   file sending and loading a file (the chosen file, the
//                       pass counter and progress: filesendstate.cpp)
//   view_autosend.cpp   sending the send box at an interval (autosend.cpp)
//   view_save.cpp       saving the receive history and the send box to files
//                       (choosing and writing them: savefiles.cpp)
//   view_usercmd.cpp    the user command strip: loading, creation, mouse wheel
//   view_portextras.cpp what the parts below the file group ask of the view;
//                       the control lines, reconnecting and the capture log
//                       are CPortExtras' (portextras.h)
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

#include "convert/codepage.h"
#include "panels/portcfgpanel.h"
#include "view/autosend.h"
#include "view/filesendstate.h"
#include "view/framecommands.h"
#include "view/historywriter.h"
#include "view/layout.h"
#include "view/portextras.h"
#include "view/receivedisplay.h"
#include "view/savefiles.h"
#include "view/sendpages.h"
#include "view/statusbytehint.h"
#include "view/viewareas.h"
#include "view/viewcounters.h"
#include "view/viewform.h"
#include "view/viewport.h"
#include "view/viewsettings.h"
#include "view/viewstatus.h"
#include "viewmessages.h"

#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CMainFrame;
class QAction;
class CPortEx;
class CCodePageMenu;
class CStatusMessenger;
class CUserCommandView;
class QFile;
class QLineEdit;

class CTarvikView : public QWidget
{
    Q_OBJECT

public:
    // File dialogs; tests hand in their own. An empty result means cancelled.
    using FileChooser = std::function<QString(const QString &suggestedName)>;
    void SetOpenFileChooser(FileChooser chooser);

    // Builds a port object of a kind of the kind list; tests hand in their own.
    using PortFactory = CViewPort::Factory;
    // The port classes of the port library and the system's device lists,
    // used unless replaced.
    static std::unique_ptr<CPortEx> CreateSystemPort(PortKind kind);
    static PanelProviders SystemPanelProviders();

    explicit CTarvikView(QWidget *parent = nullptr);
    ~CTarvikView() override;

    // Before the start-up tick: what the panels list (USB devices, printers,
    // device paths) and which objects the open creates.
    void SetPanelProviders(const PanelProviders &providers) { m_port.SetProviders(providers); }
    void SetPortFactory(PortFactory factory) { m_port.SetFactory(std::move(factory)); }
    // The status bar's message routine; without one, messages go nowhere.
    void SetStatusMessenger(CStatusMessenger *messenger) { m_status.SetMessenger(messenger); }
    void SetSaveFileChooser(FileChooser chooser);

    int OnViewRequest(int code, int flag, const QString &text);
    int OnSendData(const QByteArray &bytes);
    // Send button 1000, menu command 32775 and Ctrl+S.
    void OnSendCommand();
    // Connects the frame's edit commands and send commands to this view.
    void AttachFrameCommands(CMainFrame &frame);

    // The code page of the text notation in every box (view_codepage.cpp):
    // remembered in the user's settings, offered and shown by the frame.
    CodePageId TextCodePage() const { return m_codePage; }
    void SetTextCodePage(CodePageId page);

    // Splitter tops of the last layout, saved as "Splitter1Pos"/"Splitter2Pos".
    int Splitter1Pos() const { return m_areas.Splitter1Pos(); }
    int Splitter2Pos() const { return m_areas.Splitter2Pos(); }
    CPortCfgPanel *PortPanel() const { return m_port.Panel(); }
    // The user command strip; none before the start-up tick.
    CUserCommandView *CommandStrip() const { return m_pCmdView; }
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
    void wheelEvent(QWheelEvent *event) override; // view_usercmd.cpp

private:
    static constexpr int kStartupTimerMs = 100;

    // ---- start-up (tarvikview.cpp) ----
    void OnInitialUpdate();
    void OnLanguageChange();
    void OnStartupTimer();

    // ---- layout (view_layout.cpp) ----
    void LayoutAreas(int cx, int cy, bool repaint);
    void FitPortColumn(QSize panelNeed);
    void FitWindowToView(QSize viewNeed);

    // ---- port kind, open and close (view_openclose.cpp) ----
    void ConnectPortControls();
    void OnPortKindChange();
    void OnOpenClose();
    void OpenSelectedPort();
    void CloseOpenPort();
    void DiscardPort();
    void OnOpenResult(int error);
    // The status text for the current port's failed open, with the cause
    // when the spooler, the device or the network settings tell it.
    QString OpenFailureText(uint32_t error) const;
    void OnPortLost();
    void SetReceivePaused(bool paused);
    bool SelectedFileUsable() const;
    void CreatePortPanel(int kind);

    // ---- notifications and requests (view_dispatch.cpp) ----
    void OnPortMessage(int code, int error, uint32_t lParam);

    // ---- sending (view_send.cpp) ----
    void ConnectSendControls();
    int SendData(const uint8_t *bytes, uint32_t count);
    void OnWriteDone(int error);
    // Why the spooler refused or failed the printer port's last job; empty
    // for the other kinds and when nothing failed.
    QString SpoolerFailureText() const;
    void OnHexSendClicked(bool checked);
    void OnClearSend();
    void OnClearSendCount();

    // ---- receiving (view_receive.cpp) ----
    void LoadTextCodePage(); // view_codepage.cpp
    void ApplyTextCodePage(CodePageId page);
    void AttachCodePageMenu(CMainFrame &frame);
    void ConnectReceiveControls();
    void ReadReceived();
    void ReadFollowUp();
    void OnPauseReceive();
    void OnHexRecvClicked(bool checked);
    void OnClearRecv();
    void OnCopyToSend();
    bool ConfirmLargeCopyToSend();
    void OnClearRecvCount();
    // The receive view and the counters follow soon.
    void ScheduleDisplay() { m_recvDisplay.Schedule(); }

    // ---- send pages (view_pages.cpp) ----
    void ConnectPageControls();
    void OnPrevPage();
    void OnNextPage();
    // ---- auto-send (view_autosend.cpp) ----
    void ConnectAutoSend();

    // ---- saving (view_save.cpp) ----
    void ConnectSaveControls();
    QString ChooseSaveFile(const QString &suggestedName);
    void OnSaveRecv();
    void OnSaveSend();
    void SaveAndConfirm(const QString &path, const std::vector<QByteArrayView> &pieces);
    void ConfirmSaved(const QString &path, qint64 size);
    QByteArray DisplayedSendText() const;

    // ---- edit commands (view_edit.cpp) ----
    void SyncSendCommand();

    // ---- file sending (view_filesend.cpp) ----
    void ConnectFileControls();
    bool OpenChosenFile(QFile &file, const QString &path);
    void OnSelectFile();
    void SetSelectedFile(const QString &path);
    void OnLoadFile();
    void OnSendFile();
    void ToggleFilePause();
    void StartFileSending();
    // Tells why the field cannot start a transfer and puts the user there.
    void RefuseFileField(QLineEdit *field, const QString &message);
    void OnStopFile();
    void StopFileSendingDisplay();
    void OnFileProgress(int percent);
    void OnFilePassDone();
    void OnFileSendEnded(bool failed);

    // ---- configuration (view_config.cpp) ----
    void LoadConfig();
    void SaveSettingsOnce();

    // ---- find (view_find.cpp) ----
    void FindText(const QString &text, bool matchCase);
    void FindInSendBox(const QString &text, bool matchCase);
    void FindInRecvView(const QString &text, bool matchCase);
    void ConnectRecvFind();
    void ReportNotFound(const QString &text);

    // ---- user commands (view_usercmd.cpp) ----
    void LoadUserCommands();
    void CreateCommandStrip();
    // Menu command 32776: edit the list in the configuration dialog, save it, rebuild the strip.
    void OnPresetCommands();

    // ---- the port column's own parts (view_portextras.cpp) ----
    CPortExtras::Hooks PortExtrasHooks();
    void PlacePortExtras(); // after the port column was placed

    // ---- status bar (viewstatus.h) ----
    CStatusMessenger *Messenger() { return m_status.Messenger(); }
    void ShowStatusText(const QString &text, StatusKind kind, int durationMs)
    {
        m_status.ShowText(text, kind, durationMs);
    }
    void ShowStatusMessage(StatusKind kind, unsigned stringId, int durationMs)
    {
        m_status.ShowMessage(kind, stringId, durationMs);
    }

    CViewForm m_form;
    CViewAreas m_areas;
    CViewPort m_port;
    CViewSettings m_settings;
    CPortExtras m_extras; // refers to m_port, so comes after it

    CViewStatus m_status{this};

    CUserCommandView *m_pCmdView = nullptr; // child window, created on the start-up tick
    CViewCounters m_counters;
    CReceiveDisplay m_recvDisplay{m_counters};
    CSendPages m_pages;
    CFileSendState m_fileSend;
    CAutoSend m_autoSend;
    CSaveFiles m_saveFiles;
    CHistoryWriter m_historyWriter{this};
    QString m_strRecvFindText; // what the receive view is looking for
    CFrameCommands m_frameCommands;
    CodePageId m_codePage = CodePageId::Gbk;
    CCodePageMenu *m_codePageMenu = nullptr; // the frame's, once attached
};
