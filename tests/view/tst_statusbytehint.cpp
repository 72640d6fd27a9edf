// The window's decoding of printer status bytes: the captions, and the hint
// and tool tip after a status request to the printer simulator.
#include "viewsandbox.h"

#include "view/parts/statusbytehint.h"

#include <QCheckBox>
#include <QProcess>
#include <QSet>

using EscPos::StatusCondition;
using EscPos::StatusRequest;

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

QTEST_MAIN(TestStatusByteHint)
#include "tst_statusbytehint.moc"
