// Conversions between byte strings and their two text notations.
//
// Hex notation: tokens separated by any of space, tab, LF, CR, ',' and ';'.
// A token of one character is one hex digit; a token of three characters is a
// decimal number 0..255; any other token is read as hex pairs from the left,
// an odd last digit giving one byte of its own ("12345" -> 12 34 05).
//
// Ascii notation: the bytes themselves, with a byte that cannot be shown
// written as the six-character escape "<\xHH>". Bytes 0x81..0xFE pair up
// as double-byte (GBK) characters; a lone one is escaped.
//
// Texts are byte strings (std::string_view), never decoded beyond that
// pairing rule. The functions keep no state and may be called from any thread.
//
// Every conversion writes its result into a caller-owned ByteString handle:
//  - when it produces output, the handle's earlier buffer is released and
//    replaced by one buffer of exactly the result size (plus the trailing 0);
//  - on an input error, or when the input is empty, the handle is left
//    untouched (its earlier contents stay valid).
//
// Results (ConvResult): a value >= 0 is the size of the output; a value < 0
// is an input error at text index p, encoded as -(p + 1). Use
// ConvErrorIndex() to get p back. Only the hex-notation readers can fail.
#pragma once

#include "convert/bytestring.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

using ConvResult = std::ptrdiff_t;

inline constexpr uint8_t kNotHexDigit = 0xFF;

// A byte 0x81..0xFE starts a double-byte GBK character with the byte after it.
inline constexpr bool IsGbkLeadByte(uint8_t byte) noexcept
{
    return byte >= 0x81 && byte <= 0xFE;
}

// 0..15 for '0'..'9', 'A'..'F', 'a'..'f'; kNotHexDigit for any other byte.
uint8_t HexDigitValue(uint8_t ch) noexcept;

// The C library's atoi, saturating instead of overflowing: leading blanks
// (space, '\t'..'\r'), an optional sign, then decimal digits up to the first
// other character; no digits read as 0. Settings and list texts hold their
// numbers this way.
int LeadingDecimalValue(std::string_view text) noexcept;

inline constexpr bool IsConvError(ConvResult result) noexcept
{
    return result < 0;
}
inline constexpr std::size_t ConvErrorIndex(ConvResult error) noexcept
{
    return static_cast<std::size_t>(-(error + 1));
}

// Hex text -> bytes. Returns the byte count, or an error at the leftmost bad
// character of the leftmost bad token (a decimal token above 255 reports its
// first digit). A text of separators only gives 0 and an empty buffer; an
// empty text gives 0 and leaves `out` untouched.
ConvResult HexToBytes(std::string_view hexText, ByteString &out);

// Ascii text -> bytes. Never fails: a malformed escape is copied literally.
// Returns the byte count; 0 only for an empty text (`out` untouched).
ConvResult AsciiToBytes(std::string_view asciiText, ByteString &out);

// Bytes -> hex text: upper-case pairs joined by `separator`, one line.
// Returns 3 * count - 1; 0 for no bytes (`out` untouched).
ConvResult BytesToHex(std::span<const uint8_t> bytes, ByteString &out, char separator = ' ');

// Hex text -> Ascii text, as BytesToAscii would render the bytes the hex text
// stands for. Returns the text length or the same errors as HexToBytes.
ConvResult HexToAscii(std::string_view hexText, ByteString &out);

// Bytes -> Ascii text for display: 0x00..0x07 and 0xFF escaped, runs of
// 0x81..0xFE shown raw in pairs with an odd last byte escaped, all other
// bytes raw. Returns the text length; 0 for no bytes (`out` untouched).
ConvResult BytesToAscii(std::span<const uint8_t> bytes, ByteString &out);

// Ascii text -> space-separated hex text. Returns the text length; 0 for an
// empty text (`out` untouched).
ConvResult AsciiToHex(std::string_view asciiText, ByteString &out);
