// OpenRegularFile for the Qt readers: the edit box and the main view.
#pragma once

#include "convert/userfile.h"

#include <QFile>

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
