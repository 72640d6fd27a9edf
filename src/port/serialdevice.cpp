#include "port/serialdevice.h"

SerialOpenResult CSerialDevice::Open(const std::string &path, const tagSERIAL_CFG &settings)
{
    SerialOpenResult result;
    m_device = m_opener.OpenSerial(path, settings, result);
    m_holdOnDsr = result.holdOnDsr;
    m_noModemStatus = false;
    return result;
}

bool CSerialDevice::OutputHeld()
{
    if (!m_holdOnDsr || m_noModemStatus)
        return false;
    unsigned lines = 0;
    if (m_device->GetModemLines(lines) != 0) {
        m_noModemStatus = true; // no modem lines to obey
        return false;
    }
    return (lines & kLineDsr) == 0;
}
