#include "realport.h"

#include "port/devicemap.h"
#include "port/parallelport.h"
#include "port/serialport.h"
#include "portowner.h"

#include <array>
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

bool CFarEnd::WaitForCount(std::size_t count) const
{
    return PollUntil([&] { return Count() >= count; }, 20s);
}

std::size_t CFarEnd::WaitQuiet(std::chrono::milliseconds quiet) const
{
    // The count only grows: the same count after `quiet` means nothing came.
    std::size_t last = Count();
    PollUntil(
        [&] {
            std::this_thread::sleep_for(quiet);
            const std::size_t before = std::exchange(last, Count());
            return before == last;
        },
        20s);
    return last;
}

void CFarEnd::Hold(bool hold)
{
    std::lock_guard lock(m_readMutex); // once Hold(true) returns, no read is under way
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
        const ssize_t n = m_hold ? -1 : ::read(m_fd, buffer, sizeof buffer);
        if (n > 0) {
            std::lock_guard lock(m_mutex);
            m_bytes.append(buffer, std::size_t(n));
            m_count = m_bytes.size();
        } else {
            readLock.unlock();
            std::this_thread::sleep_for(2ms); // held, or a hang-up: do not spin
        }
    }
}

std::string RealKindTestName(const testing::TestParamInfo<RealKind> &param)
{
    return std::array{"SerialPty", "ParallelFifo", "ParallelPty"}[int(param.param)];
}

CRealDevice::CRealDevice(RealKind kind) : m_kind(kind)
{
    if (!m_dir.isValid())
        return;
    const char *name = kind == RealKind::SerialPty ? "COM1" : "LPT1";
    int farFd = -1;
    if (kind == RealKind::ParallelFifo) {
        m_path = m_dir.filePath("lp").toStdString();
        // Another user reaches the FIFO, so that only its own mode counts.
        if (::chmod(m_dir.path().toLocal8Bit().constData(), 0755) != 0 ||
            ::mkfifo(m_path.c_str(), 0600) != 0)
            return;
        // Read-write, so the FIFO always has a writer and no hang-up between opens.
        farFd = m_fifoFd = ::open(m_path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    } else {
        m_pty = std::make_unique<CPtyPair>();
        farFd = m_pty->MasterFd();
        m_path = m_pty->SlavePath();
    }
    SetDeviceOverride(name, m_path);
    if (farFd >= 0)
        m_farEnd = std::make_unique<CFarEnd>(farFd);
}

CRealDevice::~CRealDevice()
{
    CloseFarEnd();
}

void CRealDevice::CloseFarEnd()
{
    m_farEnd.reset();
    if (m_pty)
        m_pty->CloseMaster();
    if (m_fifoFd >= 0)
        ::close(m_fifoFd);
    m_fifoFd = -1;
}

std::unique_ptr<CPortEx> CRealDevice::NewPort(CPortDeviceOpener *opener) const
{
    CPortDeviceOpener &devices = opener ? *opener : SystemPortDeviceOpener();
    const tagSERIAL_CFG serial = SerialCfg(0, 115200);
    const tagPARALLEL_CFG parallel = ParallelCfg();
    const bool isSerial = m_kind == RealKind::SerialPty;
    std::unique_ptr<CPortEx> port(isSerial ? static_cast<CPortEx *>(new CSerialPort(devices))
                                           : new CParallelPort(devices));
    port->SetPortSettings(isSerial ? static_cast<const void *>(&serial) : &parallel);
    return port;
}

tagPARALLEL_CFG ParallelCfg()
{
    return {.dwPort = 1, .dwMarker = kCfgMarkerValid};
}

tagSERIAL_CFG SerialCfg(uint32_t flow, uint32_t baud, uint8_t dataBits, uint8_t stopBits,
                        uint8_t parity)
{
    return {.dwPort = 1,
            .dwBaudRate = baud,
            .byParity = parity,
            .byDataBits = dataBits,
            .byStopBits = stopBits,
            .dwFlowCtrl = flow,
            .dwMarker = kCfgMarkerValid};
}

std::string TestFile(const std::string &bytes)
{
    static QTemporaryDir dir;
    static std::atomic<int> files{0};
    const std::string path = dir.filePath(QString("file-%1.bin").arg(++files)).toStdString();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

std::string ReadBack(CPortEx &port, std::size_t count)
{
    std::string bytes;
    PollUntil([&] {
        uint8_t buffer[1000];
        uint32_t got = 1234;
        EXPECT_EQ(port.Read(buffer, sizeof buffer, &got), 1u);
        EXPECT_LE(got, 1000u);
        bytes.append(reinterpret_cast<const char *>(buffer), got);
        return bytes.size() >= count;
    });
    return bytes;
}
