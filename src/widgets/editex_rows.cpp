// The document side of CEditEx: rows of long lines, control pictures, and the
// edits that must keep both (Enter, paste and drop, keys at a row seam, copy).
#include "widgets/editex.h"
#include "widgets/editrows.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QSyntaxHighlighter>
#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

// Set on a block that continues the line of the block before it.
constexpr int kContinuesLine = QTextFormat::UserProperty + 1;

bool ContinuesLine(const QTextBlock &block)
{
    return block.isValid() && block.blockFormat().boolProperty(kContinuesLine);
}

QTextBlockFormat RowFormat(bool continuesLine)
{
    QTextBlockFormat format;
    if (continuesLine)
        format.setProperty(kContinuesLine, true);
    return format;
}

// What toPlainText() makes of a block's characters, so reading the box by
// rows changes nothing else: a line separator (Shift+Enter) is a line break
// and a no-break space a space.
void AsPlainText(QString &text)
{
    text.replace(QChar::LineSeparator, u'\n').replace(QChar::Nbsp, u' ');
}

// Pasted text breaks lines where the text document would: at CR LF, a lone
// CR, LF and the paragraph separator.
QString WithLineFeeds(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(u'\r', u'\n')
        .replace(QChar::ParagraphSeparator, u'\n');
    return lines;
}

// Calls onRow(row, continuesLine) for each row of the document's text
// `shown`, its lines cut as editrows.h says.
template <class OnRow> void ForEachRow(QStringView shown, OnRow &&onRow)
{
    for (QStringView line : shown.tokenize(u'\n')) {
        bool continuesLine = false;
        for (QStringView row : SplitIntoRows(line)) {
            onRow(row, continuesLine);
            continuesLine = true;
        }
    }
}

// Dims the pictures of control characters, as the receive view draws its
// line feed's.
class CControlPictureHighlighter : public QSyntaxHighlighter
{
public:
    CControlPictureHighlighter(QTextDocument *document, const QColor &dim)
        : QSyntaxHighlighter(document)
    {
        m_dim.setForeground(dim);
    }

protected:
    void highlightBlock(const QString &text) override
    {
        for (qsizetype i = 0; i < text.size();) {
            qsizetype end = i;
            while (end < text.size() && IsControlPicture(text[end].unicode()))
                ++end;
            if (end > i)
                setFormat(int(i), int(end - i), m_dim);
            i = end + 1;
        }
    }

private:
    QTextCharFormat m_dim;
};

} // namespace

void CEditEx::ShowControlPicturesDim()
{
    new CControlPictureHighlighter(document(), palette().color(QPalette::PlaceholderText));
}

QString CEditEx::Text() const
{
    return TextBetween(0, document()->characterCount() - 1);
}

void CEditEx::SetText(const QString &text)
{
    // setPlainText() lays out nothing before it is shown and resets the caret,
    // the scroll position and the undo history; the rows are marked after it,
    // outside the undo history.
    QString rows;
    rows.reserve(text.size() + text.size() / kEditRowChars + 1);
    std::vector<bool> continues; // per block
    ForEachRow(WithControlPictures(text), [&](QStringView row, bool continuesLine) {
        if (!continues.empty())
            rows.append(u'\n');
        continues.push_back(continuesLine);
        rows.append(row);
    });
    setPlainText(rows);
    QTextDocument *doc = document();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    QTextBlock block = doc->begin();
    for (std::size_t i = 0; i < continues.size() && block.isValid(); ++i, block = block.next()) {
        if (continues[i]) {
            cursor.setPosition(block.position());
            cursor.setBlockFormat(RowFormat(true));
        }
    }
    cursor.endEditBlock();
    doc->setUndoRedoEnabled(undo);
}

