#include "widgets/editex.h"

#include "convert/boxtext.h"
#include "convert/codepagetext.h"
#include "convert/userfileqt.h"
#include "stringtable.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QScrollBar>
#include <QTextCursor>
#include <QUrl>
#include <QWheelEvent>

#include <optional>

namespace {

// What a character typed in hex notation becomes: itself, its upper-case
// form, or nothing (swallowed).
std::optional<QChar> HexTypedChar(QChar ch)
{
    const char16_t code = ch.unicode();
    if (code <= 0x20 || (code >= u'0' && code <= u'9') || (code >= u'A' && code <= u'F'))
        return ch;
    if (code >= u'a' && code <= u'f')
        return QChar(static_cast<char16_t>(code - u'a' + u'A'));
    return std::nullopt;
}

// The typed text as hex notation lets it in: null when any character of it
// must be swallowed.
QString FilterHexKeyText(const QString &text)
{
    QString filtered;
    for (QChar ch : text) {
        const std::optional<QChar> typed = HexTypedChar(ch);
        if (!typed)
            return {};
        filtered.append(*typed);
    }
    return filtered;
}

// Input-method text is filtered character by character instead: what
// survives of a composed text is still typed.
QString FilterHexCommitText(const QString &text)
{
    QString filtered;
    for (QChar ch : text) {
        if (const std::optional<QChar> typed = HexTypedChar(ch))
            filtered.append(*typed);
    }
    return filtered;
}

// The path a dropped file stands for: a symbolic link (the desktop's
// shortcut) is followed to its target; empty for a link to nothing.
QString ResolveShortcut(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.canonicalFilePath() : path;
}

qsizetype CharLengthAt(const QString &text, qsizetype pos)
{
    if (pos >= text.size())
        return 0;
    const bool pair =
        text[pos].isHighSurrogate() && pos + 1 < text.size() && text[pos + 1].isLowSurrogate();
    return pair ? 2 : 1;
}

} // namespace

CEditEx::CEditEx(QWidget *parent) : QPlainTextEdit(parent)
{
    // Long lines wrap; the box never scrolls sideways.
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ShowControlPicturesDim();
}

void CEditEx::SetData(const uint8_t *bytes, std::size_t count, int mode)
{
    if (bytes == nullptr)
        return;
    if (mode == 0 || mode == 1)
        m_bHex = mode == 1;
    if (count == 0)
        return;
    const std::span<const uint8_t> source(bytes, count);
    ByteString rendering;
    if (m_bHex)
        BytesToHex(source, rendering, ' ');
    else
        BytesToAscii(source, rendering, RulesOf(m_codePage));
    SetGbkText(rendering.view());
}

ConvResult CEditEx::GetData(ByteString &out) const
{
    if (document()->isEmpty())
        return 0;
    const QString text = Text();
    out.reset();
    ByteString gbk;
    const ConvResult encoded = BytesFromBoxText(m_codePage, text, gbk);
    if (IsConvError(encoded))
        return encoded;
    return m_bHex ? HexToBytes(gbk.view(), out) : AsciiToBytes(gbk.view(), out);
}

bool CEditEx::SetHexMode(bool hex)
{
    m_bHex = hex;
    ByteString gbk;
    ConvResult result = GetGbkText(gbk);
    if (result == 0)
        return true;
    ByteString converted;
    if (!IsConvError(result))
        result = hex ? AsciiToHex(gbk.view(), converted)
                     : HexToAscii(gbk.view(), converted, RulesOf(m_codePage));
    if (IsConvError(result)) {
        // The text stays as it is, and so does the notation it is written in.
        m_bHex = !hex;
        HighlightInputError(result);
        return false;
    }
    SetGbkText(converted.view());
    return true;
}

void CEditEx::HighlightInputError(std::size_t byteOffset)
{
    const QString text = Text();
    const qsizetype pos = ByteOffsetToCharPos(m_codePage, text, byteOffset);
    SelectText(pos, pos + CharLengthAt(text, pos));
    setFocus(Qt::OtherFocusReason);
}

ConvResult CEditEx::GetGbkText(ByteString &out) const
{
    return BytesFromBoxText(m_codePage, Text(), out);
}

void CEditEx::SetGbkText(std::string_view gbk)
{
    SetText(BoxTextFromBytes(m_codePage, gbk));
}

void CEditEx::ClearText()
{
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
}

void CEditEx::SetFileDropEnabled(bool enabled)
{
    m_fileDrop = enabled;
    if (enabled)
        setAcceptDrops(true);
}

