// The view's status bar messages on their own: the frame's routine is found
// from inside the frame, and the reply to a status request becomes a hint
// and the reply box's tool tip.
#include "partfixture.h"

class TestViewStatus : public QObject
{
    Q_OBJECT

private slots:
    // Only the reply to a request sent through this port is explained.
    void statusRepliesBecomeHints_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<bool>("newPort");
        QTest::addColumn<QString>("hint");
        const QByteArray request("\x10\x04\x04", 3);
        QTest::addRow("request") << request << false
                                 << QStringLiteral("状态 DLE EOT 4 = 72：纸量充足，缺纸");
        QTest::addRow("request of the port before") << request << true << QString();
        QTest::addRow("no request") << QByteArray("\x04") << false << QString();
    }
    void statusRepliesBecomeHints()
    {
        QFETCH(QByteArray, sent);
        QFETCH(bool, newPort);
        QFETCH(QString, hint);
        CPartStatus part;
        QVERIFY(part.panesSetUp);
        QWidget alone;
        QVERIFY(!CViewStatus(&alone).Messenger());

        CViewStatus status(part.frame.centralWidget());
        part.bar->SetWindowText(QStringLiteral("before"));
        status.NoteSent(U8(sent.constData()), uint32_t(sent.size()));
        if (newPort)
            status.ForgetStatusRequests();
        QWidget replyBox;
        status.NoteReceived(U8("\x72"), 1, replyBox);
        QCOMPARE(replyBox.toolTip(), hint);
        QCOMPARE(part.Text(), hint.isEmpty() ? QStringLiteral("before") : hint);
    }
};

QTEST_MAIN(TestViewStatus)
#include "tst_viewstatus.moc"
