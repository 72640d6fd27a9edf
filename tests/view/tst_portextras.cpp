// The port column's own parts on their own: the control lines only for the
// serial kind, a capture log that waits for the port, and a lost port that
// is opened again and the attempts stopped.
#include "fakeport.h"
#include "view/controllines.h"
#include "view/portextras.h"
#include "view/viewport.h"
#include "viewsandbox.h"

#include <QCheckBox>

// A port column of a kind list and an open button, and what the part tells the view.
struct CExtrasFixture
{
    CExtrasFixture()
    {
        kinds->addItems({"serial", "parallel", "usb", "network", "printer"});
        port.SetFactory([this](PortKind kind) {
            return std::make_unique<CFakePort>(log, int(kind) + 1, true);
        });
        extras.Create(&view, kinds, openClose);
    }
    ~CExtrasFixture() { port.Discard(); } // while its owner is whole
    CViewSandbox sandbox;
    CFakePortLog log;
    CViewPort port;
    QWidget view;
    QComboBox *kinds = new QComboBox(&view);
    QPushButton *openClose = new QPushButton(&view);
    QStringList status;
    QString logFile; // the log file chosen; empty: cancelled
    std::optional<int> bottom;
    int closes = 0;
    CPortExtras extras{port,
                       {[this](const QString &text, int, int) { status << text; },
                        [this](const QString &) { return logFile; }, [this] { ++closes; },
                        [this] { bottom = extras.Place(200, 40); }}};
};

class TestPortExtras : public QObject
{
    Q_OBJECT

private slots:
    void init() { f = std::make_unique<CExtrasFixture>(); }
    void cleanup() { f.reset(); }

    // The options move up while the lines are hidden; the least height holds them anyway.
    void linesOnlyForTheSerialKind()
    {
        auto *lines = f->view.findChild<CControlLinesBox *>();
        auto *option = f->view.findChild<QCheckBox *>("autoReconnect");
        const int serialTop = option->y();
        const std::optional<int> serialBottom = f->bottom;
        QVERIFY(!lines->isHidden() && serialBottom);
        for (int kind : {1, 2, 3, 4}) {
            f->kinds->setCurrentIndex(kind);
            QVERIFY(lines->isHidden());
            QVERIFY(option->y() < serialTop);
            QCOMPARE(f->bottom, serialBottom);
        }
    }

    // A cancelled choice of file unticks the option; a chosen one logs from the open.
    void captureLogWaitsForThePort_data()
    {
        QTest::addColumn<bool>("chosen");
        QTest::newRow("file chosen") << true;
        QTest::newRow("choice cancelled") << false;
    }
    void captureLogWaitsForThePort()
    {
        QFETCH(bool, chosen);
        const QString path = f->sandbox.Path("capture.log");
        f->logFile = chosen ? path : QString();
        auto *option = f->view.findChild<QCheckBox *>("captureLog");
        option->click();
        QCOMPARE(option->isChecked(), chosen);
        QCOMPARE(f->view.findChild<QComboBox *>("captureForm")->isEnabled(), !chosen);
        QCOMPARE(f->status, chosen ? QStringList{"打开端口后开始记录到 " + path} : QStringList{});
        f->port.Adopt(f->port.CreateConfigured(int(PortKind::Parallel)));
        f->extras.Opened();
        f->extras.LogReceived(reinterpret_cast<const uint8_t *>("A\0\xff"), 3);
        f->extras.LogSent(reinterpret_cast<const uint8_t *>("sent"), 4); // not asked for
        f->extras.Closing();
        QCOMPARE(FileBytes(path), chosen ? QByteArray("A\0\xff", 3) : QByteArray("<missing>"));
        QCOMPARE(option->isChecked(), chosen); // kept for the next port
    }

    void lostPortIsOpenedAgainUntilStopped_data()
    {
        QTest::addColumn<bool>("attempted");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QString>("status");
        QTest::newRow("stopped before an attempt") << false << false << "已停止自动重连";
        QTest::newRow("stopped while connecting") << true << false << "正在自动重连（第 1 次）…";
        QTest::newRow("reopened") << true << true << "自动重连成功（第 1 次尝试）";
    }
    void lostPortIsOpenedAgainUntilStopped()
    {
        QFETCH(bool, attempted);
        QFETCH(bool, opened);
        f->view.findChild<QCheckBox *>("autoReconnect")->setChecked(true);
        f->kinds->setCurrentIndex(int(PortKind::Parallel)); // needs no panel
        f->extras.Lost(false);
        QCOMPARE(f->openClose->text(), QStringLiteral("停止重连"));
        if (attempted)
            QTRY_VERIFY(f->port.Port()); // the first attempt, a second later
        if (opened)
            f->extras.Opened();
        QCOMPARE(f->extras.StopReconnecting(), !opened);
        QTEST(f->status.last(), "status");
        QCOMPARE(f->log.created, attempted ? 1 : 0);
        QCOMPARE(f->closes, attempted && !opened ? 1 : 0); // the view closes a pending open
    }

private:
    std::unique_ptr<CExtrasFixture> f;
};

QTEST_MAIN(TestPortExtras)
#include "tst_portextras.moc"
