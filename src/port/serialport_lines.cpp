// The control lines of an open serial port: DTR and RTS, the modem status
// and the break.
#include "port/serialport.h"

#include <cerrno>

int CSerialPort::GetModemLines(unsigned &lines)
{
    lines = 0;
    return m_device.IsOpen() ? m_device.File().GetModemLines(lines) : ENODEV;
}

int CSerialPort::SetModemLines(unsigned raise, unsigned drop)
{
    if (!m_device.IsOpen())
        return ENODEV;
    const unsigned own = kLineDtr | kLineRts;
    return m_device.File().SetModemLines(raise & own, drop & own);
}

bool CSerialPort::SendBreak(int durationMs)
{
    if (!m_device.IsOpen() || m_breakOn)
        return false;
    JoinBreak(); // the last one has ended
    m_breakOn = true;
    m_breakError = 0;
    m_break = std::thread([this, durationMs] {
        if (const int error = m_device.File().SendBreak(durationMs)) {
            RecordSystemError(error, TraceSeverity::SystemCall,
                              "CSerialPort::SendBreak - Unable to send a break");
            m_breakError = error;
        }
        m_breakOn = false;
    });
    return true;
}

void CSerialPort::JoinBreak()
{
    if (m_break.joinable())
        m_break.join();
}
