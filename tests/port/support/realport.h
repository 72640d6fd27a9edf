// Real ports for acceptance tests: a port kind opened on a real stand-in
// device (a pseudo-terminal for the serial kind, a FIFO or a pseudo-terminal
// for the parallel kind) with a far end that keeps draining what the port
// writes, as a printer does. Pseudo-terminals and FIFOs have small buffers:
// without a reader the port would stall after a few kilobytes.
#pragma once

#include "portex.h"
#include "ptypair.h"

#include <QTemporaryDir>

#include <atomic>
#include <chrono>
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
    CFarEnd(const CFarEnd &) = delete;
    CFarEnd &operator=(const CFarEnd &) = delete;

    // A held far end takes nothing, so the device buffers fill up and the
    // port's writes block.
    void Hold(bool hold);

    std::size_t Count() const { return m_count.load(); }
    std::string Bytes() const;
    void Clear();

    bool WaitForCount(std::size_t count,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // Waits until no byte has come for `quiet` and returns the count then.
    std::size_t WaitQuiet(std::chrono::milliseconds quiet,
                          std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

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

const char *RealKindName(RealKind kind);
// Names the instances of a test suite parameterised by the kind.
std::string RealKindTestName(const testing::TestParamInfo<RealKind> &param);

// The stand-in device of a kind, mapped to COM1 or LPT1, and its far end.
class CRealDevice
{
public:
    explicit CRealDevice(RealKind kind);
    ~CRealDevice();
    CRealDevice(const CRealDevice &) = delete;
    CRealDevice &operator=(const CRealDevice &) = delete;

    bool IsValid() const { return m_farFd >= 0; }
    // A new port of the kind that holds valid settings for the device.
    std::unique_ptr<CPortEx> NewPort() const;
    CFarEnd &FarEnd() { return *m_farEnd; }
    // A file of `bytes` in the device's temporary folder.
    std::string WriteFile(const std::string &name, const std::string &bytes) const;

private:
    RealKind m_kind;
    QTemporaryDir m_dir;
    std::unique_ptr<CPtyPair> m_pty;
    int m_fifoFd = -1; // the FIFO's far end, owned
    int m_farFd = -1;
    std::unique_ptr<CFarEnd> m_farEnd;
};
