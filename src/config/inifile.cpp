// The INI engine: read, edit and rewrite whole configuration files. The
// text form of the entries (parsing and formatting) is in initext.cpp.
#include "config/inifile.h"
#include "config/inifile-private.h"

#include "config/atomicfile.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>

namespace fs = std::filesystem;

namespace {

fs::path &BaseDirectory()
{
    static fs::path directory;
    return directory;
}

void SetStatus(IniStatus *status, IniStatus value)
{
    if (status)
        *status = value;
}

// The whole file, or nothing when it is missing, not a plain file, too large
// or cannot be read to the end.
std::optional<std::string> ReadFileBytes(const fs::path &path, IniStatus *status)
{
    std::error_code ec;
    std::ifstream in;
    if (fs::is_regular_file(path, ec)) {
        if (fs::file_size(path, ec) > kIniMaxFileSize && !ec) {
            SetStatus(status, IniStatus::FileTooLarge);
            return std::nullopt;
        }
        in.open(path, std::ios::binary);
    }
    if (!in.is_open()) {
        SetStatus(status, IniStatus::FileUnreadable);
        return std::nullopt;
    }
    std::string bytes;
    char chunk[64 * 1024];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kIniMaxFileSize) {
            SetStatus(status, IniStatus::FileTooLarge);
            return std::nullopt;
        }
    }
    if (in.bad()) {
        SetStatus(status, IniStatus::FileUnreadable);
        return std::nullopt;
    }
    return bytes;
}

std::optional<IniEntries> LoadEntries(const fs::path &path, IniStatus *status)
{
    std::optional<std::string> bytes = ReadFileBytes(path, status);
    if (!bytes)
        return std::nullopt;
    return ParseIniText(*bytes);
}

// A lock that could not be taken fails the save like a full disk: replacing
// the file without it could drop another writer's change.
bool StoreEntries(const CReplaceLock &lock, const fs::path &path, const IniEntries &entries,
                  IniStatus *status)
{
    const bool stored = lock.Held() && ReplaceFileAtomically(path, FormatIniText(entries));
    SetStatus(status, stored ? IniStatus::Ok : IniStatus::WriteFailed);
    return stored;
}

// Only a file that is not there at all may be started afresh: one that
// exists but cannot be read holds settings an empty file would lose.
bool IsMissing(const fs::path &path, IniStatus status)
{
    std::error_code error;
    return status == IniStatus::FileUnreadable && !fs::exists(path, error) && !error;
}

// The entries a change starts from: the file's, or an empty list for a missing
// file where `missing` allows it.
std::optional<IniEntries> LoadForEdit(const fs::path &path, IniMissingFile missing,
                                      IniStatus *status)
{
    IniStatus loaded = IniStatus::Ok;
    std::optional<IniEntries> entries = LoadEntries(path, &loaded);
    if (!entries && missing == IniMissingFile::Create && IsMissing(path, loaded))
        entries.emplace();
    if (!entries)
        SetStatus(status, loaded);
    return entries;
}

// Reads the file, lets `edit` change its entries and stores them, all under
// the file's lock: a read before it could undo another writer's save. An
// edit that returns false has set the status; the file is then left as it
// was.
template <typename Edit>
bool EditIniFile(const fs::path &file, IniMissingFile missing, IniStatus *status, Edit &&edit)
{
    const fs::path path = ResolveIniPath(file);
    const CReplaceLock lock(path);
    std::optional<IniEntries> entries = LoadForEdit(path, missing, status);
    if (!entries || !edit(*entries))
        return false;
    return StoreEntries(lock, path, *entries, status);
}

IniEntries::iterator FindKey(IniEntries &entries, std::string_view section, std::string_view key)
{
    return std::find_if(entries.begin(), entries.end(), [&](const IniEntry &entry) {
        return entry.kind == IniEntry::Kind::Key && entry.section == section && entry.key == key;
    });
}

