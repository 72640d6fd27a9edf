// The usblp backend against stand-in files: the kernel driver is absent here,
// so its ioctls fail as they do on any file that is not a usblp device.
#include "devicemap.h"
#include "porterror.h"
#include "usbdevice.h"
#include "usbport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace {

class UsblpBackend : public testing::Test
{
protected:
    void SetUp() override
    {
        char path[] = "/tmp/usblp-standin-XXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        close(fd);
        m_path = path;
        SetDeviceOverride(UsbDeviceName(5), m_path);
    }
    void TearDown() override
    {
        SetDeviceOverride(UsbDeviceName(5), "");
        std::remove(m_path.c_str());
    }

    std::string m_path;
};

TEST_F(UsblpBackend, OpensExclusivelyWritesAndReportsAFailingStatus)
{
    uint32_t error = 0;
    auto device = SystemUsbDeviceOpener().Open(UsbDeviceName(5), error);
    ASSERT_NE(device, nullptr) << error;

    uint32_t written = 0;
    const uint8_t bytes[] = {0x1B, '@', 'A', 0x00};
    ASSERT_TRUE(device->Write(bytes, sizeof bytes, written, error));
    EXPECT_EQ(written, sizeof bytes);
    std::ifstream in(m_path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string("\x1B@A\0", 4));

    EXPECT_FALSE(device->Status(error)) << "a file that is no usblp device has no status";
    EXPECT_EQ(error, kPortErrNotSupported);

    EXPECT_EQ(SystemUsbDeviceOpener().Open(UsbDeviceName(5), error), nullptr);
    EXPECT_EQ(error, kPortErrSharingViolation);
    EXPECT_TRUE(SystemUsbDeviceOpener().Probe(UsbDeviceName(5)))
        << "an open device is still listed";
}

TEST_F(UsblpBackend, MissingDeviceIsNotFound)
{
    SetDeviceOverride(UsbDeviceName(6), m_path + ".missing");
    uint32_t error = 0;
    EXPECT_EQ(SystemUsbDeviceOpener().Open(UsbDeviceName(6), error), nullptr);
    EXPECT_EQ(error, kPortErrFileNotFound);
    EXPECT_FALSE(SystemUsbDeviceOpener().Probe(UsbDeviceName(6)));
    SetDeviceOverride(UsbDeviceName(6), "");
}

} // namespace
