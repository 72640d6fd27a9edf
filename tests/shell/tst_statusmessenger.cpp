#include "shell/extlabel.h"
#include "shell/extstatuscontrolbar.h"
#include "shell/statusmessenger.h"
#include "stringtable.h"

#include <QDeadlineTimer>
#include <QMainWindow>
#include <QTest>

class TestStatusMessenger : public QObject
{
    Q_OBJECT

private slots:
    void hintCancelsPendingErrorAndTurnsBlue()
    {
        QMainWindow frame;
        auto *bar = new CExtStatusControlBar(&frame);
        bar->SetIndicators({ID_INDICATOR_NUM});
        frame.setStatusBar(bar);
        frame.setCentralWidget(new QWidget);
        auto *messenger = new CStatusMessenger(bar, &frame);
        QVERIFY(messenger->SetUpPanes());
        frame.resize(608, 445);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));

        messenger->ShowStatusText(QStringLiteral("error"), kStatusError, 300);
        const QDeadlineTimer errorDue(316); // the error's coarse timer is at most 5% late
        messenger->ShowStatusText(QStringLiteral("hint"), kStatusHint, -1);
        QCOMPARE(messenger->Label()->TextColour(), QColor(0, 0, 255));
        QVERIFY(!messenger->IsClearPending());
        QTRY_VERIFY(errorDue.hasExpired());
        QCOMPARE(bar->WindowText(), QStringLiteral("hint"));
    }
};

QTEST_MAIN(TestStatusMessenger)
#include "tst_statusmessenger.moc"
