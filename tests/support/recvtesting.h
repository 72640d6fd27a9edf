// Test support for the receive path: byte patterns, a receive history fed
// in pieces, the rows a receive view shows, and a scratch folder that can be
// a small tmpfs.
#pragma once

#include "view/recv/recvhistory.h"
#include "view/recv/recvview.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>

// A column of flags: a row named `whenFalse`, then one named `whenTrue`.
inline void AddFlagRows(const char *column, const char *whenFalse, const char *whenTrue)
{
    QTest::addColumn<bool>(column);
    QTest::newRow(whenFalse) << false;
    QTest::newRow(whenTrue) << true;
}

// `size` bytes counting up from `first`, starting over every `period` bytes.
inline QByteArray Cycle(qsizetype size, char first, int period)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(first + i % period);
    return bytes;
}

// Appends `bytes` to a receive history (with their arrival time) or view.
template <typename Target, typename... ArrivalMs>
void AppendTo(Target &target, QByteArrayView bytes, ArrivalMs... arrivalMs)
{
    target.Append(reinterpret_cast<const uint8_t *>(bytes.data()), std::size_t(bytes.size()),
                  arrivalMs...);
}

// `bytes` in pieces of 1 to 3000 bytes, the same for the same seed, then
// indexed; with `indexBetween` also after a random choice of the pieces.
inline void AppendInRandomPieces(CRecvHistory &history, QByteArrayView bytes, quint32 seed,
                                 bool indexBetween)
{
    QRandomGenerator random(seed);
    for (qsizetype at = 0, count = 0; at < bytes.size(); at += count) {
        count = std::min<qsizetype>(1 + random.bounded(3000), bytes.size() - at);
        AppendTo(history, bytes.sliced(at, count), 0);
        if (indexBetween && random.bounded(2))
            history.IndexNew();
    }
    history.IndexNew();
}

inline std::vector<std::size_t> SegmentStarts(const CRecvHistory &history)
{
    std::vector<std::size_t> starts;
    for (std::size_t start = 0; start < history.Size(); start = history.SegmentEnd(start))
        starts.push_back(start);
    return starts;
}

// The segments of `history`, which holds `bytes`, rendered one by one.
template <typename Render>
QString SegmentsRendered(const CRecvHistory &history, const QByteArray &bytes, Render render)
{
    QString joined;
    for (const std::size_t start : SegmentStarts(history))
        joined += render(bytes.mid(qsizetype(start), qsizetype(history.SegmentEnd(start) - start)));
    return joined;
}

// A paint lays out the rows in sight.
inline std::vector<CRecvView::Row> RowsInSight(CRecvView *view)
{
    view->viewport()->repaint();
    return view->VisibleRows();
}

// A receive view on its own, shown.
inline bool ShowAlone(CRecvView &view)
{
    view.resize(400, 300);
    view.show();
    return QTest::qWaitForWindowExposed(&view);
}

// A fresh folder; with a size, a tmpfs of that size if this process may
// mount one.
class CScratchFolder
{
public:
    explicit CScratchFolder(const char *tmpfsSize = nullptr)
    {
        if (tmpfsSize)
            m_mounted = ::mount("tmpfs", Name().constData(), "tmpfs", 0,
                                (QByteArray("size=") + tmpfsSize).constData()) == 0;
    }
    ~CScratchFolder()
    {
        if (m_mounted)
            ::umount2(Name().constData(), MNT_DETACH);
    }

    bool Mounted() const { return m_mounted; }
    QString Path() const { return QFileInfo(m_dir.path()).canonicalFilePath(); }
    QString Path(const QString &name) const { return m_dir.filePath(name); }
    QByteArray Name() const { return QFile::encodeName(m_dir.path()); }
    bool IsEmpty() const
    {
        return QDir(m_dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
};
