#include "realport.h"

#include "devicemap.h"
#include "parallelport.h"
#include "portcfg.h"
#include "serialport.h"

#include <cerrno>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

CFarEnd::CFarEnd(int fd) : m_fd(fd), m_thread(&CFarEnd::Run, this) {}

CFarEnd::~CFarEnd()
{
    m_stop = true;
    m_thread.join();
}

std::string CFarEnd::Bytes() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

void CFarEnd::Clear()
{
    std::lock_guard lock(m_mutex);
    m_bytes.clear();
    m_count = 0;
}

bool CFarEnd::WaitForCount(std::size_t count, std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (Count() < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

std::size_t CFarEnd::WaitQuiet(std::chrono::milliseconds quiet,
                               std::chrono::milliseconds timeout) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::size_t last = Count();
    auto lastChange = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(5ms);
        const std::size_t now = Count();
        if (now != last) {
            last = now;
            lastChange = std::chrono::steady_clock::now();
        } else if (std::chrono::steady_clock::now() - lastChange >= quiet) {
            break;
        }
    }
    return last;
}

void CFarEnd::Hold(bool hold)
{
    // Under the read lock: once Hold(true) returns, no read is under way.
    std::lock_guard lock(m_readMutex);
    m_hold = hold;
}

void CFarEnd::Run()
{
    char buffer[65536];
    while (!m_stop) {
        pollfd fd{m_fd, POLLIN, 0};
        if (::poll(&fd, 1, 20) <= 0)
            continue;
        std::unique_lock readLock(m_readMutex);
        if (m_hold) {
            readLock.unlock();
            std::this_thread::sleep_for(2ms);
            continue;
        }
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            std::lock_guard lock(m_mutex);
            m_bytes.append(buffer, std::size_t(n));
            m_count = m_bytes.size();
        } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
            readLock.unlock();
            std::this_thread::sleep_for(2ms); // nothing to read at a hang-up: do not spin
        }
    }
}

const char *RealKindName(RealKind kind)
{
    switch (kind) {
    case RealKind::SerialPty:
        return "SerialPty";
    case RealKind::ParallelFifo:
        return "ParallelFifo";
    case RealKind::ParallelPty:
        return "ParallelPty";
    }
    return "?";
}

std::string RealKindTestName(const testing::TestParamInfo<RealKind> &param)
{
    return RealKindName(param.param);
}

CRealDevice::CRealDevice(RealKind kind) : m_kind(kind)
{
    if (!m_dir.isValid())
        return;
    const char *name = kind == RealKind::SerialPty ? "COM1" : "LPT1";
    if (kind == RealKind::ParallelFifo) {
        const std::string path = m_dir.filePath("lp").toStdString();
        if (::mkfifo(path.c_str(), 0600) != 0)
            return;
        // Read-write, so that the FIFO always has a writer and the far end
        // sees no hang-up between two opens of the port.
        m_fifoFd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        m_farFd = m_fifoFd;
        SetDeviceOverride(name, path);
    } else {
        m_pty = std::make_unique<CPtyPair>();
        if (!m_pty->IsValid())
            return;
        m_farFd = m_pty->MasterFd();
        SetDeviceOverride(name, m_pty->SlavePath());
    }
    if (m_farFd >= 0)
        m_farEnd = std::make_unique<CFarEnd>(m_farFd);
}

CRealDevice::~CRealDevice()
{
    m_farEnd.reset();
    if (m_fifoFd >= 0)
        ::close(m_fifoFd);
}

std::unique_ptr<CPortEx> CRealDevice::NewPort() const
{
    if (m_kind == RealKind::SerialPty) {
        tagSERIAL_CFG cfg;
        cfg.dwPort = 1;
        cfg.dwBaudRate = 115200;
        cfg.byParity = 0;
        cfg.byDataBits = 8;
        cfg.byStopBits = 0;
        cfg.dwFlowCtrl = 0;
        cfg.dwMarker = kCfgMarkerValid;
        auto port = std::make_unique<CSerialPort>();
        port->SetPortSettings(&cfg);
        return port;
    }
    tagPARALLEL_CFG cfg;
    cfg.dwPort = 1;
    cfg.dwMarker = kCfgMarkerValid;
    auto port = std::make_unique<CParallelPort>();
    port->SetPortSettings(&cfg);
    return port;
}

std::string CRealDevice::WriteFile(const std::string &name, const std::string &bytes) const
{
    const std::string path = m_dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    return path;
}
