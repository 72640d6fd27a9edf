// Auto-send on its own controls: which intervals start it, and that ticks
// send only while the send button is enabled.
#include "view/autosend.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestAutoSend : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_sends = 0;
        m_autoSend.Attach(&m_box, &m_interval, &m_send, [this] { ++m_sends; });
    }
    void cleanup() { m_autoSend.OnClicked(false); }

    void intervalDecidesWhetherItStarts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("starts");
        QTest::newRow("shortest") << "51" << true;
        QTest::newRow("too short") << "50" << false;
        QTest::newRow("blanks, sign, trailing text") << " +100ms" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("negative") << "-1000" << false;
        QTest::newRow("beyond int saturates") << "99999999999" << true;
    }
    void intervalDecidesWhetherItStarts()
    {
        QFETCH(QString, text);
        QFETCH(bool, starts);
        m_interval.setText(text);
        m_box.setChecked(true);
        QCOMPARE(m_autoSend.OnClicked(true), starts);
        QCOMPARE(m_autoSend.IsRunning(), starts);
        QCOMPARE(m_box.isChecked(), starts);
        QCOMPARE(m_interval.isEnabled(), !starts); // fixed while running
    }

    void ticksSendOnlyThroughAnEnabledButton()
    {
        m_send.setEnabled(false);
        m_autoSend.Tick();
        QCOMPARE(m_sends, 0);
        m_send.setEnabled(true);
        m_interval.setText(QStringLiteral("51"));
        QVERIFY(m_autoSend.OnClicked(true));
        QTRY_VERIFY(m_sends >= 2);
        QVERIFY(m_autoSend.OnClicked(false));
        QVERIFY(!m_autoSend.IsRunning() && m_interval.isEnabled());
    }

private:
    QCheckBox m_box;
    QLineEdit m_interval;
    QPushButton m_send;
    CAutoSend m_autoSend;
    int m_sends = 0;
};

QTEST_MAIN(TestAutoSend)
#include "tst_autosend.moc"
