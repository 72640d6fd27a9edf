#include "fakeusbdevice.h"

#include "port/porterror.h"
#include "port/usbport.h"

#include <algorithm>
#include <cstring>

class CFakeUsbDevice final : public CUsbDevice
{
public:
    explicit CFakeUsbDevice(CFakeUsbDevices &fake) : m_fake(fake) {}

    bool Status(uint32_t &error) override
    {
        const bool fails = m_fake.With([](auto &s) { return s.statusFails; });
        if (fails)
            error = kPortErrDeviceNotConnected;
        return !fails;
    }

    bool Write(const uint8_t *data, uint32_t length, uint32_t &written, uint32_t &error) override
    {
        std::unique_lock lock(m_fake.m_mutex);
        auto &s = m_fake.m_state;
        const int resetsBefore = s.outputResets;
        s.writeWaiting = s.holdWrites;
        m_fake.m_changed.notify_all();
        m_fake.m_changed.wait(lock,
                              [&] { return !s.holdWrites || s.outputResets != resetsBefore; });
        s.writeWaiting = false;
        if (s.outputResets != resetsBefore) {
            error = kPortErrOperationAborted;
            return false;
        }
        written = length;
        s.writeSizes.push_back(length);
        s.written.append(reinterpret_cast<const char *>(data), written);
        m_fake.m_changed.notify_all();
        return true;
    }

    bool Read(uint8_t *buffer, uint32_t &received, uint32_t &) override
    {
        return m_fake.With([&](auto &s) {
            ++s.readRequests;
            received = uint32_t(std::min<std::size_t>(kUsbChunkSize, s.incoming.size()));
            std::memcpy(buffer, s.incoming.data(), received);
            s.incoming.erase(0, received);
            return true;
        });
    }

    void Reset(UsbSide side) override
    {
        m_fake.With([&](auto &s) { s.outputResets += side == UsbSide::Output ? 1 : 0; });
    }

private:
    CFakeUsbDevices &m_fake;
};

std::unique_ptr<CUsbDevice> CFakeUsbDevices::Open(const std::string &name, uint32_t &error)
{
    error = With([](auto &s) { return s.openError; });
    if (error == 0 && Probe(name))
        return std::make_unique<CFakeUsbDevice>(*this);
    error = error ? error : kPortErrFileNotFound;
    return nullptr;
}

bool CFakeUsbDevices::Probe(const std::string &name)
{
    return std::ranges::any_of(m_present, [&](int n) { return UsbDeviceName(n) == name; });
}
