// CTarvikView: the main form of the program.
//
// A fixed port column on the left (port kind, open/close, the settings panel
// of the kind, file sending) and, to its right, the receive area, the user
// command strip and the send area, divided by two splitter bars.
//
// The view is split into one unit per concern:
//   tarvikview.cpp      construction, start-up timer, destruction
//   viewform.cpp        the controls of the form
//   view_layout.cpp     splitter bars and placing the areas (arithmetic in layout.cpp)
//   view_openclose.cpp  port kind, settings panel, open and close, open result, port lost
//   view_portfactory.cpp the port object and settings record of each kind
//   view_systemports.cpp the port classes and device lists of the system
//   view_dispatch.cpp   port notifications and the two request entry points
//   view_config.cpp     the settings section of the INI file and the registry values
//   view_find.cpp       find in the box that had the focus last (the frame owns the dialog)
//   view_status.cpp     status bar messages
//   view_send.cpp       the send operation, write done, the send box's buttons
//   view_receive.cpp    reading, the history and the receive box, pause/continue
//   view_edit.cpp       the frame's edit and send commands and their enabled states
//   view_pages.cpp      send pages, previous and next (the pages: sendpages.cpp)
//   view_filesend.cpp   file sending and loading a file (the chosen file, the
//                       pass counter and progress: filesendstate.cpp)
//   view_autosend.cpp   sending the send box at an interval (autosend.cpp)
//   view_save.cpp       saving the receive history and the send box to files
//                       (choosing and writing them: savefiles.cpp)
//   view_usercmd.cpp    the user command strip: loading, creation, mouse wheel
//   view_portextras.cpp the serial control lines below the file group
//   view_reconnect.cpp  opening a lost port again by itself
//   view_capturelog.cpp the capture log of received (and sent) bytes
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
// are handled under the view's recursive lock, m_cs.
//
// Window thread only.
#pragma once

#include "panels/portcfgpanel.h"
#include "view/autosend.h"
#include "view/filesendstate.h"
#include "view/layout.h"
#include "view/savefiles.h"
#include "view/sendpages.h"
#include "view/statusbytehint.h"
#include "view/viewform.h"
#include "viewmessages.h"

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QPointer>
#include <QRecursiveMutex>
#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CCaptureLog;
class CControlLinesBox;
class QCheckBox;
class QComboBox;
class CReconnect;
class CMainFrame;
class QAction;
class CPortEx;
class CSplitterControl;
class CStatusMessenger;
class CUserCommandView;
class QFile;

class CTarvikView : public QWidget
{
    Q_OBJECT

public:
    // File dialogs; tests hand in their own. An empty result means cancelled.
    using FileChooser = std::function<QString(const QString &suggestedName)>;
    void SetOpenFileChooser(FileChooser chooser);

    // Builds a port object of a kind of the kind list; tests hand in their own.
    using PortFactory = std::function<std::unique_ptr<CPortEx>(PortKind)>;
    // The port classes of the port library and the system's device lists
    // (view_systemports.cpp), used unless replaced.
    static std::unique_ptr<CPortEx> CreateSystemPort(PortKind kind);
    static PanelProviders SystemPanelProviders();

    explicit CTarvikView(QWidget *parent = nullptr);
    ~CTarvikView() override;

    // Before the start-up tick: what the panels list (USB devices, printers,
    // device paths) and which objects the open creates.
    void SetPanelProviders(const PanelProviders &providers) { m_providers = providers; }
    void SetPortFactory(PortFactory factory) { m_portFactory = std::move(factory); }
    // The status bar's message routine; without one, messages go nowhere.
    void SetStatusMessenger(CStatusMessenger *messenger);
    void SetSaveFileChooser(FileChooser chooser);

    int OnViewRequest(int code, int flag, const QString &text);
    int OnSendData(const QByteArray &bytes);
    // Send button 1000, menu command 32775 and Ctrl+S.
    void OnSendCommand();
    // Connects the frame's edit commands and send commands to this view.
    void AttachFrameCommands(CMainFrame &frame);

