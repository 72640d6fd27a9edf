// Auto-send through the window on a pseudo-terminal: the serial kind reports
// a write done only when the far end has taken every byte, so a far end that
// stops reading holds a write outstanding as long as it likes.
#include "viewsandbox.h"

#include "devicemap.h"
#include "editex.h"
#include "ptypair.h"
#include "stringtable.h"

#include <QCheckBox>
#include <QLineEdit>

#include <unistd.h>

using namespace ViewText;

namespace {
constexpr int kPortWaitMs = 20000;
// Several ticks of the shortest interval the box accepts.
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

class TestAutoSend : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_sandbox = std::make_unique<CViewSandbox>();
        m_pty = std::make_unique<CPtyPair>();
        QVERIFY(m_pty->IsValid());
        SetDeviceOverride("COM1", m_pty->SlavePath());
        m_framed = std::make_unique<CFramedView>(CTarvikView::PortFactory{}, std::nullopt);
        QVERIFY(m_framed->WaitForStartup());
    }
    void cleanup()
    {
        m_framed.reset();
        m_pty.reset();
        ClearDeviceOverrides();
        m_sandbox.reset();
    }

    void shortOrUnreadableIntervalsAreRefused_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::newRow("50") << QStringLiteral("50");
        QTest::newRow("empty") << QString();
        QTest::newRow("text") << QStringLiteral("abc");
        QTest::newRow("negative") << QStringLiteral("-100");
    }
    void shortOrUnreadableIntervalsAreRefused()
    {
        QFETCH(QString, interval);
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

    // Ticks while no port is open do nothing (no "port not open" either);
    // sending starts by itself once a port opens.
    void ticksWaitForAnOpenPort()
    {
        SendBox()->setPlainText(QStringLiteral("ping"));
        const QString status = m_framed->StatusText();
        Tick(QStringLiteral("51"));
        QVERIFY(AutoSend()->isChecked());
        QVERIFY(!Interval()->isEnabled());
        QTest::qWait(kSeveralTicksMs);
        QCOMPARE(m_framed->StatusText(), status);

        Open();
        const QByteArray got = ReadFarEnd(4 * 3);
        QCOMPARE(got.left(12), QByteArray("pingpingping"));
    }

    // While the far end reads nothing, the first write stays outstanding and
    // the ticks pass it by; once it reads, writes follow one after the other,
    // each whole. Clearing the box stops sending.
    void oneWriteOutstandingAndClearingStops()
    {
        Open();
        const QString text = LargePayloadText();
        SendBox()->setPlainText(text);
        const QByteArray payload = text.toLatin1().replace("\n", "\r\n");
        Tick(QStringLiteral("51"));
        QTRY_VERIFY_WITH_TIMEOUT(!m_framed->Button(ViewId::kSend)->isEnabled(), kPortWaitMs);
        QTest::qWait(kSeveralTicksMs);
        QVERIFY(!m_framed->Button(ViewId::kSend)->isEnabled());
        QVERIFY(!m_framed->StatusIsError()); // no tick was refused by the port

        QByteArray got = ReadFarEnd(3 * payload.size());
        QTest::mouseClick(AutoSend(), Qt::LeftButton);
        QVERIFY(!AutoSend()->isChecked());
        QVERIFY(Interval()->isEnabled());
        // The write under way when the box was cleared still completes.
        QVERIFY(QTest::qWaitFor(
            [&] {
                got += ReadAvailable();
                return m_framed->Button(ViewId::kSend)->isEnabled();
            },
            kPortWaitMs));
        QTest::qWait(kSeveralTicksMs);
        got += ReadAvailable();
        QVERIFY(m_framed->Button(ViewId::kSend)->isEnabled()); // no write started since
        QVERIFY(!m_framed->StatusIsError());
        QCOMPARE(got.size() % payload.size(), 0);
        QCOMPARE(got, payload.repeated(got.size() / payload.size()));
    }

private:
    void Open()
    {
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
    }
    void Tick(const QString &interval)
    {
        Interval()->setText(interval);
        QTest::mouseClick(AutoSend(), Qt::LeftButton);
    }
    QByteArray ReadAvailable()
    {
        QByteArray got;
        char buffer[65536];
        ssize_t n = 0;
        while ((n = ::read(m_pty->MasterFd(), buffer, sizeof buffer)) > 0)
            got.append(buffer, n);
        return got;
    }
    QByteArray ReadFarEnd(qsizetype atLeast)
    {
        QByteArray got;
        (void)QTest::qWaitFor( // a short result is what the caller compares
            [&] {
                got += ReadAvailable();
                return got.size() >= atLeast;
            },
            kPortWaitMs);
        return got;
    }
    QCheckBox *AutoSend() const { return m_framed->Find<QCheckBox>(ViewId::kAutoSend); }
    QLineEdit *Interval() const { return m_framed->Find<QLineEdit>(ViewId::kAutoInterval); }
    CEditEx *SendBox() const { return m_framed->Find<CEditEx>(ViewId::kSendBox); }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CPtyPair> m_pty;
    std::unique_ptr<CFramedView> m_framed;
};

QTEST_MAIN(TestAutoSend)
#include "tst_autosend.moc"
