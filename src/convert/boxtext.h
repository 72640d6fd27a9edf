// The boundary between the engine's byte texts and the Qt strings an edit box
// holds.
//
// The engine renders and reads texts as bytes in the GBK code page. A box
// holds a QString. These functions convert between the two so that nothing is
// lost: for every byte text t,
//     AsciiToBytes(GbkFromBoxText(BoxTextFromGbk(t))) == AsciiToBytes(t),
// and the GBK text itself comes back unchanged whenever every lead byte of t
// starts a pair shown as a character and t holds no bytes 0x00..0x07 or 0xFF
// (which is the case for every rendering of BytesToHex, and of BytesToAscii
// without pairs shown escaped).
//
// Box text conventions:
//  - a CR LF pair is one line break ('\n', the box's own line break);
//  - a lone CR is shown as U+240D, a lone LF as U+240A, and read back as the
//    byte;
//  - bytes a box cannot show as characters (0x00..0x07, 0xFF, a lead byte
//    without a decodable partner, both bytes of an undecodable pair of
//    high bytes, both bytes of a pair that decodes to a private-use
//    character U+E000..U+F8FF) are shown as "<\xHH>" escapes, which
//    AsciiToBytes reads back as the same bytes.
//
// A box character that GBK cannot encode is an input error at its byte
// offset in the GBK text, so errors from here and from the engine are both
// byte offsets; ByteOffsetToCharPos() turns either into the character to
// select.
//
// The character tables are built once from Qt's "GBK" converter (ICU) on
// first use; the functions are then pure and may be called from any thread.
#pragma once

#include "convert/bytestring.h"
#include "convert/convert.h"

#include <QString>
#include <QStringView>

#include <cstddef>
#include <string_view>

inline constexpr char16_t kLoneCrPlaceholder = u'\u240D';
inline constexpr char16_t kLoneLfPlaceholder = u'\u240A';

// True when Qt offers the GBK converter these functions are built on.
bool GbkCodecAvailable();

// GBK byte text (an engine rendering, a file's bytes) -> text to show in a box.
QString BoxTextFromGbk(std::string_view gbk);

// Box text -> GBK byte text. Returns the byte count (0 for an empty text,
// `out` untouched), or -(p + 1) for the first character GBK cannot encode,
// p being the byte offset at which it would stand; `out` is then untouched.
ConvResult GbkFromBoxText(QStringView text, ByteString &out);

// The index of the character of `text` that covers byte `byteOffset` of its
// GBK text (a line break covers two bytes, a double-byte character two, any
// other character one); text.size() for an offset at or past the end.
qsizetype ByteOffsetToCharPos(QStringView text, std::size_t byteOffset);
