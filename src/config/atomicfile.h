// Replacing a whole file so that readers see either the old or the new
// contents, never a mixture or a truncated file.
#pragma once

#include <chrono>
#include <filesystem>
#include <string_view>

// Writes `bytes` to a new file in the folder of `target`, flushes it to the
// disk and renames it over `target`. A symbolic link at `target` is followed,
// so the file it points to is replaced and the link stays. An existing file's
// permission bits are carried over; a new file gets the default ones.
// Returns false, leaving `target` as it was, when any step fails.
// Temporary files of `target` that a writer killed during its save left
// behind are removed first, once the process that made them has ended.
bool ReplaceFileAtomically(const std::filesystem::path &target, std::string_view bytes);

// Writers of one file in several processes (two instances of the program,
// the command line) must take turns at read, change and replace, or the
// later replacement drops what the earlier one stored. An object of this
// class takes an exclusive advisory lock on a lock file beside `target`
// (".<name>.lock", made when needed and left in place) and keeps it while it
// lives. It waits at most `patience` for another holder to let go; when that
// holder keeps it longer, or the lock file cannot be made or opened, Held()
// is false and the writer must not replace the file.
class CReplaceLock
{
public:
    // Far longer than any save takes; a holder still there after it is stuck.
    static constexpr std::chrono::milliseconds kPatience{10000};

    explicit CReplaceLock(const std::filesystem::path &target,
                          std::chrono::milliseconds patience = kPatience);
    CReplaceLock(const CReplaceLock &) = delete;
    CReplaceLock &operator=(const CReplaceLock &) = delete;
    ~CReplaceLock();

    bool Held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
