// Feeds arbitrary bytes to the INI engine as a file and checks that every
// operation reads back what it wrote and leaves all other lines as they were.
#include "config/inifile-private.h"
#include "config/inifile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Values = std::map<std::pair<std::string, std::string>, std::string>;

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// A private folder for the file, removed when the fuzzer exits.
struct TempFolder
{
    TempFolder()
    {
        // Every save syncs to the disk; in memory that costs nothing.
        const fs::path base = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
        std::string pattern = (base / "fuzz-ini-XXXXXX").string();
        Require(::mkdtemp(pattern.data()) != nullptr);
        folder = pattern;
    }
    ~TempFolder()
    {
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    fs::path folder;
};

const fs::path &IniPath()
{
    static const TempFolder temp;
    static const fs::path path = temp.folder / "rvcfg.ini";
    return path;
}

std::string ReadFile()
{
    std::ifstream in(IniPath(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(std::string_view bytes)
{
    std::ofstream(IniPath(), std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
}

// The value each section and key reads as: the first match.
Values FirstValues(const IniEntries &entries)
{
    Values values;
    for (const IniEntry &entry : entries) {
        if (entry.kind == IniEntry::Kind::Key)
            values.emplace(std::make_pair(entry.section, entry.key), entry.value);
    }
    return values;
}

// The file as stored is what the engine would write for it again, unless a
// caller's text ended in blanks, which the next read drops.
IniEntries CheckStoredFile(bool exact = true)
{
    const std::string bytes = ReadFile();
    IniEntries entries = ParseIniText(bytes);
    Require(!exact || FormatIniText(entries) == bytes);
    return entries;
}

// Drops the first key entry of `section`/`key`, and the header of the
// section if `withHeader`; whatever remains must be the file as it was.
IniEntries Without(IniEntries entries, const std::string &section, const std::string &key,
                   bool withHeader)
{
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if (it->kind == IniEntry::Kind::Key && it->section == section && it->key == key) {
            entries.erase(it);
            break;
        }
    }
    if (withHeader)
        std::erase_if(entries, [&](const IniEntry &e) { return e.section == section; });
    return entries;
}

struct Choices
{
    std::string section, key, value;
};

// Names from an existing line, so that most writes hit real keys, or raw
// bytes of the input, which exercise the refusal of unstorable names.
Choices Choose(std::string_view data, const IniEntries &entries)
{
    const std::size_t hash = std::hash<std::string_view>{}(data);
    const std::string_view tail = data.substr(data.size() / 2, 24);
    Choices c{"UserCmds", "CmdCnt", std::string(tail)};
    if (hash % 3 != 0)
        std::replace_if(
            c.value.begin(), c.value.end(), [](char ch) { return ch == '\r' || ch == '\n'; }, ' ');
    if (!entries.empty() && hash % 4 != 0) {
        const IniEntry &entry = entries[hash % entries.size()];
        c.section = entry.section;
        c.key = entry.kind == IniEntry::Kind::Key ? entry.key : "New";
    } else if (hash % 8 == 0) {
        c.key = std::string(data.substr(0, 8));
    }
    return c;
}

std::string TrimEnd(std::string text)
{
    text.erase(text.find_last_not_of(" \t") + 1);
    return text;
}

void CheckWrite(const IniEntries &before, const Choices &c)
{
    IniStatus status = IniStatus::Ok;
    if (!WriteIniValue(IniPath(), c.section, c.key, c.value, &status)) {
        Require(status == IniStatus::InvalidArgument);
        return;
    }
    const IniEntries after = CheckStoredFile(TrimEnd(c.value) == c.value);
    Require(ReadIniValue(IniPath(), c.section, c.key) == TrimEnd(c.value));
    const bool newSection = std::none_of(before.begin(), before.end(),
                                         [&](const IniEntry &e) { return e.section == c.section; });
    Require(Without(after, c.section, c.key, newSection) ==
            Without(before, c.section, c.key, newSection));
}

void CheckDelete(const IniEntries &before, const Choices &c)
{
    const bool deleted = DeleteIniKey(IniPath(), c.section, c.key);
    Require(deleted == FirstValues(before).count({c.section, c.key}) > 0);
    if (deleted)
        Require(CheckStoredFile() == Without(before, c.section, c.key, false));
}

void CheckSortAndComment(const IniEntries &before, const Choices &c)
{
    Require(SortIniFile(IniPath(), false));
    const std::string sorted = ReadFile();
    const IniEntries after = CheckStoredFile();
    Require(after.size() == before.size() && FirstValues(after) == FirstValues(before));
    Require(SortIniFile(IniPath(), false) && ReadFile() == sorted);
    if (SetIniSectionComment(IniPath(), c.section, "# " + c.key))
        Require(FirstValues(CheckStoredFile(false)) == FirstValues(before));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *bytes, size_t size)
{
    const std::string_view data(reinterpret_cast<const char *>(bytes), size);
    const IniEntries parsed = ParseIniText(data);
    Require(ParseIniText(FormatIniText(parsed)) == parsed);
    const Choices choices = Choose(data, parsed);

    WriteFile(data);
    CheckWrite(parsed, choices);
    WriteFile(data);
    CheckDelete(parsed, choices);
    WriteFile(data);
    CheckSortAndComment(parsed, choices);
    return 0;
}
