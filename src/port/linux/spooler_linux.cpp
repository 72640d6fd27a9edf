// The spooler through libcups. Every job, and every query, has an HTTP
// connection of its own, so a job on the file thread never shares a
// connection with the window thread. Each connection gives up a call after
// kSpoolerTimeout (socket time-outs plus a time-out callback that declines to
// wait longer), and a job's connection can be shut down from another thread,
// which ends a call stuck on a spooler that does not answer.
#include "port/spooler.h"

#include "port/porterror.h"

#include <cups/cups.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

constexpr int kTimeoutMs =
    int(std::chrono::duration_cast<std::chrono::milliseconds>(kSpoolerTimeout).count());
// How often a finished job's state is read while it prints.
constexpr auto kWatchInterval = std::chrono::milliseconds(100);

struct QueueName
{
    std::string printer;
    std::string instance; // empty: the queue itself

    std::string Full() const { return instance.empty() ? printer : printer + "/" + instance; }
};

QueueName SplitQueueName(const std::string &queue)
{
    const std::size_t slash = queue.find('/');
    if (slash == std::string::npos)
        return {queue, {}};
    return {queue.substr(0, slash), queue.substr(slash + 1)};
}

std::string PrinterUri(const std::string &printer)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", printer.c_str());
    return uri;
}

// The message of a printer or job if it has one, else its state reasons.
std::string StateReason(ipp_t *response, const char *message, const char *reasons)
{
    const char *text = ippGetString(ippFindAttribute(response, message, IPP_TAG_TEXT), 0, nullptr);
    if (text && *text)
        return text;
    std::string joined;
    ipp_attribute_t *list = ippFindAttribute(response, reasons, IPP_TAG_KEYWORD);
    for (int i = 0; i < ippGetCount(list); ++i) {
        const std::string keyword = ippGetString(list, i, nullptr);
        if (keyword != "none")
            joined += (joined.empty() ? "" : ", ") + keyword;
    }
    return joined;
}

} // namespace

uint32_t SpoolFailure::PortError() const
{
    switch (fault) {
    case SpoolFault::None:
        return 0;
    case SpoolFault::NotAnswering:
        return kSpoolErrTimeout;
    case SpoolFault::UnknownQueue:
        return kSpoolErrUnknownPrinter;
    case SpoolFault::QueueStopped:
    case SpoolFault::NotAccepting:
        return kSpoolErrNotReady;
    case SpoolFault::JobAborted:
    case SpoolFault::JobCanceled:
    case SpoolFault::Cut:
        return kSpoolErrJobAborted;
    case SpoolFault::Refused:
        break;
    }
    return kPortErrGenFailure;
}

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

    static int GiveUp(http_t *, void *self)
    {
        static_cast<Impl *>(self)->timedOut = true;
        return 0; // no more waiting
    }

    bool Open(SpoolFailure &failure)
    {
        timedOut = false;
        http_t *opened = cut ? nullptr
                             : httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC,
                                            cupsEncryption(), 1, kTimeoutMs, nullptr);
        if (opened)
            httpSetTimeout(opened, kTimeoutMs / 1000.0, &Impl::GiveUp, this);
        std::unique_lock guard(lock);
        if (!opened || cut) {
            guard.unlock();
            httpClose(opened);
            failure = {cut ? SpoolFault::Cut : SpoolFault::NotAnswering, {}};
            return false;
        }
        http = opened;
        return true;
    }

    void Close()
    {
        http_t *closing = nullptr;
        {
            std::lock_guard guard(lock);
            std::swap(closing, http);
        }
        httpClose(closing);
        jobId = 0;
        sending = false;
    }

    // Why the last call on this connection failed.
    SpoolFailure Failure() const
    {
        if (cut)
            return {SpoolFault::Cut, {}};
        if (timedOut)
            return {SpoolFault::NotAnswering, {}};
        switch (cupsLastError()) {
        case IPP_STATUS_ERROR_NOT_FOUND:
            return {SpoolFault::UnknownQueue, cupsLastErrorString()};
        case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
            return {SpoolFault::NotAccepting, cupsLastErrorString()};
        case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
            return {SpoolFault::NotAnswering, cupsLastErrorString()};
        default:
            return {SpoolFault::Refused, cupsLastErrorString()};
        }
    }

    // The response to a request, or null when it failed (see Failure).
    ipp_t *Ask(ipp_t *request)
    {
        ipp_t *response = cupsDoRequest(http, request, "/");
        if (response && ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
            ippDelete(response);
            return nullptr;
        }
        return response;
    }

    // False when cut during the pause.
    bool Pause(std::chrono::milliseconds pause)
    {
        std::unique_lock guard(lock);
        return !wake.wait_for(guard, pause, [this] { return cut.load(); });
    }
};

