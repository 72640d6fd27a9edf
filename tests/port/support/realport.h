// Real ports on stand-in devices: the serial kind on a pseudo-terminal, the
// parallel kind on a FIFO or a pseudo-terminal, mapped to COM1 / LPT1, with
// a far end that keeps draining what the port writes, as a printer does
// (without a reader the small device buffers would stall the port).
#pragma once

#include "port/portcfg.h"
#include "port/portdevice.h"
#include "port/portex.h"
#include "ptypair.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// A thread that reads everything arriving on `fd` (not owned) until destroyed.
class CFarEnd
{
public:
    explicit CFarEnd(int fd);
    ~CFarEnd();

    // A held far end takes nothing, so the device buffers fill up and the
    // port's writes block.
    void Hold(bool hold);
    std::size_t Count() const { return m_count.load(); }
    std::string Bytes() const;
    void Clear();
    bool WaitForCount(std::size_t count) const;
    // Waits until no byte has come for `quiet` and returns the count then.
    std::size_t WaitQuiet(std::chrono::milliseconds quiet = std::chrono::milliseconds(200)) const;

private:
    void Run();

    int m_fd;
    std::mutex m_readMutex; // held around each read, so Hold can wait one out
    bool m_hold = false;    // guarded by m_readMutex
    std::atomic<bool> m_stop{false};
    std::atomic<std::size_t> m_count{0};
    mutable std::mutex m_mutex;
    std::string m_bytes; // guarded by m_mutex
    std::thread m_thread;
};

enum class RealKind
{
    SerialPty,
    ParallelFifo,
    ParallelPty,
};

std::string RealKindTestName(const testing::TestParamInfo<RealKind> &param);

class CRealDevice
{
public:
    explicit CRealDevice(RealKind kind);
    ~CRealDevice();

    bool IsValid() const { return m_farEnd != nullptr; }
    // A new port of the kind that holds valid settings for the device, opened
    // through `opener` when one is given.
    std::unique_ptr<CPortEx> NewPort(CPortDeviceOpener *opener = nullptr) const;
    CFarEnd &FarEnd() { return *m_farEnd; }
    const std::string &Path() const { return m_path; }
    // The far end sends `bytes` (a pseudo-terminal only).
    bool WriteFarEnd(const std::string &bytes) { return m_pty && m_pty->WriteMaster(bytes); }
    // Stops the far end and closes its side (a pseudo-terminal hangs up).
    void CloseFarEnd();

private:
    RealKind m_kind;
    QTemporaryDir m_dir;
    std::string m_path;
    std::unique_ptr<CPtyPair> m_pty;
    int m_fifoFd = -1; // the FIFO's far end, owned
    std::unique_ptr<CFarEnd> m_farEnd;
};

inline uint32_t WriteBytes(CPortEx &port, const std::string &bytes, uint32_t *written = nullptr,
                           uint8_t background = 1)
{
    return port.Write(reinterpret_cast<const uint8_t *>(bytes.data()), uint32_t(bytes.size()),
                      written, background);
}

// Runs `call` on a thread of its own; false if it did not return in time.
template <typename F>
bool ReturnsWithin(F &&call, std::chrono::milliseconds timeout = std::chrono::seconds(10))
{
    auto done = std::async(std::launch::async, std::forward<F>(call));
    const bool inTime = done.wait_for(timeout) == std::future_status::ready;
    done.wait();
    return inTime;
}

// Serial settings on COM1 (port number 1) marked valid.
tagSERIAL_CFG SerialCfg(uint32_t flow = 0, uint32_t baud = 9600, uint8_t dataBits = 8,
                        uint8_t stopBits = 0, uint8_t parity = 0);
// Parallel settings on LPT1 (port number 1) marked valid.
tagPARALLEL_CFG ParallelCfg();
// A new file of `bytes` in a temporary folder that lives as long as the process.
std::string TestFile(const std::string &bytes);

// Reads with Read(1000) until `count` bytes came (or the time-out); each call
// returns at once.
std::string ReadBack(CPortEx &port, std::size_t count);
