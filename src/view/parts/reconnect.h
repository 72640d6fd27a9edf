// CReconnect: the "自动重连" option and the attempts that follow a lost port.
//
// The option is the user's (a registry value of CViewSettings, off by
// default), so the INI file keeps its own keys. After a port is lost the
// part asks its owner to try the same port again every kRetryMs until an
// attempt opens it or Stop is called (a click on the open/close button, a
// change of kind). The attempt count and whether a file transfer was cut
// off are kept for the owner's messages.
//
// A reopened port counts as back only once it has held: kHoldMs without a
// loss, or data received. A peer that accepts and drops at once would
// otherwise show "reconnected, attempt 1" every second forever; instead the
// count goes on across such losses, which are counted too.
//
// Window thread only.
#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

class QCheckBox;

class CReconnect : public QObject
{
    Q_OBJECT

public:
    static constexpr int kRetryMs = 1000;
    static constexpr int kHoldMs = 5000;

    // `attempt(n)` tries the n-th time to open the port again; false when it
    // did not try (an earlier attempt is still connecting).
    using Attempt = std::function<bool(int)>;
    CReconnect(QCheckBox *option, Attempt attempt, QObject *parent);

    bool Enabled() const;
    bool Active() const { return m_timer.isActive(); }
    int Attempts() const { return m_attempts; }
    // Losses of a reopened port before it held, since it last held.
    int QuickLosses() const { return m_quickLosses; }
    bool TransferCutOff() const { return m_transferCutOff; }

    // A file transfer ended. A port that is lost often fails its transfer
    // first: such a transfer counts as cut off by the loss that follows.
    void NoteTransferEnded(bool failed) { m_transferFailed = failed; }
    // The port was lost; `transferRunning`: a file was being sent.
    void Start(bool transferRunning);
    void Stop() { m_timer.stop(); }
    // The user opened the port: it starts afresh.
    void NoteOpenedByUser();
    // An attempt opened the port; it has yet to hold.
    void NoteReopened();
    // Bytes came in: the connection carries data, so it held.
    void NoteData();

private:
    void OnTick();

    QCheckBox *m_option;
    Attempt m_attempt;
    QTimer m_timer;
    QTimer m_hold; // runs while a reopened port has yet to hold
    int m_attempts = 0;
    int m_quickLosses = 0;
    bool m_held = true;
    bool m_transferCutOff = false;
    bool m_transferFailed = false; // the last transfer on the port failed
};
