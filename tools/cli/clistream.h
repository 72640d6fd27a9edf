// A --send-file read by the command line itself, piece by piece, instead of
// by the port's file transfer: standard input ("-"), a pipe or FIFO, whose
// length is known only at its end, and a file whose status requests the
// decoder must see as they go out.
//
// Nothing here blocks the event loop: a FIFO is opened without waiting for a
// writer, and a pipe is read only after the loop said it has something
// (WhenReadable), so the run's time-out still holds while a writer is late.
#pragma once

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSocketNotifier;

class CCliStream : public QObject
{
public:
    static constexpr std::size_t kPieceSize = 64 * 1024;

    enum class Got
    {
        Bytes, // `piece` holds the next bytes
        Later, // nothing yet: wait for WhenReadable
        End,   // the end of the stream (of this pass, for a file)
        Failed // a read error; Error() says which
    };

    CCliStream();
    ~CCliStream() override;

    // "-" is standard input. False with the system's words when it cannot be opened.
    bool Open(const std::string &path, std::string &error);
    Got Read(std::vector<uint8_t> &piece);
    // Calls `ready` once, from the event loop, when Read has something to say.
    void WhenReadable(std::function<void()> ready);
    // A regular file starts again for its next pass; false for a pipe.
    bool Rewind();
    // The size of a regular file; 0 for a pipe.
    uint64_t Size() const { return m_size; }
    // The system's words for the failure of the last Read.
    const std::string &Error() const { return m_error; }

private:
    int m_fd = -1;
    bool m_regular = false;
    bool m_mayRead = false; // a pipe: the loop said it is readable
    uint64_t m_size = 0;
    std::string m_error;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void()> m_ready;
};
