// The spooler through libcups. Every job, and every query, has an HTTP
// connection of its own, so a job on the file thread never shares a
// connection with the window thread. Each connection gives up a call after
// kSpoolerTimeout (socket time-outs plus a time-out callback that declines to
// wait longer), and a job's connection can be shut down from another thread,
// which ends a call stuck on a spooler that does not answer.
//
// This file holds the connection and the queue queries; the jobs are in
// spooljob_linux.cpp.
#include "port/linux/spoolconnection.h"
#include "port/porterror.h"

namespace {

constexpr int kTimeoutMs =
    int(std::chrono::duration_cast<std::chrono::milliseconds>(kSpoolerTimeout).count());

std::string PrinterUri(const std::string &printer)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0,
                     "/printers/%s", printer.c_str());
    return uri;
}

} // namespace

QueueName SplitQueueName(const std::string &queue)
{
    const std::size_t slash = queue.find('/');
    if (slash == std::string::npos)
        return {queue, {}};
    return {queue.substr(0, slash), queue.substr(slash + 1)};
}

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

int CSpoolJob::Impl::GiveUp(http_t *, void *self)
{
    static_cast<Impl *>(self)->timedOut = true;
    return 0; // no more waiting
}

bool CSpoolJob::Impl::Open(SpoolFailure &failure)
{
    timedOut = false;
    http_t *opened = cut ? nullptr
                         : httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC,
                                        cupsEncryption(), 1, kTimeoutMs, nullptr);
    if (opened)
        httpSetTimeout(opened, kTimeoutMs / 1000.0, &CSpoolJob::Impl::GiveUp, this);
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

void CSpoolJob::Impl::Close()
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

SpoolFailure CSpoolJob::Impl::Failure() const
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

ipp_t *CSpoolJob::Impl::Ask(ipp_t *request)
{
    ipp_t *response = cupsDoRequest(http, request, "/");
    if (response && ippGetStatusCode(response) > IPP_STATUS_OK_CONFLICTING) {
        ippDelete(response);
        return nullptr;
    }
    return response;
}

bool CSpoolJob::Impl::Pause(std::chrono::milliseconds pause)
{
    std::unique_lock guard(lock);
    return !wake.wait_for(guard, pause, [this] { return cut.load(); });
}

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

cups_dest_t *FindDest(http_t *http, const QueueName &name, int &count, cups_dest_t *&all)
{
    count = cupsGetDests2(http, &all);
    return cupsGetDest(name.printer.c_str(),
                       name.instance.empty() ? nullptr : name.instance.c_str(), count, all);
}

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

} // namespace Spooler
