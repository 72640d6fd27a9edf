// The receive history beyond its memory budget (1 MiB here), fed by a
// loopback peer: what is shown, saved and found across chunks that moved to
// the file; a full disk; and the file gone with the history.
#include "../support/recvtesting.h"
#include "view/recv/historywriter.h"
#include "viewsandbox.h"

#include <QDirIterator>
#include <QStorageInfo>

#include <atomic>
#include <climits>
#include <cstring>
#include <sys/resource.h>

namespace {
constexpr qsizetype kMiB = 1 << 20;
constexpr qsizetype kChunk = qsizetype(CRecvHistory::kChunkBytes);
const QByteArray kNeedle = "NEEDLE-across";
const QString kFinding = QStringLiteral("正在查找：");

// Lines with GBK text ("中文"), CR LF and lone LF endings; at the chunk
// boundaries in turn a GBK pair, a CR LF and a searched text cut in two.
QByteArray StreamWithCutUnits(qsizetype size)
{
    QByteArray stream;
    stream.reserve(size + 64);
    for (int line = 0; stream.size() < size; ++line)
        stream += "row " + QByteArray::number(line) + " \xD6\xD0\xCE\xC4 text" +
                  (line % 3 ? "\r\n" : "\n");
    stream.truncate(size);
    const std::pair<qsizetype, QByteArray> cuts[] = {{2, "x\xD6\xD0"}, {2, "x\r\n"}, {5, kNeedle}};
    for (qsizetype boundary = kChunk; boundary + 16 < size; boundary += kChunk) {
        const auto &[before, cut] = cuts[boundary / kChunk % 3];
        stream.replace(boundary - before, cut.size(), cut);
    }
    return stream;
}

// Descriptors of this process open on a file in `folder`.
int DescriptorsIn(const QString &folder)
{
    int count = 0;
    QDirIterator fds(QStringLiteral("/proc/self/fd"), QDir::System | QDir::Files);
    while (fds.hasNext())
        count += QFileInfo(fds.next()).symLinkTarget().startsWith(folder + u'/') ? 1 : 0;
    return count;
}

// Bytes of the mapping that holds `address` that are in this process's
// memory, by the kernel's account of its mappings.
qsizetype ResidentBytes(const void *address)
{
    const auto at = quintptr(address);
    bool inside = false;
    for (const QByteArray &line : FileBytes(QStringLiteral("/proc/self/smaps")).split('\n')) {
        // A mapping starts with "from-to perms ...", its fields are "Name: value".
        const QList<QByteArray> range = line.left(line.indexOf(' ')).split('-');
        if (range.size() == 2 && !range[1].endsWith(':'))
            inside =
                range[0].toULongLong(nullptr, 16) <= at && at < range[1].toULongLong(nullptr, 16);
        else if (inside && line.startsWith("Rss:"))
            return line.mid(4).trimmed().split(' ').front().toLongLong() * 1024;
    }
    return -1;
}

// Lines of "中文" in UTF-8 with `cut` (its first character of four bytes)
// cut by the boundary after the second chunk.
QByteArray Utf8StreamWithCut(const QByteArray &cut)
{
    const QByteArray line = QStringLiteral("行 \u4E2D\u6587 text\n").toUtf8();
    return line.repeated(3 * kChunk / line.size() + 1).replace(2 * kChunk - 1, cut.size(), cut);
}

// The history's spill folder (XDG_CACHE_HOME) for one test.
class CCacheFolder : public CScratchFolder
{
public:
    explicit CCacheFolder(const char *tmpfsSize = nullptr) : CScratchFolder(tmpfsSize)
    {
        qputenv("XDG_CACHE_HOME", Name());
    }
    ~CCacheFolder() { qunsetenv("XDG_CACHE_HOME"); }
};
} // namespace

class TestRecvSpill : public CViewTestCase
{
    Q_OBJECT

private slots:
    void initTestCase() { qputenv("TARVIK_RECV_MEMORY_MB", "1"); }
    void init()
    {
        CViewTestCase::init();
        m_cache.emplace();
    }
    void cleanup()
    {
        CViewTestCase::cleanup();
        m_cache.reset();
    }

