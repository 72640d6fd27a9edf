// The send pages on their own controls: walking back and forth through a
// table of moves, each page keeping its text and notation.
#include "convert/editex.h"
#include "view/sendpages.h"

#include <QCheckBox>
#include <QLabel>
#include <QTest>

class TestSendPages : public QObject
{
    Q_OBJECT

private slots:
    void movesKeepEachPage()
    {
        CEditEx box;
        QCheckBox hex;
        QLabel label;
        CSendPages pages;
        pages.Attach(&box, &hex, &label);
        QCOMPARE(label.text(), QStringLiteral("页数: 1/1"));

        QVERIFY(!pages.Previous()); // nothing before the first page

        // Typed into the page shown, the notation then switched to (-1: kept)
        // and the move; then the page shown and the notation it comes back in.
        struct Step
        {
            const char *typed;
            int notation;
            char move;
            int current, count;
            const char *shown;
            bool hexShown;
        };
        const Step steps[] = {
            {"", -1, '>', 1, 1, "", false},       // an empty page has no page after it
            {"AB", 1, '>', 2, 2, "", true},       // a new page keeps the notation
            {"", 0, '>', 2, 2, "", false},        //
            {"xy", -1, '<', 1, 2, "41 42", true}, //
            {"", -1, '>', 2, 2, "xy", false},     //
            {"", -1, '>', 3, 3, "", false},       //
            {"", -1, '<', 2, 3, "xy", false},     //
        };
        for (const Step &step : steps) {
            box.insertPlainText(QString::fromLatin1(step.typed));
            if (step.notation >= 0) {
                QVERIFY(box.SetHexMode(step.notation == 1));
                hex.setChecked(step.notation == 1);
            }
            if (step.move == '<')
                QVERIFY(pages.Previous());
            else
                pages.Next();
            QCOMPARE(label.text(), QStringLiteral("页数: %1/%2").arg(step.current).arg(step.count));
            QCOMPARE(pages.Current(), step.current);
            QCOMPARE(box.toPlainText(), QString::fromLatin1(step.shown));
            QCOMPARE(box.m_bHex, step.hexShown);
            QCOMPARE(hex.isChecked(), step.hexShown);
        }
    }
};

QTEST_MAIN(TestSendPages)
#include "tst_sendpages.moc"
