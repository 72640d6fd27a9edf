// Arbitrary serial rates through termios2. Kept apart: <asm/termbits.h>
// redefines what <termios.h> declares.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <cerrno>
#include <cstdint>
#include <sys/ioctl.h>

int SetArbitraryBaud(int fd, uint32_t baud);

int SetArbitraryBaud(int fd, uint32_t baud)
{
    struct termios2 tio2;
    if (::ioctl(fd, TCGETS2, &tio2) != 0)
        return errno;
    tio2.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    tio2.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    tio2.c_ispeed = baud;
    tio2.c_ospeed = baud;
    if (::ioctl(fd, TCSETS2, &tio2) != 0)
        return errno;
    return 0;
}

uint32_t ReadOutputBaud(int fd);

uint32_t ReadOutputBaud(int fd)
{
    struct termios2 tio2;
    if (::ioctl(fd, TCGETS2, &tio2) != 0)
        return 0;
    return tio2.c_ospeed;
}