    // Splitter tops of the last layout, saved as "Splitter1Pos"/"Splitter2Pos".
    int Splitter1Pos() const { return m_nSplitter1Pos; }
    int Splitter2Pos() const { return m_nSplitter2Pos; }
    CPortCfgPanel *PortPanel() const { return m_pPortPanel; }
    // The user command strip; none before the start-up tick.
    CUserCommandView *CommandStrip() const { return m_pCmdView; }
    bool HasPort() const { return m_pPort != nullptr; }
    // The configuration file this view reads and writes, fixed at start.
    const std::filesystem::path &IniPath() const { return m_iniPath; }

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
    void timerEvent(QTimerEvent *event) override;
    void wheelEvent(QWheelEvent *event) override; // view_usercmd.cpp

private:
    static constexpr int kStartupTimerMs = 100;

    // ---- start-up (tarvikview.cpp) ----
    void OnInitialUpdate();
    void OnLanguageChange();
    void OnStartupTimer();
    void SaveSettingsOnce();

    // ---- layout (view_layout.cpp) ----
    void CreateSplitterBars(int savedTop1, int savedTop2);
    void OnSplitterMoved(int barId, int delta);
    void LayoutAreas(int cx, int cy, bool repaint);
    void FitPortColumn(QSize panelNeed);

    // ---- port kind, open and close (view_openclose.cpp) ----
    void OnPortKindChange();
    void OnOpenClose();
    void OpenSelectedPort();
    void CloseOpenPort();
    void DiscardPort();
    void OnOpenResult(int error);
    void OnPortLost();
    void SetReceivePaused(bool paused);
    bool SelectedFileUsable() const;
    void CreatePortPanel(int kind);
    void DestroyPortPanel();

    // ---- the port object of each kind (view_portfactory.cpp) ----
    std::unique_ptr<CPortEx> CreateConfiguredPort(int kind);
    std::unique_ptr<CPortEx> CreateUsbPort();
    std::unique_ptr<CPortEx> CreatePrinterPort();
    template <typename Record>
    std::unique_ptr<CPortEx> Configured(PortKind kind, const Record &record);
    template <typename Panel> Panel *PanelAs() const;
    bool SelectedRowOrReport(const PanelRowSelection &row);

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
    void ConnectReceiveControls();
    void ReadReceived();
    void ShowStatusByteHint(const QString &caption);
    void ReadFollowUp();
    void OnPauseReceive();
    void OnHexRecvClicked(bool checked);
    void OnClearRecv();
    void OnCopyToSend();
    void OnClearRecvCount();
    void ScheduleDisplay();
    void UpdateDisplay();

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
    QByteArray DisplayedSendText() const;

    // ---- edit commands (view_edit.cpp) ----
    void UpdateEditCommands();
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
    void OnStopFile();
    void StopFileSendingDisplay();
    void OnFileProgress(int percent);
    void OnFilePassDone();
    void OnFileSendEnded(bool failed);

    // ---- configuration (view_config.cpp) ----
    void LoadConfig();
    void SaveConfig();
    void ReadSavedSplitterTops(int &top1, int &top2) const;

    // ---- find (view_find.cpp) ----
    void TrackFindTarget();
    void FindText(const QString &text, bool matchCase);
    void FindInSendBox(const QString &text, bool matchCase);
    void FindInRecvView(const QString &text, bool matchCase);
    void ReportNotFound(const QString &text);

    // ---- user commands (view_usercmd.cpp) ----
    void LoadUserCommands();
    void CreateCommandStrip();
    // Menu command 32776: edit the list in the configuration dialog, save it, rebuild the strip.
    void OnPresetCommands();

    // ---- the port column's own parts (view_portextras.cpp) ----
    void CreatePortExtras();
    void PlacePortExtras(); // after the port column was placed
    void SetCaptureFormNames();
    void PortExtrasOpened();  // the open result said the port is usable
    void PortExtrasClosing(); // before the port closes, for any reason

