// A private CUPS scheduler for the printer-driver tests: its own
// configuration in a temporary folder, reachable only through a unix socket
// there (CUPS_SERVER points every thread's cups client at it), with raw
// queues whose jobs a capture backend writes to files. Needs root: the
// backend has mode 0700 so that the scheduler runs it as root.
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct CapturedJob
{
    int id = 0;
    std::string title;
    std::string data;
};

class CPrivateCupsd
{
public:
    CPrivateCupsd() = default;
    ~CPrivateCupsd();
    CPrivateCupsd(const CPrivateCupsd &) = delete;
    CPrivateCupsd &operator=(const CPrivateCupsd &) = delete;

    // Starts the scheduler; false with the reason (and its log) when it cannot.
    bool Start(std::string &whyNot);
    // A raw queue whose jobs land in their own capture folder.
    bool AddRawQueue(const std::string &name, std::string &whyNot);
    bool DeleteQueue(const std::string &name);
    // Waits until at least `count` jobs are completely written (generous
    // time-out) and returns them by job id.
    std::vector<CapturedJob> WaitForJobs(const std::string &queue, std::size_t count) const;
    // The jobs completely written so far, by job id; does not wait.
    std::vector<CapturedJob> Jobs(const std::string &queue) const;

private:
    std::string LogTail() const;

    std::string m_dir;
    pid_t m_pid = -1;
};