void CEditEx::keyPressEvent(QKeyEvent *event)
{
    if (HandleRowKey(event))
        return;
    const QString text = event->text();
    // Control combinations are commands (copy, paste, undo), not typing.
    if (!m_bHex || text.isEmpty() || event->modifiers().testFlag(Qt::ControlModifier)) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const QString filtered = FilterHexKeyText(text);
    if (filtered.isNull()) {
        event->accept();
        return;
    }
    if (filtered == text) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent upper(event->type(), event->key(), event->modifiers(), filtered,
                    event->isAutoRepeat(), static_cast<quint16>(event->count()));
    QPlainTextEdit::keyPressEvent(&upper);
    event->setAccepted(upper.isAccepted());
}

void CEditEx::inputMethodEvent(QInputMethodEvent *event)
{
    if (!m_bHex) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // No composition is shown in hex notation; only what it commits counts.
    QInputMethodEvent filtered;
    filtered.setCommitString(FilterHexCommitText(event->commitString()), event->replacementStart(),
                             event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
    event->accept();
}

bool CEditEx::CanScrollVertically() const
{
    const QScrollBar *bar = verticalScrollBar();
    return bar->maximum() > bar->minimum();
}

// A box with nothing to scroll hands the wheel to its parent, where the view
// scrolls the command strip.
void CEditEx::wheelEvent(QWheelEvent *event)
{
    QWidget *parent = parentWidget();
    if (parent == nullptr || CanScrollVertically()) {
        QPlainTextEdit::wheelEvent(event);
        return;
    }
    QWheelEvent forwarded(viewport()->mapTo(parent, event->position()), event->globalPosition(),
                          event->pixelDelta(), event->angleDelta(), event->buttons(),
                          event->modifiers(), event->phase(), event->inverted(), event->source());
    QCoreApplication::sendEvent(parent, &forwarded);
    event->accept();
}

bool CEditEx::IsFileDrag(const QMimeData *mime)
{
    return mime != nullptr && mime->hasUrls() && !mime->urls().isEmpty() &&
           mime->urls().constFirst().isLocalFile();
}

// Answers a drag of files: taken where file drop is on, refused elsewhere
// (a box without file drop takes no files, not even as text). False for any
// other drag, which the text edit handles.
bool CEditEx::AnswerFileDrag(QDropEvent *event) const
{
    if (!IsFileDrag(event->mimeData()))
        return false;
    if (m_fileDrop)
        event->acceptProposedAction();
    else
        event->ignore();
    return true;
}

void CEditEx::dragEnterEvent(QDragEnterEvent *event)
{
    if (!AnswerFileDrag(event))
        QPlainTextEdit::dragEnterEvent(event);
}

void CEditEx::dragMoveEvent(QDragMoveEvent *event)
{
    if (!AnswerFileDrag(event))
        QPlainTextEdit::dragMoveEvent(event);
}

void CEditEx::dropEvent(QDropEvent *event)
{
    if (!IsFileDrag(event->mimeData())) {
        QPlainTextEdit::dropEvent(event);
        return;
    }
    if (!m_fileDrop) {
        event->ignore();
        return;
    }
    // Only the first of several dropped files is taken.
    const QString path = event->mimeData()->urls().constFirst().toLocalFile();
    event->acceptProposedAction();
    OnFileDropped(path);
}

void CEditEx::OnFileDropped(const QString &path)
{
    const QString target = ResolveShortcut(path);
    const QFileInfo info(target);
    if (target.isEmpty() || !info.exists() || info.isDir())
        return; // a folder, or nothing there
    LoadFile(target);
}

void CEditEx::LoadFile(const QString &path)
{
    QFile file;
    LoadedBytes loaded;
    if (OpenRegularFile(file, path))
        loaded = ReadLoadable(file);
    file.close();
    if (loaded.outcome == LoadedBytes::ReadFailed) {
        QMessageBox::warning(this, LoadString(IDR_MAINFRAME), LoadString(IDS_FILE_LOCKED));
        return;
    }
    if (loaded.outcome == LoadedBytes::TooLarge) {
        const auto answer =
            QMessageBox::question(this, LoadString(IDR_MAINFRAME), LoadString(IDS_FILE_TOO_LARGE),
                                  QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok);
        if (answer == QMessageBox::Ok)
            emit viewRequest(kRequestSelectFile, path);
        return;
    }
    SetData(reinterpret_cast<const uint8_t *>(loaded.bytes.constData()),
            static_cast<std::size_t>(loaded.bytes.size()), -1);
}
