// The serial kind through the window, on a pseudo-terminal the port opens as
// COM1 while the test plays the far end on the master, or through a scripted
// device on it: the status bar's return to idle, loss, a burst longer than one
// read, auto-send, where a far end that stops reading holds a write
// outstanding as long as it likes, a write failing in the background, and the
// control lines, whose indicators follow the modem status the device plays,
// whose toggles and break reach it, and which a pseudo-terminal leaves unknown.
#include "../support/recvtesting.h"
#include "viewsandbox.h"

#include "faultdevice.h"
#include "panels/serialcfgdlg.h"
#include "port/serialport.h"
#include "ptypair.h"
#include "view/parts/controllines.h"

#include <atomic>
#include <cerrno>
#include <thread>

using namespace ViewText;
using LineState = CControlLinesBox::LineState;
using LineChanges = std::vector<std::pair<unsigned, unsigned>>;

namespace {
// Several ticks of the shortest interval the auto-send box accepts.
constexpr int kSeveralTicksMs = 400;

// More than a pseudo-terminal buffers, so its write stays outstanding
// until the test reads.
QString LargePayloadText()
{
    QString text;
    for (int line = 0; line < 2000; ++line)
        text += QString(98, QChar(u'a' + line % 26)) + u'\n';
    return text;
}
} // namespace

class TestSerialSendRecv : public CViewTestCase
{
    Q_OBJECT

private slots:
    void init()
    {
        CViewTestCase::init();
        m_pty = std::make_unique<CPtyPair>();
        QVERIFY(m_pty->IsValid());
        SetDeviceOverride("COM1", m_pty->SlavePath());
        m_faults.With([](auto &s) { s = {}; });
    }
    void cleanup()
    {
        CViewTestCase::cleanup();
        m_pty.reset();
    }

    void lostWhenTheFarEndHangsUp()
    {
        OpenSerialOnPty();
        m_pty->CloseMaster();
        QTRY_VERIFY_WITH_TIMEOUT(!m_framed->View()->HasPort(), kPortWaitMs);
        QCOMPARE(m_framed->StatusText(), kClosed);
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(!m_framed->Frame().Messenger()->IsClearPending()); // the loss stays in view
        QCOMPARE(m_framed->OpenButton()->text(), kOpenCaption);
        QVERIFY(m_framed->OpenButton()->isEnabled());
        QVERIFY(!m_framed->Button(ViewId::kSend)->isEnabled());
    }

    // A serial port announces data only when more arrives; the view must
    // still fetch what is left after a read of one block, which a terminal
    // cuts at 4 KiB. More than the terminal holds, so the far end writes on
    // while the view reads.
    void burstLongerThanOneReadArrivesWhole()
    {
        OpenSerialOnPty();
        const std::string burst = Cycle(200'000, 'a', 26).toStdString();
        std::atomic<bool> written{false};
        std::thread farEnd([&] { written = m_pty->WriteMaster(burst); });
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->RecvBox()->History().Size(), burst.size(), kPortWaitMs);
        farEnd.join();
        QVERIFY(written);
        QVERIFY(m_framed->RecvBox()->WholeText() == QString::fromStdString(burst));
    }

    void shortAutoSendIntervalIsRefused()
    {
        const QString interval = QStringLiteral("50");
        StartWithSystemPorts();
        QCOMPARE(Interval()->text(), QStringLiteral("1000"));
        Interval()->setText(interval);
        m_framed->Button(ViewId::kSend)->setFocus();
        QTest::mouseClick(AutoSend(), Qt::LeftButton);
        QVERIFY(!AutoSend()->isChecked());
        QVERIFY(Interval()->isEnabled());
        QVERIFY(Interval()->hasFocus());
        QCOMPARE(Interval()->selectedText(), interval);
        QCOMPARE(m_framed->StatusText(), LoadString(IDS_INTERVAL_TOO_SHORT));
        QVERIFY(m_framed->StatusIsHint());
    }