namespace {

using Link = CSpoolJob::Impl;

struct QueueState
{
    ipp_pstate_t state = IPP_PSTATE_IDLE;
    bool accepting = true;
    std::string reason;
};

bool ReadQueueState(Link &link, const std::string &printer, QueueState &queue,
                    SpoolFailure &failure)
{
    static const char *const kWanted[] = {"printer-state", "printer-state-message",
                                          "printer-state-reasons", "printer-is-accepting-jobs"};
    ipp_t *request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr,
                 PrinterUri(printer).c_str());
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(std::size(kWanted)), nullptr, kWanted);
    ipp_t *response = link.Ask(request);
    if (!response) {
        failure = link.Failure();
        return false;
    }
    queue.state =
        ipp_pstate_t(ippGetInteger(ippFindAttribute(response, "printer-state", IPP_TAG_ENUM), 0));
    if (ipp_attribute_t *accepting =
            ippFindAttribute(response, "printer-is-accepting-jobs", IPP_TAG_BOOLEAN))
        queue.accepting = ippGetBoolean(accepting, 0) != 0;
    queue.reason = StateReason(response, "printer-state-message", "printer-state-reasons");
    ippDelete(response);
    return true;
}

bool TakesJobs(const QueueState &queue, SpoolFailure &failure)
{
    if (queue.state == IPP_PSTATE_STOPPED)
        failure = {SpoolFault::QueueStopped, queue.reason};
    else if (!queue.accepting)
        failure = {SpoolFault::NotAccepting, queue.reason};
    else
        return true;
    return false;
}

struct JobState
{
    ipp_jstate_t state = IPP_JSTATE_PENDING;
    std::string reason;
};

// False with the failure when the state cannot be read; a job the spooler no
// longer knows has been completed and purged.
bool ReadJobState(Link &link, int jobId, JobState &job, SpoolFailure &failure)
{
    static const char *const kWanted[] = {"job-state", "job-printer-state-message",
                                          "job-state-reasons"};
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/jobs/%d", jobId);
    ipp_t *request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                  int(std::size(kWanted)), nullptr, kWanted);
    ipp_t *response = link.Ask(request);
    if (!response) {
        failure = link.Failure();
        if (failure.fault != SpoolFault::UnknownQueue)
            return false;
        failure = {};
        job.state = IPP_JSTATE_COMPLETED;
        return true;
    }
    job.state =
        ipp_jstate_t(ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0));
    job.reason = StateReason(response, "job-printer-state-message", "job-state-reasons");
    ippDelete(response);
    return true;
}

enum class Watch
{
    Printing,
    Done,
    Failed
};

// A job that waits is failed only by a stopped queue, which it would wait on
// until someone starts the queue again.
Watch LookAtWaitingJob(Link &job, SpoolFailure &failure)
{
    QueueState queue;
    if (!ReadQueueState(job, job.printer, queue, failure))
        return Watch::Failed;
    if (queue.state != IPP_PSTATE_STOPPED)
        return Watch::Printing;
    failure = {SpoolFault::QueueStopped, queue.reason};
    return Watch::Failed;
}

Watch LookAtJob(Link &job, SpoolFailure &failure)
{
    JobState state;
    if (!ReadJobState(job, job.jobId, state, failure))
        return Watch::Failed;
    switch (state.state) {
    case IPP_JSTATE_COMPLETED:
    case IPP_JSTATE_HELD: // held on purpose: the spooler keeps it for the user
        return Watch::Done;
    case IPP_JSTATE_ABORTED:
        failure = {SpoolFault::JobAborted, state.reason};
        return Watch::Failed;
    case IPP_JSTATE_CANCELED:
        failure = {SpoolFault::JobCanceled, state.reason};
        return Watch::Failed;
    case IPP_JSTATE_PENDING:
    case IPP_JSTATE_STOPPED:
        return LookAtWaitingJob(job, failure);
    default:
        return Watch::Printing;
    }
}

// The dest of a queue or instance as the user's and the system's option files
// describe it; null when unknown. Free with cupsFreeDests.
cups_dest_t *FindDest(http_t *http, const QueueName &name, int &count, cups_dest_t *&all)
{
    count = cupsGetDests2(http, &all);
    return cupsGetDest(name.printer.c_str(),
                       name.instance.empty() ? nullptr : name.instance.c_str(), count, all);
}

// Creates the job on the queue with the options of the queue or instance.
bool CreateJob(Link &job, const QueueName &name, const char *title, SpoolFailure &failure)
{
    int count = 0;
    cups_dest_t *all = nullptr;
    const cups_dest_t *dest = FindDest(job.http, name, count, all);
    if (dest)
        job.jobId =
            cupsCreateJob(job.http, name.printer.c_str(), title, dest->num_options, dest->options);
    cupsFreeDests(count, all);
    if (job.jobId != 0) {
        job.printer = name.printer;
        return true;
    }
    const bool answered = !job.timedOut && !job.cut;
    failure =
        dest || !answered ? job.Failure() : SpoolFailure{SpoolFault::UnknownQueue, name.Full()};
    return false;
}

