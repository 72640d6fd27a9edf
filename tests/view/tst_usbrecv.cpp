// The USB kind through the window with the port library's own USB port on a
// fake printer device: the device is asked for data only while receiving is
// continued.
#include "viewsandbox.h"

#include "fakeusbdevice.h"
#include "usbport.h"

#include <QPlainTextEdit>

using namespace ViewText;

namespace {
const QString kPauseCaption = QStringLiteral("暂停接收");
const QString kContinueCaption = QStringLiteral("继续接收");
// More than two polls of the port's reader, which asks the device once a second.
constexpr int kTwoPollsMs = 2500;
// Only a bound on hangs.
constexpr int kArrivalMs = 10000;
} // namespace

class TestUsbRecv : public QObject
{
    Q_OBJECT

private slots:
    void deviceIsReadOnlyWhileContinued()
    {
        CFakeUsbDevices fake({0});
        CViewSandbox sandbox;
        PanelProviders providers;
        providers.usbDevices = [] { return std::vector<int>{0}; };
        CFramedView framed(
            [&fake](PortKind kind) -> std::unique_ptr<CPortEx> {
                if (kind == PortKind::Usb)
                    return std::make_unique<CUsbPort>(fake);
                return CTarvikView::CreateSystemPort(kind);
            },
            providers);
        QVERIFY(framed.WaitForStartup());
        framed.SelectKind(PortKind::Usb);
        auto *recvBox = framed.Find<QPlainTextEdit>(ViewId::kRecvBox);
        QPushButton *pause = framed.Button(ViewId::kPauseRecv);
        const auto readRequests = [&fake] {
            return fake.With([](auto &s) { return s.readRequests; });
        };
        fake.With([](auto &s) { s.incoming = "hello"; });

        framed.ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(framed.StatusText(), kOpened, kArrivalMs);
        QCOMPARE(pause->text(), kContinueCaption);
        QTest::qWait(kTwoPollsMs);
        QCOMPARE(readRequests(), 0);
        QCOMPARE(recvBox->toPlainText(), QString());

        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), kPauseCaption);
        QTRY_COMPARE_WITH_TIMEOUT(recvBox->toPlainText(), QStringLiteral("hello"), kArrivalMs);

        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), kContinueCaption);
        const int requestsWhenPaused = readRequests();
        fake.With([](auto &s) { s.incoming = "more"; });
        QTest::qWait(kTwoPollsMs);
        QCOMPARE(readRequests(), requestsWhenPaused);
        QCOMPARE(recvBox->toPlainText(), QStringLiteral("hello"));

        QTest::mouseClick(pause, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(recvBox->toPlainText(), QStringLiteral("hellomore"), kArrivalMs);
        framed.ClickOpenClose();
        QCOMPARE(framed.StatusText(), kClosed);
    }
};

QTEST_MAIN(TestUsbRecv)
#include "tst_usbrecv.moc"
