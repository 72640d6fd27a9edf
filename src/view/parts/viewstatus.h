// The view's voice in the status bar: hints and errors through the frame's
// status message routine, and the decoding of printer status bytes that the
// port answers to status requests sent through it.
//
// Window thread only.
#pragma once

#include "view/parts/statusbytehint.h"
#include "viewmessages.h"

#include <QPointer>
#include <QString>

#include <cstdint>

class CStatusMessenger;
class QWidget;

class CViewStatus
{
public:
    // A frame around `owner` lends its routine when none was set.
    explicit CViewStatus(QWidget *owner) : m_owner(owner) {}

    void SetMessenger(CStatusMessenger *messenger);
    // Null while there is none; messages then go nowhere.
    CStatusMessenger *Messenger();
    void ShowText(const QString &text, StatusKind kind, int durationMs);
    void ShowMessage(StatusKind kind, unsigned stringId, int durationMs);

    void NoteSent(const uint8_t *bytes, uint32_t count) { m_statusByteHint.NoteSent(bytes, count); }
    // The last status byte among `bytes` becomes a hint now and the tool tip
    // of `replyBox` until the next one.
    void NoteReceived(const uint8_t *bytes, uint32_t count, QWidget &replyBox);
    // A new port owes no answers to requests sent through the last one.
    void ForgetStatusRequests() { m_statusByteHint.Clear(); }

private:
    QWidget *m_owner;
    QPointer<CStatusMessenger> m_messenger;
    CStatusByteHint m_statusByteHint;
};
