// The configuration file engine: a small INI reader and writer for
// "rvcfg.ini" and files like it.
//
// File format (bytes in the GBK code page; the engine never decodes them):
//   - a line is the bytes up to a line feed; spaces, tabs, CR and LF at both
//     ends are ignored, and empty lines are dropped when the file is
//     rewritten;
//   - "#" or ";" first: a comment, kept with the line that follows it;
//     comments after the last header or key line are dropped on rewrite;
//   - "[" first: a section header; the name runs up to the first "]" that
//     is not the second byte of a GBK double-byte character;
//   - otherwise a line containing "=" is a key line: the key is the text
//     before the first "=", the value everything after it, so spaces around
//     "=" belong to the key and to the value;
//   - any other line carries no setting. It is kept like a comment, so a
//     hand-edited or damaged line is never lost and never changes the
//     section of the lines after it.
// Every rewrite produces: the comment lines, then a space and "[section]" or
// "key=value", each line ended with CR LF. A key written for the first time
// goes directly below its section header.
//
// Every function takes the file name first; a relative name is taken
// relative to the folder set with SetIniDirectory. Each call reads the whole
// file again and every change rewrites it whole: the new contents go to a
// temporary file in the same folder that then replaces the old one, so a
// crash during a save leaves either the old or the new file.
//
// Section and key names are matched byte for byte, case-sensitively, and the
// first match in file order counts. Functions that change the file report
// the reason of a failure through the optional `status`.
//
// Every change holds the file's CReplaceLock (atomicfile.h) from its read to
// the replacement, so writers in several processes never lose each other's
// changes; a change that cannot take the lock fails with WriteFailed.
// Window thread only: the base folder is global.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

enum class IniStatus
{
    Ok,
    FileUnreadable,  // missing, not a regular file, or a read error
    FileTooLarge,    // larger than kIniMaxFileSize; left untouched
    NotFound,        // the section or key does not exist
    InvalidArgument, // the text would not read back as given (see WriteIniValue)
    WriteFailed,     // the new contents or the lock could not be had; the old file stays
};

// Larger files are refused rather than read into memory: a configuration
// file holds a few hundred lines.
inline constexpr std::uintmax_t kIniMaxFileSize = 64u * 1024 * 1024;

// Folder that relative file names are taken from. Captured once at start-up
// so that a later change of the current directory does not move the file.
// Empty (the default): the current directory of each call.
void SetIniDirectory(const std::filesystem::path &directory);

// The path the functions below open for `file`: a relative name taken
// relative to the folder of SetIniDirectory, any other name as it is.
std::filesystem::path ResolveIniPath(const std::filesystem::path &file);

// The value of the first key `key` in section `section`; empty when the file
// cannot be read or nothing matches (an empty value reads the same).
// Trailing spaces and tabs of a stored value are not part of it.
std::string ReadIniValue(const std::filesystem::path &file, std::string_view section,
                         std::string_view key, IniStatus *status = nullptr);

// Sets `key` in `section` to `value`: replaces the value of the first match;
// otherwise inserts the key directly below the section's first line; if the
// section does not exist, appends its header and then the key.
// False when the file cannot be read (FileUnreadable: it may need
// CreateIniFile first), is too large, or the new file cannot be stored.
// Only FileUnreadable calls for CreateIniFile: after the other failures the
// file holds settings that an empty file would throw away.
// False with InvalidArgument, file untouched, when a name or the value could
// not be read back: a line break in any of them, "]" in the section, "=" in
// the key, or a key starting with "#", ";", "[", a space or a tab.
bool WriteIniValue(const std::filesystem::path &file, std::string_view section,
                   std::string_view key, std::string_view value, IniStatus *status = nullptr);

// A key and the value WriteIniSection stores for it.
struct IniKeyValue
{
    std::string_view key;
    std::string value;
};

// What WriteIniSection does when the file does not exist.
enum class IniMissingFile
{
    Fail,  // FileUnreadable, like WriteIniValue
    Create // start from an empty file
};

// Gives the file, in one replacement, the bytes that WriteIniValue for each
// of `values` in order followed by SetIniSectionComment(section, comment)
// would leave, so a crash can never leave only some of them written. Fails,
// with the file untouched, where any of those calls would have failed.
// `missing` decides about a file that does not exist; a file that exists
// but cannot be read is never replaced.
bool WriteIniSection(const std::filesystem::path &file, std::string_view section,
                     std::string_view comment, std::span<const IniKeyValue> values,
                     IniMissingFile missing, IniStatus *status = nullptr);

// Replaces the comment lines above the first header of `section` with
// `comment`, to which a line feed is added. An empty comment removes them.
// False with NotFound when the section has no header, and with
// InvalidArgument when a line of the comment would read as a header or a key
// line (lines should start with "#" or ";").
bool SetIniSectionComment(const std::filesystem::path &file, std::string_view section,
                          std::string_view comment, IniStatus *status = nullptr);

// Removes the first key `key` of `section` together with the comment lines
// above it. False with NotFound, and the file left as it is, when there is no
// such key; a section header is never removed.
bool DeleteIniKey(const std::filesystem::path &file, std::string_view section, std::string_view key,
                  IniStatus *status = nullptr);

// Makes the file empty, creating it when needed. False when it cannot be
// written.
bool CreateIniFile(const std::filesystem::path &file, IniStatus *status = nullptr);

// Rewrites the file with its sections ordered by name and each section's keys
// ordered by key, comparing bytes; ascending when `ascending`, else
// descending. Comments travel with their line; equal names keep their order,
// so the first match of every key stays the same. Keys above the first header
// stay at the top; a section with several headers gets its keys once, after
// the last of them.
bool SortIniFile(const std::filesystem::path &file, bool ascending, IniStatus *status = nullptr);