    // While the far end reads nothing, the first write stays outstanding and
    // the ticks pass it by; once it reads, writes follow one after the other,
    // each whole. Unticking stops sending.
    void autoSendKeepsOneWriteOutstandingAndStops()
    {
        OpenSerialOnPty();
        const QString text = LargePayloadText();
        m_framed->SendBox()->setPlainText(text);
        const QByteArray payload = text.toLatin1().replace("\n", "\r\n");
        Interval()->setText(QStringLiteral("51"));
        QTest::mouseClick(AutoSend(), Qt::LeftButton);
        QPushButton *send = m_framed->Button(ViewId::kSend);
        QTRY_VERIFY_WITH_TIMEOUT(!send->isEnabled(), kPortWaitMs);
        QTest::qWait(kSeveralTicksMs);
        QVERIFY(!send->isEnabled());
        QVERIFY(!m_framed->StatusIsError()); // no tick was refused by the port

        QByteArray got = ReadFarEnd(3 * payload.size());
        QTest::mouseClick(AutoSend(), Qt::LeftButton);
        QVERIFY(!AutoSend()->isChecked());
        QVERIFY(Interval()->isEnabled());
        // The write under way when sending stopped still completes.
        got += ReadFarEndUntil([&](const QByteArray &) { return send->isEnabled(); });
        QVERIFY(send->isEnabled());
        QTest::qWait(kSeveralTicksMs);
        got += ReadAvailable(m_pty->MasterFd());
        QVERIFY(send->isEnabled()); // no write started since
        QVERIFY(!m_framed->StatusIsError());
        QCOMPARE(got.size() % payload.size(), 0);
        QCOMPARE(got, payload.repeated(got.size() / payload.size()));
    }

    // EINVAL after the first bytes went out: the write ends, the port stays.
    void writeFailingInTheBackgroundEnablesSendAgain()
    {
        m_faults.With([](auto &s) {
            s.writeError = EINVAL;
            s.passBytes = 10;
        });
        OpenSerial();
        QPushButton *send = m_framed->Button(ViewId::kSend);
        SendText(QString(100, u'x'));
        QTRY_VERIFY_WITH_TIMEOUT(send->isEnabled(), kPortWaitMs);
        QVERIFY(m_framed->View()->HasPort());
        m_faults.With([](auto &s) { s.writeError = 0; });
        SendText(QStringLiteral("next"));
        QCOMPARE(ReadFarEnd(14), QByteArray(10, 'x') + "next");
        QTRY_VERIFY_WITH_TIMEOUT(send->isEnabled(), kPortWaitMs);
    }

    void indicatorsFollowThePlayedLines()
    {
        m_faults.With([](auto &s) { s.lines = kLineCts; });
        OpenSerial();
        CControlLinesBox *box = Box();
        QVERIFY(box->isEnabled() && box->isVisible());
        constexpr LineState on = LineState::On, off = LineState::Off;
        // The lines played, what CTS DSR DCD RI show.
        const std::pair<unsigned, std::array<LineState, 4>> rows[] = {
            {kLineCts, {on, off, off, off}},
            {kLineDsr | kLineDcd | kLineRi, {off, on, on, on}},
            {0u, {off, off, off, off}},
            {kLineRi | kLineCts, {on, off, off, on}}};
        for (const auto &[played, shown] : rows) {
            m_faults.With([&](auto &s) { s.lines = played; });
            QTRY_VERIFY2_WITH_TIMEOUT(Shown() == shown, qPrintable(QString::number(played)),
                                      kPortWaitMs);
        }
        m_framed->ClickOpenClose();
        QVERIFY(!box->Polling());
        QCOMPARE(Shown()[0], LineState::Unknown);
        QVERIFY(!box->isEnabled());
    }

    // A choice made with the toggles is made again at the next open.
    void togglesReachTheDevice()
    {
        m_faults.With([](auto &s) { s.lines = 0u; });
        OpenSerial();
        QPushButton *dtr = Box()->Toggle(kLineDtr);
        QPushButton *rts = Box()->Toggle(kLineRts);
        QVERIFY(dtr->isEnabled() && rts->isEnabled() && !dtr->isChecked());
        QTest::mouseClick(dtr, Qt::LeftButton);
        QTest::mouseClick(rts, Qt::LeftButton);
        QTest::mouseClick(dtr, Qt::LeftButton);
        QVERIFY(!dtr->isChecked() && rts->isChecked());
        m_framed->ClickOpenClose();
        m_faults.With([](auto &s) { s.lines = kLineDtr; });
        OpenSerial();
        QVERIFY(!dtr->isChecked() && rts->isChecked());
        const LineChanges expected = {
            {kLineDtr, 0u}, {kLineRts, 0u}, {0u, kLineDtr}, {0u, kLineDtr}, {kLineRts, 0u}};
        QCOMPARE(Recorded(&CFaultDevices::Script::lineChanges), expected);
    }

