// The two splitter bars: their tops from the heights and shares, the designed
// start, dragging within the limits, shares kept across resizes, and the tops
// remembered in the registry.
#include "viewsandbox.h"

#include "layout.h"
#include "splittercontrol.h"

class TestViewSplitter : public QObject
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

    void init() { m_sandbox = std::make_unique<CViewSandbox>(); }
    void cleanup()
    {
        m_view.reset();
        m_sandbox.reset();
    }

    // Nothing is placed before the start-up tick; a resize keeps the port
    // column where it is and the areas' shares of the height.
    void designedStartAndResizeKeepShares()
    {
        m_view = std::make_unique<CTarvikView>();
        m_view->resize(608, 400);
        m_view->show();
        QCOMPARE(m_view->Splitter1Pos(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(m_view->Splitter1Pos() != 0, 2000);
        QCOMPARE(m_view->Splitter1Pos(), 120);
        QCOMPARE(m_view->Splitter2Pos(), 175);
        auto *open = m_view->findChild<QPushButton *>(ViewId::Name(ViewId::kOpenClose));
        const QRect before = open->geometry();
        m_view->resize(900, 800);
        QCOMPARE(open->geometry(), before);
        // 120 / 400 of 800, (400 - 175) / 400 of 800.
        QCOMPARE(m_view->Splitter1Pos(), 240);
        QCOMPARE(m_view->Splitter2Pos(), 350);
    }

    // Bar 2 first makes room; bar 1 then sits at half the height and stays
    // there when the window doubles.
    void dragSetsShareKeptOnResize()
    {
        StartView(608, 600);
        Drag(ViewId::kBar2, 370);
        QCOMPARE(m_view->Splitter2Pos(), 368);
        Drag(ViewId::kBar1, 302);
        QCOMPARE(m_view->Splitter1Pos(), 300);
        QCOMPARE(Bar(ViewId::kBar1)->geometry(), QRect(152, 300, 454, 5));

        m_view->resize(608, 1200);
        QCOMPARE(m_view->Splitter1Pos(), 600);
        QCOMPARE(m_view->Splitter2Pos(), 736);
    }

    // On 400 pixels bar 2 has no room; bar 1 may go up to 104 (top 102) at most.
    void dragStopsAtTheLimit()
    {
        StartView(608, 400);
        Drag(ViewId::kBar1, 5);
        QCOMPARE(m_view->Splitter1Pos(), 102);
        const int bar2Top = m_view->Splitter2Pos();
        Drag(ViewId::kBar2, 390);
        QCOMPARE(m_view->Splitter2Pos(), bar2Top);
    }

    void topsAreWrittenAtExitAndRestored()
    {
        StartView(608, 600);
        Drag(ViewId::kBar2, 352);
        m_view.reset();
        uint32_t top1 = 0;
        uint32_t top2 = 0;
        CRegManage registry;
        QVERIFY(registry.ReadDword(QStringLiteral("Splitter1Pos"), top1));
        QVERIFY(registry.ReadDword(QStringLiteral("Splitter2Pos"), top2));
        QCOMPARE(top1, 120u);
        QCOMPARE(top2, 350u);

        registry.WriteDword(QStringLiteral("Splitter1Pos"), 150);
        registry.WriteDword(QStringLiteral("Splitter2Pos"), 300);
        StartView(608, 600);
        QCOMPARE(m_view->Splitter1Pos(), 150);
        QCOMPARE(m_view->Splitter2Pos(), 300);
    }

private:
    void StartView(int cx, int cy)
    {
        m_view = std::make_unique<CTarvikView>();
        m_view->resize(cx, cy);
        m_view->show();
        QVERIFY(QTest::qWaitFor([this] { return m_view->PortPanel(); }, 2000));
    }
    // Presses on the bar's centre and lets go with the pointer at view height toY.
    void Drag(int barId, int toY)
    {
        CSplitterControl *bar = Bar(barId);
        QVERIFY(bar);
        const QPoint centre = bar->rect().center();
        const QPoint target = bar->mapFrom(m_view.get(), QPoint(bar->x() + centre.x(), toY));
        QTest::mousePress(bar, Qt::LeftButton, {}, centre);
        QTest::mouseMove(bar, target);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, target);
    }
    CSplitterControl *Bar(int id) const
    {
        return m_view->findChild<CSplitterControl *>(ViewId::Name(id));
    }

    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CTarvikView> m_view;
};

QTEST_MAIN(TestViewSplitter)
#include "tst_viewsplitter.moc"
