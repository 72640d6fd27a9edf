#include "fakeusbdevice.h"

#include "porterror.h"
#include "usbport.h"

#include <algorithm>
#include <chrono>
#include <cstring>

struct CFakeUsbDevices::State
{
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    bool statusFails = false;
    bool holdWrites = false;
    bool writeWaiting = false;
    uint32_t writeLimit = kUsbChunkSize;
    int outputResets = 0;
    int readRequests = 0;
    std::string incoming;
    std::string written;
    std::vector<uint32_t> writeSizes;
};

namespace {

class CFakeUsbDevice final : public CUsbDevice
{
public:
    explicit CFakeUsbDevice(std::shared_ptr<CFakeUsbDevices::State> state)
        : m_state(std::move(state))
    {
    }

    bool Status(uint32_t &error) override
    {
        std::lock_guard lock(m_state->mutex);
        if (m_state->statusFails)
            error = kPortErrDeviceNotConnected;
        return !m_state->statusFails;
    }

    bool Write(const uint8_t *data, uint32_t length, uint32_t &written, uint32_t &error) override
    {
        std::unique_lock lock(m_state->mutex);
        const int resetsBefore = m_state->outputResets;
        m_state->writeWaiting = m_state->holdWrites;
        m_state->changed.notify_all();
        m_state->changed.wait(
            lock, [&] { return !m_state->holdWrites || m_state->outputResets != resetsBefore; });
        m_state->writeWaiting = false;
        if (m_state->outputResets != resetsBefore) {
            error = kPortErrOperationAborted;
            return false;
        }
        written = std::min(length, m_state->writeLimit);
        m_state->writeSizes.push_back(length);
        m_state->written.append(reinterpret_cast<const char *>(data), written);
        m_state->changed.notify_all();
        return true;
    }

    bool Read(uint8_t *buffer, uint32_t &received, uint32_t &) override
    {
        std::lock_guard lock(m_state->mutex);
        ++m_state->readRequests;
        received =
            static_cast<uint32_t>(std::min<std::size_t>(kUsbChunkSize, m_state->incoming.size()));
        std::memcpy(buffer, m_state->incoming.data(), received);
        m_state->incoming.erase(0, received);
        return true;
    }

    void Reset(UsbSide side) override
    {
        std::lock_guard lock(m_state->mutex);
        if (side == UsbSide::Output)
            ++m_state->outputResets;
        m_state->changed.notify_all();
    }

private:
    std::shared_ptr<CFakeUsbDevices::State> m_state;
};

} // namespace

CFakeUsbDevices::CFakeUsbDevices(std::set<int> present) : m_state(std::make_shared<State>())
{
    for (int n : present)
        m_present.push_back(UsbDeviceName(n));
}

std::unique_ptr<CUsbDevice> CFakeUsbDevices::Open(const std::string &name, uint32_t &error)
{
    if (!Probe(name)) {
        error = kPortErrFileNotFound;
        return nullptr;
    }
    return std::make_unique<CFakeUsbDevice>(m_state);
}

bool CFakeUsbDevices::Probe(const std::string &name)
{
    return std::find(m_present.begin(), m_present.end(), name) != m_present.end();
}

void CFakeUsbDevices::SetStatusFails(bool fails)
{
    std::lock_guard lock(m_state->mutex);
    m_state->statusFails = fails;
}

void CFakeUsbDevices::QueueIncoming(const std::string &bytes)
{
    std::lock_guard lock(m_state->mutex);
    m_state->incoming += bytes;
}

void CFakeUsbDevices::LimitWriteTo(uint32_t bytes)
{
    std::lock_guard lock(m_state->mutex);
    m_state->writeLimit = bytes;
}

void CFakeUsbDevices::HoldWrites()
{
    std::lock_guard lock(m_state->mutex);
    m_state->holdWrites = true;
}

void CFakeUsbDevices::ReleaseWrites()
{
    std::lock_guard lock(m_state->mutex);
    m_state->holdWrites = false;
    m_state->changed.notify_all();
}

std::vector<uint32_t> CFakeUsbDevices::WriteSizes() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->writeSizes;
}

std::string CFakeUsbDevices::Written() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->written;
}

int CFakeUsbDevices::ReadRequests() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->readRequests;
}

int CFakeUsbDevices::OutputResets() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->outputResets;
}

bool CFakeUsbDevices::WaitForHeldWrite() const
{
    std::unique_lock lock(m_state->mutex);
    return m_state->changed.wait_for(lock, std::chrono::seconds(10),
                                     [&] { return m_state->writeWaiting; });
}

bool CFakeUsbDevices::WaitForWritten(std::size_t bytes) const
{
    std::unique_lock lock(m_state->mutex);
    return m_state->changed.wait_for(lock, std::chrono::seconds(20),
                                     [&] { return m_state->written.size() >= bytes; });
}
