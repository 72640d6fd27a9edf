// The ModemLine bits of portdevice.h and the TIOCM bits of the modem-line
// ioctls: a pure value mapping, so every line can be checked without a device.
#pragma once

unsigned TiocmToModemLines(int status);
int ModemLinesToTiocm(unsigned lines);
