// Serial lines and parallel ports on Linux: an exclusively opened device
// file, termios for the line settings and the modem-line ioctls.
#include "port/portdevice.h"

#include "port/linux/modembits.h"
#include "port/linux/serialtermios.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <termios.h>

namespace {

constexpr struct
{
    unsigned line;
    int bit;
} kModemBits[] = {{kLineDtr, TIOCM_DTR}, {kLineRts, TIOCM_RTS}, {kLineCts, TIOCM_CTS},
                  {kLineDsr, TIOCM_DSR}, {kLineDcd, TIOCM_CD},  {kLineRi, TIOCM_RI}};

} // namespace

unsigned TiocmToModemLines(int status)
{
    unsigned lines = 0;
    for (const auto &row : kModemBits)
        lines |= (status & row.bit) ? row.line : 0;
    return lines;
}

int ModemLinesToTiocm(unsigned lines)
{
    int bits = 0;
    for (const auto &row : kModemBits)
        bits |= (lines & row.line) ? row.bit : 0;
    return bits;
}

namespace {

int ErrnoOf(int result)
{
    return result == 0 ? 0 : errno;
}

class CSystemPortDevice final : public CPortDevice
{
public:
    CDeviceFile &File() { return m_file; }
    int Fd() const { return static_cast<int>(m_file.Handle()); }

    DeviceIo Write(const uint8_t *bytes, std::size_t length) override
    {
        return m_file.Write(bytes, length);
    }
    DeviceIo Read(uint8_t *buffer, std::size_t capacity) override
    {
        return m_file.Read(buffer, capacity);
    }
    unsigned Wait(bool readable, bool writable, CDeviceWaker &waker, int timeoutMs) override
    {
        return m_file.Wait(readable, writable, waker, timeoutMs);
    }
    unsigned WaitNewInput(bool writable, CDeviceWaker &waker, int timeoutMs) override
    {
        return m_file.WaitNewInput(writable, waker, timeoutMs);
    }
    uint32_t InputQueued() override
    {
        int queued = 0;
        if (::ioctl(Fd(), FIONREAD, &queued) != 0 || queued < 0)
            return 0;
        return uint32_t(queued);
    }
    void Purge() override { ::tcflush(Fd(), TCIOFLUSH); }
    int GetModemLines(unsigned &lines) override;
    int SetModemLines(unsigned raise, unsigned drop) override;
    int SendBreak(int durationMs) override;

private:
    CDeviceFile m_file;
};

int CSystemPortDevice::GetModemLines(unsigned &lines)
{
    int status = 0;
    if (::ioctl(Fd(), TIOCMGET, &status) != 0)
        return errno;
    lines = TiocmToModemLines(status);
    return 0;
}

int CSystemPortDevice::SetModemLines(unsigned raise, unsigned drop)
{
    int error = 0;
    if (const int bits = ModemLinesToTiocm(raise))
        error = ErrnoOf(::ioctl(Fd(), TIOCMBIS, &bits));
    if (const int bits = ModemLinesToTiocm(drop); bits && !error)
        error = ErrnoOf(::ioctl(Fd(), TIOCMBIC, &bits));
    return error;
}

int CSystemPortDevice::SendBreak(int durationMs)
{
    // tcsendbreak's duration is not portable; TCSBRKP takes tenths of a second.
    return ErrnoOf(::ioctl(Fd(), TCSBRKP, (durationMs + 99) / 100));
}

int ApplySetup(CSystemPortDevice &device, const SerialLineSetup &setup)
{
    if (::tcsetattr(device.Fd(), TCSANOW, &setup.tio) != 0)
        return errno;
    if (setup.arbitraryBaud) {
        if (const int error = SetArbitraryBaud(device.Fd(), setup.baud))
            return error;
    }
    // Lines a device may not have (pseudo-terminals): failures are not errors.
    const unsigned dtr = setup.dtr ? kLineDtr : 0u;
    device.SetModemLines(dtr, (kLineDtr | kLineRts) & ~dtr);
    return 0;
}

class CSystemPortDeviceOpener final : public CPortDeviceOpener
{
public:
    std::unique_ptr<CPortDevice> OpenSerial(const std::string &path, const tagSERIAL_CFG &settings,
                                            SerialOpenResult &result) override
    {
        result = {};
        auto device = std::make_unique<CSystemPortDevice>();
        if (const int error = device->File().Open(path)) {
            result = {SerialOpenStep::OpenDevice, error};
            return nullptr;
        }
        termios current{};
        if (::tcgetattr(device->Fd(), &current) != 0) {
            result = {SerialOpenStep::GetState, errno};
            return nullptr;
        }
        SerialLineSetup setup;
        const bool accepted = MapSerialSettings(settings, current, setup);
        const int error = accepted ? ApplySetup(*device, setup) : 0;
        if (!accepted || error != 0) {
            result = {SerialOpenStep::SetState, error};
            return nullptr;
        }
        result.holdOnDsr = setup.holdOnDsr;
        return device;
    }

    std::unique_ptr<CPortDevice> OpenParallel(const std::string &path, int &osError) override
    {
        auto device = std::make_unique<CSystemPortDevice>();
        osError = device->File().Open(path);
        return osError ? nullptr : std::move(device);
    }
};

} // namespace

CPortDeviceOpener &SystemPortDeviceOpener()
{
    static CSystemPortDeviceOpener opener;
    return opener;
}
