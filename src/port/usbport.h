// CUsbPort: a USB printer through the USB device layer (usbdevice.h), opened by
// its device name "\\.\QXUSB-n" given in a tagUSB_CFG.
//
// Threads:
//   - Window thread: every public operation; SetReceiveEnabled lets the reader
//     ask the device for data (m_bRecvEnable).
//   - Writer thread: performs the background Write handed to it through
//     m_writeEvent; m_background belongs to the writer while m_bWriteBusy is
//     set, and the writer clears m_bWriteBusy last.
//   - Reader thread: while m_bRecvEnable is on, reads the device once a second
//     and appends to the receive buffer.
//   - File thread: writes the chunks of a file transfer (portex.h).
// Locks: m_lock (the port lock) guards m_received between the reader and Read;
// no notification is sent while it is held. m_bStopping, m_bWriteBusy and
// m_bRecvEnable are atomics.
// Notifications:
//   code 1  posted  by the reader after buffering bytes, and by Read when bytes
//                   remain buffered
//   code 2  sent    by the writer when a background write went out in full
//   code 3  posted  by OpenPort when an owner is given
//   code 4  posted  when the device status fails: Write, SendFile, the file
//                   thread, and the writer after a short write
//   code 9  sent    by the writer after a short write while the device answers
//   codes 5-8 posted by the file thread (portex.h)
// ClosePort detaches the owner first, so a writer waiting for the owner to
// handle code 2 or 9 is released and the close cannot hang on it.
#pragma once

#include "port/portcfg.h"
#include "port/portex.h"
#include "port/usbdevice.h"

#include <array>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

inline constexpr int kUsbDeviceCount = 32;

// Probes the 32 device names and returns the process-wide table of the
// numbers found, in ascending order and ended by -1 (33 entries).
const int8_t *EnumUsbDevices();
const int8_t *EnumUsbDevices(CUsbDeviceOpener &opener);
// "\\.\QXUSB-n".
std::string UsbDeviceName(int number);

class CUsbPort : public CPortEx
{
public:
    CUsbPort();
    explicit CUsbPort(CUsbDeviceOpener &opener); // tests give a fake device here
    ~CUsbPort() override;

    uint32_t OpenPort(QObject *owner, uint8_t async, uint32_t userValue, uint32_t message) override;
    void ClosePort() override;
    uint32_t SetPortSettings(const void *settings) override; // const tagUSB_CFG *
    uint32_t Read(uint8_t *buffer, uint32_t capacity, uint32_t *received) override;
    uint32_t Write(const uint8_t *bytes, uint32_t length, uint32_t *written,
                   uint8_t background) override;
    PortKind GetPortType() const override { return PortKind::Usb; }
    // Off at first: the device driver often locks up while it is read.
    void SetReceiveEnabled(bool enabled) override { m_bRecvEnable = enabled; }

protected:
    // The device must answer its status before a transfer starts (code 4 if not).
    bool PrepareFileTransfer() override;
    ChunkResult WriteFileChunk(const uint8_t *chunk, uint32_t length, uint32_t *written) override;
    void OnStopWaitTimedOut() override;

private:
    bool IsOpen() const { return m_device != nullptr; }
    bool DeviceAnswers();
    uint32_t ChunkedWrite(const uint8_t *bytes, uint32_t length);
    void WriteThreadProc();
    void FinishBackgroundWrite();
    void ReadThreadProc();
    void PollDeviceOnce();
    void StopThread(std::thread &thread, CPortEvent &ended, UsbSide side);

    CUsbDeviceOpener &m_opener;
    std::unique_ptr<CUsbDevice> m_device; // set and reset by the window thread only
    std::string m_path;                   // window thread only
    bool m_bSettingsPresent = false;      // window thread only
    std::thread m_writer;
    std::thread m_reader;
    CPortEvent m_writeEvent{CPortEvent::Reset::Auto};
    CPortEvent m_readerWake{CPortEvent::Reset::Manual}; // ends the reader's pause at close
    CPortEvent m_writerEnded{CPortEvent::Reset::Manual};
    CPortEvent m_readerEnded{CPortEvent::Reset::Manual};
    std::atomic<bool> m_bRecvEnable{false}; // the receive switch
    std::atomic<bool> m_bStopping{false};
    std::atomic<bool> m_bWriteBusy{false};
    std::vector<uint8_t> m_background; // see the thread contract above
    std::vector<uint8_t> m_received;   // guarded by m_lock
};
