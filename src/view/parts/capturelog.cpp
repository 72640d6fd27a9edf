#include "view/parts/capturelog.h"

#include <QDateTime>
#include <QFile>

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
    m_path = path;
    // Unbuffered: a full disk shows at the write that meets it.
    const CAppendFile::Outcome outcome = m_file.Open(QFile::encodeName(path).constData());
    if (outcome != CAppendFile::Outcome::Opened) {
        m_failure = OpenFailure(outcome);
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
    if (!m_file.IsOpen())
        return {};
    if (!m_sending.isEmpty())
        Note(tr("端口关闭时还有 %1 字节没有发送完，未记录").arg(m_sending.size()));
    m_sending.clear();
    const bool written = WritePending();
    m_file.Close();
    return written ? QString() : m_failure;
}

void CCaptureLog::Sending(const uint8_t *bytes, std::size_t count)
{
    if (m_withSent && m_file.IsOpen())
        m_sending.append(reinterpret_cast<const char *>(bytes), qsizetype(count));
}

void CCaptureLog::SendDone(bool written)
{
    const QByteArray sent = std::exchange(m_sending, QByteArray());
    if (!written && !sent.isEmpty())
        Note(tr("发送失败的 %1 字节未记录").arg(sent.size()));
    else if (written)
        Add('>', reinterpret_cast<const uint8_t *>(sent.constData()), std::size_t(sent.size()));
}

void CCaptureLog::Note(const QString &text)
{
    if (!m_file.IsOpen() || m_form == Form::Raw)
        return;
    if (m_form == Form::TextLines)
        AppendTimestamp();
    m_pending.append("# ");
    m_pending.append(text.toUtf8());
    m_pending.append('\n');
}

void CCaptureLog::Add(char mark, const uint8_t *bytes, std::size_t count)
{
    if (!m_file.IsOpen() || count == 0)
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

// False when the file refused bytes or its path no longer names it; it is
// closed then, and what it took before stays in it.
bool CCaptureLog::WritePending()
{
    if (!m_file.IsOpen())
        return true;
    const QByteArray name = QFile::encodeName(m_path);
    if (!m_file.StillNamedBy(name.constData())) {
        m_failure = Failure(tr("文件已被删除或移走"));
    } else if (m_file.Write(m_pending.constData(), std::size_t(m_pending.size()))) {
        m_pending.resize(0); // keeps the capacity for the next round
        return true;
    } else {
        m_failure = Failure(qt_error_string(m_file.Error()));
    }
    m_pending.resize(0);
    m_flush.stop();
    m_file.Close();
    return false;
}

QString CCaptureLog::Failure(const QString &reason) const
{
    return QStringLiteral("%1: %2").arg(m_path, reason);
}

QString CCaptureLog::OpenFailure(CAppendFile::Outcome outcome) const
{
    switch (outcome) {
    case CAppendFile::Outcome::NotRegular:
        return Failure(tr("不是普通文件"));
    case CAppendFile::Outcome::Locked:
        return Failure(tr("另一个程序正在记录到这个文件"));
    case CAppendFile::Outcome::Failed:
    case CAppendFile::Outcome::Opened:
        break;
    }
    return Failure(qt_error_string(m_file.Error()));
}
