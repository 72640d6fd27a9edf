// The serial kind through the window on a pseudo-terminal: the port opens the
// slave, the test plays the far end on the master. The status bar's return
// to idle, loss, a burst longer than one read, and auto-send, where a far end
// that stops reading holds a write outstanding as long as it likes.
#include "viewsandbox.h"

#include "panels/serialcfgdlg.h"
#include "port/devicemap.h"
#include "ptypair.h"
#include "stringtable.h"

#include <QCheckBox>

using namespace ViewText;

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
    }
    void cleanup()
    {
        CViewTestCase::cleanup();
        m_pty.reset();
        ClearDeviceOverrides();
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
    // still fetch what is left after a full 1000-byte read.
    void burstLongerThanOneReadArrivesWhole()
    {
        OpenSerialOnPty();
        std::string burst;
        for (int i = 0; i < 2500; ++i)
            burst += char('a' + i % 26);
        QVERIFY(m_pty->WriteMaster(burst));
        QTRY_COMPARE(m_framed->RecvBox()->WholeText(), QString::fromStdString(burst));
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
        QVERIFY(QTest::qWaitFor(
            [&] {
                got += ReadAvailable(m_pty->MasterFd());
                return send->isEnabled();
            },
            kPortWaitMs));
        QTest::qWait(kSeveralTicksMs);
        got += ReadAvailable(m_pty->MasterFd());
        QVERIFY(send->isEnabled()); // no write started since
        QVERIFY(!m_framed->StatusIsError());
        QCOMPARE(got.size() % payload.size(), 0);
        QCOMPARE(got, payload.repeated(got.size() / payload.size()));
    }

private:
    // The serial panel starts on COM1, which the device map points at the pty.
    void OpenSerialOnPty()
    {
        StartWithSystemPorts();
        QVERIFY(qobject_cast<CSerialCfgDlg *>(m_framed->Panel()));
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
        QVERIFY(m_framed->View()->HasPort());
    }
    QByteArray ReadFarEnd(qsizetype atLeast)
    {
        QByteArray got;
        (void)QTest::qWaitFor( // a short result is what the caller compares
            [&] {
                got += ReadAvailable(m_pty->MasterFd());
                return got.size() >= atLeast;
            },
            kPortWaitMs);
        return got;
    }
    QCheckBox *AutoSend() const { return m_framed->Find<QCheckBox>(ViewId::kAutoSend); }
    QLineEdit *Interval() const { return m_framed->Find<QLineEdit>(ViewId::kAutoInterval); }

    std::unique_ptr<CPtyPair> m_pty;
};

QTEST_MAIN(TestSerialSendRecv)
#include "tst_serialsendrecv.moc"
