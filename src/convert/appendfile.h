// A file the user named for appending to, as the capture log does.
//
// The same rule as for reading (userfile.h): only a regular file is opened,
// without waiting for whatever the path names, and the check is made on the
// opened file. Writes to a regular file end, so they may run on the window
// thread. The file is locked exclusively while it is open, so two writers
// (two instances of the program) cannot interleave their bytes in it.
#pragma once

#include <cstddef>

class CAppendFile
{
public:
    enum class Outcome
    {
        Opened,
        NotRegular, // a folder, FIFO, device ...
        Locked,     // another open file holds the lock
        Failed      // the system refused; see Error()
    };

    CAppendFile() = default;
    CAppendFile(const CAppendFile &) = delete;
    CAppendFile &operator=(const CAppendFile &) = delete;
    ~CAppendFile() { Close(); }

    // Opens (creating it if needed) and locks the file at `path`.
    Outcome Open(const char *path);
    // Writes every byte; false with Error() set when the file took fewer.
    bool Write(const char *bytes, std::size_t count);
    // Whether `path` still names the open file: false once the file was
    // deleted, its folder removed, or another file put in its place.
    bool StillNamedBy(const char *path) const;
    void Close();
    bool IsOpen() const { return m_fd >= 0; }
    // The system's error number of the last failure.
    int Error() const { return m_error; }

private:
    int m_fd = -1;
    int m_error = 0;
};
