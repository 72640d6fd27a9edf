// The port column's own parts on their own: the control lines only for the
// serial kind, a capture log that waits for the port, and attempts to reopen
// a lost port stopped before the first.
#include "fakeport.h"
#include "view/parts/controllines.h"
#include "view/parts/portextras.h"
#include "view/parts/viewport.h"
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
    void linesOnlyForTheSerialKind_data()
    {
        QTest::addColumn<int>("kind");
        for (int kind : {1, 2, 3, 4})
            QTest::addRow("kind %d", kind) << kind;
    }
    void linesOnlyForTheSerialKind()
    {
        QFETCH(int, kind);
        auto *lines = f->view.findChild<CControlLinesBox *>();
        auto *option = f->view.findChild<QCheckBox *>("autoReconnect");
        const int serialTop = option->y();
        const std::optional<int> serialBottom = f->bottom;
        QVERIFY(!lines->isHidden() && serialBottom);
        f->kinds->setCurrentIndex(kind);
        QVERIFY(lines->isHidden());
        QVERIFY(option->y() < serialTop);
        QCOMPARE(f->bottom, serialBottom);
    }

    // A cancelled choice of file unticks the option; a chosen one waits for the port.
    void captureLogWaitsForThePort()
    {
        auto *option = f->view.findChild<QCheckBox *>("captureLog");
        auto *form = f->view.findChild<QComboBox *>("captureForm");
        option->click();
        QVERIFY(!option->isChecked() && form->isEnabled());
        f->logFile = f->sandbox.Path("capture.log");
        option->click();
        QVERIFY(option->isChecked() && !form->isEnabled());
        QCOMPARE(f->status, QStringList{"打开端口后开始记录到 " + f->logFile});
    }

    void reconnectingStoppedBeforeTheFirstAttempt()
    {
        f->view.findChild<QCheckBox *>("autoReconnect")->setChecked(true);
        f->kinds->setCurrentIndex(int(PortKind::Parallel)); // needs no panel
        f->extras.Lost(false);
        QCOMPARE(f->openClose->text(), QStringLiteral("停止重连"));
        QVERIFY(f->extras.StopReconnecting());
        QCOMPARE(f->status, QStringList{"已停止自动重连"});
        QCOMPARE(f->log.created + f->closes, 0);
    }

private:
    std::unique_ptr<CExtrasFixture> f;
};

QTEST_MAIN(TestPortExtras)
#include "tst_portextras.moc"
