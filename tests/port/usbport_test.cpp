#include "usbport.h"

#include "porterror.h"
#include "portowner.h"
#include "support/fakeusbdevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <thread>
#include <unistd.h>

namespace {

std::string Pattern(std::size_t count)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<char>(i * 7 % 256);
    return bytes;
}

const uint8_t *Bytes(const std::string &text)
{
    return reinterpret_cast<const uint8_t *>(text.data());
}

class UsbPortTest : public testing::Test
{
protected:
    void Open(QObject *owner)
    {
        const std::string name = UsbDeviceName(0);
        const tagUSB_CFG cfg{name.c_str(), static_cast<uint32_t>(name.size())};
        ASSERT_EQ(m_port.SetPortSettings(&cfg), 1u);
        ASSERT_EQ(m_port.OpenPort(owner, 1, 5, 0), 1u);
    }
    void OpenWithOwner()
    {
        Open(m_owner.Object());
        ASSERT_TRUE(m_owner.WaitForCode(kPortOpened));
    }

    CFakeUsbDevices m_devices;
    CTestPortOwner m_owner;
    CUsbPort m_port{m_devices};
};

TEST_F(UsbPortTest, BackgroundWriteGoesOutInRequestsOf1024Bytes)
{
    OpenWithOwner();
    const std::string data = Pattern(3000);
    ASSERT_EQ(m_port.Write(Bytes(data), 3000, nullptr, 1), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    EXPECT_EQ(m_devices.WriteSizes(), (std::vector<uint32_t>{1024, 1024, 952}));
    EXPECT_TRUE(m_devices.Written() == data);
    EXPECT_EQ(m_owner.Messages().back().lParam, 5u);
}

TEST_F(UsbPortTest, ForegroundWriteReportsTheCountWithoutNotification)
{
    Open(nullptr); // no owner: no code 3, and writes happen at once
    const std::string data = Pattern(2100);
    uint32_t written = 0;
    ASSERT_EQ(m_port.Write(Bytes(data), 2100, &written, 1), 1u);
    EXPECT_EQ(written, 2100u);
    EXPECT_EQ(m_devices.WriteSizes(), (std::vector<uint32_t>{1024, 1024, 52}));
    m_devices.LimitWriteTo(1000);
    EXPECT_EQ(m_port.Write(Bytes(data), 2100, &written, 0), 0u);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(m_owner.Messages().size(), 0u);
}

TEST_F(UsbPortTest, SecondWriteWhileBusyIsRefusedWith997)
{
    OpenWithOwner();
    m_devices.HoldWrites();
    ASSERT_EQ(m_port.Write(Bytes("abc"), 3, nullptr, 1), 1u);
    ASSERT_TRUE(m_devices.WaitForHeldWrite());
    EXPECT_EQ(m_port.Write(Bytes("def"), 3, nullptr, 1), 0u);
    EXPECT_EQ(m_port.GetLastError(), kPortErrIoPending);
    m_devices.ReleaseWrites();
    ASSERT_TRUE(m_owner.WaitForCode(kPortWriteDone));
    EXPECT_EQ(m_devices.Written(), "abc");
}

TEST_F(UsbPortTest, ShortBackgroundWriteGivesCode9OrCode4)
{
    OpenWithOwner();
    m_devices.LimitWriteTo(100);
    ASSERT_EQ(m_port.Write(Bytes(Pattern(500)), 500, nullptr, 1), 1u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortUsbWriteShort));

    // The device stops answering during the next write.
    m_devices.HoldWrites();
    ASSERT_EQ(m_port.Write(Bytes(Pattern(500)), 500, nullptr, 1), 1u);
    ASSERT_TRUE(m_devices.WaitForHeldWrite());
    m_devices.SetStatusFails(true);
    m_devices.ReleaseWrites();
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost));
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0);
}

TEST_F(UsbPortTest, ReadSplitsTheBufferAndAsksForTheRest)
{
    OpenWithOwner();
    m_devices.QueueIncoming(Pattern(2500));
    m_port.m_bRecvEnable = true; // one request of at most 1024 bytes a second
    ASSERT_TRUE(m_owner.WaitForCode(kPortDataArrived, 3, std::chrono::seconds(20)));
    m_port.m_bRecvEnable = false;

    std::string got;
    uint8_t buffer[1000];
    for (const uint32_t expected : {1000u, 1000u, 500u}) {
        const int announced = m_owner.CountOf(kPortDataArrived);
        uint32_t count = 0;
        m_port.Read(buffer, sizeof buffer, &count);
        ASSERT_EQ(count, expected);
        got.append(reinterpret_cast<char *>(buffer), count);
        if (expected == 1000u) {
            ASSERT_TRUE(m_owner.WaitForCode(kPortDataArrived, announced + 1))
                << "no code 1 for the rest";
        }
    }
    EXPECT_TRUE(got == Pattern(2500));
    uint32_t count = 99;
    m_port.Read(buffer, sizeof buffer, &count);
    EXPECT_EQ(count, 0u);
    m_owner.RunOnOwnerThread([] {});
    EXPECT_EQ(m_owner.CountOf(kPortDataArrived), 5);
}

