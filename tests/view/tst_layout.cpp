// The layout of the main view's right-hand side, from tables of window sizes:
// the splitter tops and their limits, at the designed control sizes and at
// the larger sizes of a larger font, and controls that stay inside the view
// and clear of each other.
#include "view/form/layout.h"
#include "view/form/viewids.h"

#include <QTest>

namespace {
// Control sizes of a font about 1.5 times the designed one.
const ViewLayout::Metrics kTallControls{.areaLeft = 300,
                                        .captionHeight = 22,
                                        .rowHeight = 29,
                                        .buttonWidth = 100,
                                        .buttonHeight = 30,
                                        .labelHeight = 21,
                                        .countWidth = 97,
                                        .counterWidth = 105,
                                        .autoSendWidth = 150,
                                        .hexWidth = 60};

bool IsGroup(int id)
{
    return id == ViewId::kRecvGroup || id == ViewId::kCmdGroup || id == ViewId::kSendGroup;
}
} // namespace

class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void splitterTops_data()
    {
        QTest::addColumn<bool>("tall");
        QTest::addColumn<int>("cy");
        QTest::addColumn<double>("recvShare");
        QTest::addColumn<double>("sendShare");
        QTest::addColumn<int>("p1");
        QTest::addColumn<int>("p2");
        // Height 400: p2 may not exceed cy - 225 = 175, p1 not p2 - 44 = 131.
        QTest::newRow("400, both halves") << false << 400 << 0.5 << 0.5 << 131 << 175;
        QTest::newRow("400, designed shares") << false << 400 << 0.3 << 0.5625 << 120 << 175;
        // p1 is raised to 102 and p2 to 146 when smaller.
        QTest::newRow("400, tiny receive area") << false << 400 << 0.1 << 0.9 << 102 << 146;
        // Below 371 the cap cy - 225 is under 146 and wins, and p1 follows it down.
        QTest::newRow("360, cap wins") << false << 360 << 0.3 << 0.5 << 91 << 135;
        QTest::newRow("300, cap wins") << false << 300 << 0.1 << 0.9 << 31 << 75;
        // Products are truncated toward zero: 700 / 3 = 233.3.
        QTest::newRow("700, thirds truncated") << false << 700 << 1.0 / 3 << 1.0 / 3 << 233 << 467;
        QTest::newRow("800, free") << false << 800 << 0.25 << 0.5 << 200 << 400;
        // Taller buttons and captions: four buttons above bar 1 need p1 >= 130,
        // the strip 51 pixels, the send area's buttons 287 pixels under bar 2.
        QTest::newRow("tall, 600, tiny receive area") << true << 600 << 0.1 << 0.9 << 130 << 181;
        QTest::newRow("tall, 600, both halves") << true << 600 << 0.5 << 0.5 << 249 << 300;
        QTest::newRow("tall, 400, cap wins") << true << 400 << 0.3 << 0.5 << 62 << 113;
    }
    void splitterTops()
    {
        QFETCH(bool, tall);
        QFETCH(int, cy);
        QFETCH(double, recvShare);
        QFETCH(double, sendShare);
        const ViewLayout::Metrics m = tall ? kTallControls : ViewLayout::Metrics{};
        const auto r = ViewLayout::ComputeLayout(m.MinWidth(), cy, recvShare, sendShare, m);
        QTEST(r.p1, "p1");
        QTEST(r.p2, "p2");
    }

    // From the least size up, every control lies inside the view, none covers
    // another, the strip sits between the bars and the bars may move only
    // where the limits leave room.
    void controlsStayInsideAndApart_data()
    {
        QTest::addColumn<bool>("tall");
        QTest::addColumn<int>("extraWidth");
        QTest::addColumn<int>("extraHeight");
        QTest::addColumn<double>("recvShare");
        for (bool tall : {false, true}) {
            const char *font = tall ? "tall" : "designed";
            QTest::addRow("%s, least size", font) << tall << 0 << 0 << 0.3;
            QTest::addRow("%s, wide and tall", font) << tall << 700 << 500 << 0.5;
            QTest::addRow("%s, receive area large", font) << tall << 50 << 300 << 0.9;
        }
    }
    void controlsStayInsideAndApart()
    {
        QFETCH(bool, tall);
        QFETCH(int, extraWidth);
        QFETCH(int, extraHeight);
        QFETCH(double, recvShare);
        const ViewLayout::Metrics m = tall ? kTallControls : ViewLayout::Metrics{};
        const int cx = m.MinWidth() + extraWidth;
        const int cy = m.MinP2() + m.SendRoom() + extraHeight;
        const auto r = ViewLayout::ComputeLayout(cx, cy, recvShare, 0.4, m);
        const QRect view(0, 0, cx, cy);
        for (const auto &a : r.controls) {
            QVERIFY2(view.contains(a.rect) && !a.rect.isEmpty(), qPrintable(QString::number(a.id)));
            for (const auto &b : r.controls)
                if (a.id < b.id && !IsGroup(a.id) && !IsGroup(b.id))
                    QVERIFY2(!a.rect.intersects(b.rect),
                             qPrintable(QStringLiteral("%1 and %2").arg(a.id).arg(b.id)));
        }
        QVERIFY(r.strip.top() >= r.bar1.bottom() && r.strip.bottom() < r.bar2.top());
        QVERIFY(r.bar1Limits.min <= r.bar1Limits.max && r.bar2Limits.min <= r.bar2Limits.max);
    }
};

QTEST_APPLESS_MAIN(TestLayout)
#include "tst_layout.moc"
