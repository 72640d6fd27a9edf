// The view's parts that compute, one test class each, run by one program
// (see RunPartTests).
#include "fakeport.h"
#include "partfixture.h"
#include "view/form/layout.h"
#include "view/form/viewids.h"
#include "view/parts/viewareas.h"
#include "view/parts/viewcounters.h"
#include "view/parts/viewport.h"
#include "view/recv/scrollmapping.h"
#include "widgets/splittercontrol.h"

#include <QMouseEvent>
#include <QTableWidget>

#include <vector>

Q_DECLARE_METATYPE(uint64_t)

// The layout of the main view's right-hand side, from tables of window sizes:
// the splitter tops and their limits, at the designed control sizes and at
// the larger sizes of a larger font, and controls that stay inside the view
// and clear of each other.
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

// The splitter bars on their own: where they start, and a drag that gives
// an area a new share of the height which a resize then keeps.
namespace {
constexpr int kLeft = 152;

// Press, move and release as a user drags; the move carries the held button.
void Drag(CSplitterControl *bar, int dy)
{
    const QPoint from = bar->rect().center();
    const QPoint to = from + QPoint(0, dy);
    QTest::mousePress(bar, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, bar->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &move);
    QTest::mouseRelease(bar, Qt::LeftButton, {}, to);
}
} // namespace

class TestViewAreas : public QObject
{
    Q_OBJECT

private slots:
    // Saved tops, or the designed ones when bar 1 is unsaved or bar 2 would
    // touch it. Before the start nothing moves, whatever the view's size.
    void savedTopsOrDesigned()
    {
        // (bar 1, bar 2): the saved tops and the tops shown.
        const std::pair<QPoint, QPoint> cases[] = {{{0, 0}, {120, 175}},
                                                   {{150, 400}, {150, 400}},
                                                   {{150, 155}, {150, 175}},
                                                   {{150, 156}, {150, 156}},
                                                   {{0, 125}, {120, 175}}};
        QList<QPoint> tops, expected;
        for (const auto &[saved, shown] : cases) {
            QWidget view;
            CViewAreas areas;
            areas.CreateBars(&view, kLeft, saved.x(), saved.y(), {});
            QVERIFY(!areas.Place(700, 900, {}));
            QCOMPARE(areas.Bar1()->x(), kLeft);
            tops << QPoint(areas.Bar1()->y(), areas.Bar2()->y());
            expected << shown;
        }
        QCOMPARE(tops, expected);
    }

    void dragGivesANewShareThatAResizeKeeps()
    {
        QWidget view;
        view.resize(700, 800);
        auto *recvGroup = new QWidget(&view);
        recvGroup->setObjectName(ViewId::Name(ViewId::kRecvGroup));
        view.show();
        CViewAreas areas;
        int moves = 0;
        areas.CreateBars(&view, kLeft, 200, 400, [&] { ++moves; });
        areas.Start(view.height());
        const auto first = areas.Place(700, 800, {});
        QVERIFY(first);
        QCOMPARE(areas.Splitter1Pos(), 200);
        QCOMPARE(recvGroup->geometry(), first->Rect(ViewId::kRecvGroup));

        Drag(areas.Bar1(), 100);
        QCOMPARE(moves, 1);
        QCOMPARE(areas.Bar1()->y(), 300);
        const auto doubled = areas.Place(700, 1600, {});
        QCOMPARE(doubled->p1, 600);
        QCOMPARE(doubled->p2, 800); // bar 2 keeps its own share
        QCOMPARE(areas.Bar1()->geometry(), doubled->bar1);
    }
};

// The receive view's scroll bar over positions beyond its int range: both
// ends exact, every bar value a fixed point of the round trip, positions in
// order.
class TestScrollMapping : public QObject
{
    Q_OBJECT

private slots:
    void mapsEndToEndAndBack_data()
    {
        QTest::addColumn<uint64_t>("last");
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("scaled");
        QTest::newRow("empty") << uint64_t(0) << INT_MAX << false;
        QTest::newRow("small") << uint64_t(1000) << INT_MAX << false;
        QTest::newRow("int range") << uint64_t(INT_MAX) << INT_MAX << false;
        QTest::newRow("one past") << uint64_t(INT_MAX) + 1 << INT_MAX << true;
        QTest::newRow("a terabyte") << (uint64_t(1) << 40) + 7 << INT_MAX << true;
        QTest::newRow("64 bits") << UINT64_MAX << INT_MAX << true;
        QTest::newRow("low limit") << uint64_t(5'000'003) << 1000 << true;
    }
    void mapsEndToEndAndBack()
    {
        QFETCH(uint64_t, last);
        QFETCH(int, limit);
        QFETCH(bool, scaled);
        const CScrollMapping map(last, limit);
        QCOMPARE(map.BarMaximum() < 0 ? 0 : uint64_t(map.BarMaximum()) != last, scaled);
        QCOMPARE(map.ToBar(0), 0);
        QCOMPARE(map.FromBar(0), uint64_t(0));
        QCOMPARE(map.ToBar(last), map.BarMaximum());
        QCOMPARE(map.FromBar(map.BarMaximum()), last);
        // A bar value's position maps back to it; one between two bar
        // values maps to a position within a step after it.
        const uint64_t step = last / uint64_t(std::max(1, map.BarMaximum())) + 1;
        uint64_t previous = 0;
        for (const int value : Samples(map.BarMaximum())) {
            const uint64_t position = map.FromBar(value);
            QVERIFY2(map.ToBar(position) == value, qPrintable(QString::number(value)));
            QVERIFY(position >= previous);
            previous = position;
            const uint64_t between = std::min(position + step / 2, last);
            const uint64_t back = map.FromBar(map.ToBar(position + step / 2));
            QVERIFY(back >= between && back - between <= step);
        }
    }

private:
    // Bar values at both ends and spread between them, ascending.
    static std::vector<int> Samples(int maximum)
    {
        std::vector<int> values;
        for (int i = 0; i <= 1000; ++i)
            values.push_back(int(int64_t(maximum) * i / 1000));
        values.insert(values.begin() + 1, std::min(maximum, 1));
        values.insert(values.end() - 1, std::max(0, maximum - 1));
        return values;
    }
};

