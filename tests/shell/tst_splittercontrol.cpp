#include "splittercontrol.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestSplitterControl : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_parent = std::make_unique<QWidget>();
        m_parent->resize(600, 400);
        m_parent->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_parent.get()));
    }
    void cleanup() { m_parent.reset(); }

    // A bar dragged to a parent point stops within its range, reports the
    // distance from its start (centre 102) and sits centred on where it stopped.
    void dragIsClampedAndReported_data()
    {
        QTest::addColumn<QRect>("placeholder");
        QTest::addColumn<int>("minimum"); // no range set when negative
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("reports");
        QTest::addColumn<int>("distance");
        QTest::addColumn<QRect>("geometry");
        const QRect wide(10, 100, 500, 20);
        QTest::newRow("beyond the maximum")
            << wide << 50 << 200 << QPoint(250, 350) << 1 << 200 - 102 << QRect(10, 198, 500, 5);
        QTest::newRow("below the minimum")
            << wide << 50 << 200 << QPoint(250, 3) << 1 << 50 - 102 << QRect(10, 48, 500, 5);
        QTest::newRow("no range pins the bar")
            << wide << -1 << -1 << QPoint(250, 300) << 0 << 0 << QRect(10, 100, 500, 5);
        // A tall placeholder makes a vertical bar; only the sideways move counts.
        QTest::newRow("vertical") << QRect(100, 10, 20, 300) << 80 << 400 << QPoint(150, 380) << 1
                                  << 150 - 102 << QRect(148, 10, 5, 300);
    }
    void dragIsClampedAndReported()
    {
        QFETCH(QRect, placeholder);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(QPoint, to);
        CSplitterControl bar(placeholder, m_parent.get(), 1072);
        if (minimum >= 0)
            bar.SetRange(minimum, maximum);
        QSignalSpy moved(&bar, &CSplitterControl::splitterMoved);
        QTest::mousePress(&bar, Qt::LeftButton, {}, bar.rect().center());
        QVERIFY(bar.IsTracking());
        QTest::mouseMove(&bar, bar.mapFromParent(to));
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, bar.mapFromParent(to));
        QVERIFY(!bar.IsTracking());
        QTEST(int(moved.count()), "reports");
        if (!moved.isEmpty()) {
            QCOMPARE(moved.at(0).at(0).toInt(), 1072);
            QTEST(moved.at(0).at(1).toInt(), "distance");
        }
        QTEST(bar.geometry(), "geometry");
    }

private:
    std::unique_ptr<QWidget> m_parent;
};

QTEST_MAIN(TestSplitterControl)
#include "tst_splittercontrol.moc"
