// Notifications from a port to its owner.
//
// The owner given to OpenPort is a QObject on the window thread. Every
// notification is one event of a registered type (by default the one named
// "CPortEx_DefaultPortMsg") carrying the code, an error and a value; the owner
// handles it in event() or customEvent() and casts it to CPortMsgEvent.
//
// Delivery goes through a relay object that lives on the owner's thread and
// holds a QPointer to the owner, so a port thread never touches the owner
// itself and an owner that has been deleted simply loses the notification.
//
// Thread contract of CPortNotifier:
//   Attach/Detach  - the window thread (OpenPort / ClosePort).
//   Post           - any thread; never blocks. Posted events queued before a
//                    Detach are still delivered while the owner exists.
//   Send           - any thread. On the owner's thread the owner handles the
//                    event before Send returns. On another thread Send waits
//                    until the owner has handled it, or until Detach, which
//                    releases every waiting sender and drops their deliveries.
//                    A sender must not hold a lock the owner's handler takes.
#pragma once

#include <QEvent>

#include <cstdint>
#include <memory>
#include <mutex>

class QObject;

inline constexpr char kPortDefaultMessageName[] = "CPortEx_DefaultPortMsg";

// Event codes (LOWORD of wParam).
enum : uint16_t
{
    kPortDataArrived = 1,
    kPortWriteDone = 2,
    kPortOpened = 3,
    kPortLost = 4,
    kPortFileDone = 5,
    kPortFileFailed = 6,
    kPortFileProgress = 7,
    kPortFilePassDone = 8,
    kPortUsbWriteShort = 9,
};

// Registers an event type under a name once per process; later calls with the
// same name return the same type (Qt itself registers by number only).
QEvent::Type RegisterPortMessage(const char *name);

// The type registered as "CPortEx_DefaultPortMsg".
QEvent::Type PortDefaultMessage();

class CPortMsgEvent : public QEvent
{
public:
    CPortMsgEvent(QEvent::Type type, uint16_t code, uint16_t error, uint32_t lParam)
        : QEvent(type), m_code(code), m_error(error), m_lParam(lParam)
    {
    }

    uint16_t Code() const { return m_code; }   // LOWORD(wParam)
    uint16_t Error() const { return m_error; } // HIWORD(wParam)
    uint32_t WParam() const { return uint32_t(m_code) | (uint32_t(m_error) << 16); }
    uint32_t LParam() const { return m_lParam; }

private:
    uint16_t m_code;
    uint16_t m_error;
    uint32_t m_lParam;
};

class CPortNotifier
{
public:
    CPortNotifier() = default;
    ~CPortNotifier();
    CPortNotifier(const CPortNotifier &) = delete;
    CPortNotifier &operator=(const CPortNotifier &) = delete;

    // message 0 means the default registered type. A null owner leaves the
    // notifier detached, so every notification is lost.
    void Attach(QObject *owner, uint32_t message);
    void Detach();
    bool IsAttached() const;
    // The event type in use, 0 while detached.
    uint32_t Message() const;

    void Post(uint16_t code, uint16_t error, uint32_t lParam) const;
    // True when the owner handled the event; false when it was dropped
    // (detached, closing, or the owner no longer exists).
    bool Send(uint16_t code, uint16_t error, uint32_t lParam) const;

    // Senders of this process waiting for an owner right now; lets tests see
    // that a sent notification is in flight before they close a port.
    static int PendingSends();

    struct Link; // shared by the notifier, the relay and the senders in flight

private:
    std::shared_ptr<Link> CurrentLink() const;

    mutable std::mutex m_mutex;   // guards m_link
    std::shared_ptr<Link> m_link; // null while detached
};
