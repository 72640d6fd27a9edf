// POSIX implementation of opening a user's file.
#include "convert/userfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsRegular(int fd)
{
    struct stat st
    {
    };
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

UniqueFile OpenRegularFile(const char *path)
{
    // Looking at the path first keeps devices from being opened at all
    // (opening some has effects, such as raising a modem line); the check on
    // the open descriptor is the one that counts. O_NONBLOCK makes the open
    // of a FIFO without a writer return at once.
    struct stat st
    {
    };
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return nullptr;
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    // Reads of a regular file are the same either way; blocking ones are
    // what the stdio readers expect.
    const int flags = ::fcntl(fd, F_GETFL);
    if (!IsRegular(fd) || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return nullptr;
    }
    UniqueFile file(::fdopen(fd, "rb"));
    if (!file)
        ::close(fd);
    return file;
}
