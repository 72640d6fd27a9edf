#include "capturelog.h"

#include <QDateTime>

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendHex(QByteArray &out, uint8_t byte)
{
    out.append(kHexDigits[byte >> 4]);
    out.append(kHexDigits[byte & 15]);
}

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
    for (std::size_t at = 0; at < count; ++at) {
        if (at % kHexPerLine == 0)
            m_pending.append(mark);
        m_pending.append(' ');
        AppendHex(m_pending, bytes[at]);
        if (at % kHexPerLine == kHexPerLine - 1 || at + 1 == count)
            m_pending.append('\n');
    }
}

void CCaptureLog::AddTextLine(char mark, const uint8_t *bytes, std::size_t count)
{
    const QDateTime now = QDateTime::currentDateTime();
    m_pending.append(now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz ")).toLatin1());
    m_pending.append(mark);
    m_pending.append(' ');
    for (std::size_t at = 0; at < count; ++at) {
        const uint8_t byte = bytes[at];
        if (byte == '\\') {
            m_pending.append("\\\\");
        } else if (NeedsEscape(byte)) {
            m_pending.append("\\x");
            AppendHex(m_pending, byte);
        } else {
            m_pending.append(char(byte));
        }
    }
    m_pending.append('\n');
}

// False when the file refused bytes; it is closed then, and what it took
// before stays in it.
bool CCaptureLog::WritePending()
{
    if (!m_file.isOpen())
        return true;
    const bool written = m_pending.isEmpty() || m_file.write(m_pending) == m_pending.size();
    m_pending.clear();
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
