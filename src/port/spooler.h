// The print spooler device layer of the printer-driver port: the queues the
// system knows, and print jobs whose bytes reach the printer unchanged (raw).
//
// A queue name is "queue" or "queue/instance"; an instance is its queue with
// the options the user saved under the instance's name.
//
// Every call to the spooler gives up after kSpoolerTimeout without an answer
// (SpoolFault::NotAnswering), so a stopped spooler never holds a caller for
// longer than that per call.
//
// Thread contract: the Spooler functions and a CSpoolJob may be used from any
// thread; one job is used by one thread at a time, except Cut, which any
// thread may call at any time.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr std::chrono::seconds kSpoolerTimeout{5};

// Last errors of the printer-driver port.
inline constexpr uint32_t kSpoolErrNotReady = 21;
inline constexpr uint32_t kSpoolErrJobAborted = 995;
inline constexpr uint32_t kSpoolErrTimeout = 1460;
inline constexpr uint32_t kSpoolErrUnknownPrinter = 1801;

// Why the spooler did not take or did not print a job.
enum class SpoolFault
{
    None,
    NotAnswering, // no answer in time, or no spooler to connect to
    UnknownQueue,
    QueueStopped,
    NotAccepting,
    JobAborted,
    JobCanceled,
    Refused, // any other error the spooler answered with
    Cut,     // the connection was cut on purpose (CSpoolJob::Cut)
};

struct SpoolFailure
{
    SpoolFault fault = SpoolFault::None;
    std::string reason; // the spooler's own words (UTF-8); may be empty

    uint32_t PortError() const;
};

namespace Spooler {

// Names of the queues and their instances, as the printer panel lists them;
// empty when the spooler does not answer.
std::vector<std::string> ListQueues();

} // namespace Spooler

class CSpoolJob
{
public:
    CSpoolJob();
    ~CSpoolJob(); // closes the job
    CSpoolJob(const CSpoolJob &) = delete;
    CSpoolJob &operator=(const CSpoolJob &) = delete;

    // True when the spooler knows the queue (and the instance). Asked on the
    // job's connection, so that Cut ends the question as it ends a job.
    bool FindQueue(const std::string &queue, SpoolFailure &failure);
    // Reads the queue's state and starts one raw job on it when it takes jobs.
    bool Start(const std::string &queue, const char *title, SpoolFailure &failure);
    // Adds bytes to the started job.
    bool Write(const uint8_t *data, uint32_t length, SpoolFailure &failure);
    // Ends the document: from here on the spooler prints the job.
    bool Finish(SpoolFailure &failure);
    // Watches a finished job until it completed (true) or ended otherwise;
    // a job waiting on a stopped queue ends the watch with the queue's reason.
    bool WaitUntilDone(SpoolFailure &failure);
    // Drops the connection; the spooler cancels a job that was not finished.
    void Close();
    bool IsOpen() const;

    // Any thread: ends the call under way at once and fails every later call
    // with SpoolFault::Cut until Rearm.
    void Cut();
    // The job's own thread, before a new job: undoes Cut.
    void Rearm();

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};
