#include "port/devicefile.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

int Fd(intptr_t handle)
{
    return static_cast<int>(handle);
}

void Drain(int eventFd)
{
    uint64_t value;
    while (::read(eventFd, &value, sizeof value) > 0) {
    }
}

unsigned PollResult(const pollfd &device, const pollfd &waker, int polled)
{
    if (polled == 0)
        return CDeviceFile::kTimedOut;
    unsigned result = 0;
    if (waker.revents & POLLIN) {
        Drain(waker.fd);
        result |= CDeviceFile::kWoken;
    }
    if (device.revents & POLLIN)
        result |= CDeviceFile::kReadable;
    if (device.revents & POLLOUT)
        result |= CDeviceFile::kWritable;
    if (device.revents & (POLLHUP | POLLERR | POLLNVAL))
        result |= CDeviceFile::kHangup;
    return result;
}

// The outcome of a read or write that returned `n` (errno still its own).
DeviceIo IoResult(ssize_t n)
{
    DeviceIo io;
    if (n >= 0) {
        io.count = std::size_t(n);
        return io;
    }
    io.osError = errno;
    io.wouldBlock = io.osError == EAGAIN || io.osError == EWOULDBLOCK || io.osError == EINTR;
    return io;
}

// poll, tried again when a signal interrupts it; -1 on any other failure.
template <std::size_t N> int PollRetrying(pollfd (&fds)[N], int timeoutMs)
{
    int polled;
    do {
        polled = ::poll(fds, N, timeoutMs);
    } while (polled < 0 && errno == EINTR);
    return polled;
}

} // namespace

CDeviceWaker::CDeviceWaker() : m_handle(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CDeviceWaker::~CDeviceWaker()
{
    if (m_handle >= 0)
        ::close(Fd(m_handle));
}

void CDeviceWaker::Signal()
{
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(Fd(m_handle), &one, sizeof one);
}

void CDeviceWaker::Clear()
{
    Drain(Fd(m_handle));
}

int CDeviceFile::Open(const std::string &path)
{
    Close();
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno;
    // flock also stops root, which TIOCEXCL does not.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    if (::isatty(fd))
        ::ioctl(fd, TIOCEXCL);
    m_handle = fd;
    return 0;
}

void CDeviceFile::Close()
{
    if (m_arrivals >= 0)
        ::close(Fd(m_arrivals));
    m_arrivals = -1;
    if (m_handle < 0)
        return;
    const int fd = Fd(m_handle);
    if (::isatty(fd))
        ::ioctl(fd, TIOCNXCL);
    ::close(fd); // releases the flock too
    m_handle = -1;
}

DeviceIo CDeviceFile::Write(const uint8_t *bytes, std::size_t length)
{
    return IoResult(::write(Fd(m_handle), bytes, length));
}

DeviceIo CDeviceFile::Read(uint8_t *buffer, std::size_t capacity)
{
    return IoResult(::read(Fd(m_handle), buffer, capacity));
}

unsigned CDeviceFile::Wait(bool readable, bool writable, CDeviceWaker &waker, int timeoutMs)
{
    pollfd fds[2] = {};
    fds[0].fd = Fd(m_handle);
    fds[0].events = short((readable ? POLLIN : 0) | (writable ? POLLOUT : 0));
    fds[1].fd = Fd(waker.Handle());
    fds[1].events = POLLIN;
    const int polled = PollRetrying(fds, timeoutMs);
    if (polled < 0)
        return kHangup;
    return PollResult(fds[0], fds[1], polled);
}

// An epoll set with the device in edge-triggered mode is ready whenever the
// driver has taken in bytes since the set was last asked, however many are
// still unread; poll watches the set beside the waker.
unsigned CDeviceFile::WaitNewInput(bool writable, CDeviceWaker &waker, int timeoutMs)
{
    if (m_arrivals < 0) {
        m_arrivals = ::epoll_create1(EPOLL_CLOEXEC);
        epoll_event watch{};
        watch.events = EPOLLIN | EPOLLET;
        if (m_arrivals < 0 || ::epoll_ctl(Fd(m_arrivals), EPOLL_CTL_ADD, Fd(m_handle), &watch) != 0)
            return kHangup;
    }
    pollfd fds[3] = {};
    fds[0].fd = Fd(m_handle);
    fds[0].events = short(writable ? POLLOUT : 0); // hang-up and errors are always reported
    fds[1].fd = Fd(waker.Handle());
    fds[1].events = POLLIN;
    fds[2].fd = Fd(m_arrivals);
    fds[2].events = POLLIN;
    const int polled = PollRetrying(fds, timeoutMs);
    if (polled < 0)
        return kHangup;
    unsigned result = PollResult(fds[0], fds[1], polled);
    epoll_event arrived{};
    if ((fds[2].revents & POLLIN) && ::epoll_wait(Fd(m_arrivals), &arrived, 1, 0) > 0)
        result |= (arrived.events & EPOLLIN) ? kReadable : 0u;
    return result;
}

unsigned CDeviceFile::WaitWaker(CDeviceWaker &waker, int timeoutMs)
{
    pollfd fds[2] = {};
    fds[0].fd = -1; // ignored by poll
    fds[1].fd = Fd(waker.Handle());
    fds[1].events = POLLIN;
    const int polled = PollRetrying(fds, timeoutMs);
    return polled < 0 ? kWoken : PollResult(fds[0], fds[1], polled);
}