// The receive and send counters on their own: which writes count, and that
// nothing of one write is left for the next.
class TestViewCounters : public QObject
{
    Q_OBJECT

private slots:
    // A long session passes 2 and 4 GiB: the count stays exact.
    void receivedCountPassesFourGigabytes()
    {
        CViewCounters counters;
        for (int read = 0; read < 3; ++read)
            counters.NoteReceived(UINT32_MAX, true);
        counters.NoteReceived(1000, false);
        QCOMPARE(counters.Received(), 3 * int64_t(UINT32_MAX));
    }

    // After each write, one that started while not counting must add
    // nothing left over from it.
    void writeCountsOnlyWhenCountedThroughoutAndDelivered_data()
    {
        for (const char *column : {"countAtStart", "refused", "countAtEnd", "delivered"})
            QTest::addColumn<bool>(column);
        QTest::addColumn<int>("counted");
        QTest::addRow("counted") << true << false << true << true << 5;
        QTest::addRow("ticked during the write") << false << false << true << true << 0;
        QTest::addRow("unticked during the write") << true << false << false << true << 0;
        QTest::addRow("the spooler failed the job") << true << false << true << false << 0;
        QTest::addRow("refused, then a stray completion") << true << true << true << true << 0;
    }
    void writeCountsOnlyWhenCountedThroughoutAndDelivered()
    {
        QFETCH(bool, countAtStart);
        QFETCH(bool, refused);
        QFETCH(bool, countAtEnd);
        QFETCH(bool, delivered);
        QFETCH(int, counted);
        CViewCounters counters;
        counters.BeginWrite(7, true);
        counters.EndWrite(true, true);
        counters.BeginWrite(5, countAtStart);
        if (refused)
            counters.WriteRefused();
        counters.EndWrite(countAtEnd, delivered);
        QCOMPARE(counters.Sent(), 7 + counted);
        counters.BeginWrite(3, false);
        counters.EndWrite(true, true);
        QCOMPARE(counters.Sent(), 7 + counted);
    }

    void readsCountWhileTickedAndClearsAreSeparate()
    {
        CViewCounters counters;
        for (auto [count, ticked] : {std::pair{4u, true}, {9u, false}, {1u, true}})
            counters.NoteReceived(count, ticked);
        counters.BeginWrite(6, true);
        counters.EndWrite(true, true);
        QCOMPARE(counters.Received(), int64_t(5));
        counters.ClearReceived();
        QCOMPARE(std::pair(counters.Received(), counters.Sent()), std::pair(int64_t(0), 6));
        counters.NoteReceived(2, true);
        counters.ClearSent();
        QCOMPARE(std::pair(counters.Received(), counters.Sent()), std::pair(int64_t(2), 0));
    }
};

// The port part on its own: which port the panel of each kind makes, and
// when the user is asked to choose a row.
class TestViewPort : public QObject
{
    Q_OBJECT

private slots:
    void configuredFromThePanel_data()
    {
        QTest::addColumn<int>("kind");
        for (const char *column : {"panel", "noRowChosen", "made"})
            QTest::addColumn<bool>(column);
        QTest::newRow("serial before its panel") << 0 << false << false << false;
        QTest::newRow("serial") << 0 << true << false << true;
        QTest::newRow("parallel needs no panel") << 1 << false << false << true;
        QTest::newRow("usb") << 2 << true << false << true;
        QTest::newRow("usb, no row chosen") << 2 << true << true << false;
        QTest::newRow("network") << 3 << true << false << true;
        QTest::newRow("printer, no row chosen") << 4 << true << true << false;
        QTest::newRow("printer") << 4 << true << false << true;
    }
    void configuredFromThePanel()
    {
        QFETCH(int, kind);
        QFETCH(bool, panel);
        QFETCH(bool, noRowChosen);
        QFETCH(bool, made);
        PortCfgData() = {};
        CFakePortLog log;
        QList<PortKind> madeKinds;
        int reports = 0;
        CViewPort port;
        port.SetProviders({[] {
                               return std::vector<int>{4, 7};
                           },
                           [] { return QStringList{"lp"}; }, [](const QString &n) { return n; }});
        port.SetFactory([&](PortKind madeKind) {
            madeKinds << madeKind;
            return std::make_unique<CFakePort>(log, int(madeKind) + 1, true);
        });
        port.SetNoRowReport([&] { ++reports; });
        QWidget view;
        if (panel && port.CreatePanel(kind, &view) && noRowChosen)
            port.Panel()->findChild<QTableWidget *>()->clearSelection();
        QCOMPARE(port.CreateConfigured(kind) != nullptr, made);
        QCOMPARE(madeKinds, made ? QList{PortKind(kind)} : QList<PortKind>{});
        QCOMPARE(reports, noRowChosen ? 1 : 0);
    }
};

TARVIK_PART_TESTS_MAIN(TestLayout, TestViewAreas, TestScrollMapping, TestViewCounters, TestViewPort)
#include "tst_partlogic.moc"
