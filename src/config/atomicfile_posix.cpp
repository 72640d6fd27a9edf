// POSIX implementation of the atomic file replacement.
#include "atomicfile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The file the caller means: the end of a chain of symbolic links, so that
// the rename replaces the user's file and not the link to it.
fs::path ResolveTarget(const fs::path &target)
{
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(target, ec)))
        return target;
    fs::path resolved = fs::weakly_canonical(target, ec);
    return ec ? target : resolved;
}

// Creates a temporary file beside `target` with a name no other writer
// uses. O_EXCL guards against a stale file of a crashed run; the counter
// makes a retry pick a fresh name.
int CreateTemporaryBeside(const fs::path &target, fs::path &tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "." + target.filename().string() + ".tmp" + std::to_string(::getpid()) +
                           "." + std::to_string(counter++);
        tempPath = target.parent_path() / name;
        int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Keeps the permission bits a user gave the existing file.
bool CopyModeFrom(const fs::path &target, int fd)
{
    struct stat st
    {
    };
    if (::stat(target.c_str(), &st) != 0)
        return errno == ENOENT;
    return ::fchmod(fd, st.st_mode & 07777) == 0;
}

// Makes the rename itself durable; a failure here does not undo the
// replacement, so it is not reported.
void SyncFolder(const fs::path &folder)
{
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool ReplaceFileAtomically(const fs::path &target, std::string_view bytes)
{
    const fs::path finalPath = ResolveTarget(target);
    fs::path tempPath;
    int fd = CreateTemporaryBeside(finalPath, tempPath);
    if (fd < 0)
        return false;
    bool ok = CopyModeFrom(finalPath, fd) && WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok)
        ok = ::rename(tempPath.c_str(), finalPath.c_str()) == 0;
    if (!ok) {
        ::unlink(tempPath.c_str());
        return false;
    }
    SyncFolder(finalPath.parent_path());
    return true;
}
