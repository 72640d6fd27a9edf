// The view's status bar messages on their own: the frame's routine is found
// from inside the frame, and the reply to a status request becomes a hint
// and the reply box's tool tip.
#include "partfixture.h"
#include "shell/extstatuscontrolbar.h"
#include "shell/statusmessenger.h"
#include "view/viewstatus.h"

#include <QMainWindow>

class TestViewStatus : public QObject
{
    Q_OBJECT

private slots:
    // Only the reply to a request sent through this port is explained.
    void statusRepliesBecomeHints()
    {
        QMainWindow frame;
        auto *bar = new CExtStatusControlBar(&frame);
        frame.setStatusBar(bar);
        frame.setCentralWidget(new QWidget);
        QVERIFY((new CStatusMessenger(bar, &frame))->SetUpPanes());
        QWidget alone;
        QVERIFY(!CViewStatus(&alone).Messenger());

        const QString answer = QStringLiteral("状态 DLE EOT 4 = 72：纸量充足，缺纸");
        const QByteArray request("\x10\x04\x04", 3);
        const struct
        {
            QByteArray sent;
            bool newPort;
            QString hint;
        } cases[] = {{request, false, answer}, {request, true, {}}, {"\x04", false, {}}};
        for (const auto &c : cases) {
            CViewStatus status(frame.centralWidget());
            bar->SetWindowText(QStringLiteral("before"));
            status.NoteSent(U8(c.sent.constData()), uint32_t(c.sent.size()));
            if (c.newPort)
                status.ForgetStatusRequests();
            QWidget replyBox;
            status.NoteReceived(U8("\x72"), 1, replyBox);
            QCOMPARE(replyBox.toolTip(), c.hint);
            QCOMPARE(bar->WindowText(), c.hint.isEmpty() ? QStringLiteral("before") : c.hint);
        }
    }
};

QTEST_MAIN(TestViewStatus)
#include "tst_viewstatus.moc"
