// The view's parts that need the window's sandbox: a private registry,
// settings file and folder. One test class each, run by one program (see
// RunPartTests).
#include "config/rvconfig.h"
#include "fakeport.h"
#include "partfixture.h"
#include "view/parts/controllines.h"
#include "view/parts/portextras.h"
#include "view/parts/savefiles.h"
#include "view/parts/statusbytehint.h"
#include "view/parts/viewport.h"
#include "view/parts/viewsettings.h"
#include "viewsandbox.h"

#include <QCheckBox>
#include <QProcess>
#include <QSet>

using EscPos::StatusCondition;
using EscPos::StatusRequest;

// The port column's own parts on their own: the control lines only for the
// serial kind, a capture log that waits for the port, and attempts to reopen
// a lost port stopped before the first.

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

// The view's settings on their own: one save per view, read back after a
// restart, and the messages for a damaged or unwritable file.
class TestViewSettings : public CViewTestCase
{
    Q_OBJECT

private slots:
    // A second save (the destructor after the window closed) writes nothing.
    void savedOnceAndReadBack()
    {
        CViewSettings settings(m_sandbox->IniPath().toStdString());
        settings.SaveOnce(nullptr, [] { return Snapshot(3, 210, 330); });
        settings.SaveOnce(nullptr, [] { return Snapshot(1, 99, 199); });
        RvConfigValues values;
        QVERIFY(CViewSettings(m_sandbox->IniPath().toStdString()).Load(nullptr, values));
        QCOMPARE(values.selPort, 3);
        QVERIFY(values.hexDisplay && !values.hexSend);
        QCOMPARE(CViewSettings::SavedSplitterTops(), std::make_pair(210, 330));
    }

    // The registry values are not saved apart from the file; a damaged
    // section is reported and changes nothing.
    void faultyFilesAreReported()
    {
        QVERIFY(WriteFileBytes(m_sandbox->Path("notAFolder"), "x"));
        CViewSettings unwritable(m_sandbox->Path("notAFolder/rvcfg.ini").toStdString());
        const MessageBoxWatcher watcher;
        unwritable.SaveOnce(nullptr, [] { return Snapshot(2, 210, 330); });
        QCOMPARE(CViewSettings::SavedSplitterTops(), std::make_pair(0, 0));

        QVERIFY(WriteFileBytes(m_sandbox->IniPath(),
                               "[RVConfigs]\nPortCfgData=12zz\nPortCfgDataCS=1\nSelPort=3\n"));
        RvConfigValues values;
        values.selPort = 1;
        QVERIFY(!CViewSettings(m_sandbox->IniPath().toStdString()).Load(nullptr, values));
        QCOMPARE(values.selPort, 1);
        QCOMPARE(watcher.Texts().size(), 2);
        QCOMPARE(watcher.Texts().first(), QStringLiteral("Can't Create Config Ini File!"));
    }

    // The user's other choices are registry values under the names other
    // builds read; none is set in a fresh registry.
    void userChoicesAreRegistryValues()
    {
        QVERIFY(!CViewSettings::ShowArrivalTimes() && !CViewSettings::AutoReconnect());
        QVERIFY(!CViewSettings::KeepRecentMb() && !CViewSettings::TextCodePage());
        CViewSettings::SetShowArrivalTimes(true);
        QVERIFY(CViewSettings::ShowArrivalTimes());
        CViewSettings::SetShowArrivalTimes(false);
        QVERIFY(!CViewSettings::ShowArrivalTimes());
        CViewSettings::SetAutoReconnect(true);
        QVERIFY(CViewSettings::AutoReconnect());
        CViewSettings::SetKeepRecentMb(0); // chosen "off" is not "never chosen"
        QCOMPARE(CViewSettings::KeepRecentMb(), std::optional<uint32_t>(0));
        CViewSettings::SetKeepRecentMb(512);
        QCOMPARE(CViewSettings::KeepRecentMb(), std::optional<uint32_t>(512));
        CViewSettings::SetTextCodePage(CodePageId::Utf8);
        QCOMPARE(CViewSettings::TextCodePage(), std::optional<CodePageId>(CodePageId::Utf8));
        CRegManage reg;
        uint32_t arrival = 1, reconnect = 0, keep = 0;
        QByteArray page;
        QVERIFY(reg.ReadDword("ShowArrivalTimes", arrival) &&
                reg.ReadDword("AutoReconnect", reconnect) && reg.ReadDword("KeepRecentMB", keep) &&
                reg.ReadBinary("TextCodePage", page));
        QCOMPARE(std::tuple(arrival, reconnect, keep, page),
                 std::tuple(0u, 1u, 512u, QByteArray(NameOfCodePage(CodePageId::Utf8))));
        reg.WriteBinary("TextCodePage", "no such page");
        QVERIFY(!CViewSettings::TextCodePage());
    }

private:
    static CViewSettings::Snapshot Snapshot(int kind, int splitter1, int splitter2)
    {
        RvConfigValues values;
        values.selPort = kind;
        values.hexDisplay = true;
        return {values, splitter1, splitter2};
    }
};

