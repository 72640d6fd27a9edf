// CFileSendState: the view's side of sending a file through the port: the
// file chosen, the passes completed (shown in 1052), whether a transfer this
// view started is running, and its progress bar in the status bar; with the
// file group's buttons connected (Connect), choosing the file (1036),
// starting, pausing, continuing (1037) and stopping (1053) the port's
// transfer, following its notifications 5 to 8, and loading a small file
// into the send box (1014).
//
// The transfer itself runs in the port's file thread; the view follows its
// notifications. IsSending() is the view's own record of a transfer it
// started and has not yet seen end: notifications queued before a stop or a
// close arrive afterwards and must not bring the finished transfer back on
// screen.
//
// Window thread only.
#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

struct CViewForm;
class CPortExtras;
class CReceiveDisplay;
class CStatusMessenger;
class CViewPort;
class CViewStatus;
class QFile;
class QLabel;
class QLineEdit;
class QWidget;

class CFileSendState : public QObject
{
    // The captions are the view's texts and keep its translation context.
    Q_DECLARE_TR_FUNCTIONS(CTarvikView)

public:
    using FileChooser = std::function<QString(const QString &suggestedName)>;
    using MessengerLookup = std::function<CStatusMessenger *()>;

    // The path label 1061 and the counter 1052; `shown` runs after they
    // changed; the messenger, if any, carries the progress bar.
    void Attach(QWidget *dialogParent, QLabel *path, QLineEdit *counter,
                std::function<void()> shown, MessengerLookup messenger);

    // Empty chooser: the platform's file dialog. An empty result means cancelled.
    void SetOpenChooser(FileChooser chooser) { m_openChooser = std::move(chooser); }
    QString ChooseFileToOpen() const;

    // Why the file at `path` would not open, as the user can act on it.
    static QString OpenFailureText(const QString &path);

    const QString &SelectedFile() const { return m_strSelectedFile; }
    void SetSelectedFile(const QString &path);

    int PassesDone() const { return m_nFileSendCount; }
    // Single sends add up; a multi-pass send counts from 0, and so does the
    // first single send after one. `count` is the number of passes asked for.
    void ApplyCounterResetRule(int count);
    // A pass that completed counts even when its note arrives after a stop.
    void PassDone();
    void ClearCounter();

    bool IsSending() const { return m_bFileSending; }
    void Started();
    void Ended();
    // False, showing nothing, when no transfer of this view is running.
    bool ShowProgress(int percent);

    // ---- the file group's buttons and the port's transfer ----

    // What a transfer goes through and tells.
    struct Parts
    {
        CViewPort &port;
        CViewStatus &status;
        CPortExtras &extras;
        CReceiveDisplay &display; // shows the changed counter
    };
    // Attaches the form's file controls and connects its buttons; `view` is
    // the parent of the dialogs.
    void Connect(QWidget *view, const CViewForm &form, Parts parts);
    // Takes `path` for file sending, as a drop on the send box or the
    // choice of a file does.
    void Select(const QString &path);
    // A path shorter than 2 characters counts as no file.
    bool SelectedFileUsable() const;
    // One button starts a transfer, and pauses and continues the running one.
    void OnSendFile();
    void OnStopFile();
    void OnProgress(int percent);
    void OnEnded(bool failed);

private:
    void RefreshControls();
    bool OpenChosenFile(QFile &file, const QString &path);
    void OnSelectFile();
    void OnLoadFile();
    void TogglePause();
    void Start();
    // Tells why the field cannot start a transfer and puts the user there.
    void RefuseField(QLineEdit *field, const QString &message);
    CStatusMessenger *Messenger() const { return m_messenger ? m_messenger() : nullptr; }

    QWidget *m_dialogParent = nullptr;
    QLabel *m_path = nullptr;
    QLineEdit *m_counter = nullptr;
    std::function<void()> m_shown;
    MessengerLookup m_messenger;
    QString m_strSelectedFile;
    FileChooser m_openChooser;
    int32_t m_nFileSendCount = 0;
    bool m_bLastStartMultiPass = false;
    bool m_bFileSending = false;
    const CViewForm *m_form = nullptr;
    std::optional<Parts> m_parts;
};
