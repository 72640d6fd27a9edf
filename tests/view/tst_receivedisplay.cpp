// The receive area's display on its own: what an update shows and where
// it leaves the receive view.
#include "partfixture.h"
#include "view/parts/receivedisplay.h"
#include "view/parts/viewcounters.h"

#include <QScrollBar>

class TestReceiveDisplay : public QObject
{
    Q_OBJECT

private slots:
    // After a read the update shows the counters and the end of the history;
    // an update for the counters alone leaves the view where the user put it.
    void updateShowsCountersAndOnlyAReadScrollsToTheEnd()
    {
        CPartControls c;
        CViewCounters counters;
        CReceiveDisplay display(counters);
        display.Attach(c.recvBox, c.edit, c.counter);
        const QByteArray lines = QByteArray("line\r\n").repeated(300);
        c.recvBox->Append(U8(lines.constData()), lines.size());
        counters.NoteReceived(uint32_t(lines.size()), true);
        display.NoteRead();
        QTRY_COMPARE(c.edit->text(), QString::number(lines.size()));
        QCOMPARE(c.counter->text(), QStringLiteral("0"));
        QScrollBar *scroll = c.recvBox->verticalScrollBar();
        QVERIFY(scroll->maximum() > 0);
        QCOMPARE(scroll->value(), scroll->maximum());

        scroll->setValue(0);
        counters.ClearReceived();
        display.Schedule();
        QTRY_COMPARE(c.edit->text(), QStringLiteral("0"));
        QCOMPARE(scroll->value(), 0);
    }
};

QTEST_MAIN(TestReceiveDisplay)
#include "tst_receivedisplay.moc"
