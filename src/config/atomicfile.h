// Replacing a whole file so that readers see either the old or the new
// contents, never a mixture or a truncated file.
#pragma once

#include <filesystem>
#include <string_view>

// Writes `bytes` to a new file in the folder of `target`, flushes it to the
// disk and renames it over `target`. A symbolic link at `target` is followed,
// so the file it points to is replaced and the link stays. An existing file's
// permission bits are carried over; a new file gets the default ones.
// Returns false, leaving `target` as it was, when any step fails.
// Temporary files of `target` that a writer killed during its save left
// behind are removed first, once the process that made them has ended.
bool ReplaceFileAtomically(const std::filesystem::path &target, std::string_view bytes);
