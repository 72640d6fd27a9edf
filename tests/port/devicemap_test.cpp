// Device names to paths, and the serial settings as termios.
#include "port/devicemap.h"
#include "port/linux/serialtermios.h"
#include "realport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

TEST(DeviceMap, DefaultPathRows)
{
    const std::vector<std::string> serial = {"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0"};
    // clang-format off
    const std::pair<const char *, const char *> rows[] = {
        {"COM1", "/dev/ttyUSB0"}, {"COM3", "/dev/ttyS0"}, {"com2", "/dev/ttyACM0"}, {"COM4", ""},
        {"COM0", ""}, {"LPT1", "/dev/lp0"}, {"LPT3", "/dev/lp2"}, {"LPT0", ""},
        {"\\\\.\\QXUSB-0", "/dev/usb/lp0"}, {"\\\\.\\QXUSB-31", "/dev/usb/lp31"},
        {"QXUSB-1", ""}, {"COMX", ""}, {"", ""}};
    // clang-format on
    for (const auto &[name, path] : rows)
        EXPECT_EQ(DefaultDevicePath(name, serial), path) << name;
    EXPECT_EQ(
        OrderSerialDevices({"ttyS1", "tty0", "ttyACM1", "ttyUSB10", "ttyS0", "ttyUSB2", "ttyACM0",
                            "console", "ttySx"}),
        (std::vector<std::string>{"ttyUSB2", "ttyUSB10", "ttyACM0", "ttyACM1", "ttyS0", "ttyS1"}));
}

TEST(DeviceMap, OverridesFromCallsAndFromTheDevicesSection)
{
    ClearDeviceOverrides();
    SetDeviceOverride("com1", "/dev/pts/5");
    EXPECT_EQ(DevicePath("COM1"), "/dev/pts/5");
    SetDeviceOverride("COM1", "");
    EXPECT_NE(DevicePath("COM1"), "/dev/pts/5");

    QTemporaryDir dir;
    const std::string ini = dir.filePath("rvcfg.ini").toStdString();
    std::ofstream(ini) << "[RVConfigs]\nLPT1=/wrong\n"
                          "; comment\n[devices]\r\n  LPT1 = /tmp/lp-fifo \r\n"
                          "\\\\.\\QXUSB-2=/tmp/usb\nnot a pair\n[Other]\nCOM2=/wrong\n";
    ASSERT_TRUE(LoadDeviceOverrides(ini));
    EXPECT_EQ(DevicePath("LPT1"), "/tmp/lp-fifo");
    EXPECT_EQ(DevicePath("\\\\.\\QXUSB-2"), "/tmp/usb");
    EXPECT_EQ(DevicePath("LPT2"), "/dev/lp1");
    EXPECT_NE(DevicePath("COM2"), "/wrong");
    EXPECT_FALSE(LoadDeviceOverrides(dir.filePath("missing.ini").toStdString()));
    ClearDeviceOverrides();
    EXPECT_EQ(DevicePath("LPT1"), "/dev/lp0");
}

// Whatever the path names, the section is read at once or refused: a FIFO
// without a writer would block, a device might never end.
TEST(DeviceMap, OnlyRegularFilesOfBoundedSizeGiveOverrides)
{
    QTemporaryDir dir;
    const std::string fifo = dir.filePath("fifo.ini").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = dir.filePath("huge.ini").toStdString();
    std::ofstream(huge) << "[Devices]\nLPT1=/tmp/huge\n"; // closed at the end of the line
    const std::string small = dir.filePath("small.ini").toStdString();
    std::filesystem::copy_file(huge, small);
    std::filesystem::resize_file(huge, 65u * 1024 * 1024); // sparse: the section comes first
    const std::pair<std::string, const char *> rows[] = {{fifo, nullptr},
                                                         {"/dev/zero", nullptr},
                                                         {dir.path().toStdString(), nullptr},
                                                         {huge, nullptr},
                                                         {small, "/tmp/huge"}};
    for (const auto &[path, mapped] : rows) {
        SCOPED_TRACE(path);
        ClearDeviceOverrides();
        EXPECT_EQ(LoadDeviceOverrides(path), mapped != nullptr);
        EXPECT_EQ(DevicePath("LPT1"), mapped ? mapped : "/dev/lp0");
    }
    ClearDeviceOverrides();
}

