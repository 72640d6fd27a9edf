// The INI engine's text form: file bytes to entries and back.
#include "config/inifile-private.h"

#include <algorithm>

namespace {

constexpr std::string_view kBlank = " \t\r\n";
constexpr std::string_view kLineEnd = "\r\n";
constexpr char kPrefix = ' ';

std::string_view Trim(std::string_view line)
{
    const std::size_t first = line.find_first_not_of(kBlank);
    if (first == std::string_view::npos)
        return {};
    return line.substr(first, line.find_last_not_of(kBlank) - first + 1);
}

bool IsGbkLeadByte(char ch)
{
    const auto byte = static_cast<unsigned char>(ch);
    return byte >= 0x81 && byte <= 0xFE;
}

// Parse state carried from line to line.
struct ParseState
{
    IniEntries entries;
    std::string pendingComment;
    std::string currentSection;
};

IniEntry HeaderFromLine(std::string_view line, std::string comment)
{
    return {IniEntry::Kind::Header,
            std::move(comment),
            std::string(IniSectionName(line.substr(1))),
            {},
            {}};
}

IniEntry KeyFromLine(std::string_view line, std::size_t equals, std::string comment,
                     std::string section)
{
    return {IniEntry::Kind::Key, std::move(comment), std::move(section),
            std::string(line.substr(0, equals)), std::string(line.substr(equals + 1))};
}

void ParseLine(std::string_view line, ParseState &state)
{
    if (line.empty())
        return;
    if (line.front() == '[') {
        state.entries.push_back(HeaderFromLine(line, std::move(state.pendingComment)));
        state.pendingComment.clear();
        state.currentSection = state.entries.back().section;
        return;
    }
    const std::size_t equals = line.find('=');
    if (line.front() == '#' || line.front() == ';' || equals == std::string_view::npos) {
        // Comments, and lines that carry no setting, stay above the next entry.
        state.pendingComment.append(line).push_back('\n');
        return;
    }
    state.entries.push_back(
        KeyFromLine(line, equals, std::move(state.pendingComment), state.currentSection));
    state.pendingComment.clear();
}

// Comment text holds line feeds; on disk every line ends with CR LF, as
// Windows text files do.
void AppendComment(std::string &out, std::string_view comment)
{
    for (std::size_t i = 0; i < comment.size(); ++i) {
        if (comment[i] == '\n' && (i == 0 || comment[i - 1] != '\r'))
            out.push_back('\r');
        out.push_back(comment[i]);
    }
}

void AppendEntry(std::string &out, const IniEntry &entry)
{
    AppendComment(out, entry.comment);
    out.push_back(kPrefix);
    if (entry.kind == IniEntry::Kind::Header) {
        out.append("[").append(entry.section).append("]");
    } else {
        out.append(entry.key).append("=").append(entry.value);
    }
    out.append(kLineEnd);
}

} // namespace

// The section name after the opening bracket. A "]" that follows a GBK lead
// byte is part of a double-byte character; only when there is no other "]"
// is it taken for the bracket, since the text is then not valid GBK anyway.
std::string_view IniSectionName(std::string_view afterBracket)
{
    std::size_t end = FindGbkChar(afterBracket, ']');
    if (end == std::string_view::npos)
        end = afterBracket.find(']');
    return afterBracket.substr(0, end);
}

std::size_t FindGbkChar(std::string_view text, char ch)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ch)
            return i;
        if (IsGbkLeadByte(text[i]))
            ++i;
    }
    return std::string_view::npos;
}

IniEntries ParseIniText(std::string_view text)
{
    ParseState state;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        ParseLine(Trim(text.substr(0, end)), state);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return std::move(state.entries);
}

std::string FormatIniText(const IniEntries &entries)
{
    std::string out;
    for (const IniEntry &entry : entries)
        AppendEntry(out, entry);
    return out;
}
