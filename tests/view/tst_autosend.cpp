// Auto-send on its own controls: which intervals start it.
#include "partfixture.h"
#include "view/autosend.h"

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
        for (const auto &[text, starts] : intervals) {
            c.edit->setText(QString::fromLatin1(text));
            c.check->setChecked(true);
            QCOMPARE(autoSend.OnClicked(true), starts);
            QCOMPARE(autoSend.IsRunning(), starts);
            QCOMPARE(c.check->isChecked(), starts);
            QCOMPARE(c.edit->isEnabled(), !starts); // fixed while running
            autoSend.OnClicked(false);
        }
    }
};

QTEST_MAIN(TestAutoSend)
#include "tst_autosend.moc"
