// The spooler connection behind every query and job, and the queue state
// that both the queue queries (spooler_linux.cpp) and the jobs
// (spooljob_linux.cpp) read. Private to the spooler's device layer.
#pragma once

#include "port/spooler.h"

#include <cups/cups.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>

// One connection to the spooler. The owning thread makes the calls; `http`
// is swapped only under `lock`, so Cut from another thread never meets a
// connection being closed.
struct CSpoolJob::Impl
{
    std::mutex lock;
    std::condition_variable wake; // Cut ends a watch's pause
    http_t *http = nullptr;
    std::atomic<bool> timedOut{false};
    std::atomic<bool> cut{false};
    std::string printer;
    int jobId = 0;
    bool sending = false; // the document request is under way

    ~Impl() { Close(); }

    bool Open(SpoolFailure &failure);
    void Close();
    // Why the last call on this connection failed.
    SpoolFailure Failure() const;
    // The response to a request, or null when it failed (see Failure).
    ipp_t *Ask(ipp_t *request);
    // False when cut during the pause.
    bool Pause(std::chrono::milliseconds pause);

private:
    static int GiveUp(http_t *, void *self);
};

using Link = CSpoolJob::Impl;

struct QueueName
{
    std::string printer;
    std::string instance; // empty: the queue itself

    std::string Full() const { return instance.empty() ? printer : printer + "/" + instance; }
};

QueueName SplitQueueName(const std::string &queue);

struct QueueState
{
    ipp_pstate_t state = IPP_PSTATE_IDLE;
    bool accepting = true;
    std::string reason;
};

bool ReadQueueState(Link &link, const std::string &printer, QueueState &queue,
                    SpoolFailure &failure);
// False with the reason when a queue in this state refuses jobs.
bool TakesJobs(const QueueState &queue, SpoolFailure &failure);

// The message of a printer or job if it has one, else its state reasons.
std::string StateReason(ipp_t *response, const char *message, const char *reasons);

// The dest of a queue or instance as the user's and the system's option files
// describe it; null when unknown. Free with cupsFreeDests.
cups_dest_t *FindDest(http_t *http, const QueueName &name, int &count, cups_dest_t *&all);
