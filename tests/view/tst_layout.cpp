// The layout arithmetic of the main view's right-hand side, from tables of rows.
#include "layout.h"
#include "viewids.h"

#include <QTest>

using ViewLayout::ComputeLayout;
using ViewLayout::DragLimits;

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void splitterTops_data();
    void splitterTops();
    void dragLimits_data();
    void dragLimits();
    void areasFollowTheBars();
    void sendButtonHeightIsCapped_data();
    void sendButtonHeightIsCapped();
    void sharesSurviveResize();
};

void TestLayout::splitterTops_data()
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

void TestLayout::splitterTops()
{
    QFETCH(int, cy);
    QFETCH(double, recvShare);
    QFETCH(double, sendShare);
    const auto r = ComputeLayout(608, cy, recvShare, sendShare);
    QTEST(r.p1, "p1");
    QTEST(r.p2, "p2");
}

void TestLayout::dragLimits_data()
{
    QTest::addColumn<int>("cy");
    QTest::addColumn<double>("recvShare");
    QTest::addColumn<double>("sendShare");
    QTest::addColumn<DragLimits>("bar1");
    QTest::addColumn<DragLimits>("bar2");
    // p1 131, p2 175: bar 2 has no room (131 is not below 400 - 269) and is
    // pinned on its own centre, (175 + 180) / 2.
    QTest::newRow("400, bar 2 pinned")
        << 400 << 0.5 << 0.5 << DragLimits{104, 133} << DragLimits{177, 177};
    // p2 146 is not above 146: bar 1 is pinned on (102 + 107) / 2.
    QTest::newRow("400, bar 1 pinned")
        << 400 << 0.1 << 0.9 << DragLimits{104, 104} << DragLimits{148, 177};
    QTest::newRow("800, both free")
        << 800 << 0.25 << 0.5 << DragLimits{104, 358} << DragLimits{246, 577};
}

void TestLayout::dragLimits()
{
    QFETCH(int, cy);
    QFETCH(double, recvShare);
    QFETCH(double, sendShare);
    const auto r = ComputeLayout(608, cy, recvShare, sendShare);
    QTEST(r.bar1Limits, "bar1");
    QTEST(r.bar2Limits, "bar2");
}

void TestLayout::areasFollowTheBars()
{
    const auto r = ComputeLayout(700, 800, 0.25, 0.5); // p1 200, p2 400
    QCOMPARE(r.Rect(ViewId::kRecvGroup), QRect(152, 0, 546, 200));
    QCOMPARE(r.Rect(ViewId::kCmdGroup), QRect(152, 200, 546, 200));
    QCOMPARE(r.Rect(ViewId::kSendGroup), QRect(152, 400, 546, 400));
    QCOMPARE(r.bar1, QRect(152, 200, 546, 5));
    QCOMPARE(r.bar2, QRect(152, 400, 546, 5));
    QCOMPARE(r.Rect(ViewId::kRecvBox), QRect(155, 15, 473, 160));
    QCOMPARE(r.Rect(ViewId::kSendBox), QRect(155, 415, 473, 360));
    QCOMPARE(r.strip, QRect(155, 213, 540, 185));
    // Receive row under the receive box, send row at the bottom.
    QCOMPARE(r.Rect(ViewId::kCountRecv), QRect(159, 175, 65, 20));
    QCOMPARE(r.Rect(ViewId::kHexRecv), QRect(585, 175, 45, 20));
    QCOMPARE(r.Rect(ViewId::kAutoSend), QRect(326, 775, 103, 20));
    QCOMPARE(r.Rect(ViewId::kAutoUnit), QRect(469, 777, 15, 18));
    // Button column.
    QCOMPARE(r.Rect(ViewId::kPauseRecv), QRect(630, 7, 65, 23));
    QCOMPARE(r.Rect(ViewId::kClearRecv), QRect(630, 174, 65, 23));
    QCOMPARE(r.Rect(ViewId::kPrevPage), QRect(630, 415, 65, 23));
    QCOMPARE(r.Rect(ViewId::kClearSend), QRect(630, 538, 65, 23));
    QCOMPARE(r.Rect(ViewId::kPageLabel), QRect(632, 466, 63, 15));
    // The port column is not the layout's business.
    QVERIFY(r.Rect(ViewId::kOpenClose).isNull());
    QVERIFY(r.Rect(ViewId::kPortKind).isNull());
}

void TestLayout::sendButtonHeightIsCapped_data()
{
    QTest::addColumn<int>("cy");
    QTest::addColumn<int>("height");
    QTest::newRow("400: room left under the clear button") << 400 << 47;
    QTest::newRow("800: at most 90") << 800 << 90;
}

void TestLayout::sendButtonHeightIsCapped()
{
    QFETCH(int, cy);
    const auto r = ComputeLayout(608, cy, 0.25, 0.5);
    const QRect send = r.Rect(ViewId::kSend);
    QCOMPARE(send.top(), r.p2 + 169);
    QTEST(send.height(), "height");
}

// Dragging bar 1 to half the height and doubling the window keeps it at half.
void TestLayout::sharesSurviveResize()
{
    const double recvShare = ViewLayout::RecvShareFromTop(300, 600);
    const double sendShare = ViewLayout::SendShareFromTop(360, 600);
    const auto small = ComputeLayout(608, 600, recvShare, sendShare);
    QCOMPARE(small.p1, 300);
    const auto large = ComputeLayout(608, 1200, recvShare, sendShare);
    QCOMPARE(large.p1, 600);
    QCOMPARE(large.p2, 720);
    QCOMPARE(ViewLayout::RecvShareFromTop(10, 0), 0.0);
}

QTEST_APPLESS_MAIN(TestLayout)
#include "tst_layout.moc"
