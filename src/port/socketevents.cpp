#include "port/socketevents.h"

#include <QMetaObject>
#include <QSocketNotifier>
#include <QThread>

CSocketEvents::CSocketEvents(Handler handler) : m_handler(std::move(handler)) {}

CSocketEvents::~CSocketEvents() = default;

void CSocketEvents::WatchConnecting(TcpSocket::Handle socket)
{
    Unwatch();
    m_socket = socket;
    m_closed = false;
    m_connecting = true;
    m_readNotifier = new QSocketNotifier(socket, QSocketNotifier::Read, this);
    m_writeNotifier = new QSocketNotifier(socket, QSocketNotifier::Write, this);
    m_readNotifier->setEnabled(false);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &CSocketEvents::OnReadable);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &CSocketEvents::OnWritable);
}

void CSocketEvents::Unwatch()
{
    // The notifiers may be the sender of the signal being handled right now,
    // so they are disabled at once and deleted later.
    for (QSocketNotifier *notifier : {m_readNotifier, m_writeNotifier}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    m_readNotifier = nullptr;
    m_writeNotifier = nullptr;
    m_socket = TcpSocket::kNone;
    m_connecting = false;
}

void CSocketEvents::Dispose()
{
    Unwatch();
    m_handler = nullptr;
    if (m_dispatching > 0 && !m_disposed) {
        m_disposed = true;
        deleteLater();
    } else if (!m_disposed) {
        delete this;
    }
}

void CSocketEvents::RearmRead()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this] { RearmRead(); }, Qt::QueuedConnection);
        return;
    }
    if (!m_connecting && !m_closed)
        EnableRead(true);
}

void CSocketEvents::RearmWrite()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(
            this, [this] { RearmWrite(); }, Qt::QueuedConnection);
        return;
    }
    // Also after a close: the ended connection is writable at once, and the
    // sender that asked learns the error from its next send.
    if (!m_connecting)
        EnableWrite(true);
}

void CSocketEvents::OnReadable()
{
    EnableRead(false);
    uint32_t waiting = 0;
    uint32_t error = 0;
    if (!TcpSocket::BytesWaiting(m_socket, waiting, error) || waiting > 0) {
        Deliver(Read, error);
        return;
    }
    if (TcpSocket::HasClosed(m_socket, error)) {
        m_closed = true;
        EnableWrite(false);
        Deliver(Close, error);
        return;
    }
    EnableRead(true); // woken without data or close: keep waiting
}

void CSocketEvents::OnWritable()
{
    EnableWrite(false);
    if (!m_connecting) {
        Deliver(Write, 0);
        return;
    }
    m_connecting = false;
    const uint32_t error = TcpSocket::PendingError(m_socket);
    if (error != 0) {
        m_closed = true; // a failed connect has no further events
        Deliver(Connect, error);
        return;
    }
    EnableRead(true);
    const TcpSocket::Handle socket = m_socket;
    Deliver(Connect, 0);
    if (m_socket == socket) // the handler may have closed the port meanwhile
        Deliver(Write, 0);
}

void CSocketEvents::Deliver(Event event, uint32_t error)
{
    if (!m_handler)
        return;
    const Handler handler = m_handler; // survives a Dispose inside the call
    ++m_dispatching;
    handler(event, static_cast<uint16_t>(error));
    --m_dispatching;
}

void CSocketEvents::EnableRead(bool on)
{
    if (m_readNotifier)
        m_readNotifier->setEnabled(on);
}

void CSocketEvents::EnableWrite(bool on)
{
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(on);
}
