// POSIX implementation of appending to a user's file.
#include "convert/appendfile.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

CAppendFile::Outcome CAppendFile::Open(const char *path)
{
    Close();
    // O_NONBLOCK: a FIFO without a reader must not hold the open.
    const int fd =
        ::open(path, O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        m_error = errno;
        return errno == ENXIO || errno == EISDIR ? Outcome::NotRegular : Outcome::Failed;
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Outcome::NotRegular;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_error = errno;
        ::close(fd);
        return m_error == EWOULDBLOCK ? Outcome::Locked : Outcome::Failed;
    }
    m_fd = fd;
    return Outcome::Opened;
}

bool CAppendFile::Write(const char *bytes, std::size_t count)
{
    while (count > 0) {
        const ssize_t wrote = ::write(m_fd, bytes, count);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0) {
            m_error = wrote < 0 ? errno : ENOSPC;
            return false;
        }
        bytes += wrote;
        count -= std::size_t(wrote);
    }
    return true;
}

bool CAppendFile::StillNamedBy(const char *path) const
{
    struct stat named
    {
    };
    struct stat open
    {
    };
    return ::stat(path, &named) == 0 && ::fstat(m_fd, &open) == 0 && named.st_dev == open.st_dev &&
           named.st_ino == open.st_ino;
}

void CAppendFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd); // drops the lock
    m_fd = -1;
}