IniEntries::iterator FindHeader(IniEntries &entries, std::string_view section)
{
    return std::find_if(entries.begin(), entries.end(), [&](const IniEntry &entry) {
        return entry.kind == IniEntry::Kind::Header && entry.section == section;
    });
}

bool HasLineBreak(std::string_view text)
{
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// The section must come back from "[" + section + "]" unchanged.
bool IsStorableSection(std::string_view section)
{
    return !HasLineBreak(section) && IniSectionName(std::string(section) + ']') == section;
}

// The key must come back from " " + key + "=" as a key line.
bool IsStorableKey(std::string_view key)
{
    constexpr std::string_view kBadFirst = "#;[ \t";
    return !HasLineBreak(key) && key.find('=') == std::string_view::npos &&
           (key.empty() || kBadFirst.find(key.front()) == std::string_view::npos);
}

bool IsStorableKeyValue(std::string_view section, std::string_view key, std::string_view value)
{
    return IsStorableSection(section) && IsStorableKey(key) && !HasLineBreak(value);
}

// A comment that parses into entries would add headers or keys.
bool IsStorableComment(std::string_view comment)
{
    return ParseIniText(comment).empty();
}

// A value as the next read of its line gives it: the reader drops spaces and
// tabs at the end of a line, so a value written one at a time loses them
// when the next write reads the file.
std::string_view AsReadBack(std::string_view value)
{
    const std::size_t end = value.find_last_not_of(" \t");
    return end == std::string_view::npos ? std::string_view() : value.substr(0, end + 1);
}

bool SetHeaderComment(IniEntries &entries, std::string_view section, std::string_view comment,
                      IniStatus *status)
{
    auto header = FindHeader(entries, section);
    if (header == entries.end()) {
        SetStatus(status, IniStatus::NotFound);
        return false;
    }
    // Even a one-character comment needs its own line, or it would turn
    // the header line into a comment.
    header->comment = comment;
    if (!comment.empty())
        header->comment.push_back('\n');
    return true;
}

void SetKeyValue(IniEntries &entries, std::string_view section, std::string_view key,
                 std::string_view value)
{
    if (auto match = FindKey(entries, section, key); match != entries.end()) {
        match->value = value;
        return;
    }
    IniEntry entry{
        IniEntry::Kind::Key, {}, std::string(section), std::string(key), std::string(value)};
    auto first = std::find_if(entries.begin(), entries.end(),
                              [&](const IniEntry &e) { return e.section == section; });
    if (first == entries.end()) {
        entries.push_back({IniEntry::Kind::Header, {}, std::string(section), {}, {}});
        entries.push_back(std::move(entry));
        return;
    }
    entries.insert(first + 1, std::move(entry));
}

// Stable sorts keep equal names in file order, so the first match of a key
// is the same entry before and after sorting.
std::vector<const IniEntry *> SortedByName(const IniEntries &entries, IniEntry::Kind kind,
                                           bool ascending)
{
    std::vector<const IniEntry *> sorted;
    for (const IniEntry &entry : entries) {
        if (entry.kind == kind)
            sorted.push_back(&entry);
    }
    auto name = [kind](const IniEntry *e) -> const std::string & {
        return kind == IniEntry::Kind::Header ? e->section : e->key;
    };
    std::stable_sort(sorted.begin(), sorted.end(), [&](const IniEntry *a, const IniEntry *b) {
        return ascending ? name(a) < name(b) : name(b) < name(a);
    });
    return sorted;
}

IniEntries SortEntries(const IniEntries &entries, bool ascending)
{
    const auto headers = SortedByName(entries, IniEntry::Kind::Header, ascending);
    std::map<std::string_view, std::vector<const IniEntry *>> keysBySection;
    for (const IniEntry *key : SortedByName(entries, IniEntry::Kind::Key, ascending))
        keysBySection[key->section].push_back(key);

    IniEntries sorted;
    auto appendKeys = [&](std::string_view section) {
        auto keys = keysBySection.find(section);
        if (keys == keysBySection.end())
            return;
        for (const IniEntry *key : keys->second)
            sorted.push_back(*key);
        keysBySection.erase(keys);
    };
    // Keys above the first header have no header to follow; they stay on top,
    // where they still belong to no section.
    if (std::none_of(headers.begin(), headers.end(),
                     [](const IniEntry *h) { return h->section.empty(); }))
        appendKeys({});
    for (std::size_t i = 0; i < headers.size(); ++i) {
        sorted.push_back(*headers[i]);
        if (i + 1 == headers.size() || headers[i + 1]->section != headers[i]->section)
            appendKeys(headers[i]->section);
    }
    return sorted;
}

} // namespace

