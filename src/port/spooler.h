// The print spooler device layer of the printer-driver port: the queues the
// system knows, and print jobs whose bytes reach the printer unchanged (raw).
//
// Errors are the port error numbers of porterror.h plus
// kSpoolErrUnknownPrinter for a queue the spooler does not know.
//
// Thread contract: the functions and a CSpoolJob may be used from any thread;
// one job is used by one thread at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

inline constexpr uint32_t kSpoolErrUnknownPrinter = 1801;

namespace Spooler {

// Names of the queues, as the printer panel lists them.
std::vector<std::string> ListQueues();
// True when the spooler knows the queue; `error` tells why not otherwise.
bool QueueExists(const std::string &queue, uint32_t &error);

} // namespace Spooler

class CSpoolJob
{
public:
    CSpoolJob();
    ~CSpoolJob(); // ends a job still open
    CSpoolJob(const CSpoolJob &) = delete;
    CSpoolJob &operator=(const CSpoolJob &) = delete;

    // Starts one raw job on the queue.
    bool Start(const std::string &queue, const char *title, uint32_t &error);
    // Adds bytes to the job; false (nothing taken) when the job is not started
    // or the spooler refused them.
    bool Write(const uint8_t *data, uint32_t length, uint32_t &error);
    // Completes the job; the spooler prints what it was given.
    bool End(uint32_t &error);
    bool IsOpen() const;

    struct Impl;

private:
    std::unique_ptr<Impl> m_impl;
};
