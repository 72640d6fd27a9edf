// CFileSendState: the view's side of sending a file through the port: the
// file chosen, the passes completed (shown in 1052), whether a transfer this
// view started is running, and its progress bar in the status bar.
//
// The transfer itself runs in the port's file thread; the view follows its
// notifications. IsSending() is the view's own record of a transfer it
// started and has not yet seen end: notifications queued before a stop or a
// close arrive afterwards and must not bring the finished transfer back on
// screen.
//
// Window thread only.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class CStatusMessenger;
class QLabel;
class QLineEdit;
class QWidget;

class CFileSendState
{
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

private:
    void RefreshControls();
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
};
