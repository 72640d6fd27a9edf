// A private CUPS scheduler for the printer-driver port tests: its own
// configuration in a temporary folder, reachable only through a unix socket
// there, with raw queues whose jobs a capture backend writes to files.
//
// The process's cups clients are pointed at it through CUPS_SERVER, so every
// thread (the file thread too) reaches it. Needs root: the capture backend is
// installed with mode 0700 so that the scheduler runs it as root.
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
    void Stop();

    // A raw queue (no model) whose jobs land in their own capture folder.
    bool AddRawQueue(const std::string &name, std::string &whyNot);
    bool DeleteQueue(const std::string &name);

    // The jobs of the queue that have been completely written, by job id.
    std::vector<CapturedJob> Jobs(const std::string &queue) const;
    // Waits until at least `count` jobs are complete (generous time-out).
    std::vector<CapturedJob> WaitForJobs(const std::string &queue, std::size_t count) const;

private:
    bool WriteConfiguration(std::string &whyNot);
    bool WaitUntilListening();
    std::string LogTail() const;

    std::string m_dir;
    pid_t m_pid = -1;
};

// Runs a program with arguments and returns its exit status (-1 if it could
// not run); its output goes to `output`.
int RunProgram(const std::vector<std::string> &args, std::string &output);
