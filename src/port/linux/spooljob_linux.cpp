// Print jobs on the spooler: starting one raw job, sending its bytes and
// watching it until it has printed. Each job has a connection of its own
// (spoolconnection.h), which another thread may cut.
#include "port/linux/spoolconnection.h"

namespace {

// How often a finished job's state is read while it prints.
constexpr auto kWatchInterval = std::chrono::milliseconds(100);

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

bool CSpoolJob::FindQueue(const std::string &queue, SpoolFailure &failure)
{
    Impl &link = *m_impl;
    link.Close();
    bool found = false;
    if (link.Open(failure)) {
        int count = 0;
        cups_dest_t *all = nullptr;
        found = FindDest(link.http, SplitQueueName(queue), count, all) != nullptr;
        cupsFreeDests(count, all);
        if (!found)
            failure = link.cut || link.timedOut ? link.Failure()
                                                : SpoolFailure{SpoolFault::UnknownQueue, queue};
    }
    link.Close();
    return found;
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
