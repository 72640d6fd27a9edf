// Auto-send on its own controls: which intervals start it.
#include "partfixture.h"
#include "view/autosend.h"

class TestAutoSend : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_c = std::make_unique<CPartControls>();
        m_autoSend.Attach(m_c->check, m_c->edit, m_c->button, [] {});
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
        m_c->edit->setText(text);
        m_c->check->setChecked(true);
        QCOMPARE(m_autoSend.OnClicked(true), starts);
        QCOMPARE(m_autoSend.IsRunning(), starts);
        QCOMPARE(m_c->check->isChecked(), starts);
        QCOMPARE(m_c->edit->isEnabled(), !starts); // fixed while running
    }

private:
    std::unique_ptr<CPartControls> m_c;
    CAutoSend m_autoSend;
};

QTEST_MAIN(TestAutoSend)
#include "tst_autosend.moc"
