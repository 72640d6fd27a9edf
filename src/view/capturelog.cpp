#include "view/capturelog.h"

#include <QDateTime>

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

bool NeedsEscape(uint8_t byte)
{
    return byte < 0x20 || byte == 0x7F || byte == '\\';
}
} // namespace

CCaptureLog::CCaptureLog(QObject *parent) : QObject(parent)
{
    m_flush.setInterval(kFlushMs);
    connect(&m_flush, &QTimer::timeout, this, [this] {
        if (!WritePending())
            emit failed(m_failure);
    });
}

CCaptureLog::~CCaptureLog()
{
    Close();
}

QString CCaptureLog::Open(const QString &path, Form form, bool withSent)
{
    Close();
    m_file.setFileName(path);
    // Unbuffered: a full disk shows at the write that meets it.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        m_failure = Failure();
        return m_failure;
    }
    m_form = form;
    m_withSent = withSent;
    m_flush.start();
    return {};
}

QString CCaptureLog::Close()
{
    m_flush.stop();
    if (!m_file.isOpen())
        return {};
    const bool written = WritePending();
    m_file.close();
    return written ? QString() : m_failure;
}

void CCaptureLog::Sent(const uint8_t *bytes, std::size_t count)
{
    if (m_withSent)
        Add('>', bytes, count);
}

void CCaptureLog::Add(char mark, const uint8_t *bytes, std::size_t count)
{
    if (!m_file.isOpen() || count == 0)
        return;
    switch (m_form) {
    case Form::Raw:
        m_pending.append(reinterpret_cast<const char *>(bytes), qsizetype(count));
        break;
    case Form::HexLines:
        AddHexLines(mark, bytes, count);
        break;
    case Form::TextLines:
        AddTextLine(mark, bytes, count);
        break;
    }
    if (m_pending.size() >= kWriteAhead && !WritePending())
        emit failed(m_failure);
}

void CCaptureLog::AddHexLines(char mark, const uint8_t *bytes, std::size_t count)
{
    // A line: the mark, then " HH" for each of up to kHexPerLine bytes, LF.
    const std::size_t lines = (count + kHexPerLine - 1) / kHexPerLine;
    const qsizetype start = m_pending.size();
    m_pending.resize(start + qsizetype(lines * 2 + count * 3));
    char *out = m_pending.data() + start;
    for (std::size_t at = 0; at < count; ++at) {
        if (at % kHexPerLine == 0)
            *out++ = mark;
        *out++ = ' ';
        *out++ = kHexDigits[bytes[at] >> 4];
        *out++ = kHexDigits[bytes[at] & 15];
        if (at % kHexPerLine == kHexPerLine - 1 || at + 1 == count)
            *out++ = '\n';
    }
}

void CCaptureLog::AddTextLine(char mark, const uint8_t *bytes, std::size_t count)
{
    AppendTimestamp();
    // At most four characters a byte, written in place.
    const qsizetype start = m_pending.size();
    m_pending.resize(start + 3 + qsizetype(count) * 4);
    char *out = m_pending.data() + start;
    *out++ = mark;
    *out++ = ' ';
    std::size_t charEnd = 0; // the end of the code page's last character
    for (std::size_t at = 0; at < count; ++at) {
        const uint8_t byte = bytes[at];
        if (m_rules && byte >= 0x80 && at >= charEnd) {
            const std::size_t length = ShownCharLength(*m_rules, {bytes + at, count - at});
            charEnd = length == 0 ? at : at + length;
        }
        if (byte == '\\') {
            *out++ = '\\';
            *out++ = '\\';
        } else if (NeedsEscape(byte) || (m_rules && byte >= 0x80 && at >= charEnd)) {
            *out++ = '\\';
            *out++ = 'x';
            *out++ = kHexDigits[byte >> 4];
            *out++ = kHexDigits[byte & 15];
        } else {
            *out++ = char(byte);
        }
    }
    *out++ = '\n';
    m_pending.truncate(out - m_pending.constData());
}

// Formatting a date costs more than a read of a few bytes: the part up to
// the seconds is formatted once a second, the milliseconds by hand.
void CCaptureLog::AppendTimestamp()
{
    const qint64 ms = QDateTime::currentMSecsSinceEpoch();
    if (ms / 1000 != m_stampSecond) {
        m_stampSecond = ms / 1000;
        m_stampPrefix = QDateTime::fromSecsSinceEpoch(m_stampSecond)
                            .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss."))
                            .toLatin1();
    }
    const int milli = int(ms % 1000);
    m_pending.append(m_stampPrefix);
    m_pending.append(char('0' + milli / 100));
    m_pending.append(char('0' + milli / 10 % 10));
    m_pending.append(char('0' + milli % 10));
    m_pending.append(' ');
}

// False when the file refused bytes; it is closed then, and what it took
// before stays in it.
bool CCaptureLog::WritePending()
{
    if (!m_file.isOpen())
        return true;
    const bool written = m_pending.isEmpty() || m_file.write(m_pending) == m_pending.size();
    m_pending.resize(0); // keeps the capacity for the next round
    if (written && m_file.flush())
        return true;
    m_failure = Failure();
    m_flush.stop();
    m_file.close();
    return false;
}

QString CCaptureLog::Failure() const
{
    return QStringLiteral("%1: %2").arg(m_file.fileName(), m_file.errorString());
}