    // Rows around the start, every chunk boundary and the end are laid out
    // from bytes read back from the file: together they render as the engine
    // renders the same bytes, and no row starts inside a cut pair or CR LF.
    void spilledHistoryShowsEveryRegionAsTheEngine()
    {
        const QByteArray stream = StreamWithCutUnits(20 * kMiB + 777);
        Receive(stream);
        const CRecvHistory &history = View()->History();
        // Chunks are written by a task of the history's own.
        QTRY_VERIFY(history.SpilledBytes() >= std::size_t(stream.size() - 2 * kChunk));
        QVERIFY(history.MemoryInUse() < std::size_t(3 * kChunk));
        QCOMPARE(DescriptorsIn(m_cache->Path()), 1);
        QVERIFY(m_cache->IsEmpty()); // unlinked: a killed process leaves nothing
        // The start, every chunk boundary and the end.
        for (qsizetype at = 0; at < stream.size() + kChunk && !QTest::currentTestFailed();
             at += kChunk)
            CheckRowsAround(stream, std::min(at, stream.size()));
        QVERIFY(history.ArrivalOf(0) > 0);
        QVERIFY(history.ArrivalOf(std::size_t(stream.size()) - 1) >= history.ArrivalOf(0));
    }

    // The searched text is cut by a chunk boundary, its first part in the
    // file; find it from the start in each notation, and in UTF-8, where the
    // find thread walks characters of up to four bytes, when the boundary
    // cuts its first character.
    void findMatchesTextCutByAChunkBoundary_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("needle");
        QTest::addColumn<int>("notation"); // text, hex, UTF-8 text
        const QString utf8 = QStringLiteral("\u4E2D\u6587\U0001F600-cut");
        QTest::newRow("text") << StreamWithCutUnits(4 * kMiB) << QString::fromLatin1(kNeedle) << 0;
        QTest::newRow("hex") << StreamWithCutUnits(4 * kMiB) << HexRendering(kNeedle) << 1;
        QTest::newRow("UTF-8") << Utf8StreamWithCut(utf8.toUtf8()) << utf8 << 2;
    }
    void findMatchesTextCutByAChunkBoundary()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, needle);
        QFETCH(int, notation);
        const QByteArray cut = notation == 2 ? needle.toUtf8() : kNeedle;
        const qsizetype at = stream.indexOf(cut);
        QVERIFY(at < 2 * kChunk && at + cut.size() > 2 * kChunk);
        Receive(stream);
        if (notation == 1)
            Click(ViewId::kHexRecv);
        if (notation == 2)
            View()->SetCodePage(CodePageId::Utf8);
        View()->setFocus();
        QTest::keyClick(View(), Qt::Key_Home, Qt::ControlModifier);
        const MessageBoxWatcher watcher; // a miss fails at once, not at the time-out
        m_framed->View()->OnViewRequest(kRequestFind, 1, needle);
        QTRY_VERIFY(!View()->IsFinding());
        QCOMPARE(View()->SelectedText(), needle);
    }

    // The bounds of a read (for the hex rows a read starts) come from the
    // per-chunk marks, in memory or read back from the file: a read goes on
    // across a chunk boundary, reads within one millisecond are one, and a
    // chunk that starts with a new time starts a new read.
    void readBoundsHoldAcrossChunks_data() { AddFlagRows("spilled", "in memory", "spilled"); }
    void readBoundsHoldAcrossChunks()
    {
        QFETCH(bool, spilled);
        const std::size_t c = std::size_t(kChunk);
        CRecvHistory history;
        history.SetSpillFolder(m_cache->Path());
        history.SetMemoryBudget(spilled ? 1 : 1u << 30);
        const QByteArray bytes = PseudoRandom(qsizetype(3 * c + 3), 7);
        // Where each read ends, and when it came.
        const std::pair<std::size_t, qint64> reads[] = {
            {c + 10, 100}, {c + 20, 100}, {2 * c, 200}, {2 * c + 5, 300}, {3 * c + 3, 400}};
        for (std::size_t from = 0; const auto &[end, ms] : reads) {
            AppendTo(history, bytes.mid(qsizetype(from), qsizetype(end - from)), ms);
            from = end;
        }
        history.IndexNew();
        if (spilled)
            QTRY_VERIFY((history.IndexNew(), history.SpilledBytes() == 3 * c));
        // The reads as the history tells them: the first two are one.
        const std::size_t told[][3] = {{0, c + 20, 100},
                                       {c + 20, 2 * c, 200},
                                       {2 * c, 2 * c + 5, 300},
                                       {2 * c + 5, 3 * c + 3, 400}};
        // Offsets at the edges of each, and the read they fall in.
        const std::pair<std::size_t, int> offsets[] = {{0, 0},         {c - 1, 0},     {c + 15, 0},
                                                       {c + 20, 1},    {2 * c - 1, 1}, {2 * c, 2},
                                                       {2 * c + 5, 3}, {3 * c + 2, 3}};
        const auto read = [](std::size_t at, std::size_t start, std::size_t end, qint64 ms) {
            return QString::asprintf("offset %zu: read [%zu, %zu) at %lld", at, start, end, ms);
        };
        for (const auto &[at, index] : offsets) {
            const std::size_t *expected = told[index]; // start, end, time
            QCOMPARE(
                read(at, history.ReadStartOf(at), history.ReadEndOf(at), history.ArrivalOf(at)),
                read(at, expected[0], expected[1], qint64(expected[2])));
        }
    }

    // Chunks are written out below the priority of the thread that fills
    // the history (the window's), so that a busy machine delays the writing
    // rather than the display.
    void chunksAreWrittenBelowTheFillingThreadsPriority()
    {
        CRecvHistory history;
        history.SetSpillFolder(m_cache->Path());
        history.SetMemoryBudget(1);
        std::atomic<int> writerNice{INT_MIN};
        history.SetSpillDone([&] { writerNice = ::getpriority(PRIO_PROCESS, id_t(::gettid())); });
        AppendTo(history, PseudoRandom(3 * kChunk, 9), 1);
        history.IndexNew();
        QTRY_VERIFY(writerNice != INT_MIN);
        const int ownNice = ::getpriority(PRIO_PROCESS, id_t(::gettid()));
        QVERIFY(writerNice > ownNice || ownNice == 19);
        QTRY_VERIFY((history.IndexNew(), history.SpilledBytes() == 2 * std::size_t(kChunk)));
    }

    // A search given up before its result came reports nothing, and its
    // progress leaves the status bar; the next one selects its match. Clear
    // gives it up too.
    void findIsCancelledByEscapeAndANewSearch_data()
    {
        AddFlagRows("escape", "new search", "escape");
    }
    void findIsCancelledByEscapeAndANewSearch()
    {
        QFETCH(bool, escape);
        Receive(StreamWithCutUnits(4 * kMiB));
        View()->setFocus();
        const MessageBoxWatcher watcher;
        FindAbsentTextUntilProgressShows();
        if (escape) {
            QTest::keyClick(View(), Qt::Key_Escape);
            QVERIFY(!View()->IsFinding());
            QVERIFY(!StatusText().startsWith(kFinding));
        }
        m_framed->View()->OnViewRequest(kRequestFind, 1, QString::fromLatin1(kNeedle));
        QTRY_VERIFY(!View()->IsFinding());
        QCOMPARE(View()->SelectedText(), QString::fromLatin1(kNeedle));
        QVERIFY(watcher.Texts().isEmpty()); // no "not found" from the first
        FindAbsentTextUntilProgressShows();
        Click(ViewId::kClearRecv);
        QVERIFY(!View()->IsFinding());
        QVERIFY(!StatusText().startsWith(kFinding));
    }

    // With "keep the last 2 MB" in the user's settings: the counter counts
    // every byte, the view keeps the end of the stream in whole chunks,
    // renders it from its new first byte, and says what it dropped.
    void keepLimitDropsTheOldestChunks_data() { AddFlagRows("spilled", "in memory", "spilled"); }
    void keepLimitDropsTheOldestChunks()
    {
        QFETCH(bool, spilled);
        if (!spilled)
            qputenv("TARVIK_RECV_MEMORY_MB", "64");
        CRegManage().WriteDword(QStringLiteral("KeepRecentMB"), 2);
        const QByteArray stream =
            QByteArray(kChunk - 1, 'a') + "\xD6" + StreamWithCutUnits(7 * kMiB + 999);
        OpenAgainstPeer();
        qputenv("TARVIK_RECV_MEMORY_MB", "1");
        PeerSendsCounted(stream);
        QTRY_VERIFY(View()->History().Size() <= std::size_t(3 * kChunk));
        QByteArray kept;
        CheckTheNewestChunksKept(stream, kept);
        QVERIFY(View()->WholeText() == AsciiRendering(kept));
        for (const qsizetype region : {qsizetype(0), kChunk, kChunk + 5000, kept.size()})
            CheckRowsAround(kept, region);
        View()->verticalScrollBar()->setValue(0);
        QCOMPARE(RowsInSight(View()).front().start, std::size_t(0));
    }

    // A full disk: one message; from then on the history keeps the newest
    // bytes within the memory budget (1 MiB) as the keep limit does, the
    // oldest first, which gives the disk its space back; the counters count
    // every byte and the view says how much it dropped.
    void fullDiskKeepsTheNewestBytesWithinTheBudget()
    {
        m_cache.emplace("3m");
        if (!m_cache->Mounted())
            QSKIP("mounting a tmpfs needs CAP_SYS_ADMIN (run the test as root)");
        Start();
        QSignalSpy failures(View(), &CRecvView::SpillFailed);
        const QByteArray stream = PseudoRandom(9 * kMiB, 31);
        OpenAgainstPeer();
        PeerSendsCounted(stream);
        QTRY_VERIFY(StatusText().contains(m_cache->Path()));
        QVERIFY(StatusText().contains(QStringLiteral("1 MB")));
        QVERIFY(m_framed->StatusIsError());
        QCOMPARE(failures.size(), 1);
        QByteArray kept;
        CheckTheNewestChunksKept(stream, kept);
        const CRecvHistory &history = View()->History();
        QVERIFY(history.Size() >= std::size_t(kChunk) && history.Size() <= std::size_t(2 * kChunk));
        QCOMPARE(history.SpilledBytes(), std::size_t(0));
        QVERIFY(QStorageInfo(m_cache->Path()).bytesAvailable() > 2 * kMiB);
        QCOMPARE(RowsInSight(View()).back().end, history.Size());
        QVERIFY(m_framed->View()->HasPort());
    }

    // The pages of a record are mapped all at once before a walk over it
    // and handed back after it.
    void recordPagesAreLoadedAndDropped_data()
    {
        QTest::addColumn<bool>("load");
        QTest::addColumn<bool>("drop");
        QTest::newRow("untouched") << false << false;
        QTest::newRow("loaded") << true << false;
        QTest::newRow("loaded, then dropped") << true << true;
    }
    void recordPagesAreLoadedAndDropped()
    {
        QFETCH(bool, load);
        QFETCH(bool, drop);
        QString error;
        const auto file = CSpillFile::Create(m_cache->Path(), error);
        QVERIFY2(file, qPrintable(error));
        const QByteArray bytes = PseudoRandom(kChunk, 3);
        const std::span<const uint8_t> part = ViewOf(bytes);
        const auto record = file->Append(std::span(&part, 1), error);
        QVERIFY2(record, qPrintable(error));
        if (load)
            record->LoadPages();
        if (drop)
            record->DropPages();
        QCOMPARE(ResidentBytes(record->Data()), load && !drop ? kChunk : 0);
        QVERIFY(std::memcmp(record->Data(), bytes.constData(), std::size_t(kChunk)) == 0);
    }

    // Saving the history (with progress, from the file) and searching it
    // through for text it lacks read every chunk in the file; none of them
    // stays resident afterwards.
    void walksOverTheFileLeaveNoChunkResident_data() { AddFlagRows("save", "find", "save"); }
    void walksOverTheFileLeaveNoChunkResident()
    {
        QFETCH(bool, save);
        const QByteArray stream =
            save ? PseudoRandom(6 * kMiB + 5, 21) : StreamWithCutUnits(6 * kMiB);
        Receive(stream);
        const CRecvHistory &history = View()->History();
        QTRY_VERIFY(history.SpilledBytes() >= std::size_t(stream.size() - 2 * kChunk));
        if (save) {
            QSignalSpy progress(m_framed->View()->findChild<CHistoryWriter *>(),
                                &CHistoryWriter::Progress);
            QVERIFY(SaveHistory() == stream); // QCOMPARE would print megabytes
            QTRY_VERIFY(StatusText().contains(QStringLiteral("history.dat")));
            QVERIFY(progress.size() >= 2);
            QCOMPARE(progress.last().at(0).toInt(), 100);
        } else {
            const MessageBoxWatcher watcher;
            View()->setFocus();
            m_framed->View()->OnViewRequest(kRequestFind, 1, QStringLiteral("absent text"));
            QTRY_VERIFY(!View()->IsFinding());
            QCOMPARE(watcher.Texts().size(), 1);
        }
        int spilled = 0;
        for (const CRecvHistory::SharedPiece &piece : history.SharedPieces()) {
            if (!piece.record)
                continue;
            ++spilled;
            QCOMPARE(ResidentBytes(piece.bytes.data()), 0);
        }
        QVERIFY(spilled >= 4);
    }

    // Clearing and closing the window let go of the file at once.
    void clearAndCloseReleaseTheFile()
    {
        Receive(PseudoRandom(3 * kMiB, 41));
        QTRY_VERIFY(View()->History().SpilledBytes() > 0);
        QCOMPARE(DescriptorsIn(m_cache->Path()), 1);
        Click(ViewId::kClearRecv);
        QCOMPARE(DescriptorsIn(m_cache->Path()), 0);
        PeerSends(PseudoRandom(3 * kMiB, 42));
        QTRY_VERIFY_WITH_TIMEOUT(DescriptorsIn(m_cache->Path()) == 1, kPortWaitMs);
        m_framed.reset();
        QCOMPARE(DescriptorsIn(m_cache->Path()), 0);
    }

    // With the bar scaled (its limit lowered to 1000 values for a history
    // of megabytes): its ends show the ends, the wheel moves by rows.
    void scaledScrollBarReachesBothEndsAndTheWheelMovesByRows()
    {
        const QByteArray stream = StreamWithCutUnits(5 * kMiB);
        Receive(stream);
        View()->SetScrollBarLimit(1000);
        QScrollBar *bar = View()->verticalScrollBar();
        QCOMPARE(bar->maximum(), 1000);
        bar->setValue(0);
        QCOMPARE(RowsInSight(View()).front().start, std::size_t(0));
        bar->setValue(bar->maximum());
        QCOMPARE(RowsInSight(View()).back().end, std::size_t(stream.size()));
        bar->setValue(bar->maximum() / 2);
        const std::vector<CRecvView::Row> before = RowsInSight(View());
        QVERIFY(before.front().start > 2 * std::size_t(kMiB));
        Wheel(View()->viewport(), -120);
        QCOMPARE(RowsInSight(View()).front().start, before[3].start);
        Wheel(View()->viewport(), 120);
        QCOMPARE(RowsInSight(View()).front().start, before.front().start);
    }

    // Copying more than 16 MiB asks first; "No" leaves the clipboard.
    void copyOfALargeSelectionAsksFirst_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("copied");
        QTest::newRow("at the limit") << 16 * kMiB << int(QMessageBox::No) << false << true;
        QTest::newRow("above, no") << 16 * kMiB + 1 << int(QMessageBox::No) << true << false;
        QTest::newRow("above, yes") << 16 * kMiB + 1 << int(QMessageBox::Yes) << true << true;
    }
    void copyOfALargeSelectionAsksFirst()
    {
        QFETCH(qsizetype, size);
        QFETCH(int, answer);
        QFETCH(bool, asked);
        QFETCH(bool, copied);
        const QByteArray stream = StreamWithCutUnits(size);
        Receive(stream);
        QApplication::clipboard()->setText(QStringLiteral("before"));
        View()->setFocus();
        View()->SelectAll();
        const MessageBoxWatcher watcher{QMessageBox::StandardButton(answer)};
        QTest::keyClick(View(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(watcher.Texts().size(), asked ? 1 : 0);
        const QString clipboard = QApplication::clipboard()->text();
        QCOMPARE(clipboard == QStringLiteral("before"), !copied);
        if (copied)
            QVERIFY(clipboard == AsciiRendering(stream));
    }

private:
    CRecvView *View() const { return m_framed->RecvBox(); }
    // The result is still to come: the view is busy until it is handled.
    void FindAbsentTextUntilProgressShows()
    {
        QSignalSpy progress(View(), &CRecvView::FindProgress);
        m_framed->View()->OnViewRequest(kRequestFind, 1, QStringLiteral("absent text"));
        QVERIFY(progress.wait(kPortWaitMs));
        QVERIFY(View()->IsFinding());
        QVERIFY(StatusText().startsWith(kFinding));
    }
    void Receive(const QByteArray &stream)
    {
        OpenAgainstPeer();
        PeerSendsCounted(stream);
        QTRY_COMPARE_WITH_TIMEOUT(View()->History().Size(), std::size_t(stream.size()),
                                  kPortWaitMs);
    }
    // The history holds the end of `stream` from a chunk boundary on, `kept`:
    // it saves those bytes and the view tells how much it dropped.
    void CheckTheNewestChunksKept(const QByteArray &stream, QByteArray &kept)
    {
        const CRecvHistory &history = View()->History();
        QTRY_COMPARE(history.Size() + history.DroppedBytes(), std::size_t(stream.size()));
        QCOMPARE(history.DroppedBytes() % std::size_t(kChunk), std::size_t(0));
        kept = stream.mid(qsizetype(history.DroppedBytes()));
        QVERIFY(SaveHistory() == kept);
        QVERIFY(View()->DroppedNotice().contains(
            QString::number(double(history.DroppedBytes()) / kMiB, 'f', 1)));
    }
    // The rows in sight with the top just above `region` render together as
    // the engine renders their bytes, each ends after every LF, and none
    // starts inside a pair or CR LF cut by a chunk boundary.
    void CheckRowsAround(const QByteArray &stream, qsizetype region)
    {
        View()->verticalScrollBar()->setValue(int(std::max<qsizetype>(0, region - 100)));
        const std::vector<CRecvView::Row> rows = RowsInSight(View());
        QVERIFY(rows.size() > 3);
        QString joined;
        for (const CRecvView::Row &row : rows) {
            joined += View()->TextOf(row.start, row.end);
            const QByteArray bytes =
                stream.mid(qsizetype(row.start), qsizetype(row.end - row.start));
            QVERIFY(!bytes.left(bytes.size() - 1).contains('\n')); // a row ends after each LF
            if (region % kChunk == 0 && region > 0 && region / kChunk % 3 < 2)
                QVERIFY(row.start != std::size_t(region));
        }
        const qsizetype from = qsizetype(rows.front().start);
        const QString expected =
            AsciiRendering(stream.mid(from, qsizetype(rows.back().end) - from));
        QVERIFY2(joined == expected, qPrintable(QStringLiteral("region %1").arg(region)));
    }
    QByteArray SaveHistory()
    {
        const QString saved = m_sandbox->Path(QStringLiteral("history.dat"));
        m_framed->View()->SetSaveFileChooser([saved](const QString &) { return saved; });
        QFile::remove(saved);
        Click(ViewId::kSaveRecv);
        // Written by a thread, under its own name until complete.
        if (!QTest::qWaitFor([&] { return QFile::exists(saved); }, kPortWaitMs))
            return "<not saved>";
        return FileBytes(saved);
    }

    std::optional<CCacheFolder> m_cache;
};

QTEST_MAIN(TestRecvSpill)
#include "tst_recvspill.moc"
