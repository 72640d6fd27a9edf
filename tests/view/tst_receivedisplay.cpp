// The receive area's display on its own: what an update shows, where it
// leaves the receive view, and bytes left waiting while receiving is paused.
#include "view/receivedisplay.h"
#include "view/recvview.h"
#include "view/viewcounters.h"

#include <QLineEdit>
#include <QScrollBar>
#include <QTest>

class TestReceiveDisplay : public QObject
{
    Q_OBJECT

private slots:
    void pausedNotificationsLeaveBytesWaiting()
    {
        CViewCounters counters;
        CReceiveDisplay display(counters);
        QVERIFY(display.ReadNowOrDefer());
        QVERIFY(!display.HasWaitingBytes());
        display.SetPaused(true);
        QVERIFY(!display.ReadNowOrDefer());
        QVERIFY(display.HasWaitingBytes());
        display.SetPaused(false); // the view reads what waited first
        QVERIFY(!display.HasWaitingBytes());
        QVERIFY(display.ReadNowOrDefer());
    }

    // After a read the update shows the counters and the end of the history;
    // an update for the counters alone leaves the view where the user put it.
    void updateShowsCountersAndOnlyAReadScrollsToTheEnd()
    {
        QWidget window;
        auto *box = new CRecvView(&window);
        auto *recvCount = new QLineEdit(&window);
        auto *sendCount = new QLineEdit(&window);
        box->setGeometry(0, 0, 300, 100);
        window.show();
        CViewCounters counters;
        CReceiveDisplay display(counters);
        display.Attach(box, recvCount, sendCount);
        QByteArray lines;
        for (int i = 0; i < 300; ++i)
            lines += "line " + QByteArray::number(i) + "\r\n";
        box->Append(reinterpret_cast<const uint8_t *>(lines.constData()), lines.size());
        counters.NoteReceived(uint32_t(lines.size()), true);
        display.NoteRead();
        QTRY_COMPARE(recvCount->text(), QString::number(lines.size()));
        QCOMPARE(sendCount->text(), QStringLiteral("0"));
        QScrollBar *scroll = box->verticalScrollBar();
        QVERIFY(scroll->maximum() > 0);
        QCOMPARE(scroll->value(), scroll->maximum());

        scroll->setValue(0);
        counters.ClearReceived();
        display.Schedule();
        QTRY_COMPARE(recvCount->text(), QStringLiteral("0"));
        QCOMPARE(scroll->value(), 0);
    }
};

QTEST_MAIN(TestReceiveDisplay)
#include "tst_receivedisplay.moc"