// Saving on its own: writing pieces over an older file, or failing with a
// message and no file.
class TestSaveFiles : public CViewTestCase
{
    Q_OBJECT

private slots:
    void writesPiecesOrFailsWithoutAFile()
    {
        const MessageBoxWatcher watcher; // a failing write must not wait for the user
        const QString saved = m_sandbox->Path(QStringLiteral("saved.dat"));
        QVERIFY(WriteFileBytes(saved, "old and longer"));
        const CSaveFiles files;
        QVERIFY(files.Write(saved, {"ab", "", QByteArrayView("\0\r\n", 3)}));
        QCOMPARE(FileBytes(saved), QByteArray("ab\0\r\n", 5));
        QVERIFY(watcher.Texts().isEmpty());

        const QString missing = m_sandbox->Path(QStringLiteral("no folder/saved.dat"));
        QVERIFY(!files.Write(missing, {"ab"}));
        QCOMPARE(watcher.Texts().size(), 1);
        QVERIFY(watcher.Texts().at(0).contains(missing));
        QVERIFY(!QFile::exists(missing));
    }
};

// The window's decoding of printer status bytes: the captions, and the hint
// and tool tip after a status request to the printer simulator.
class TestStatusByteHint : public CViewTestCase
{
    Q_OBJECT

private slots:
    void captionsNameEveryBitOfTheReply_data()
    {
        QTest::addColumn<int>("request");
        QTest::addColumn<int>("reply");
        QTest::addColumn<QString>("caption");
        QTest::newRow("healthy") << int(StatusRequest::PrinterStatus) << 0x12
                                 << QStringLiteral("状态 DLE EOT 1 = 12：钱箱引脚3低电平，联机，"
                                                   "未等待恢复联机，走纸键未按下");
        QTest::newRow("cover open") << int(StatusRequest::OfflineCause) << 0x16
                                    << QStringLiteral("状态 DLE EOT 2 = 16：上盖打开，未按键走纸，"
                                                      "未因缺纸停止，无错误");
        QTest::newRow("cutter") << int(StatusRequest::ErrorCause) << 0x1A
                                << QStringLiteral("状态 DLE EOT 3 = 1A：无机械错误，切刀错误，"
                                                  "无不可恢复错误，无可自动恢复错误");
        QTest::newRow("paper end") << int(StatusRequest::RollPaper) << 0x72
                                   << QStringLiteral("状态 DLE EOT 4 = 72：纸量充足，缺纸");
        QTest::newRow("one bit of a pair") << int(StatusRequest::RollPaper) << 0x16
                                           << QStringLiteral("状态 DLE EOT 4 = 16：纸量充足，有纸");
        QTest::newRow("near end") << int(StatusRequest::PaperSensor) << 0x03
                                  << QStringLiteral("状态 GS r 1 = 03：纸将尽，有纸");
        QTest::newRow("drawer") << int(StatusRequest::DrawerSensor) << 0x01
                                << QStringLiteral("状态 GS r 2 = 01：钱箱引脚3高电平");
    }
    void captionsNameEveryBitOfTheReply()
    {
        QFETCH(int, request);
        QFETCH(int, reply);
        QFETCH(QString, caption);
        QCOMPARE(CStatusByteHint::Caption(StatusRequest(request), uint8_t(reply)), caption);
    }

    // Each condition reads differently set and clear, and no two conditions alike.
    void everyConditionHasItsOwnCaptions()
    {
        QSet<QString> captions;
        for (int c = 0; c <= int(StatusCondition::PaperEnd); ++c)
            for (bool set : {false, true})
                captions << CStatusByteHint::ConditionCaption(StatusCondition(c), set);
        QCOMPARE(captions.size(), 28);
    }

    void statusReplyShowsAsHintAndToolTip()
    {
        QProcess sim;
        sim.start(QStringLiteral(TARVIK_PRINTERSIM), {"--port", "0", "--status", "paper-end"});
        QVERIFY(QTest::qWaitFor([&] { return sim.canReadLine(); }, kPortWaitMs));
        const quint16 port = quint16(sim.readLine().trimmed().toUInt());
        Start({}, std::nullopt);
        m_framed->OpenNetwork(port);
        QPushButton *send = m_framed->Button(ViewId::kSend);
        QVERIFY(QTest::qWaitFor([&] { return send->isEnabled(); }, kPortWaitMs));
        m_framed->Find<QCheckBox>(ViewId::kHexSend)->click();
        m_framed->SendBox()->setPlainText(QStringLiteral("1B 40 10 04 04"));
        send->click();
        const QString caption = QStringLiteral("状态 DLE EOT 4 = 72：纸量充足，缺纸");
        QVERIFY(QTest::qWaitFor([&] { return m_framed->StatusText() == caption; }, kPortWaitMs));
        QVERIFY(m_framed->StatusIsHint());
        QCOMPARE(m_framed->RecvBox()->toolTip(), caption);
        m_framed.reset();
        sim.kill();
        sim.waitForFinished();
    }
};

TARVIK_PART_TESTS_MAIN(TestPortExtras, TestViewSettings, TestSaveFiles, TestStatusByteHint)
#include "tst_partsandbox.moc"
