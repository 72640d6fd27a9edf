// The box text boundary (boxtext.h) for every code page: the engine's byte
// text in the code page <-> the QString a box holds, with the same
// conventions as for GBK (CR LF is one line break, lone CR and LF show as
// U+240D and U+240A, a byte that forms no shown character is an escape).
// For GBK these are exactly the GBK functions of boxtext.h.
#pragma once

#include "convert/boxtext.h"
#include "convert/codepage.h"

// Byte text (an engine rendering) -> text to show in a box.
QString BoxTextFromBytes(CodePageId page, std::string_view bytes);

// Box text -> byte text. Returns the byte count (0 for an empty text, `out`
// untouched), or -(p + 1) for the first character the code page cannot
// encode, p being the byte offset at which it would stand.
ConvResult BytesFromBoxText(CodePageId page, QStringView text, ByteString &out);

// The index of the character of `text` that covers byte `byteOffset` of its
// byte text; text.size() for an offset at or past the end.
qsizetype ByteOffsetToCharPos(CodePageId page, QStringView text, std::size_t byteOffset);
