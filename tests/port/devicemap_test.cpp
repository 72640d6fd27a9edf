// Device names to paths, and the serial settings as termios.
#include "realport.h"
#include "serialtermios.h"

#include <gtest/gtest.h>

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
    const struct
    {
        uint8_t parity, dataBits, stopBits;
        tcflag_t cflag;
    } rows[] = {{0, 8, 0, CS8},
                {1, 7, 0, CS7 | PARENB | PARODD},
                {2, 6, 2, CS6 | PARENB | CSTOPB},
                {3, 5, 0, CS5 | PARENB | CMSPAR | PARODD},  // mark
                {4, 8, 2, CS8 | PARENB | CMSPAR | CSTOPB}}; // space
    for (const auto &row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.parity) << int(row.dataBits));
        SerialLineSetup setup;
        ASSERT_TRUE(Map(9600, row.parity, row.dataBits, row.stopBits, 0, setup));
        const termios &tio = setup.tio;
        EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | PARODD | CMSPAR | CSTOPB), row.cflag);
        // Checked input would turn a byte with a parity error into 0x00.
        EXPECT_EQ(tio.c_iflag & (INPCK | IGNPAR | PARMRK), 0u);
        EXPECT_EQ(tio.c_cflag & (CREAD | CLOCAL | CRTSCTS), tcflag_t(CREAD | CLOCAL));
        EXPECT_EQ(tio.c_iflag & (ICRNL | IXOFF | IXANY | ISTRIP), 0u);
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
