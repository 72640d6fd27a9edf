#include "clistream.h"

#include "port/porterror.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

CCliStream::CCliStream() = default;

CCliStream::~CCliStream()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool CCliStream::Open(const std::string &path, std::string &error)
{
    // Standard input is duplicated rather than changed: its mode belongs to
    // whoever started the program as well.
    m_fd = path == "-" ? ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0)
                       : ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st
    {
    };
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0) {
        error = SystemErrorWords(errno);
        return false;
    }
    m_regular = S_ISREG(st.st_mode);
    m_size = m_regular ? uint64_t(st.st_size) : 0;
    if (!m_regular) {
        m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
        m_notifier->setEnabled(false);
        connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
            m_notifier->setEnabled(false);
            m_mayRead = true;
            if (m_ready)
                std::exchange(m_ready, nullptr)();
        });
    }
    return true;
}

// A pipe is read once per readiness, so that a read never waits even when
// the descriptor blocks (standard input keeps its own mode).
CCliStream::Got CCliStream::Read(std::vector<uint8_t> &piece)
{
    if (!m_regular && !std::exchange(m_mayRead, false))
        return Got::Later;
    piece.resize(kPieceSize);
    ssize_t n;
    do {
        n = ::read(m_fd, piece.data(), piece.size());
    } while (n < 0 && errno == EINTR);
    piece.resize(n > 0 ? std::size_t(n) : 0);
    if (n > 0)
        return Got::Bytes;
    if (n == 0)
        return Got::End;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
        return Got::Later;
    m_error = SystemErrorWords(errno);
    return Got::Failed;
}

void CCliStream::WhenReadable(std::function<void()> ready)
{
    m_ready = std::move(ready);
    if (m_notifier)
        m_notifier->setEnabled(true);
}

bool CCliStream::Rewind()
{
    return m_regular && ::lseek(m_fd, 0, SEEK_SET) == 0;
}
