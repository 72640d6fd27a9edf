// The device-layer seam for tests: the system's own device (a
// pseudo-terminal, a FIFO) underneath, and on top of it faults on command:
// writes that fail with an OS error once some bytes have passed, and modem
// lines that a pseudo-terminal does not have.
#pragma once

#include "port/portdevice.h"

#include <cstddef>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

class CFaultDevices : public CPortDeviceOpener
{
public:
    struct Script
    {
        int writeError = 0;            // 0: writes go to the device
        std::size_t passBytes = 0;     // bytes that still go through before writeError
        std::optional<unsigned> lines; // ModemLine bits played instead of the device's
        int breakError = 0;            // 0: breaks go to the device
        // Recorded: every SetModemLines (raise, drop) and SendBreak duration.
        // While lines are played, SetModemLines changes the played lines.
        std::vector<std::pair<unsigned, unsigned>> lineChanges;
        std::vector<int> breaks;
    };

    std::unique_ptr<CPortDevice> OpenSerial(const std::string &path, const tagSERIAL_CFG &settings,
                                            SerialOpenResult &result) override;
    std::unique_ptr<CPortDevice> OpenParallel(const std::string &path, int &osError) override;

    // Runs `f` on the script under its lock.
    template <typename F> auto With(F &&f)
    {
        std::lock_guard lock(m_mutex);
        return f(m_script);
    }

private:
    friend class CFaultDevice;
    std::mutex m_mutex;
    Script m_script;
};
