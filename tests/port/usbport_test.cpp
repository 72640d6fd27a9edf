// The USB kind against a scriptable fake printer, and the system backend.
#include "port/usbport.h"

#include "port/devicemap.h"
#include "port/porterror.h"
#include "portowner.h"
#include "realport.h"
#include "support/fakeusbdevice.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

namespace {

// Points `port` at the first USB printer.
uint32_t Configure(CUsbPort &port)
{
    const std::string name = UsbDeviceName(0);
    const tagUSB_CFG cfg{name.c_str(), static_cast<uint32_t>(name.size())};
    return port.SetPortSettings(&cfg);
}

class UsbPortTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(Configure(m_port), 1u);
        ASSERT_EQ(m_port.OpenPort(m_owner.Object(), 1, 5, 0), 1u);
        ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
    }

    CFakeUsbDevices m_devices;
    CTestPortOwner m_owner;
    CUsbPort m_port{m_devices};
};

TEST_F(UsbPortTest, WriteGoesOutInRequestsOf1024BytesAndOneAtATime)
{
    const std::string data = PatternBytes(3000);
    ASSERT_EQ(WriteBytes(m_port, data), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    EXPECT_EQ(m_devices.With([](auto &s) { return s.writeSizes; }),
              (std::vector<uint32_t>{1024, 1024, 952}));
    EXPECT_TRUE(m_devices.With([](auto &s) { return s.written; }) == data);
    EXPECT_EQ(m_owner.Messages().back().lParam, 5u);

    m_devices.With([](auto &s) { s.holdWrites = true; });
    ASSERT_EQ(WriteBytes(m_port, "abc"), 1u);
    ASSERT_TRUE(m_devices.WaitForHeldWrite());
    EXPECT_EQ(WriteBytes(m_port, "def"), 0u);
    EXPECT_EQ(m_port.GetLastError(), kPortErrIoPending);
    m_devices.With([](auto &s) { s.holdWrites = false; });
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone, 2));
    EXPECT_TRUE(m_devices.With([](auto &s) { return s.written; }) == data + "abc");
}

TEST_F(UsbPortTest, ReadSplitsTheBufferAndAnnouncesTheRest)
{
    m_devices.With([&](auto &s) { s.incoming = PatternBytes(2500); });
    // Switched off (as the port opens), the device is not asked at all. Nothing
    // happens to await: the wait covers the reader's pass at open and the next.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(m_devices.With([](auto &s) { return s.readRequests; }), 0);
    EXPECT_EQ(m_owner.CountOf(kPortDataArrived), 0);
    m_port.SetReceiveEnabled(true); // one request of at most 1024 bytes a second
    ASSERT_TRUE(m_owner.WaitForCode(kPortDataArrived, 3, std::chrono::seconds(20)));
    m_port.SetReceiveEnabled(false);

    std::string got;
    uint8_t buffer[1000];
    for (const uint32_t expected : {1000u, 1000u, 500u, 0u}) { // then nothing is left
        const int announced = m_owner.CountOf(kPortDataArrived);
        uint32_t count = 99;
        m_port.Read(buffer, sizeof buffer, &count);
        ASSERT_EQ(count, expected);
        got.append(reinterpret_cast<char *>(buffer), count);
        if (expected == 1000u) {
            ASSERT_TRUE(m_owner.WaitForCode(kPortDataArrived, announced + 1))
                << "no code 1 for the rest";
        }
    }
    EXPECT_TRUE(got == PatternBytes(2500));
    EXPECT_EQ(m_owner.CountOf(kPortDataArrived), 5);
}

TEST_F(UsbPortTest, CloseEndsAWriteThatHangsInTheDevice)
{
    m_devices.With([](auto &s) { s.holdWrites = true; });
    ASSERT_EQ(WriteBytes(m_port, PatternBytes(5000)), 1u);
    ASSERT_TRUE(m_devices.WaitForHeldWrite());
    m_port.ClosePort();
    EXPECT_GE(m_devices.With([](auto &s) { return s.outputResets; }), 1);
    EXPECT_EQ(m_devices.With([](auto &s) { return s.writeSizes; }).size(), 0u);
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0);
}

TEST_F(UsbPortTest, CloseDoesNotHangOnAWriterWaitingForTheOwner)
{
    m_owner.Block(); // the window thread is busy: code 2 cannot be handled
    ASSERT_EQ(WriteBytes(m_port, "abc"), 1u);
    ASSERT_TRUE(WaitForPendingSends(1));
    m_port.ClosePort();
    m_owner.Unblock();
    EXPECT_EQ(WriteBytes(m_port, "abc"), 0u);
    EXPECT_EQ(m_port.GetLastError(), kPortErrInvalidHandle);
}

// A file transfer starts only while the device answers.
TEST_F(UsbPortTest, FileSendStartsOnlyWhileTheDeviceAnswers)
{
    const std::string file = TestFile("file bytes");
    m_devices.With([](auto &s) { s.statusFails = true; });
    EXPECT_EQ(m_port.SendFile(file.c_str(), 1, 0), 0u);
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost));

    m_devices.With([](auto &s) { s.statusFails = false; });
    ASSERT_EQ(m_port.SendFile(file.c_str(), 1, 0), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortFileDone));
    EXPECT_EQ(m_devices.With([](auto &s) { return s.written; }), "file bytes");
}

// A device that another program holds (usblp answers a second open with
// EBUSY) or that this user may not open is present all the same.
TEST(UsbProbe, ErrorsThatStillMeanAPresentDevice)
{
    const std::pair<int, bool> rows[] = {{0, true},      {EBUSY, true},   {EACCES, true},
                                         {EPERM, true},  {ENOENT, false}, {ENODEV, false},
                                         {ENXIO, false}, {EIO, false}};
    for (const auto &[error, present] : rows)
        EXPECT_EQ(UsbProbeFindsDevice(error), present) << error;
    SetDeviceOverride(UsbDeviceName(3), TestFile("usblp stand-in"));
    SetDeviceOverride(UsbDeviceName(5), TestFile("x") + ".missing");
    const int8_t *found = EnumUsbDevices(); // no /dev/usb here: only the stand-in
    EXPECT_EQ(std::vector<int>(found, found + 2), (std::vector<int>{3, -1}));
    ClearDeviceOverrides();
}

// The open of a device that is held or refused fails and says which device.
TEST(UsbOpen, RefusedOpenNamesTheDevice)
{
    const std::pair<uint32_t, OpenRefusal> rows[] = {
        {kPortErrBusy, OpenRefusal::InUse},
        {kPortErrSharingViolation, OpenRefusal::InUse},
        {kPortErrAccessDenied, OpenRefusal::NoPermission},
        {kPortErrFileNotFound, OpenRefusal::Other}};
    CFakeUsbDevices devices;
    CTestPortOwner owner;
    CUsbPort port(devices);
    ASSERT_EQ(Configure(port), 1u);
    for (const auto &[error, refusal] : rows) {
        devices.With([&](auto &s) { s.openError = error; });
        EXPECT_EQ(port.OpenPort(owner.Object(), 1, 0, 0), 0u);
        EXPECT_EQ(port.GetLastError(), error);
        EXPECT_EQ(port.GetOpenFailure().refusal, refusal) << error;
        EXPECT_EQ(port.GetOpenFailure().device, "/dev/usb/lp0");
    }
    devices.With([&](auto &s) { s.openError = 0; });
    EXPECT_EQ(port.OpenPort(owner.Object(), 1, 0, 0), 1u);
    EXPECT_EQ(port.GetOpenFailure().device, "");
}

} // namespace