    // The break reaches the device; the button waits for it, and a refused
    // break is reported.
    void breakOutcomeIsShown_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("status");
        QTest::newRow("taken") << 0 << kOpened;
        QTest::newRow("refused by the line") << EIO << QStringLiteral("发送中断失败：");
    }
    void breakOutcomeIsShown()
    {
        QFETCH(int, error);
        QFETCH(QString, status);
        m_faults.With([&](auto &s) {
            s.lines = 0u;
            s.breakError = error;
        });
        OpenSerial();
        QPushButton *breakButton = Box()->BreakButton();
        QTest::mouseClick(breakButton, Qt::LeftButton);
        QVERIFY(!breakButton->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(breakButton->isEnabled(), kPortWaitMs);
        // The system's words for the error follow the prefix.
        QVERIFY(m_framed->StatusText().startsWith(status));
        QCOMPARE(m_framed->StatusText().size() > status.size(), error != 0);
        QCOMPARE(m_framed->StatusIsError(), error != 0);
        QCOMPARE(Recorded(&CFaultDevices::Script::breaks), std::vector<int>{250});
    }

    void pseudoTerminalLinesAreUnknown()
    {
        OpenSerial();
        CControlLinesBox *box = Box();
        constexpr LineState unknown = LineState::Unknown;
        QCOMPARE(Shown(), (std::array{unknown, unknown, unknown, unknown}));
        QVERIFY(!box->Polling());
        QVERIFY(!box->Toggle(kLineDtr)->isEnabled() && !box->Toggle(kLineRts)->isEnabled());
        // A pseudo-terminal takes a break and does nothing with it.
        QVERIFY(!box->BreakButton()->isEnabled());
        m_framed->SelectKind(PortKind::Network);
        QVERIFY(!box->isVisible());
    }

private:
    // The serial panel starts on COM1, which the device map points at the pty.
    void OpenSerialOnPty()
    {
        StartWithSystemPorts();
        QVERIFY(qobject_cast<CSerialCfgDlg *>(m_framed->Panel()));
        OpenSerial();
    }
    // What the far end reads until `done` holds for it, or the wait ends:
    // the caller compares what arrived.
    template <typename Done> QByteArray ReadFarEndUntil(Done done)
    {
        QByteArray got;
        (void)QTest::qWaitFor([&] { return done(got += ReadAvailable(m_pty->MasterFd())); },
                              kPortWaitMs);
        return got;
    }
    QByteArray ReadFarEnd(qsizetype atLeast)
    {
        return ReadFarEndUntil([atLeast](const QByteArray &got) { return got.size() >= atLeast; });
    }
    QCheckBox *AutoSend() const { return m_framed->Find<QCheckBox>(ViewId::kAutoSend); }
    QLineEdit *Interval() const { return m_framed->Find<QLineEdit>(ViewId::kAutoInterval); }
    // The serial kind, on the scripted device (which opens the pty as COM1)
    // unless the window was started otherwise.
    void OpenSerial()
    {
        if (!m_framed)
            Start([this](PortKind) { return std::make_unique<CSerialPort>(m_faults); });
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
        QVERIFY(m_framed->View()->HasPort());
    }
    CControlLinesBox *Box() const { return m_framed->View()->findChild<CControlLinesBox *>(); }
    std::array<LineState, 4> Shown() const
    {
        const CControlLinesBox *box = Box();
        return {box->Indicator(kLineCts), box->Indicator(kLineDsr), box->Indicator(kLineDcd),
                box->Indicator(kLineRi)};
    }
    template <typename T> T Recorded(T CFaultDevices::Script::*field)
    {
        return m_faults.With([&](auto &s) { return s.*field; });
    }

    std::unique_ptr<CPtyPair> m_pty;
    CFaultDevices m_faults;
};

QTEST_MAIN(TestSerialSendRecv)
#include "tst_serialsendrecv.moc"
