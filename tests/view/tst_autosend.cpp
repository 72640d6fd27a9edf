// Auto-send on its own controls: which intervals start it.
#include "partfixture.h"
#include "view/parts/autosend.h"

class TestAutoSend : public QObject
{
    Q_OBJECT

private slots:
    void intervalDecidesWhetherItStarts()
    {
        // Blanks, a sign and trailing text are read past; beyond int saturates
        // instead of wrapping to a negative interval.
        const std::pair<const char *, bool> intervals[] = {
            {"51", true},         {"50", false},    {" +100ms", true},
            {"2147483648", true}, {"-1000", false}, {"", false},
        };
        CPartControls c;
        CAutoSend autoSend;
        autoSend.Attach(c.check, c.edit, c.button, [] {});
        QStringList seen, expected; // started, running, ticked, the edit fixed
        for (const auto &[text, starts] : intervals) {
            c.edit->setText(QString::fromLatin1(text));
            c.check->setChecked(true);
            const bool started = autoSend.OnClicked(true);
            seen << QStringLiteral("\"%1\" %2 %3 %4 %5")
                        .arg(text)
                        .arg(started)
                        .arg(autoSend.IsRunning())
                        .arg(c.check->isChecked())
                        .arg(!c.edit->isEnabled());
            expected << QStringLiteral("\"%1\" %2 %2 %2 %2").arg(text).arg(starts);
            autoSend.OnClicked(false);
        }
        QCOMPARE(seen, expected);
    }

    // A click on the box starts the ticks, or says why not in the status bar.
    void clicksStartOrExplain_data()
    {
        QTest::addColumn<QString>("interval");
        QTest::addColumn<bool>("starts");
        QTest::addColumn<QString>("told");
        QTest::addRow("long enough") << "100" << true << QStringLiteral("就绪"); // bar unchanged
        QTest::addRow("too short") << "50" << false << QStringLiteral("间隔时间太短，请重新设置！");
    }
    void clicksStartOrExplain()
    {
        QFETCH(QString, interval);
        QFETCH(bool, starts);
        QFETCH(QString, told);
        CPartControls c;
        CPartStatus bar;
        CAutoSend autoSend;
        autoSend.Attach(c.check, c.edit, c.button, [] {});
        autoSend.ConnectBox(bar.status);
        c.edit->setText(interval);
        c.check->click();
        QCOMPARE(autoSend.IsRunning(), starts);
        QCOMPARE(bar.Text(), told);
    }
};

QTEST_MAIN(TestAutoSend)
#include "tst_autosend.moc"
