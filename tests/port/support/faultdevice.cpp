#include "faultdevice.h"

#include <algorithm>

class CFaultDevice final : public CPortDevice
{
public:
    CFaultDevice(CFaultDevices &faults, std::unique_ptr<CPortDevice> device)
        : m_faults(faults), m_device(std::move(device))
    {
    }

    DeviceIo Write(const uint8_t *bytes, std::size_t length) override
    {
        const auto [error, allowed] = m_faults.With([&](auto &s) {
            const bool faulty = s.writeError != 0;
            return std::pair(faulty && s.passBytes == 0 ? s.writeError : 0,
                             faulty ? std::min(length, s.passBytes) : length);
        });
        if (error != 0)
            return DeviceIo{0, error, false};
        const DeviceIo io = m_device->Write(bytes, allowed);
        m_faults.With([&](auto &s) {
            if (s.writeError != 0)
                s.passBytes -= std::min(s.passBytes, io.count);
        });
        return io;
    }
    DeviceIo Read(uint8_t *buffer, std::size_t capacity) override
    {
        return m_device->Read(buffer, capacity);
    }
    unsigned Wait(bool readable, bool writable, CDeviceWaker &waker, int timeoutMs) override
    {
        return m_device->Wait(readable, writable, waker, timeoutMs);
    }
    unsigned WaitNewInput(bool writable, CDeviceWaker &waker, int timeoutMs) override
    {
        return m_device->WaitNewInput(writable, waker, timeoutMs);
    }
    uint32_t InputQueued() override { return m_device->InputQueued(); }
    void Purge() override { m_device->Purge(); }
    int GetModemLines(unsigned &lines) override
    {
        const auto played = m_faults.With([](auto &s) { return s.lines; });
        if (!played)
            return m_device->GetModemLines(lines);
        lines = *played;
        return 0;
    }
    int SetModemLines(unsigned raise, unsigned drop) override
    {
        const bool played = m_faults.With([&](auto &s) {
            s.lineChanges.emplace_back(raise, drop);
            if (s.lines)
                s.lines = (*s.lines | raise) & ~drop;
            return s.lines.has_value();
        });
        return played ? 0 : m_device->SetModemLines(raise, drop);
    }
    int SendBreak(int durationMs) override
    {
        const int error = m_faults.With([&](auto &s) {
            s.breaks.push_back(durationMs);
            return s.breakError;
        });
        return error != 0 ? error : m_device->SendBreak(durationMs);
    }

private:
    CFaultDevices &m_faults;
    std::unique_ptr<CPortDevice> m_device;
};

std::unique_ptr<CPortDevice> CFaultDevices::OpenSerial(const std::string &path,
                                                       const tagSERIAL_CFG &settings,
                                                       SerialOpenResult &result)
{
    auto device = SystemPortDeviceOpener().OpenSerial(path, settings, result);
    return device ? std::make_unique<CFaultDevice>(*this, std::move(device)) : nullptr;
}

std::unique_ptr<CPortDevice> CFaultDevices::OpenParallel(const std::string &path, int &osError)
{
    auto device = SystemPortDeviceOpener().OpenParallel(path, osError);
    return device ? std::make_unique<CFaultDevice>(*this, std::move(device)) : nullptr;
}