// Opens the job's one document, raw.
bool StartDocument(Link &job, const char *title, SpoolFailure &failure)
{
    if (cupsStartDocument(job.http, job.printer.c_str(), job.jobId, title, CUPS_FORMAT_RAW, 1) ==
        HTTP_STATUS_CONTINUE)
        return true;
    failure = job.Failure();
    if (failure.fault != SpoolFault::Cut && failure.fault != SpoolFault::NotAnswering)
        cupsCancelJob2(job.http, job.printer.c_str(), job.jobId, 0);
    return false;
}

} // namespace

namespace Spooler {

std::vector<std::string> ListQueues()
{
    Link link;
    SpoolFailure failure;
    std::vector<std::string> names;
    if (!link.Open(failure))
        return names;
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(link.http, &dests);
    for (int i = 0; i < count; ++i) {
        std::string name = dests[i].name;
        if (dests[i].instance)
            name += std::string("/") + dests[i].instance;
        names.push_back(std::move(name));
    }
    cupsFreeDests(count, dests);
    return names;
}

bool QueueExists(const std::string &queue, SpoolFailure &failure)
{
    Link link;
    if (!link.Open(failure))
        return false;
    int count = 0;
    cups_dest_t *all = nullptr;
    const bool found = FindDest(link.http, SplitQueueName(queue), count, all) != nullptr;
    if (!found)
        failure = link.timedOut ? SpoolFailure{SpoolFault::NotAnswering, {}}
                                : SpoolFailure{SpoolFault::UnknownQueue, queue};
    cupsFreeDests(count, all);
    return found;
}

bool QueueTakesJobs(const std::string &queue, SpoolFailure &failure)
{
    Link link;
    QueueState state;
    return link.Open(failure) &&
           ReadQueueState(link, SplitQueueName(queue).printer, state, failure) &&
           TakesJobs(state, failure);
}

} // namespace Spooler

CSpoolJob::CSpoolJob() : m_impl(std::make_unique<Impl>()) {}

CSpoolJob::~CSpoolJob() = default;

bool CSpoolJob::IsOpen() const
{
    return m_impl->jobId != 0;
}

void CSpoolJob::Cut()
{
    Impl &job = *m_impl;
    std::lock_guard guard(job.lock);
    job.cut = true;
    if (job.http)
        httpShutdown(job.http);
    job.wake.notify_all();
}

void CSpoolJob::Rearm()
{
    m_impl->cut = false;
}

void CSpoolJob::Close()
{
    m_impl->Close();
}

bool CSpoolJob::Start(const std::string &queue, const char *title, SpoolFailure &failure)
{
    Impl &job = *m_impl;
    job.Close();
    const QueueName name = SplitQueueName(queue);
    QueueState state;
    if (!job.Open(failure) || !ReadQueueState(job, name.printer, state, failure) ||
        !TakesJobs(state, failure) || !CreateJob(job, name, title, failure) ||
        !StartDocument(job, title, failure)) {
        job.Close();
        return false;
    }
    job.sending = true;
    return true;
}

bool CSpoolJob::Write(const uint8_t *data, uint32_t length, SpoolFailure &failure)
{
    Impl &job = *m_impl;
    if (!job.sending) {
        failure =
            job.cut ? SpoolFailure{SpoolFault::Cut, {}} : SpoolFailure{SpoolFault::Refused, {}};
        return false;
    }
    if (cupsWriteRequestData(job.http, reinterpret_cast<const char *>(data), length) !=
        HTTP_STATUS_CONTINUE) {
        failure = job.Failure();
        return false;
    }
    return true;
}

bool CSpoolJob::Finish(SpoolFailure &failure)
{
    Impl &job = *m_impl;
    if (!job.sending) {
        failure =
            job.cut ? SpoolFailure{SpoolFault::Cut, {}} : SpoolFailure{SpoolFault::Refused, {}};
        return false;
    }
    job.sending = false;
    if (cupsFinishDocument(job.http, job.printer.c_str()) > IPP_STATUS_OK_CONFLICTING) {
        failure = job.Failure();
        return false;
    }
    return true;
}

bool CSpoolJob::WaitUntilDone(SpoolFailure &failure)
{
    Impl &job = *m_impl;
    for (;;) {
        const Watch watch = LookAtJob(job, failure);
        if (watch != Watch::Printing)
            return watch == Watch::Done;
        if (!job.Pause(kWatchInterval)) {
            failure = {SpoolFault::Cut, {}};
            return false;
        }
    }
}
