// CEditEx: the multi-line box that holds data as text in one of the engine's
// two notations (the send box, the receive box, the command-content box).
//
// On top of a plain text box it knows its notation (m_bHex), sets itself from
// bytes, reads its bytes back, switches notation with the whole text
// converted, filters typed keys in hex notation, passes the mouse wheel on to
// its parent when it has nothing to scroll, and (when enabled) loads a file
// dropped on it.
//
// The text shown is the engine's GBK rendering taken across the boundary of
// boxtext.h, so bytes put in come back out unchanged. The document holds it
// as editrows.h describes (long lines in rows, control characters as their
// pictures, drawn dim); Text() and everything that reads the box see the text
// itself, and copying gives the control characters back. Every input error this
// class reports is -(p + 1) with p a byte offset into the box's GBK text;
// HighlightInputError() selects the character it falls on.
//
// Window thread only.
#pragma once

#include "convert/bytestring.h"
#include "convert/codepage.h"
#include "convert/convert.h"
#include "viewmessages.h"

#include <QPlainTextEdit>
#include <QString>
#include <QTextCursor>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

class CEditEx : public QPlainTextEdit
{
    Q_OBJECT

public:
    explicit CEditEx(QWidget *parent = nullptr);

    // Hex notation (true) or Ascii notation (false). Callers may set it alone,
    // without converting the text.
    bool m_bHex = false;

    // mode 1: hex notation, 0: Ascii notation, -1: keep the notation. A null
    // `bytes` changes nothing; a count of 0 only sets the notation. Otherwise
    // the whole text becomes the bytes rendered in the box's notation.
    void SetData(const uint8_t *bytes, std::size_t count, int mode);
    void SetData(std::span<const uint8_t> bytes, int mode)
    {
        SetData(bytes.data(), bytes.size(), mode);
    }

    // The box's bytes in its notation: the count, 0 for an empty box (`out`
    // untouched), or -(p + 1) for an input error at byte p of the GBK text,
    // `out` then empty. In Ascii notation the only input error is a character
    // GBK cannot encode.
    ConvResult GetData(ByteString &out) const;

    // Switches the notation, converting the text. False, with the bad
    // character highlighted and nothing changed, when the text cannot be
    // read in its current notation (a hex input error, or in Ascii notation a
    // character GBK cannot encode).
    bool SetHexMode(bool hex);

    // Selects the one character at byte `byteOffset` of the GBK text, scrolls
    // it into view and gives the box the focus. Takes a ConvResult error too.
    void HighlightInputError(std::size_t byteOffset);
    void HighlightInputError(ConvResult error) { HighlightInputError(ConvErrorIndex(error)); }

    // The code page of the Ascii notation's text (GBK until set). Setting it
    // keeps the text; callers render the box again for the new code page.
    void SetCodePage(CodePageId page) { m_codePage = page; }
    CodePageId CodePage() const { return m_codePage; }

    // The whole text as bytes in the box's code page (the engine's text), and
    // back.
    ConvResult GetGbkText(ByteString &out) const;
    void SetGbkText(std::string_view gbk);

    // The box's text with the rows of long lines joined and the control
    // characters in place of their pictures; toPlainText() would give the
    // rows as lines. SetText() replaces the whole text, as setPlainText()
    // does (the undo history is dropped).
    QString Text() const;
    void SetText(const QString &text);
    // Positions in Text() and in the document (the text cursor's). A range
    // of Text() is selected without the seams of rows at its ends.
    qsizetype TextPosition(int documentPos) const;
    int DocumentPosition(qsizetype textPos, bool endOfRange = false) const;
    void SelectText(qsizetype from, qsizetype to);

    // Deletes the whole text as one edit the user can undo (clear() would
    // also drop the undo history).
    void ClearText();

    // Only the send box accepts dropped files.
    void SetFileDropEnabled(bool enabled);
    bool IsFileDropEnabled() const { return m_fileDrop; }

    // Loads a file as a drop would: message 2320 if it cannot be read,
    // question 2316 if it is too large.
    void LoadFile(const QString &path);

signals:
    // A request to the view (WM_VIEW_REQUEST): code 3 with a file path asks to
    // make that file the file for file sending.
    void viewRequest(int code, const QString &path);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    QMimeData *createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    // ---- rows of the document (editex_rows.cpp) ----
    QString TextBetween(int from, int to) const;
    void InsertText(QTextCursor &cursor, const QString &text);
    // Enter, and the keys that would stop at the seam of two rows of one
    // line; true when the key was handled.
    bool HandleRowKey(QKeyEvent *event);
    void ShowControlPicturesDim();
    void StepOverRowSeam(QTextCursor::MoveOperation direction, bool keepAnchor);

    bool CanScrollVertically() const;
    static bool IsFileDrag(const QMimeData *mime);
    bool AnswerFileDrag(QDropEvent *event) const;
    void OnFileDropped(const QString &path);

    bool m_fileDrop = false;
    CodePageId m_codePage = CodePageId::Gbk;
};
