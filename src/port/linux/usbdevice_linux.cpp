// USB printers through the kernel's usblp driver (/dev/usb/lpN).
//
// The device is opened non-blocking so that a write or read that the printer
// does not take can be ended by Reset: transfers wait in short poll slices and
// give up once a reset of their side has been requested.
#include "port/usbdevice.h"

#include "port/devicemap.h"
#include "port/porterror.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <linux/lp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// usblp's own request (drivers/usb/class/usblp.c): a class SOFT_RESET, which
// flushes the printer's buffers and resets its bulk pipes.
constexpr unsigned long kUsblpSoftReset = _IOC(_IOC_NONE, 'P', 7, 0);
constexpr int kPollSliceMs = 100;

class CUsblpDevice final : public CUsbDevice
{
public:
    explicit CUsblpDevice(int fd) : m_fd(fd) {}
    ~CUsblpDevice() override { close(m_fd); }

    bool Status(uint32_t &error) override
    {
        int status = 0;
        if (ioctl(m_fd, LPGETSTATUS, &status) == 0)
            return true;
        error = PortErrorFromSystem(errno);
        return false;
    }

    bool Write(const uint8_t *data, uint32_t length, uint32_t &written, uint32_t &error) override
    {
        const unsigned generation = m_outputResets.load();
        written = 0;
        while (written < length) {
            const ssize_t n = write(m_fd, data + written, length - written);
            if (n > 0) {
                written += static_cast<uint32_t>(n);
                continue;
            }
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return Fail(errno, error);
            if (!WaitWritable(generation))
                return Fail(ECANCELED, error);
        }
        return true;
    }

    bool Read(uint8_t *buffer, uint32_t &received, uint32_t &error) override
    {
        received = 0;
        const ssize_t n = read(m_fd, buffer, kUsbChunkSize);
        if (n >= 0) {
            received = static_cast<uint32_t>(n);
            return true;
        }
        if (errno == EAGAIN || errno == EINTR)
            return true;
        return Fail(errno, error);
    }

    void Reset(UsbSide side) override
    {
        // Reads never wait here (the descriptor is non-blocking), so only the
        // output side has a transfer to end.
        if (side != UsbSide::Output)
            return;
        ++m_outputResets;
        ioctl(m_fd, kUsblpSoftReset);
    }

private:
    static bool Fail(int err, uint32_t &error)
    {
        error = PortErrorFromSystem(err);
        return false;
    }

    // Waits until the printer takes data again; false once the output side
    // has been reset since the write began.
    bool WaitWritable(unsigned generation)
    {
        pollfd pfd{m_fd, POLLOUT, 0};
        while (m_outputResets.load() == generation) {
            if (poll(&pfd, 1, kPollSliceMs) > 0)
                return true;
        }
        return false;
    }

    const int m_fd;
    std::atomic<unsigned> m_outputResets{0};
};

class CUsblpOpener final : public CUsbDeviceOpener
{
    static std::string PathOf(const std::string &name) { return DevicePath(name); }

public:
    std::unique_ptr<CUsbDevice> Open(const std::string &name, uint32_t &error) override
    {
        const int fd = open(PathOf(name).c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            error = PortErrorFromSystem(errno);
            return nullptr;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = PortErrorFromSystem(errno);
            close(fd);
            return nullptr;
        }
        return std::make_unique<CUsblpDevice>(fd);
    }

    bool Probe(const std::string &name) override
    {
        const int fd = open(PathOf(name).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0)
            return UsbProbeFindsDevice(errno);
        close(fd);
        return true;
    }
};

} // namespace

bool UsbProbeFindsDevice(int osError)
{
    return osError == 0 || osError == EBUSY || osError == EACCES || osError == EPERM;
}

CUsbDeviceOpener &SystemUsbDeviceOpener()
{
    static CUsblpOpener opener;
    return opener;
}
