#include "splittercontrol.h"

#include <QSignalSpy>
#include <QTest>

class TestSplitterControl : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void placeholderDecidesOrientationAndThickness();
    void dragBeyondMaximumStopsAtMaximum();
    void dragBelowMinimumStopsAtMinimum();
    void unsetRangePinsTheBar();
    void releaseAtStartSendsNothing();
    void verticalBarReportsSidewaysDistance();
    void moveToPositionCentresTheBar();

private:
    // Presses on the bar, moves to parent-relative point to, releases.
    void Drag(CSplitterControl *bar, QPoint to);

    QWidget *m_parent = nullptr;
};

void TestSplitterControl::init()
{
    m_parent = new QWidget;
    m_parent->resize(600, 400);
    m_parent->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_parent));
}

void TestSplitterControl::cleanup()
{
    delete m_parent;
}

void TestSplitterControl::Drag(CSplitterControl *bar, QPoint to)
{
    const QPoint start = bar->rect().center();
    QTest::mousePress(bar, Qt::LeftButton, {}, start);
    QVERIFY(bar->IsTracking());
    QTest::mouseMove(bar, bar->mapFromParent(to));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, bar->mapFromParent(to));
    QVERIFY(!bar->IsTracking());
}

void TestSplitterControl::placeholderDecidesOrientationAndThickness()
{
    CSplitterControl wide(QRect(10, 100, 500, 20), m_parent, 1072);
    QCOMPARE(wide.Orientation(), CSplitterControl::SPS_HORIZONTAL);
    QCOMPARE(wide.geometry(), QRect(10, 100, 500, 5));
    QCOMPARE(wide.Minimum(), 102);
    QCOMPARE(wide.Maximum(), 102);

    CSplitterControl square(QRect(10, 10, 30, 30), m_parent, 1);
    QCOMPARE(square.Orientation(), CSplitterControl::SPS_HORIZONTAL);

    CSplitterControl tall(QRect(100, 10, 20, 300), m_parent, 1071);
    QCOMPARE(tall.Orientation(), CSplitterControl::SPS_VERTICAL);
    QCOMPARE(tall.geometry(), QRect(100, 10, 5, 300));
    QCOMPARE(tall.Minimum(), 102);
}

void TestSplitterControl::dragBeyondMaximumStopsAtMaximum()
{
    CSplitterControl bar(QRect(10, 100, 500, 20), m_parent, 1072);
    bar.SetRange(50, 200);
    QSignalSpy moved(&bar, &CSplitterControl::splitterMoved);

    const QPoint start = bar.rect().center();
    QTest::mousePress(&bar, Qt::LeftButton, {}, start);
    QTest::mouseMove(&bar, bar.mapFromParent(QPoint(250, 350)));
    QCOMPARE(bar.TrackingPoint().y(), m_parent->mapToGlobal(QPoint(0, 200)).y());
    QTest::mouseRelease(&bar, Qt::LeftButton, {}, bar.mapFromParent(QPoint(250, 350)));

    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(0).toInt(), 1072);
    QCOMPARE(moved.at(0).at(1).toInt(), 200 - 102);
    QCOMPARE(bar.geometry().top(), 198); // centre (198 + 203) / 2 = 200
}

void TestSplitterControl::dragBelowMinimumStopsAtMinimum()
{
    CSplitterControl bar(QRect(10, 100, 500, 20), m_parent, 1071);
    bar.SetRange(50, 200);
    QSignalSpy moved(&bar, &CSplitterControl::splitterMoved);
    Drag(&bar, QPoint(250, 3));
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(1).toInt(), 50 - 102);
    QCOMPARE(bar.geometry().top(), 48);
}

void TestSplitterControl::unsetRangePinsTheBar()
{
    CSplitterControl bar(QRect(10, 100, 500, 20), m_parent, 1072);
    QSignalSpy moved(&bar, &CSplitterControl::splitterMoved);
    Drag(&bar, QPoint(250, 300));
    QCOMPARE(moved.count(), 0);
    QCOMPARE(bar.geometry().top(), 100);
}

void TestSplitterControl::releaseAtStartSendsNothing()
{
    CSplitterControl bar(QRect(10, 100, 500, 20), m_parent, 1072);
    bar.SetRange(50, 200);
    QSignalSpy moved(&bar, &CSplitterControl::splitterMoved);
    Drag(&bar, QPoint(250, 102));
    QCOMPARE(moved.count(), 0);
}

void TestSplitterControl::verticalBarReportsSidewaysDistance()
{
    CSplitterControl bar(QRect(100, 10, 20, 300), m_parent, 7);
    bar.SetRange(80, 400);
    QSignalSpy moved(&bar, &CSplitterControl::splitterMoved);
    Drag(&bar, QPoint(150, 380)); // the vertical coordinate does not matter
    QCOMPARE(moved.count(), 1);
    QCOMPARE(moved.at(0).at(1).toInt(), 150 - 102);
    QCOMPARE(bar.geometry(), QRect(148, 10, 5, 300));
}

void TestSplitterControl::moveToPositionCentresTheBar()
{
    CSplitterControl bar(QRect(10, 100, 500, 20), m_parent, 1072);
    bar.MoveToPosition(0, 300);
    QCOMPARE(bar.geometry(), QRect(10, 298, 500, 5));
}

QTEST_MAIN(TestSplitterControl)
#include "tst_splittercontrol.moc"
