#include "extstatuscontrolbar.h"
#include "stringtable.h"

#include <QLabel>
#include <QMainWindow>
#include <QPointer>
#include <QProgressBar>
#include <QTest>

class TestExtStatusControlBar : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_frame = new QMainWindow;
        m_bar = new CExtStatusControlBar(m_frame);
        m_bar->SetIndicators({ID_INDICATOR_NUM});
        m_frame->setStatusBar(m_bar);
        m_frame->setCentralWidget(new QWidget);
        m_frame->resize(608, 445);
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame));
    }
    void cleanup() { delete m_frame; }

    void insertPlacesPanesInOrderAndRefusesBadRequests()
    {
        QVERIFY(m_bar->InsertPane(0, 0));
        QVERIFY(m_bar->InsertPane(IDS_TOP_PANE, 1));
        QVERIFY(m_bar->InsertPane(IDS_PROGRESS_PANE, 1));
        QCOMPARE(m_bar->GetCount(), 4);
        QCOMPARE(m_bar->GetItemID(0), 0u);
        QCOMPARE(m_bar->GetItemID(1), IDS_PROGRESS_PANE);
        QCOMPARE(m_bar->GetItemID(2), IDS_TOP_PANE);
        QCOMPARE(m_bar->GetItemID(3), ID_INDICATOR_NUM);
        QVERIFY(m_bar->GetPaneStyle(0) & CExtStatusControlBar::SBPS_STRETCH);
        QVERIFY(m_bar->GetPaneStyle(0) & CExtStatusControlBar::SBPS_NOBORDERS);
        QCOMPARE(m_bar->GetPaneText(2), LoadString(IDS_TOP_PANE));

        QVERIFY(!m_bar->InsertPane(IDS_PROGRESS_PANE, 0)); // same identifier again
        QVERIFY(!m_bar->InsertPane(4711, 5));              // beyond the end
        QVERIFY(m_bar->InsertPane(4711, 4));               // appending is allowed
        QCOMPARE(m_bar->GetCount(), 5);

        QTRY_VERIFY(m_bar->GetItemRect(0).right() < m_bar->GetItemRect(1).left());
        QTRY_VERIFY(m_bar->GetItemRect(1).right() < m_bar->GetItemRect(2).left());
    }

    void deleteRefusesMissingAndLastPane()
    {
        QVERIFY(m_bar->InsertPane(IDS_PROGRESS_PANE, 0));
        QVERIFY(m_bar->DeletePane(IDS_PROGRESS_PANE));
        QVERIFY(!m_bar->DeletePane(IDS_PROGRESS_PANE));
        QCOMPARE(m_bar->GetCount(), 1);
        QVERIFY(!m_bar->DeletePane(ID_INDICATOR_NUM));
        QCOMPARE(m_bar->GetCount(), 1);
        QCOMPARE(m_bar->GetItemID(0), ID_INDICATOR_NUM);
    }

    void deletedPaneDestroysOnlyItsControls()
    {
        QPointer<QProgressBar> progress = new QProgressBar(m_bar);
        QPointer<QLabel> other = new QLabel(m_bar);
        QVERIFY(!m_bar->AttachPaneControl(other, 0)); // no such pane yet
        QVERIFY(m_bar->InsertPane(IDS_PROGRESS_PANE, 0));
        QVERIFY(m_bar->InsertPane(0, 0));
        QVERIFY(m_bar->AttachPaneControl(progress, IDS_PROGRESS_PANE));
        QVERIFY(m_bar->AttachPaneControl(other, 0));
        QVERIFY(m_bar->DeletePane(IDS_PROGRESS_PANE));
        QVERIFY(progress.isNull());
        QVERIFY(!other.isNull());
    }

    // The label must cover its pane wherever the pane goes, also after a resize.
    void controlsFollowTheirPanesWhenTheWindowResizes()
    {
        QVERIFY(m_bar->InsertPane(0, 0));
        QVERIFY(m_bar->InsertPane(IDS_TOP_PANE, 1));
        auto *label = new QLabel(m_bar);
        auto *top = new QLabel(QStringLiteral("Top"), m_bar);
        QVERIFY(m_bar->AttachPaneControl(label, 0));
        QVERIFY(m_bar->AttachPaneControl(top, IDS_TOP_PANE));

        auto controlInBar = [this](QWidget *w) {
            return QRect(w->mapTo(m_bar, QPoint(0, 0)), w->size());
        };
        QTRY_VERIFY(m_bar->GetItemRect(0).contains(controlInBar(label)));
        QVERIFY(m_bar->GetItemRect(1).contains(controlInBar(top)));
        const int oldTopX = controlInBar(top).x();
        const int oldLabelWidth = label->width();

        m_frame->resize(900, 445);
        QTRY_VERIFY(controlInBar(top).x() > oldTopX);
        QVERIFY(label->width() > oldLabelWidth);
        QVERIFY(m_bar->GetItemRect(0).contains(controlInBar(label)));
        QVERIFY(m_bar->GetItemRect(1).contains(controlInBar(top)));
    }

    void windowTextGoesToMessagePaneAndClearsError()
    {
        QCOMPARE(m_bar->SetWindowText(QStringLiteral("x")), -1); // no message pane yet
        QVERIFY(m_bar->InsertPane(0, 0));
        m_bar->SetErrorShown(true);
        QCOMPARE(m_bar->SetWindowText(QStringLiteral("abc")), 0);
        QCOMPARE(m_bar->WindowText(), QStringLiteral("abc"));
        QVERIFY(!m_bar->IsErrorShown());
    }

private:
    QMainWindow *m_frame = nullptr;
    CExtStatusControlBar *m_bar = nullptr;
};

QTEST_MAIN(TestExtStatusControlBar)
#include "tst_extstatuscontrolbar.moc"
