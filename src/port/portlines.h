// CPortLines: the control lines of a port kind that has them (the serial
// kind): DTR and RTS, the modem status and the break. A port hands it out
// through CPortEx::ControlLines, so its user never needs to know the kind.
//
// Window thread, open port.
#pragma once

class CPortLines
{
public:
    // 0 with the ModemLine bits (portdevice.h), or the OS error (ENOTTY: the
    // line has no modem status, as on a pseudo-terminal; ENODEV: the port is
    // closed).
    virtual int GetModemLines(unsigned &lines) = 0;
    // Raises `raise` and drops `drop` (DTR, RTS); 0 or the OS error.
    virtual int SetModemLines(unsigned raise, unsigned drop) = 0;
    // Holds the line in the break state for `durationMs` without making the
    // caller wait; false when the port is closed or a break is still on.
    virtual bool SendBreak(int durationMs) = 0;
    // While a break holds the line; then 0 or the OS error it ended with.
    virtual bool BreakRunning() const = 0;
    virtual int BreakError() const = 0;

protected:
    ~CPortLines() = default; // never deleted through this interface
};
