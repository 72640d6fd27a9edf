// How an edit box keeps its text in the document: long lines cut into rows,
// control characters shown as their pictures.
//
// A text document lays out a whole block whenever one character of it
// changes, and wraps a line without spaces in time that grows with the square
// of its length: one line of a megabyte (200 KB of zero bytes in Ascii
// notation) took minutes to show, and every key pressed in it a second. So
// the box holds a long line as rows of at most kEditRowChars characters, one
// block each, and marks every block that continues the line of the block
// before it. The box's text joins the rows again.
//
// Control characters other than TAB, CR and LF take no room in a text layout,
// so a received 0x12 would be invisible. The document holds their pictures
// (U+2400 + code) instead, which GBK cannot encode and so never stand for a
// character of their own; the box's text has the controls back.
//
// Pure functions on strings: any thread.
#pragma once

#include <QString>
#include <QStringView>

#include <vector>

inline constexpr qsizetype kEditRowChars = 1024;

// True for a control character the document shows as its picture.
bool IsPicturedControl(char16_t ch);
// True for the picture of a control character, including the pictures of a
// lone CR and LF that the box text itself uses.
bool IsControlPicture(char16_t ch);

// The text with every pictured control character replaced by its picture.
QString WithControlPictures(QStringView text);
// The reverse, in place. The pictures of CR and LF stay: they are part of the
// box text (boxtext.h).
void RestoreControls(QString &text);

// A line (no line breaks in it) cut into rows of at most kEditRowChars
// characters. A row ends after a space or before a '<', where a notation's
// token or escape ends, when there is one in its second half, and never
// between the two halves of a surrogate pair.
std::vector<QStringView> SplitIntoRows(QStringView line);
