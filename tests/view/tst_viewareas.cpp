// The splitter bars on their own: where they start, and a drag that gives
// an area a new share of the height which a resize then keeps.
#include "view/form/viewids.h"
#include "view/parts/viewareas.h"
#include "widgets/splittercontrol.h"

#include <QMouseEvent>
#include <QTest>

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
        const struct
        {
            int saved1, saved2, top1, top2;
        } cases[] = {{0, 0, 120, 175},
                     {150, 400, 150, 400},
                     {150, 155, 150, 175},
                     {150, 156, 150, 156},
                     {0, 125, 120, 175}};
        QList<QPoint> tops, expected; // (bar 1, bar 2) for each saved pair
        for (const auto &c : cases) {
            QWidget view;
            CViewAreas areas;
            areas.CreateBars(&view, kLeft, c.saved1, c.saved2, {});
            QVERIFY(!areas.Place(700, 900, {}));
            QCOMPARE(areas.Bar1()->x(), kLeft);
            tops << QPoint(areas.Bar1()->y(), areas.Bar2()->y());
            expected << QPoint(c.top1, c.top2);
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

QTEST_MAIN(TestViewAreas)
#include "tst_viewareas.moc"
