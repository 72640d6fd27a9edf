// The send pages on their own controls: walking back and forth through a
// table of moves, each page keeping its text and notation.
#include "partfixture.h"
#include "view/parts/sendpages.h"

class TestSendPages : public QObject
{
    Q_OBJECT

private slots:
    void movesKeepEachPage()
    {
        CPartControls c;
        CSendPages pages;
        pages.Attach(c.sendBox, c.check, c.label);
        QCOMPARE(c.label->text(), QStringLiteral("页数: 1/1"));
        QVERIFY(!pages.Previous()); // nothing before the first page

        // Typed into the page shown, the notation then switched to (-1: kept)
        // and the move; then the page shown and the notation it comes back in.
        const struct
        {
            const char *typed;
            int notation;
            char move;
            int current, count;
            const char *shown;
            bool hexShown;
        } steps[] = {
            {"", -1, '>', 1, 1, "", false},       // an empty page has no page after it
            {"AB", 1, '>', 2, 2, "", true},       // a new page keeps the notation
            {"", 0, '>', 2, 2, "", false},        //
            {"xy", -1, '<', 1, 2, "41 42", true}, // each page in its own notation
            {"", -1, '>', 2, 2, "xy", false},     //
            {"", -1, '>', 3, 3, "", false},       //
            {"", -1, '<', 2, 3, "xy", false},     //
        };
        QStringList shown, expected; // a difference names its step
        for (const auto &step : steps) {
            c.sendBox->insertPlainText(QString::fromLatin1(step.typed));
            if (step.notation >= 0) {
                QVERIFY(c.sendBox->SetHexMode(step.notation == 1));
                c.check->setChecked(step.notation == 1);
            }
            if (step.move == '<')
                QVERIFY(pages.Previous());
            else
                pages.Next();
            shown << QStringLiteral("%1 [%2] %3 %4")
                         .arg(c.label->text(), c.sendBox->toPlainText())
                         .arg(c.sendBox->m_bHex)
                         .arg(c.check->isChecked());
            expected << QStringLiteral("页数: %1/%2 [%3] %4 %4")
                            .arg(step.current)
                            .arg(step.count)
                            .arg(QString::fromLatin1(step.shown))
                            .arg(step.hexShown);
        }
        QCOMPARE(shown, expected);
    }

    // The buttons move, tell the page or the first page in the status bar,
    // and give the box the focus.
    void buttonsMoveAndTell()
    {
        CPartControls c;
        CPartStatus bar;
        QPushButton *next = new QPushButton(&c.window);
        CSendPages pages;
        pages.Attach(c.sendBox, c.check, c.label);
        pages.Connect(c.button, next, bar.status);
        c.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&c.window));
        c.sendBox->insertPlainText(QStringLiteral("one"));
        const struct
        {
            QPushButton *button;
            const char *told;
        } clicks[] = {
            {next, "当前页数：第2页，共2页"},
            {c.button, "当前页数：第1页，共2页"},
            {c.button, "已到最前一页！"},
        };
        QStringList told, expected;
        for (const auto &click : clicks) {
            c.edit->setFocus();
            click.button->click();
            told << bar.Text();
            expected << QString::fromUtf8(click.told);
            QTRY_VERIFY2(c.sendBox->hasFocus(), click.told);
        }
        QCOMPARE(told, expected);
    }
};

QTEST_MAIN(TestSendPages)
#include "tst_sendpages.moc"
