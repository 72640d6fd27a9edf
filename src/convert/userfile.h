// Opening a file the user named, to read its bytes: for loading it into a
// box and for sending it through a port.
//
// A user can name anything a file dialog or a drop offers. Opening a FIFO
// that has no writer blocks until one comes, which on the window thread
// freezes the window, and a device may never end; so only a regular file is
// opened. The check is made on the opened file, so that a path swapped
// between a check and the open cannot slip through.
#pragma once

#include <cstdio>
#include <memory>

struct FileCloser
{
    void operator()(std::FILE *file) const noexcept { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

// The file at `path`, opened for reading in binary mode; null when it cannot
// be opened or is not a regular file. Never waits for whatever `path` names.
UniqueFile OpenRegularFile(const char *path);
