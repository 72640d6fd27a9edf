// What the Ascii rendering needs to know of a code page: which byte sequences
// form one complete, valid, printable character, so that they are shown as
// themselves and every other byte as its escape.
//
// The rules are plain data, filled once from a platform converter
// (codepage.h); the engine never decodes characters itself. Bytes 0x00..0x7F
// keep the rule of every code page: 0x00..0x07 are escaped, the others shown
// raw.
#pragma once

#include "convert/bytestring.h"
#include "convert/convert.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

enum class SequenceKind : uint8_t
{
    Gbk,        // the engine's own pairing rule, byte for byte
    SingleByte, // every character is one byte
    DoubleByte, // lead bytes pair with one trail byte
    Utf8,       // one to four bytes, the length given by the first
};

struct CodePageRules
{
    SequenceKind kind = SequenceKind::Gbk;
    // Bytes of the sequence a byte starts: 0 when it starts no shown
    // character (it is escaped), 1 for a shown character of its own.
    std::array<uint8_t, 256> lengths{};
    // DoubleByte: bit (lead << 8 | trail) set for a shown pair, whose lead
    // byte then has length 2.
    std::vector<uint64_t> shownPairs;
    // Utf8: bit set for each shown code point.
    std::vector<uint64_t> shownCodePoints;
};

// The rules of the engine's GBK operations (kind Gbk, nothing else used).
const CodePageRules &GbkRules();

// Length of the shown character that starts at `bytes[0]`, or 0 when the
// byte is to be escaped. `bytes` holds everything up to the end of the data.
std::size_t ShownCharLength(const CodePageRules &rules, std::span<const uint8_t> bytes) noexcept;

// BytesToAscii and HexToAscii for a code page; with GbkRules() exactly the
// GBK operations. AsciiToBytes and AsciiToHex read every code page's text
// the same way (only escapes are special), so they need no rules.
ConvResult BytesToAscii(std::span<const uint8_t> bytes, ByteString &out,
                        const CodePageRules &rules);
ConvResult HexToAscii(std::string_view hexText, ByteString &out, const CodePageRules &rules);
