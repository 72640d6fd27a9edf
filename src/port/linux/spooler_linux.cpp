// The spooler through libcups: every job is created and sent over a connection
// of its own, so a job on the file thread never shares a connection with the
// window thread, and a connection cannot time out between two writes.
#include "spooler.h"

#include "porterror.h"

#include <cups/cups.h>

namespace Spooler {

std::vector<std::string> ListQueues()
{
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i) {
        std::string name = dests[i].name;
        if (dests[i].instance)
            name += std::string("/") + dests[i].instance;
        names.push_back(std::move(name));
    }
    cupsFreeDests(count, dests);
    return names;
}

bool QueueExists(const std::string &queue, uint32_t &error)
{
    cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr);
    if (!dest) {
        error = kSpoolErrUnknownPrinter;
        return false;
    }
    cupsFreeDests(1, dest);
    return true;
}

} // namespace Spooler

struct CSpoolJob::Impl
{
    http_t *http = nullptr;
    std::string queue;
    int jobId = 0;
    bool sending = false; // the document request is under way

    void Disconnect()
    {
        if (http)
            httpClose(http);
        http = nullptr;
        jobId = 0;
        sending = false;
    }
};

CSpoolJob::CSpoolJob() : m_impl(std::make_unique<Impl>()) {}

CSpoolJob::~CSpoolJob()
{
    uint32_t error = 0;
    End(error);
}

bool CSpoolJob::IsOpen() const
{
    return m_impl->http != nullptr;
}

bool CSpoolJob::Start(const std::string &queue, const char *title, uint32_t &error)
{
    End(error);
    Impl &job = *m_impl;
    job.http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000,
                            nullptr);
    if (!job.http) {
        error = kPortErrDeviceNotConnected;
        return false;
    }
    job.queue = queue;
    job.jobId = cupsCreateJob(job.http, queue.c_str(), title, 0, nullptr);
    if (job.jobId == 0 || cupsStartDocument(job.http, queue.c_str(), job.jobId, title,
                                            CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
        error = cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND ? kSpoolErrUnknownPrinter
                                                              : kPortErrGenFailure;
        if (job.jobId != 0)
            cupsCancelJob2(job.http, queue.c_str(), job.jobId, 0);
        job.Disconnect();
        return false;
    }
    job.sending = true;
    return true;
}

bool CSpoolJob::Write(const uint8_t *data, uint32_t length, uint32_t &error)
{
    if (!m_impl->sending) {
        error = kPortErrInvalidHandle;
        return false;
    }
    if (cupsWriteRequestData(m_impl->http, reinterpret_cast<const char *>(data), length) !=
        HTTP_STATUS_CONTINUE) {
        error = kPortErrGenFailure;
        return false;
    }
    return true;
}

bool CSpoolJob::End(uint32_t &error)
{
    Impl &job = *m_impl;
    if (!job.http)
        return true;
    bool ended = true;
    if (job.sending &&
        cupsFinishDocument(job.http, job.queue.c_str()) > IPP_STATUS_OK_CONFLICTING) {
        error = kPortErrGenFailure;
        ended = false;
    }
    job.Disconnect();
    return ended;
}
