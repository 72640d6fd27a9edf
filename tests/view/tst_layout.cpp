// The splitter tops of the main view's right-hand side, from a table of rows.
#include "layout.h"

#include <QTest>

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void splitterTops_data()
    {
        QTest::addColumn<int>("cy");
        QTest::addColumn<double>("recvShare");
        QTest::addColumn<double>("sendShare");
        QTest::addColumn<int>("p1");
        QTest::addColumn<int>("p2");
        // Height 400: p2 may not exceed cy - 225 = 175, p1 not p2 - 44 = 131.
        QTest::newRow("400, both halves") << 400 << 0.5 << 0.5 << 131 << 175;
        QTest::newRow("400, designed shares") << 400 << 0.3 << 0.5625 << 120 << 175;
        // p1 is raised to 102 and p2 to 146 when smaller.
        QTest::newRow("400, tiny receive area") << 400 << 0.1 << 0.9 << 102 << 146;
        // Below 371 the cap cy - 225 is under 146 and wins, and p1 follows it down.
        QTest::newRow("360, cap wins") << 360 << 0.3 << 0.5 << 91 << 135;
        QTest::newRow("300, cap wins") << 300 << 0.1 << 0.9 << 31 << 75;
        // Products are truncated toward zero: 700 / 3 = 233.3.
        QTest::newRow("700, thirds truncated") << 700 << 1.0 / 3 << 1.0 / 3 << 233 << 467;
        QTest::newRow("800, free") << 800 << 0.25 << 0.5 << 200 << 400;
    }
    void splitterTops()
    {
        QFETCH(int, cy);
        QFETCH(double, recvShare);
        QFETCH(double, sendShare);
        const auto r = ViewLayout::ComputeLayout(608, cy, recvShare, sendShare);
        QTEST(r.p1, "p1");
        QTEST(r.p2, "p2");
    }
};

QTEST_APPLESS_MAIN(TestLayout)
#include "tst_layout.moc"
