// CStatusMessenger: the status message routine and the panes that go with it.
//
// Every part of the window reports errors and hints here instead of in message
// boxes. The frame owns one messenger bound to its status bar; the main view gets
// it from CMainFrame::Messenger() and calls:
//
//   ShowStatusText(text, kind, durationMs)
//   ShowStatusMessage(kind, stringId, durationMs)   // text from the string table
//
//   kind 2 (kStatusHint):  blue text in the message pane
//   kind 4 (kStatusError): red text in the message pane
//   any other kind:  a message box with an OK button; the pane keeps its text
//   durationMs < 0:  the text stays until the next message
//   durationMs = 0:  the default, 3900 ms for a hint, 5000 ms for an error
//   durationMs > 0:  that many milliseconds
//
// When the duration runs out, the idle text "就绪" returns as a hint that stays.
// Every new message cancels the pending time-out of the previous one (the status
// clear timer, number 13793 in the window's timer numbering).
//
// It also builds the panes: SetUpPanes() adds the message label (pane 0) and the
// "Top" check box (pane 1028) before the Num Lock indicator; BeginProgress() adds
// the file-send progress bar (pane 3211) and EndProgress() removes it again.
// Window thread only.
#pragma once

#include "viewmessages.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

class CExtLabel;
class CExtStatusBarButton;
class CExtStatusBarProgressCtrl;
class CExtStatusControlBar;
class QWidget;

class CStatusMessenger : public QObject
{
    Q_OBJECT

public:
    static constexpr int kHintDefaultMs = 3900;
    static constexpr int kErrorDefaultMs = 5000;
    static constexpr int kStatusClearTimerId = 13793;
    static constexpr int kMessagePaneMinWidth = 110;
    static constexpr int kProgressPaneWidth = 200;
    static constexpr int kMaxMessageLength = 1023;

    // messageBoxParent: the window that message boxes of other kinds belong to.
    CStatusMessenger(CExtStatusControlBar *bar, QWidget *messageBoxParent);

    // False, after telling the user, when the bar refuses a pane.
    bool SetUpPanes();

    void ShowStatusText(const QString &text, StatusKind kind, int durationMs);
    void ShowStatusMessage(StatusKind kind, unsigned stringId, int durationMs);

    CExtStatusBarProgressCtrl *BeginProgress();
    void SetProgress(int percent);
    void EndProgress();

    CExtLabel *Label() const;
    CExtStatusBarButton *TopButton() const;
    bool IsClearPending() const { return m_clearTimer.isActive(); }
    // The time-out that brings the idle text back; tests read its interval and
    // cut it short rather than wait seconds for it.
    QTimer *ClearTimer() { return &m_clearTimer; }

private:
    void OnStatusClearTimer();
    void ShowInPane(const QString &text, bool error, int durationMs, int defaultMs);
    bool InsertPaneOrComplain(uint32_t paneId, int index);

    CExtStatusControlBar *m_bar;
    QPointer<QWidget> m_messageBoxParent;
    QTimer m_clearTimer;
    QPointer<CExtLabel> m_label;
    QPointer<CExtStatusBarButton> m_topButton;
    QPointer<CExtStatusBarProgressCtrl> m_progress;
};
