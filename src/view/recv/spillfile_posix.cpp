#include "view/recv/spillfile.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {
constexpr uint64_t kPage = 4096;

QString ErrnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// O_TMPFILE gives a file that never had a name; where the file system lacks
// it, a named file is unlinked at once.
int OpenUnlinked(const QByteArray &folder)
{
    const int fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    QByteArray name = folder + "/tarvik-history-XXXXXX";
    const int named = ::mkostemp(name.data(), O_CLOEXEC);
    if (named >= 0)
        ::unlink(name.constData());
    return named;
}
} // namespace

CSpillRecord::CSpillRecord(std::shared_ptr<CSpillFile> file, const uint8_t *data, std::size_t size,
                           uint64_t offset)
    : m_file(std::move(file)), m_data(data), m_size(size), m_offset(offset)
{
}

CSpillRecord::~CSpillRecord()
{
    ::munmap(const_cast<uint8_t *>(m_data), m_size);
    m_file->Free(m_offset, m_size);
}

// A file system without holes keeps the space until the file closes.
void CSpillFile::Free(uint64_t offset, std::size_t size) const
{
    ::fallocate(m_fd, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, off_t(offset), off_t(size));
}

void CSpillRecord::LoadPages() const
{
    auto *data = const_cast<uint8_t *>(m_data);
#ifdef MADV_POPULATE_READ
    if (::madvise(data, m_size, MADV_POPULATE_READ) == 0)
        return;
#endif
    ::madvise(data, m_size, MADV_WILLNEED); // older kernels: read ahead at least
}

void CSpillRecord::DropPages() const
{
    ::madvise(const_cast<uint8_t *>(m_data), m_size, MADV_DONTNEED);
}

QString CSpillFile::DefaultFolder()
{
    const QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    return cache.isEmpty() ? QStringLiteral("/tmp") : cache;
}

std::shared_ptr<CSpillFile> CSpillFile::Create(const QString &folder, QString &error)
{
    QDir().mkpath(folder);
    const int fd = OpenUnlinked(QFile::encodeName(folder));
    if (fd < 0) {
        error = ErrnoText(errno);
        return nullptr;
    }
    return std::shared_ptr<CSpillFile>(new CSpillFile(fd));
}

CSpillFile::~CSpillFile()
{
    ::close(m_fd);
}

bool CSpillFile::WriteAt(uint64_t offset, std::span<const uint8_t> bytes, QString &error) const
{
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(m_fd, bytes.data(), bytes.size(), off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = ErrnoText(n < 0 ? errno : ENOSPC);
            return false;
        }
        bytes = bytes.subspan(std::size_t(n));
        offset += uint64_t(n);
    }
    return true;
}

// Left to the kernel, the dirty pages of a long session pile up until a
// tenth of the memory is dirty and then are flushed all at once, for the
// rest of the session, by a flusher thread that competes with the window.
// Starting each record's write-back at once pays the same cost evenly, from
// the first record on, and in this (low-priority) thread. The pages stay
// cached; only their writing starts.
void CSpillFile::StartWriteBack(uint64_t offset, std::size_t size) const
{
    ::sync_file_range(m_fd, off64_t(offset), off64_t(size), SYNC_FILE_RANGE_WRITE);
}

std::shared_ptr<const CSpillRecord>
CSpillFile::Append(std::span<const std::span<const uint8_t>> parts, QString &error)
{
    const uint64_t start = m_end;
    uint64_t at = start;
    for (const std::span<const uint8_t> part : parts) {
        if (!WriteAt(at, part, error)) {
            if (::ftruncate(m_fd, off_t(start)) != 0)
                error += QStringLiteral(" (") + ErrnoText(errno) + u')';
            return nullptr;
        }
        at += part.size();
    }
    const std::size_t size = std::size_t(at - start);
    StartWriteBack(start, size);
    void *mapped = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, m_fd, off_t(start));
    if (mapped == MAP_FAILED) {
        error = ErrnoText(errno);
        if (::ftruncate(m_fd, off_t(start)) != 0)
            error += QStringLiteral(" (") + ErrnoText(errno) + u')';
        return nullptr;
    }
    m_end = (at + kPage - 1) / kPage * kPage;
    return std::make_shared<CSpillRecord>(shared_from_this(), static_cast<const uint8_t *>(mapped),
                                          size, start);
}
