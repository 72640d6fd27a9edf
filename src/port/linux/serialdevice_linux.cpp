#include "serialdevice.h"

#include "serialtermios.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>

namespace {

int Fd(CDeviceFile &file)
{
    return static_cast<int>(file.Handle());
}

// Lines a device may not have (pseudo-terminals): failures are not errors.
void SetModemLines(int fd, bool dtr)
{
    int dtrBit = TIOCM_DTR;
    int rtsBit = TIOCM_RTS;
    ::ioctl(fd, dtr ? TIOCMBIS : TIOCMBIC, &dtrBit);
    ::ioctl(fd, TIOCMBIC, &rtsBit);
}

int ApplySetup(int fd, const SerialLineSetup &setup)
{
    if (::tcsetattr(fd, TCSANOW, &setup.tio) != 0)
        return errno;
    if (setup.arbitraryBaud) {
        if (const int error = SetArbitraryBaud(fd, setup.baud))
            return error;
    }
    SetModemLines(fd, setup.dtr);
    return 0;
}

} // namespace

CSerialDevice::OpenResult CSerialDevice::Open(const std::string &path,
                                              const tagSERIAL_CFG &settings)
{
    if (const int error = m_file.Open(path))
        return {OpenStep::OpenDevice, error};
    termios current{};
    if (::tcgetattr(Fd(m_file), &current) != 0) {
        const int error = errno;
        m_file.Close();
        return {OpenStep::GetState, error};
    }
    SerialLineSetup setup;
    const bool accepted = MapSerialSettings(settings, current, setup);
    const int error = accepted ? ApplySetup(Fd(m_file), setup) : 0;
    if (!accepted || error != 0) {
        m_file.Close();
        return {OpenStep::SetState, error};
    }
    m_holdOnDsr = setup.holdOnDsr;
    m_noModemStatus = false;
    return {};
}

void CSerialDevice::Close()
{
    m_file.Close();
}

void CSerialDevice::Purge()
{
    ::tcflush(Fd(m_file), TCIOFLUSH);
}

uint32_t CSerialDevice::InputQueued()
{
    int queued = 0;
    if (::ioctl(Fd(m_file), FIONREAD, &queued) != 0 || queued < 0)
        return 0;
    return uint32_t(queued);
}

bool CSerialDevice::OutputHeld()
{
    if (!m_holdOnDsr || m_noModemStatus)
        return false;
    int status = 0;
    if (::ioctl(Fd(m_file), TIOCMGET, &status) != 0) {
        m_noModemStatus = true; // ENOTTY and the like: no modem lines to obey
        return false;
    }
    return (status & TIOCM_DSR) == 0;
}
