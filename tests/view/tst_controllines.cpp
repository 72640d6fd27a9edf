// The serial control lines in the real window: indicators follow the modem
// status a scripted device plays, the toggles and the break reach the
// device, and a pseudo-terminal's lines show as unknown.
#include "viewsandbox.h"

#include "faultdevice.h"
#include "port/devicemap.h"
#include "port/serialport.h"
#include "ptypair.h"
#include "view/controllines.h"

using namespace ViewText;
using LineState = CControlLinesBox::LineState;
using LineChanges = std::vector<std::pair<unsigned, unsigned>>;

class TestControlLines : public CViewTestCase
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
        ClearDeviceOverrides();
        m_pty.reset();
    }

    void indicatorsFollowThePlayedLines()
    {
        m_faults.With([](auto &s) { s.lines = kLineCts; });
        OpenSerial();
        CControlLinesBox *box = Box();
        QVERIFY(box->isEnabled() && box->isVisible());
        constexpr LineState on = LineState::On, off = LineState::Off;
        const struct
        {
            unsigned played;
            std::array<LineState, 4> shown; // CTS DSR DCD RI
        } rows[] = {{kLineCts, {on, off, off, off}},
                    {kLineDsr | kLineDcd | kLineRi, {off, on, on, on}},
                    {0u, {off, off, off, off}},
                    {kLineRi | kLineCts, {on, off, off, on}}};
        for (const auto &row : rows) {
            m_faults.With([&](auto &s) { s.lines = row.played; });
            QTRY_VERIFY_WITH_TIMEOUT(Shown() == row.shown, kPortWaitMs);
        }
        m_framed->ClickOpenClose();
        QVERIFY(!box->Polling());
        QCOMPARE(Shown()[0], LineState::Unknown);
        QVERIFY(!box->isEnabled());
    }

    // A choice made with the toggles is made again at the next open.
    void togglesAndBreakReachTheDevice()
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
        QTest::mouseClick(Box()->BreakButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Recorded(&CFaultDevices::Script::breaks), std::vector<int>{250},
                                  kPortWaitMs);
        m_framed->ClickOpenClose();
        m_faults.With([](auto &s) { s.lines = kLineDtr; });
        OpenSerial();
        QVERIFY(!dtr->isChecked() && rts->isChecked());
        const LineChanges expected = {
            {kLineDtr, 0u}, {kLineRts, 0u}, {0u, kLineDtr}, {0u, kLineDtr}, {kLineRts, 0u}};
        QCOMPARE(Recorded(&CFaultDevices::Script::lineChanges), expected);
    }

    void pseudoTerminalLinesAreUnknown()
    {
        OpenSerial();
        CControlLinesBox *box = Box();
        constexpr LineState unknown = LineState::Unknown;
        QCOMPARE(Shown(), (std::array{unknown, unknown, unknown, unknown}));
        QVERIFY(!box->Polling());
        QVERIFY(!box->Toggle(kLineDtr)->isEnabled() && !box->Toggle(kLineRts)->isEnabled());
        QVERIFY(box->BreakButton()->isEnabled());
        QTest::mouseClick(box->BreakButton(), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(Recorded(&CFaultDevices::Script::breaks).size(), std::size_t(1),
                                  kPortWaitMs);
        QVERIFY(m_framed->View()->HasPort());
        m_framed->SelectKind(PortKind::Network);
        QVERIFY(!box->isVisible());
    }

private:
    void OpenSerial()
    {
        if (!m_framed)
            Start([this](PortKind) { return std::make_unique<CSerialPort>(m_faults); });
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
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

QTEST_MAIN(TestControlLines)
#include "tst_controllines.moc"
