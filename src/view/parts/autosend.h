// CAutoSend: while check box 1042 is ticked the send box is sent every
// interval of edit 1044, as a click on the send button would send it.
//
// A tick does nothing while the send button is disabled (no port, or the
// previous write still outstanding), so a slow port is written to less often
// than asked and never has two writes outstanding; the ticks go on, and
// sending resumes by itself once a port is open and idle again.
//
// Window thread only.
#pragma once

#include <QTimer>

#include <functional>

class CViewStatus;
class QCheckBox;
class QLineEdit;
class QPushButton;

class CAutoSend
{
public:
    static constexpr int kMinIntervalMs = 51;

    CAutoSend();

    // The check box, the interval edit, the send button whose state gates a
    // tick, and what a tick does when the button is enabled.
    void Attach(QCheckBox *box, QLineEdit *interval, QPushButton *send,
                std::function<void()> sendBox);

    // The check box was clicked. False when the interval is too short: the
    // box is unticked again and the edit has the focus to correct it.
    bool OnClicked(bool checked);
    // Clicks on the check box start and stop the ticks; an interval too
    // short is told in the status bar.
    void ConnectBox(CViewStatus &status);
    bool IsRunning() const { return m_timer.isActive(); }
    void Tick();

    // Decimal digits after optional blanks and sign, up to the first other
    // character; no digits reads as 0.
    static int ReadInterval(const QString &text);

private:
    QTimer m_timer;
    QCheckBox *m_box = nullptr;
    QLineEdit *m_interval = nullptr;
    QPushButton *m_send = nullptr;
    std::function<void()> m_sendBox;
};
