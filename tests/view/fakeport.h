// Test support: a port that opens, fails and gets lost on command, so the
// view's side of the port protocol can be driven without a device.
#pragma once

#include "port/portcfg.h"
#include "port/portex.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstring>

struct CFakePortLog
{
    int created = 0;
    int closed = 0;
    QList<QByteArray> writes;
    bool acceptWrites = true;
    int transfersStarted = 0;
    QByteArray incoming;       // what Read hands out
    QList<bool> receiveSwitch; // every SetReceiveEnabled, in order
};

class CFakePort : public CPortEx
{
public:
    // `type` counts the kinds from 1 (serial) to 5 (printer).
    CFakePort(CFakePortLog &log, int type, bool acceptOpen)
        : m_log(log), m_type(type), m_acceptOpen(acceptOpen)
    {
        ++m_log.created;
    }
    ~CFakePort() override { CFakePort::ClosePort(); }

    uint32_t OpenPort(QObject *owner, uint8_t async, uint32_t userValue, uint32_t message) override
    {
        if (!m_acceptOpen)
            return 0;
        AttachOwner(owner, message, userValue, async != 0);
        m_open = true;
        return 1;
    }
    void ClosePort() override
    {
        if (!m_open)
            return;
        if (m_lostOnClose)
            SendPortMsg(kPortLost, UserValue()); // handled before SendPortMsg returns
        m_open = false;
        DetachOwner();
        ++m_log.closed;
    }
    uint32_t SetPortSettings(const void * /*settings*/) override { return 1; }
    PortKind GetPortType() const override { return static_cast<PortKind>(m_type - 1); }
    void SetReceiveEnabled(bool enabled) override { m_log.receiveSwitch << enabled; }
    uint32_t Write(const uint8_t *bytes, uint32_t length, uint32_t * /*written*/,
                   uint8_t /*async*/) override
    {
        m_log.writes << QByteArray(reinterpret_cast<const char *>(bytes), length);
        return m_log.acceptWrites ? 1 : 0;
    }

    uint32_t Read(uint8_t *buffer, uint32_t capacity, uint32_t *received) override
    {
        *received = uint32_t(std::min<qsizetype>(capacity, m_log.incoming.size()));
        std::memcpy(buffer, m_log.incoming.constData(), *received);
        m_log.incoming.remove(0, *received);
        return 1;
    }

    // Like a device that reports its own loss while it is being closed.
    void SetLostOnClose() { m_lostOnClose = true; }
    void RaiseOpenResult(uint16_t error) { PostPortMsg(kPortOpened, UserValue(), error); }
    // Any other notification, as the port's threads post it.
    void Raise(uint16_t code) { PostPortMsg(code, UserValue()); }
    // A file transfer that runs until the test finishes it.
    uint32_t SendFile(const char * /*path*/, int32_t /*passes*/, uint32_t /*interval*/) override
    {
        ++m_log.transfersStarted;
        return 1;
    }

private:
    CFakePortLog &m_log;
    int m_type;
    bool m_acceptOpen;
    bool m_open = false;
    bool m_lostOnClose = false;
};
