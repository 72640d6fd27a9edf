#include "widgets/editrows.h"

namespace {

constexpr char16_t kPictureBase = u'\u2400';
constexpr char16_t kFirstNonControl = 0x20;

// Where the row that starts at `from` ends.
qsizetype RowEnd(QStringView line, qsizetype from)
{
    const qsizetype limit = from + kEditRowChars;
    if (limit >= line.size())
        return line.size();
    for (qsizetype end = limit; end > from + kEditRowChars / 2; --end) {
        if (line[end - 1] == u' ' || line[end] == u'<')
            return end;
    }
    return line[limit - 1].isHighSurrogate() ? limit - 1 : limit;
}

} // namespace

bool IsPicturedControl(char16_t ch)
{
    return ch < kFirstNonControl && ch != u'\t' && ch != u'\n' && ch != u'\r';
}

bool IsControlPicture(char16_t ch)
{
    return ch >= kPictureBase && ch < kPictureBase + kFirstNonControl;
}

QString WithControlPictures(QStringView text)
{
    QString shown = text.toString();
    for (QChar &ch : shown) {
        if (IsPicturedControl(ch.unicode()))
            ch = QChar(char16_t(kPictureBase + ch.unicode()));
    }
    return shown;
}

void RestoreControls(QString &text)
{
    for (QChar &ch : text) {
        const char16_t code = ch.unicode();
        if (IsControlPicture(code) && IsPicturedControl(char16_t(code - kPictureBase)))
            ch = QChar(char16_t(code - kPictureBase));
    }
}

std::vector<QStringView> SplitIntoRows(QStringView line)
{
    std::vector<QStringView> rows;
    qsizetype from = 0;
    do {
        const qsizetype end = RowEnd(line, from);
        rows.push_back(line.sliced(from, end - from));
        from = end;
    } while (from < line.size());
    return rows;
}
