// The INI engine's in-memory model, shared with its tests and fuzz target.
// Callers outside the engine use only inifile.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

struct IniEntry
{
    enum class Kind
    {
        Header,
        Key
    };

    Kind kind = Kind::Key;
    // Lines that stood directly above this one: comments, and lines that
    // are neither comment, header nor key. Each ends with a line feed.
    std::string comment;
    std::string section; // for a header, its own name
    std::string key;
    std::string value;

    bool operator==(const IniEntry &) const = default;
};

using IniEntries = std::vector<IniEntry>;

// Splits file bytes into entries. Never fails: every byte sequence has a
// parse. Comment lines after the last entry and empty lines are not kept.
IniEntries ParseIniText(std::string_view text);

// The file bytes for `entries`, each line ended with CR LF.
std::string FormatIniText(const IniEntries &entries);

// The section name of a header line, given the text after its "[".
std::string_view IniSectionName(std::string_view afterBracket);

// Position of the first `ch` in `text` that is a character of its own and
// not the second byte of a GBK double-byte character; npos if none.
std::size_t FindGbkChar(std::string_view text, char ch);
