// The usblp backend against a stand-in file: the kernel driver is absent,
// so its ioctls fail as they do on any file that is not a usblp device.
#include "devicemap.h"
#include "porterror.h"
#include "usbdevice.h"
#include "usbport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

TEST(UsblpBackend, OpensExclusivelyWritesAndReportsAFailingStatus)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("lp").toStdString();
    std::ofstream{path};
    SetDeviceOverride(UsbDeviceName(5), path);
    SetDeviceOverride(UsbDeviceName(6), path + ".missing");
    uint32_t error = 0;
    auto device = SystemUsbDeviceOpener().Open(UsbDeviceName(5), error);
    ASSERT_NE(device, nullptr) << error;

    uint32_t written = 0;
    const uint8_t bytes[] = {0x1B, '@', 'A', 0x00};
    ASSERT_TRUE(device->Write(bytes, sizeof bytes, written, error));
    EXPECT_EQ(written, sizeof bytes);
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string("\x1B@A\0", 4));
    EXPECT_FALSE(device->Status(error)) << "a file that is no usblp device has no status";
    EXPECT_EQ(error, kPortErrNotSupported);

    EXPECT_EQ(SystemUsbDeviceOpener().Open(UsbDeviceName(5), error), nullptr);
    EXPECT_EQ(error, kPortErrSharingViolation);
    EXPECT_TRUE(SystemUsbDeviceOpener().Probe(UsbDeviceName(5))) << "an open device is listed";
    EXPECT_EQ(SystemUsbDeviceOpener().Open(UsbDeviceName(6), error), nullptr);
    EXPECT_EQ(error, kPortErrFileNotFound);
    EXPECT_FALSE(SystemUsbDeviceOpener().Probe(UsbDeviceName(6)));
    SetDeviceOverride(UsbDeviceName(5), "");
    SetDeviceOverride(UsbDeviceName(6), "");
}