void SetIniDirectory(const fs::path &directory)
{
    BaseDirectory() = directory;
}

fs::path ResolveIniPath(const fs::path &file)
{
    return BaseDirectory().empty() ? file : BaseDirectory() / file;
}

std::string ReadIniValue(const fs::path &file, std::string_view section, std::string_view key,
                         IniStatus *status)
{
    std::optional<IniEntries> entries = LoadEntries(ResolveIniPath(file), status);
    if (!entries)
        return {};
    auto match = FindKey(*entries, section, key);
    if (match == entries->end()) {
        SetStatus(status, IniStatus::NotFound);
        return {};
    }
    SetStatus(status, IniStatus::Ok);
    return std::move(match->value);
}

bool WriteIniValue(const fs::path &file, std::string_view section, std::string_view key,
                   std::string_view value, IniStatus *status)
{
    if (!IsStorableKeyValue(section, key, value)) {
        SetStatus(status, IniStatus::InvalidArgument);
        return false;
    }
    return EditIniFile(file, IniMissingFile::Fail, status, [&](IniEntries &entries) {
        SetKeyValue(entries, section, key, value);
        return true;
    });
}

bool WriteIniSection(const fs::path &file, std::string_view section, std::string_view comment,
                     std::span<const IniKeyValue> values, IniMissingFile missing, IniStatus *status)
{
    const bool storable = std::all_of(values.begin(), values.end(), [&](const IniKeyValue &kv) {
        return IsStorableKeyValue(section, kv.key, kv.value);
    });
    if (!storable || !IsStorableComment(comment)) {
        SetStatus(status, IniStatus::InvalidArgument);
        return false;
    }
    return EditIniFile(file, missing, status, [&](IniEntries &entries) {
        for (const IniKeyValue &kv : values)
            SetKeyValue(entries, section, kv.key, AsReadBack(kv.value));
        return SetHeaderComment(entries, section, comment, status);
    });
}

bool SetIniSectionComment(const fs::path &file, std::string_view section, std::string_view comment,
                          IniStatus *status)
{
    if (!IsStorableComment(comment)) {
        SetStatus(status, IniStatus::InvalidArgument);
        return false;
    }
    return EditIniFile(file, IniMissingFile::Fail, status, [&](IniEntries &entries) {
        return SetHeaderComment(entries, section, comment, status);
    });
}

bool DeleteIniKey(const fs::path &file, std::string_view section, std::string_view key,
                  IniStatus *status)
{
    return EditIniFile(file, IniMissingFile::Fail, status, [&](IniEntries &entries) {
        auto match = FindKey(entries, section, key);
        if (match == entries.end()) {
            SetStatus(status, IniStatus::NotFound);
            return false;
        }
        entries.erase(match);
        return true;
    });
}

bool CreateIniFile(const fs::path &file, IniStatus *status)
{
    const fs::path path = ResolveIniPath(file);
    const CReplaceLock lock(path);
    return StoreEntries(lock, path, {}, status);
}

bool SortIniFile(const fs::path &file, bool ascending, IniStatus *status)
{
    return EditIniFile(file, IniMissingFile::Fail, status, [&](IniEntries &entries) {
        entries = SortEntries(entries, ascending);
        return true;
    });
}
