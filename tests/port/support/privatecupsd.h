// A private CUPS scheduler for the printer-driver tests: its own
// configuration in a temporary folder, reachable only through a unix socket
// there (CUPS_SERVER points every thread's cups client at it), with raw
// queues whose jobs a capture backend writes to files, and queues whose
// backend fails every job or never ends it. Needs root: the backends have mode 0700 so that
// the scheduler runs them as root. Instances go to the scheduler folder's
// option file (CUPS_SERVERROOT points the clients at it).
#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

struct CapturedJob
{
    int id = 0;
    std::string title;
    std::string data;
    int copies = 0;
};

// What the failing backend tells the scheduler before it gives up.
inline constexpr char kFailingBackendMessage[] = "capture device jammed";

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
    bool AddRawQueue(const std::string &name, std::string &whyNot)
    {
        return AddQueue(name, "capture:" + m_dir + "/out/" + name, whyNot);
    }
    // A raw queue whose backend reports kFailingBackendMessage and exits 1
    // (the job is aborted: the queues use the abort-job error policy).
    bool AddFailingQueue(const std::string &name, std::string &whyNot)
    {
        return AddQueue(name, "failing:", whyNot);
    }
    // A raw queue whose backend takes every job and never finishes it.
    bool AddStallingQueue(const std::string &name, std::string &whyNot)
    {
        return AddQueue(name, "stalling:", whyNot);
    }
    // Saves "name/instance" with `options` ("copies=2 ...") as the user's.
    bool AddInstance(const std::string &name, const std::string &instance,
                     const std::string &options);
    bool DeleteQueue(const std::string &name) { return Admin({"lpadmin", "-x", name}); }
    // Stops the queue (cupsdisable) with `reason` as its state message.
    bool DisableQueue(const std::string &name, const std::string &reason)
    {
        return Admin({"cupsdisable", "-r", reason, name});
    }
    // Makes the queue reject new jobs (cupsreject) with `reason`.
    bool RejectJobs(const std::string &name, const std::string &reason)
    {
        return Admin({"cupsreject", "-r", reason, name});
    }
    // SIGSTOP / SIGCONT: a scheduler that takes connections but never answers.
    void Freeze();
    void Thaw();
    bool IsFrozen() const;
    // Waits until at least `count` jobs are completely written (generous
    // time-out) and returns them by job id.
    std::vector<CapturedJob> WaitForJobs(const std::string &queue, std::size_t count) const;
    // The jobs completely written so far, by job id; does not wait.
    std::vector<CapturedJob> Jobs(const std::string &queue) const;

private:
    std::string LogTail() const;
    bool AddQueue(const std::string &name, const std::string &uri, std::string &whyNot);
    static bool
    Admin(const std::vector<std::string> &args); // runs a CUPS tool; true if it ran well

    std::string m_dir;
    pid_t m_pid = -1;
};
