// Socket events of the network port, delivered on the window thread with the
// rules of the asynchronous select the port was designed around:
//
//   Read     once bytes are waiting; not again until the next Recv re-arms it
//            (RearmRead), however much more arrives.
//   Write    once after the connection is made, then only after a send that
//            would have blocked (RearmWrite), once the socket takes data again.
//   Connect  when a connect under way has finished, with its error (0 = made).
//   Close    once, when the connection has ended, with the error that ended it
//            (0 for an orderly close by the peer). Bytes still waiting are
//            announced by Read first; Close follows once they have been read.
//
// Notifiers are enabled only while an event is owed, so a socket that stays
// writable or readable never makes the event loop spin.
//
// Thread contract: constructed, watched, unwatched and destroyed on the window
// thread, where the handler runs. RearmWrite and RearmRead may be called from
// any thread (a file thread that found the socket full); everything else on the
// window thread. The handler may unwatch, and may destroy the owner of this object;
// Dispose() then defers the deletion until the handler has returned.
#pragma once

#include "port/tcpsocket.h"

#include <QObject>

#include <cstdint>
#include <functional>

class QSocketNotifier;

class CSocketEvents : public QObject
{
public:
    // The event numbers of the asynchronous select (FD_READ ... FD_CLOSE).
    enum Event : uint16_t
    {
        Read = 1,
        Write = 2,
        Connect = 16,
        Close = 32
    };
    using Handler = std::function<void(Event event, uint16_t error)>;

    explicit CSocketEvents(Handler handler);
    ~CSocketEvents() override;

    // Starts watching a socket whose connect is under way.
    void WatchConnecting(TcpSocket::Handle socket);
    // Stops every event of the socket; nothing is delivered afterwards.
    void Unwatch();
    void RearmRead();
    void RearmWrite();
    // Unwatches and deletes this object, later when a handler is running.
    void Dispose();

private:
    void OnReadable();
    void OnWritable();
    void Deliver(Event event, uint32_t error);
    void EnableRead(bool on);
    void EnableWrite(bool on);

    Handler m_handler;
    TcpSocket::Handle m_socket = TcpSocket::kNone;
    QSocketNotifier *m_readNotifier = nullptr;  // owned as a child
    QSocketNotifier *m_writeNotifier = nullptr; // owned as a child
    bool m_connecting = false;                  // the write notifier waits for the connect
    bool m_closed = false;                      // Close was delivered
    int m_dispatching = 0;                      // handler calls on the stack
    bool m_disposed = false;
};