QString CEditEx::TextBetween(int from, int to) const
{
    QString text;
    for (QTextBlock block = document()->findBlock(from); block.isValid() && block.position() <= to;
         block = block.next()) {
        const int start = std::max(from, block.position());
        const int separator = block.position() + block.length() - 1;
        const int end = std::min(to, separator);
        text.append(QStringView(block.text()).sliced(start - block.position(), end - start));
        if (separator < to && !ContinuesLine(block.next()))
            text.append(u'\n');
    }
    AsPlainText(text);
    RestoreControls(text);
    return text;
}

int CEditEx::DocumentPosition(qsizetype textPos, bool endOfRange) const
{
    qsizetype blockStart = 0; // in Text()
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const qsizetype length = block.length() - 1;
        const bool seam = ContinuesLine(block.next());
        // At a seam a character stands at the start of the later row, and a
        // range ends at the end of the earlier one.
        if (textPos < blockStart + length ||
            (textPos == blockStart + length && (!seam || endOfRange)))
            return block.position() + int(textPos - blockStart);
        blockStart += length + (seam ? 0 : 1);
    }
    return document()->characterCount() - 1;
}

qsizetype CEditEx::TextPosition(int documentPos) const
{
    return TextBetween(0, documentPos).size();
}

void CEditEx::SelectText(qsizetype from, qsizetype to)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(DocumentPosition(from));
    cursor.setPosition(DocumentPosition(to, true), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void CEditEx::InsertText(QTextCursor &cursor, const QString &text)
{
    const QString shown = WithControlPictures(WithLineFeeds(text));
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    bool first = true;
    ForEachRow(shown, [&](QStringView row, bool continuesLine) {
        if (!first)
            cursor.insertBlock(RowFormat(continuesLine));
        first = false;
        cursor.insertText(row.toString());
    });
    cursor.endEditBlock();
}

QMimeData *CEditEx::createMimeDataFromSelection() const
{
    const QTextCursor cursor = textCursor();
    auto *mime = new QMimeData;
    mime->setText(TextBetween(cursor.selectionStart(), cursor.selectionEnd()));
    return mime;
}

void CEditEx::insertFromMimeData(const QMimeData *source)
{
    if (isReadOnly() || !source->hasText()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    QTextCursor cursor = textCursor();
    InsertText(cursor, source->text());
    setTextCursor(cursor);
    ensureCursorVisible();
}

bool CEditEx::HandleRowKey(QKeyEvent *event)
{
    if (isReadOnly())
        return false;
    QTextCursor cursor = textCursor();
    if (event->matches(QKeySequence::InsertParagraphSeparator)) {
        // The text edit would give the new block the format of the block the
        // caret is in, and so make a line break a seam between rows.
        InsertText(cursor, QStringLiteral("\n"));
        setTextCursor(cursor);
        ensureCursorVisible();
        return true;
    }
    // A seam is no character: a key that would stop there acts on the
    // character beyond it. Arrows that only end a selection are left alone.
    const bool extending = event->matches(QKeySequence::SelectPreviousChar) ||
                           event->matches(QKeySequence::SelectNextChar);
    if (cursor.hasSelection() && !extending)
        return false;
    const bool back = extending ? event->matches(QKeySequence::SelectPreviousChar)
                                : event->matches(QKeySequence::MoveToPreviousChar) ||
                                      event->key() == Qt::Key_Backspace;
    const bool forward = extending ? event->matches(QKeySequence::SelectNextChar)
                                   : event->matches(QKeySequence::MoveToNextChar) ||
                                         event->matches(QKeySequence::Delete);
    if (back && cursor.atBlockStart() && ContinuesLine(cursor.block()))
        StepOverRowSeam(QTextCursor::PreviousCharacter, extending);
    else if (forward && cursor.atBlockEnd() && ContinuesLine(cursor.block().next()))
        StepOverRowSeam(QTextCursor::NextCharacter, extending);
    return false;
}

void CEditEx::StepOverRowSeam(QTextCursor::MoveOperation direction, bool keepAnchor)
{
    QTextCursor cursor = textCursor();
    cursor.movePosition(direction, keepAnchor ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    setTextCursor(cursor);
}
