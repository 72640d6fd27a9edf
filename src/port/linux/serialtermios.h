// The serial settings record as termios: a pure value mapping, so every row
// of settings can be checked without a device.
#pragma once

#include "port/portcfg.h"

#include <termios.h>

struct SerialLineSetup
{
    termios tio{};
    bool arbitraryBaud = false; // the rate has no B constant: set it with BOTHER
    uint32_t baud = 0;
    bool dtr = false;       // DTR asserted (hardware flow); RTS is always dropped
    bool holdOnDsr = false; // hold output in user space while DSR is low
};

// Standard rate constant for `baud`, or B0 when there is none.
speed_t StandardSpeed(uint32_t baud);

// False for settings the line cannot take: 4 data bits (or any count outside
// 5..8), 1.5 stop bits, an unknown parity, a rate of 0.
bool MapSerialSettings(const tagSERIAL_CFG &cfg, const termios &current, SerialLineSetup &setup);

// The arbitrary-rate interface (TCSETS2 with BOTHER); 0 or the OS error.
// Lives in its own file: <asm/termbits.h> cannot meet <termios.h>.
int SetArbitraryBaud(int fd, uint32_t baud);
// The output rate in bits per second as the line has it; 0 on failure.
uint32_t ReadOutputBaud(int fd);
