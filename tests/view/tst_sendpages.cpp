// The send pages on their own controls: walking back and forth through a
// table of moves, each page keeping its text and notation.
#include "partfixture.h"
#include "view/sendpages.h"

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
            QCOMPARE(c.label->text(),
                     QStringLiteral("页数: %1/%2").arg(step.current).arg(step.count));
            QCOMPARE(c.sendBox->toPlainText(), QString::fromLatin1(step.shown));
            QCOMPARE(std::pair(c.sendBox->m_bHex, c.check->isChecked()),
                     std::pair(step.hexShown, step.hexShown));
        }
    }
};

QTEST_MAIN(TestSendPages)
#include "tst_sendpages.moc"
