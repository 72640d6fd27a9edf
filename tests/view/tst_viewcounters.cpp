// The receive and send counters on their own: which writes count, and that
// nothing of one write is left for the next.
#include "view/viewcounters.h"

#include <QTest>

class TestViewCounters : public QObject
{
    Q_OBJECT

private slots:
    void writeCountsOnlyWhenCountedThroughoutAndDelivered_data()
    {
        QTest::addColumn<bool>("countAtStart");
        QTest::addColumn<bool>("countAtEnd");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<int>("counted");
        QTest::newRow("counted") << true << true << true << 5;
        QTest::newRow("ticked during the write") << false << true << true << 0;
        QTest::newRow("unticked during the write") << true << false << true << 0;
        QTest::newRow("spooler failed the job") << true << true << false << 0;
    }
    void writeCountsOnlyWhenCountedThroughoutAndDelivered()
    {
        QFETCH(bool, countAtStart);
        QFETCH(bool, countAtEnd);
        QFETCH(bool, delivered);
        QFETCH(int, counted);
        CViewCounters counters;
        counters.BeginWrite(7, true);
        counters.EndWrite(true, true);
        counters.BeginWrite(5, countAtStart);
        counters.EndWrite(countAtEnd, delivered);
        QCOMPARE(counters.Sent(), 7 + counted);
        // A later write that started while not counting adds nothing left over.
        counters.BeginWrite(3, false);
        counters.EndWrite(true, true);
        QCOMPARE(counters.Sent(), 7 + counted);
    }

    void refusedWriteLeavesNothingPending()
    {
        CViewCounters counters;
        counters.BeginWrite(5, true);
        counters.WriteRefused();
        counters.EndWrite(true, true); // a completion that is not this write's
        QCOMPARE(counters.Sent(), 0);
    }

    void readsCountWhileTickedAndClearsAreSeparate()
    {
        CViewCounters counters;
        counters.NoteReceived(4, true);
        counters.NoteReceived(9, false);
        counters.NoteReceived(1, true);
        counters.BeginWrite(6, true);
        counters.EndWrite(true, true);
        QCOMPARE(counters.Received(), 5);
        counters.ClearReceived();
        QCOMPARE(counters.Received(), 0);
        QCOMPARE(counters.Sent(), 6);
        counters.ClearSent();
        QCOMPARE(counters.Sent(), 0);
    }

    void focusReturnsOnceAfterTheSendCommandsWrite()
    {
        CViewCounters counters;
        counters.SetFocusAfterWrite(true);
        QVERIFY(counters.TakeFocusAfterWrite());
        QVERIFY(!counters.TakeFocusAfterWrite());
    }
};

QTEST_GUILESS_MAIN(TestViewCounters)
#include "tst_viewcounters.moc"
