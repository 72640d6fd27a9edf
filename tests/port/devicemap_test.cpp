// Device names to paths, and the serial settings as termios.
#include "devicemap.h"
#include "serialtermios.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fstream>

TEST(DeviceMapDefaults, NamesToPaths)
{
    const std::vector<std::string> serial = {"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0"};
    struct Row
    {
        const char *name;
        const char *path;
    } rows[] = {
        {"COM1", "/dev/ttyUSB0"},
        {"COM3", "/dev/ttyS0"},
        {"com2", "/dev/ttyACM0"},
        {"COM4", ""},
        {"COM0", ""},
        {"LPT1", "/dev/lp0"},
        {"LPT3", "/dev/lp2"},
        {"LPT0", ""},
        {"\\\\.\\QXUSB-0", "/dev/usb/lp0"},
        {"\\\\.\\QXUSB-31", "/dev/usb/lp31"},
        {"QXUSB-1", ""},
        {"COMX", ""},
        {"", ""},
    };
    for (const Row &row : rows)
        EXPECT_EQ(DefaultDevicePath(row.name, serial), row.path) << row.name;
}

TEST(DeviceMapDefaults, SerialDevicesInStableOrder)
{
    const std::vector<std::string> found = {"ttyS1",   "tty0",    "ttyACM1", "ttyUSB10", "ttyS0",
                                            "ttyUSB2", "ttyACM0", "console", "ttySx"};
    const std::vector<std::string> ordered = {"ttyUSB2", "ttyUSB10", "ttyACM0",
                                              "ttyACM1", "ttyS0",    "ttyS1"};
    EXPECT_EQ(OrderSerialDevices(found), ordered);
}

TEST(DeviceMapOverrides, SetClearAndLoadFromTheDevicesSection)
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
    EXPECT_FALSE(LoadDeviceOverrides(dir.filePath("missing.ini").toStdString()));
    ClearDeviceOverrides();
    EXPECT_EQ(DevicePath("LPT1"), "/dev/lp0");
}

namespace {

tagSERIAL_CFG Cfg(uint32_t baud, uint8_t parity, uint8_t dataBits, uint8_t stopBits, uint32_t flow)
{
    tagSERIAL_CFG cfg;
    cfg.dwPort = 1;
    cfg.dwBaudRate = baud;
    cfg.byParity = parity;
    cfg.byDataBits = dataBits;
    cfg.byStopBits = stopBits;
    cfg.dwFlowCtrl = flow;
    cfg.dwMarker = kCfgMarkerValid;
    return cfg;
}

termios Dirty()
{
    termios tio{};
    tio.c_iflag = ICRNL | IXOFF | IXANY | ISTRIP;
    tio.c_oflag = OPOST | ONLCR;
    tio.c_lflag = ECHO | ICANON | ISIG;
    tio.c_cflag = CS5 | PARENB | CRTSCTS | HUPCL;
    tio.c_cc[VMIN] = 1;
    return tio;
}

} // namespace

TEST(SerialTermios, LineSettingsRows)
{
    constexpr tcflag_t kLine = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;
    struct Row
    {
        uint8_t parity, dataBits, stopBits;
        tcflag_t cflag;
        bool checked;
    } rows[] = {
        {0, 8, 0, CS8, false},
        {1, 7, 0, CS7 | PARENB | PARODD, true},
        {2, 6, 2, CS6 | PARENB | CSTOPB, true},
        {3, 5, 0, CS5 | PARENB | CMSPAR | PARODD, true}, // mark
        {4, 8, 2, CS8 | PARENB | CMSPAR | CSTOPB, true}, // space
    };
    for (const Row &row : rows) {
        SerialLineSetup setup;
        ASSERT_TRUE(MapSerialSettings(Cfg(9600, row.parity, row.dataBits, row.stopBits, 0), Dirty(),
                                      setup));
        EXPECT_EQ(setup.tio.c_cflag & kLine, row.cflag) << int(row.parity) << int(row.dataBits);
        EXPECT_EQ((setup.tio.c_iflag & INPCK) != 0, row.checked);
        EXPECT_EQ(setup.tio.c_cflag & (CREAD | CLOCAL | CRTSCTS), tcflag_t(CREAD | CLOCAL));
        EXPECT_EQ(setup.tio.c_iflag & (ICRNL | IXOFF | IXANY | ISTRIP), 0u);
        EXPECT_EQ(setup.tio.c_oflag & OPOST, 0u);
        EXPECT_EQ(setup.tio.c_lflag & (ECHO | ICANON | ISIG), 0u);
        EXPECT_EQ(setup.tio.c_cc[VMIN], 0);
        EXPECT_EQ(setup.tio.c_cc[VTIME], 0);
    }
}

TEST(SerialTermios, RefusedSettings)
{
    const tagSERIAL_CFG refused[] = {
        Cfg(9600, 0, 4, 0, 0),                        // 4 data bits
        Cfg(9600, 0, 9, 0, 0), Cfg(9600, 0, 8, 1, 0), // 1.5 stop bits
        Cfg(9600, 0, 8, 3, 0), Cfg(9600, 5, 8, 0, 0), Cfg(0, 0, 8, 0, 0),
    };
    for (const tagSERIAL_CFG &cfg : refused) {
        SerialLineSetup setup;
        EXPECT_FALSE(MapSerialSettings(cfg, Dirty(), setup))
            << cfg.dwBaudRate << " " << int(cfg.byParity) << int(cfg.byDataBits)
            << int(cfg.byStopBits);
    }
}

TEST(SerialTermios, FlowControlRows)
{
    struct Row
    {
        uint32_t flow;
        bool ixon, dtr, hold;
    } rows[] = {{0, false, false, false},
                {1, false, true, true},
                {2, true, false, false},
                {7, false, false, false}};
    for (const Row &row : rows) {
        SerialLineSetup setup;
        ASSERT_TRUE(MapSerialSettings(Cfg(9600, 0, 8, 0, row.flow), Dirty(), setup));
        EXPECT_EQ((setup.tio.c_iflag & IXON) != 0, row.ixon) << row.flow;
        EXPECT_EQ(setup.tio.c_iflag & IXOFF, 0u) << row.flow; // never input XON/XOFF
        EXPECT_EQ(setup.tio.c_cflag & CRTSCTS, 0u);
        EXPECT_EQ(setup.dtr, row.dtr) << row.flow;
        EXPECT_EQ(setup.holdOnDsr, row.hold) << row.flow;
    }
}

TEST(SerialTermios, BaudRateRows)
{
    struct Row
    {
        uint32_t baud;
        speed_t speed;
        bool arbitrary;
    } rows[] = {{1200, B1200, false},     {9600, B9600, false},   {115200, B115200, false},
                {921600, B921600, false}, {250000, B38400, true}, {14400, B38400, true},
                {1, B38400, true}};
    for (const Row &row : rows) {
        SerialLineSetup setup;
        ASSERT_TRUE(MapSerialSettings(Cfg(row.baud, 0, 8, 0, 0), Dirty(), setup));
        EXPECT_EQ(setup.arbitraryBaud, row.arbitrary) << row.baud;
        EXPECT_EQ(setup.baud, row.baud);
        EXPECT_EQ(cfgetospeed(&setup.tio), row.speed) << row.baud;
        EXPECT_EQ(cfgetispeed(&setup.tio), row.speed) << row.baud;
    }
}
