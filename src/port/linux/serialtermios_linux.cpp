#include "port/linux/serialtermios.h"

namespace {

struct SpeedRow
{
    uint32_t baud;
    speed_t speed;
};

constexpr SpeedRow kSpeeds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

void MakeRaw(termios &tio)
{
    tio.c_iflag &= ~tcflag_t(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                             IXOFF | IXANY | INPCK | IGNPAR);
    tio.c_oflag &= ~tcflag_t(OPOST);
    tio.c_lflag &= ~tcflag_t(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag &= ~tcflag_t(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS);
    tio.c_cflag |= CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0; // reads return at once with what is queued
    tio.c_cc[VTIME] = 0;
}

bool MapDataBits(uint8_t bits, termios &tio)
{
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    if (bits < 5 || bits > 8)
        return false;
    tio.c_cflag |= kSizes[bits - 5];
    return true;
}

bool MapParity(uint8_t parity, termios &tio)
{
    static constexpr tcflag_t kParity[] = {
        0,                        // none
        PARENB | PARODD,          // odd
        PARENB,                   // even
        PARENB | CMSPAR | PARODD, // mark
        PARENB | CMSPAR,          // space
    };
    if (parity > 4)
        return false;
    // The line sends and expects the parity bit, but input is not checked:
    // with checking on, the terminal layer hands over a byte that arrived
    // with a parity error as 0x00, and the program would show a byte the
    // printer never sent. Unchecked, the byte arrives as it came in.
    tio.c_cflag |= kParity[parity];
    return true;
}

bool MapStopBits(uint8_t stopBits, termios &tio)
{
    if (stopBits == 0)
        return true;
    if (stopBits == 2) {
        tio.c_cflag |= CSTOPB;
        return true;
    }
    return false; // 1.5 stop bits: no termios form
}

void MapFlow(uint32_t flow, SerialLineSetup &setup)
{
    if (flow == 1) {
        setup.dtr = true;
        setup.holdOnDsr = true;
    } else if (flow == 2) {
        setup.tio.c_iflag |= IXON; // output XON/XOFF only
    }
}

} // namespace

speed_t StandardSpeed(uint32_t baud)
{
    for (const SpeedRow &row : kSpeeds) {
        if (row.baud == baud)
            return row.speed;
    }
    return B0;
}

bool MapSerialSettings(const tagSERIAL_CFG &cfg, const termios &current, SerialLineSetup &setup)
{
    setup = SerialLineSetup{};
    setup.tio = current;
    setup.baud = cfg.dwBaudRate;
    MakeRaw(setup.tio);
    if (cfg.dwBaudRate == 0 || !MapDataBits(cfg.byDataBits, setup.tio) ||
        !MapParity(cfg.byParity, setup.tio) || !MapStopBits(cfg.byStopBits, setup.tio))
        return false;
    MapFlow(cfg.dwFlowCtrl, setup);
    const speed_t speed = StandardSpeed(cfg.dwBaudRate);
    setup.arbitraryBaud = speed == B0;
    // An arbitrary rate is set afterwards; B38400 keeps tcsetattr content meanwhile.
    cfsetispeed(&setup.tio, setup.arbitraryBaud ? B38400 : speed);
    cfsetospeed(&setup.tio, setup.arbitraryBaud ? B38400 : speed);
    return true;
}