TEST_F(UsbPortTest, SwitchOffMeansNoDeviceReadAtAll)
{
    OpenWithOwner();
    m_devices.QueueIncoming("waiting");
    std::this_thread::sleep_for(std::chrono::milliseconds(2500)); // two poll periods
    EXPECT_EQ(m_devices.ReadRequests(), 0);
    EXPECT_EQ(m_owner.CountOf(kPortDataArrived), 0);
}

TEST_F(UsbPortTest, FailingStatusGivesCode4OnWriteAndFileSend)
{
    OpenWithOwner();
    m_devices.SetStatusFails(true);
    EXPECT_EQ(m_port.Write(Bytes("x"), 1, nullptr, 1), 0u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost, 1));
    EXPECT_EQ(m_port.SendFile("/etc/hostname", 1, 0), 0u);
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost, 2));
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
    EXPECT_EQ(m_devices.WriteSizes().size(), 0u);
}

TEST_F(UsbPortTest, FailingStatusInTheFileThreadEndsWithCode4NotCode6)
{
    char path[] = "/tmp/usbport-test-XXXXXX";
    const int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    const std::string data = Pattern(10000);
    ASSERT_EQ(write(fd, data.data(), data.size()), static_cast<ssize_t>(data.size()));
    close(fd);

    OpenWithOwner();
    m_devices.HoldWrites();
    ASSERT_EQ(m_port.SendFile(path, 1, 0), 1u);
    ASSERT_TRUE(m_devices.WaitForHeldWrite());
    m_devices.SetStatusFails(true);
    m_devices.ReleaseWrites();
    ASSERT_TRUE(m_owner.WaitForCode(kPortLost));
    m_port.StopSendFile(); // reaps the ended thread
    EXPECT_EQ(m_port.IsSendingFile(), 0u);
    EXPECT_EQ(m_owner.CountOf(kPortFileFailed), 0);
    EXPECT_EQ(m_owner.CountOf(kPortFileDone), 0);
    EXPECT_EQ(m_devices.WriteSizes().size(), 1u);
    std::remove(path);
}

TEST_F(UsbPortTest, CloseDoesNotHangOnAWriterWaitingForTheOwner)
{
    OpenWithOwner();
    m_owner.Block(); // the window thread is busy: code 2 cannot be handled
    ASSERT_EQ(m_port.Write(Bytes("abc"), 3, nullptr, 1), 1u);
    ASSERT_TRUE(m_devices.WaitForWritten(3));
    ASSERT_TRUE(ProcessEventsUntil([] { return CPortNotifier::PendingSends() > 0; }));
    m_port.ClosePort(); // the writer waits in its sent code 2
    m_owner.Unblock();
    EXPECT_EQ(m_port.Write(Bytes("abc"), 3, nullptr, 1), 0u);
    EXPECT_EQ(m_port.GetLastError(), kPortErrInvalidHandle);
}

TEST_F(UsbPortTest, CloseEndsAWriteThatHangsInTheDevice)
{
    OpenWithOwner();
    m_devices.HoldWrites();
    ASSERT_EQ(m_port.Write(Bytes(Pattern(5000)), 5000, nullptr, 1), 1u);
    ASSERT_TRUE(m_devices.WaitForHeldWrite());
    m_port.ClosePort();
    EXPECT_GE(m_devices.OutputResets(), 1);
    EXPECT_EQ(m_devices.WriteSizes().size(), 0u);
    EXPECT_EQ(m_owner.CountOf(kPortWriteDone), 0);
}

TEST_F(UsbPortTest, OpenNeedsSettingsAndAPresentDevice)
{
    EXPECT_EQ(m_port.OpenPort(m_owner.Object(), 1, 0, 0), 0u);
    const std::string missing = UsbDeviceName(9);
    const tagUSB_CFG cfg{missing.c_str(), static_cast<uint32_t>(missing.size())};
    ASSERT_EQ(m_port.SetPortSettings(&cfg), 1u);
    EXPECT_EQ(m_port.OpenPort(m_owner.Object(), 1, 0, 0), 0u);
    EXPECT_EQ(m_port.GetLastError(), kPortErrFileNotFound);
    EXPECT_EQ(m_port.GetPortType(), 3);
}

TEST(EnumUsbDevices, ListsThePresentNumbersEndedByMinusOne)
{
    CFakeUsbDevices some({0, 3, 7});
    const int8_t *table = EnumUsbDevices(some);
    EXPECT_EQ((std::vector<int8_t>(table, table + 4)), (std::vector<int8_t>{0, 3, 7, -1}));

    CFakeUsbDevices none(std::set<int>{});
    EXPECT_EQ(EnumUsbDevices(none)[0], -1);

    CFakeUsbDevices all({0, 31});
    table = EnumUsbDevices(all);
    EXPECT_EQ((std::vector<int8_t>(table, table + 3)), (std::vector<int8_t>{0, 31, -1}));
}

} // namespace
