// The USB kind's file transfer: the device must answer before one starts.
#include "port/usbport.h"

#include "portowner.h"
#include "realport.h"
#include "support/fakeusbdevice.h"

#include <gtest/gtest.h>

namespace {

TEST(UsbPortFileSend, StartsOnlyWhileTheDeviceAnswers)
{
    CFakeUsbDevices devices;
    CTestPortOwner owner;
    CUsbPort port{devices};
    const std::string name = UsbDeviceName(0);
    const tagUSB_CFG cfg{name.c_str(), static_cast<uint32_t>(name.size())};
    ASSERT_EQ(port.SetPortSettings(&cfg), 1u);
    ASSERT_EQ(port.OpenPort(owner.Object(), 1, 0, 0), 1u);
    const std::string file = TestFile("file bytes");

    devices.With([](auto &s) { s.statusFails = true; });
    EXPECT_EQ(port.SendFile(file.c_str(), 1, 0), 0u);
    EXPECT_EQ(port.IsSendingFile(), 0u);
    ASSERT_TRUE(owner.WaitForCode(kPortLost));

    devices.With([](auto &s) { s.statusFails = false; });
    ASSERT_EQ(port.SendFile(file.c_str(), 1, 0), 1u);
    ASSERT_TRUE(owner.WaitForCode(kPortFileDone));
    EXPECT_EQ(devices.With([](auto &s) { return s.written; }), "file bytes");
}

} // namespace