    // ---- opening a lost port again (view_reconnect.cpp) ----
    void CreateReconnect();
    QString ReconnectHint(int attempt) const;
    bool TryReopen(int attempt);
    void RememberReopenTarget();
    std::unique_ptr<CPortEx> ReopenUsbPort();
    void PortExtrasLost(bool transferRunning); // at the end of the port-lost handling
    void PortExtrasTransferEnded(bool failed);
    void ReconnectSucceeded();
    void ReconnectOpenFailed();
    bool StopReconnecting(); // true when attempts were running

    // ---- the capture log (view_capturelog.cpp) ----
    void CreateCaptureLog();
    void OnCaptureLogToggled(bool on);
    void OpenCaptureLog();
    void StopCaptureLog(const QString &reason);
    void CaptureLogOpened();
    void CaptureLogClosing();
    void LogReceived(const uint8_t *bytes, std::size_t count); // every read
    void LogSent(const uint8_t *bytes, std::size_t count);     // every accepted write

    // ---- status bar (view_status.cpp) ----
    CStatusMessenger *Messenger();
    void ShowStatusText(const QString &text, int kind, int durationMs);
    void ShowStatusMessage(int kind, unsigned stringId, int durationMs);

    CViewForm m_form;
    CSplitterControl *m_pBar1 = nullptr; // between the receive area and the command strip
    CSplitterControl *m_pBar2 = nullptr; // between the command strip and the send area
    QBasicTimer m_startupTimer;

    PanelProviders m_providers;
    PortFactory m_portFactory;
    QPointer<CStatusMessenger> m_messenger;

    std::unique_ptr<CPortEx> m_pPort;
    CPortCfgPanel *m_pPortPanel = nullptr;
    CUserCommandView *m_pCmdView = nullptr; // child window, created on the start-up tick
    QRecursiveMutex m_cs;                   // held for the whole handling of each port notification
    bool m_bRecvPaused = false;
    bool m_bRecvPending = false;
    bool m_bFocusAfterWrite = false;
    CSendPages m_pages;
    CFileSendState m_fileSend;
    CAutoSend m_autoSend;
    CSaveFiles m_saveFiles;

    // The bytes received since the last clear are the receive view's.
    CStatusByteHint m_statusByteHint; // status requests sent and their replies
    int32_t m_nRecvCount = 0;
    int32_t m_nSendCount = 0;
    int32_t m_nPendingSendCount = 0; // bytes of the write in progress, for the send counter
    bool m_bFindInRecv = false;      // the receive view had the focus last of the two boxes
    bool m_bScrollRecvToEnd = false; // a read came since the last display update
    QTimer m_displayTimer;           // brings the receive view and counters up to date
    QElapsedTimer m_sinceDisplay;    // since the last update
    // The frame's commands this view drives, by command number. Kept as
    // pointers of their own: the frame's lookup is gone while it is destroyed.
    std::map<int, QPointer<QAction>> m_frameCommands;
    bool m_bClipboardHasText = false; // read when the clipboard changes

    double m_recvShare = 0.0; // top of bar 1 / client height
    double m_sendShare = 0.0; // (client height - top of bar 2) / client height
    int m_nSplitter1Pos = 0;
    int m_nSplitter2Pos = 0;
    bool m_bLayoutReady = false; // set by the start-up timer

    std::filesystem::path m_iniPath; // chosen once at start; see configpath.h
    bool m_bSettingsSaved = false;

    CControlLinesBox *m_pLines = nullptr; // child window
    CReconnect *m_pReconnect = nullptr;   // child object
    int m_nReopenUsbDevice = -1;          // the USB device number an attempt waits for
    CCaptureLog *m_pLog = nullptr;        // child object
    QCheckBox *m_pLogOption = nullptr;    // "记录到文件"
    QComboBox *m_pLogForm = nullptr;      // raw, hex lines, text lines
    QCheckBox *m_pLogSent = nullptr;      // sent bytes too
    QString m_strLogPath;                 // the file the user chose
};
