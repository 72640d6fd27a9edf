// The receive and send counters on their own: which writes count, and that
// nothing of one write is left for the next.
#include "view/parts/viewcounters.h"

#include <QTest>

class TestViewCounters : public QObject
{
    Q_OBJECT

private slots:
    // A long session passes 2 and 4 GiB: the count stays exact.
    void receivedCountPassesFourGigabytes()
    {
        CViewCounters counters;
        for (int read = 0; read < 3; ++read)
            counters.NoteReceived(UINT32_MAX, true);
        counters.NoteReceived(1000, false);
        QCOMPARE(counters.Received(), 3 * int64_t(UINT32_MAX));
    }

    // After each write, one that started while not counting must add
    // nothing left over from it.
    void writeCountsOnlyWhenCountedThroughoutAndDelivered_data()
    {
        for (const char *column : {"countAtStart", "refused", "countAtEnd", "delivered"})
            QTest::addColumn<bool>(column);
        QTest::addColumn<int>("counted");
        QTest::addRow("counted") << true << false << true << true << 5;
        QTest::addRow("ticked during the write") << false << false << true << true << 0;
        QTest::addRow("unticked during the write") << true << false << false << true << 0;
        QTest::addRow("the spooler failed the job") << true << false << true << false << 0;
        QTest::addRow("refused, then a stray completion") << true << true << true << true << 0;
    }
    void writeCountsOnlyWhenCountedThroughoutAndDelivered()
    {
        QFETCH(bool, countAtStart);
        QFETCH(bool, refused);
        QFETCH(bool, countAtEnd);
        QFETCH(bool, delivered);
        QFETCH(int, counted);
        CViewCounters counters;
        counters.BeginWrite(7, true);
        counters.EndWrite(true, true);
        counters.BeginWrite(5, countAtStart);
        if (refused)
            counters.WriteRefused();
        counters.EndWrite(countAtEnd, delivered);
        QCOMPARE(counters.Sent(), 7 + counted);
        counters.BeginWrite(3, false);
        counters.EndWrite(true, true);
        QCOMPARE(counters.Sent(), 7 + counted);
    }

    void readsCountWhileTickedAndClearsAreSeparate()
    {
        CViewCounters counters;
        for (auto [count, ticked] : {std::pair{4u, true}, {9u, false}, {1u, true}})
            counters.NoteReceived(count, ticked);
        counters.BeginWrite(6, true);
        counters.EndWrite(true, true);
        QCOMPARE(counters.Received(), int64_t(5));
        counters.ClearReceived();
        QCOMPARE(std::pair(counters.Received(), counters.Sent()), std::pair(int64_t(0), 6));
        counters.NoteReceived(2, true);
        counters.ClearSent();
        QCOMPARE(std::pair(counters.Received(), counters.Sent()), std::pair(int64_t(2), 0));
    }
};

QTEST_GUILESS_MAIN(TestViewCounters)
#include "tst_viewcounters.moc"
