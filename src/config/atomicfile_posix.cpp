// POSIX implementation of the atomic file replacement.
#include "config/atomicfile.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
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

// Temporary files are named ".<target>.tmp<pid>.<n>", so that the writer
// that left one behind can be told from its name.
std::string TemporaryPrefix(const fs::path &target)
{
    return "." + target.filename().string() + ".tmp";
}

// The process id in a temporary file's name, or 0 when `name` is not one of
// ours.
pid_t WriterOfTemporary(std::string_view name, std::string_view prefix)
{
    if (!name.starts_with(prefix))
        return 0;
    name.remove_prefix(prefix.size());
    const std::size_t dot = name.find('.');
    if (dot == std::string_view::npos || dot + 1 == name.size() ||
        name.find_first_not_of("0123456789", dot + 1) != std::string_view::npos)
        return 0;
    pid_t pid = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + dot, pid);
    return error == std::errc() && end == name.data() + dot ? pid : 0;
}

// A process we may not signal still runs.
bool ProcessRuns(pid_t pid)
{
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// A writer killed during a save leaves its temporary file behind; the next
// save clears those of processes that have ended. A file of a running
// process may be a save in progress and stays.
void RemoveStaleTemporaries(const fs::path &target)
{
    const std::string prefix = TemporaryPrefix(target);
    const fs::path folder = target.parent_path().empty() ? "." : target.parent_path();
    std::error_code ec;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder, ec)) {
        const pid_t writer = WriterOfTemporary(entry.path().filename().string(), prefix);
        if (writer > 0 && !ProcessRuns(writer))
            fs::remove(entry.path(), ec);
    }
}

// Creates a temporary file beside `target` with a name no other writer
// uses. O_EXCL guards against a stale file of a crashed run; the counter
// makes a retry pick a fresh name.
int CreateTemporaryBeside(const fs::path &target, fs::path &tempPath)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name =
            TemporaryPrefix(target) + std::to_string(::getpid()) + "." + std::to_string(counter++);
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

// Tries again and again instead of blocking in flock, so that a holder that
// never lets go (a stopped process) costs one failed save, not a window that
// hangs for good.
bool LockWithin(int fd, std::chrono::milliseconds patience)
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline)
            return false;
        ::usleep(2000);
    }
    return true;
}

} // namespace

bool ReplaceFileAtomically(const fs::path &target, std::string_view bytes)
{
    const fs::path finalPath = ResolveTarget(target);
    RemoveStaleTemporaries(finalPath);
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

CReplaceLock::CReplaceLock(const fs::path &target, std::chrono::milliseconds patience)
{
    const fs::path file = ResolveTarget(target);
    const fs::path lock = file.parent_path() / ("." + file.filename().string() + ".lock");
    // flock needs no write access, so a lock file another user made serves too.
    m_fd = ::open(lock.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd >= 0 && !LockWithin(m_fd, patience)) {
        ::close(m_fd);
        m_fd = -1;
    }
}

CReplaceLock::~CReplaceLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // drops the lock
}
