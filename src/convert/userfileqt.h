// OpenRegularFile for the Qt readers, and loading a user's file into a box:
// the edit box and the main view.
#pragma once

#include "convert/userfile.h"

#include <QFile>

// Files larger than this are not loaded into a box; the user is offered to
// send them as a file instead.
inline constexpr qint64 kMaxLoadSize = 204800;

// Opens `file` for reading on the regular file at `path`; false, with `file`
// left closed, when OpenRegularFile refuses it.
inline bool OpenRegularFile(QFile &file, const QString &path)
{
    UniqueFile opened = OpenRegularFile(QFile::encodeName(path).constData());
    if (!opened || !file.open(opened.get(), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        return false;
    opened.release(); // the QFile closes it now
    return true;
}

struct LoadedBytes
{
    enum Outcome
    {
        Loaded,
        TooLarge,
        ReadFailed
    };
    Outcome outcome = ReadFailed;
    QByteArray bytes; // the whole content when Loaded
};

// Reads `device` to its end, but never more than limit + 1 bytes, and
// decides on what was read: the size a file reports may be wrong for a
// special file or one that is still growing.
inline LoadedBytes ReadLoadable(QIODevice &device, qint64 limit = kMaxLoadSize)
{
    LoadedBytes loaded;
    loaded.bytes.resize(limit + 1);
    qint64 have = 0;
    for (qint64 got = 1; got > 0 && have <= limit; have += got) {
        got = device.read(loaded.bytes.data() + have, limit + 1 - have);
        if (got < 0)
            return {};
    }
    loaded.bytes.truncate(have);
    loaded.outcome = have > limit ? LoadedBytes::TooLarge : LoadedBytes::Loaded;
    return loaded;
}
