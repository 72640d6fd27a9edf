// The code pages a box's text notation can be read in, and their
// descriptions, taken once per code page from Qt's converters (ICU) on first
// use. After that every function here is pure and may be called from any
// thread.
#pragma once

#include "convert/codepagerules.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

enum class CodePageId : uint8_t
{
    Gbk,
    Utf8,
    ShiftJis,
    Big5,
    EucKr,
    Pc437,
    Pc850,
    Pc858,
    Pc866,
    Windows1252,
    Iso8859_1,
    Iso8859_15,
};

struct CodePageName
{
    CodePageId id;
    const char *name;      // what users type and see ("PC858")
    const char *converter; // the name Qt's converter knows it by
};

// Every code page, GBK first, in the order menus list them.
std::span<const CodePageName> CodePageNames();
const char *NameOfCodePage(CodePageId id);
// Matches a user's name or a converter name, ignoring case, '-' and '_'.
std::optional<CodePageId> CodePageFromName(std::string_view name);

// False when Qt offers no converter for the code page; its rules then show
// every byte from 0x80 escaped.
bool CodePageAvailable(CodePageId id);
const CodePageRules &RulesOf(CodePageId id);

// The character of a single byte in a one-byte code page (the printer's
// character tables: PC437, PC850, PC858, PC866, Windows-1252, ...), 0 when
// the byte stands for none or the code page is not a one-byte one.
char32_t CharOfSingleByte(CodePageId id, uint8_t byte);

// The character of the shown character that starts `bytes` (its length is
// ShownCharLength of the code page's rules), 0 when none starts there.
char32_t ShownCharAt(CodePageId id, std::span<const uint8_t> bytes);

// The bytes of `ch` in the code page (1 to 4), or 0 when the code page has
// none that reads back as `ch`. Bytes below 0x80 always stand for ASCII.
std::size_t EncodeChar(CodePageId id, char32_t ch, uint8_t (&bytes)[4]);