namespace {

// Settings mapped over a terminal left in a cooked, checked state.
bool Map(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits, uint32_t flow,
         SerialLineSetup &setup)
{
    termios dirty{};
    dirty.c_iflag = ICRNL | IXOFF | IXANY | ISTRIP;
    dirty.c_oflag = OPOST | ONLCR;
    dirty.c_lflag = ECHO | ICANON | ISIG;
    dirty.c_cflag = CS5 | PARENB | CRTSCTS | HUPCL;
    dirty.c_cc[VMIN] = 1;
    return MapSerialSettings(SerialCfg(flow, baud, dataBits, stopBits, parity), dirty, setup);
}

} // namespace

TEST(SerialTermios, LineSettingsRows)
{
    // Parity, data bits, stop bits and the c_cflag bits they make.
    const std::tuple<uint8_t, uint8_t, uint8_t, tcflag_t> rows[] = {
        {0, 8, 0, CS8},
        {1, 7, 0, CS7 | PARENB | PARODD},
        {2, 6, 2, CS6 | PARENB | CSTOPB},
        {3, 5, 0, CS5 | PARENB | CMSPAR | PARODD},  // mark
        {4, 8, 2, CS8 | PARENB | CMSPAR | CSTOPB}}; // space
    for (const auto &[parity, dataBits, stopBits, cflag] : rows) {
        SCOPED_TRACE(testing::Message() << int(parity) << int(dataBits));
        SerialLineSetup setup;
        ASSERT_TRUE(Map(9600, parity, dataBits, stopBits, 0, setup));
        const termios &tio = setup.tio;
        EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), cflag);
        // Raw input; checked input would turn a byte with a parity error into 0x00.
        EXPECT_EQ(tio.c_iflag & (INPCK | IGNPAR | PARMRK | ICRNL | IXOFF | IXANY | ISTRIP), 0u);
        EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL | CRTSCTS), tcflag_t(CREAD | CLOCAL));
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(tio.c_lflag & (ECHO | ICANON | ISIG), 0u);
        EXPECT_EQ(tio.c_cc[VMIN], 0);
        EXPECT_EQ(tio.c_cc[VTIME], 0);
    }
    // 4 and 9 data bits, 1.5 and 3 stop bits, parity 5, rate 0.
    const uint32_t refused[][4] = {{9600, 0, 4, 0}, {9600, 0, 9, 0}, {9600, 0, 8, 1},
                                   {9600, 0, 8, 3}, {9600, 5, 8, 0}, {0, 0, 8, 0}};
    for (const auto &r : refused) {
        SerialLineSetup setup;
        EXPECT_FALSE(Map(r[0], uint8_t(r[1]), uint8_t(r[2]), uint8_t(r[3]), 0, setup))
            << r[0] << " " << r[1] << r[2] << r[3];
    }
}

TEST(SerialTermios, FlowControlAndBaudRateRows)
{
    // Flow control, then whether IXON, DTR and holding on DSR are on.
    const std::tuple<uint32_t, bool, bool, bool> flows[] = {{0, false, false, false},
                                                            {1, false, true, true},
                                                            {2, true, false, false},
                                                            {7, false, false, false}};
    for (const auto &[flow, ixon, dtr, hold] : flows) {
        SCOPED_TRACE(flow);
        SerialLineSetup setup;
        ASSERT_TRUE(Map(9600, 0, 8, 0, flow, setup));
        EXPECT_EQ((setup.tio.c_iflag & IXON) != 0, ixon);
        EXPECT_EQ(setup.tio.c_iflag & IXOFF, 0u); // never input XON/XOFF
        EXPECT_EQ(setup.tio.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(setup.dtr, dtr);
        EXPECT_EQ(setup.holdOnDsr, hold);
    }
    // The rate, the speed set and whether it is set apart as an arbitrary rate.
    const std::tuple<uint32_t, speed_t, bool> bauds[] = {
        {1200, B1200, false},     {9600, B9600, false},   {115200, B115200, false},
        {921600, B921600, false}, {250000, B38400, true}, {14400, B38400, true}};
    for (const auto &[baud, speed, arbitrary] : bauds) {
        SerialLineSetup setup;
        ASSERT_TRUE(Map(baud, 0, 8, 0, 0, setup));
        EXPECT_EQ(setup.arbitraryBaud, arbitrary) << baud;
        EXPECT_EQ(cfgetospeed(&setup.tio), speed) << baud;
    }
}
