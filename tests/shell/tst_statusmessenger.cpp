#include "extlabel.h"
#include "extstatusbarbutton.h"
#include "extstatusbarprogressctrl.h"
#include "extstatuscontrolbar.h"
#include "statusmessenger.h"
#include "stringtable.h"

#include <QApplication>
#include <QImage>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace {

// Counts pixels of the label whose colour is close to the wanted one.
int CountPixelsLike(QWidget *widget, QColor wanted)
{
    const QImage image = widget->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - wanted.red()) < 40 && qAbs(c.green() - wanted.green()) < 40 &&
                qAbs(c.blue() - wanted.blue()) < 40)
                ++count;
        }
    }
    return count;
}

const QColor kRed(205, 0, 0);
const QColor kBlue(0, 0, 255);

} // namespace

class TestStatusMessenger : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void setUpPlacesLabelAndTopBeforeNumLock();
    void hintIsBlueAndReturnsToReady();
    void errorIsRedAndReturnsToReady();
    void defaultDurationsAreHintShorterThanError();
    void explicitDurationIsTheInterval();
    void hintCancelsPendingErrorAndTurnsBlue();
    void negativeDurationStaysUntilNextMessage();
    void stringMessageLoadsFromTable();
    void otherKindsAskWithMessageBoxAndLeavePane();
    void longMessageIsElidedInTheMiddle();
    void progressPaneComesAndGoes();

private:
    QMainWindow *m_frame = nullptr;
    CExtStatusControlBar *m_bar = nullptr;
    CStatusMessenger *m_messenger = nullptr;
};

void TestStatusMessenger::init()
{
    m_frame = new QMainWindow;
    m_bar = new CExtStatusControlBar(m_frame);
    m_bar->SetIndicators({ID_INDICATOR_NUM});
    m_frame->setStatusBar(m_bar);
    m_frame->setCentralWidget(new QWidget);
    m_messenger = new CStatusMessenger(m_bar, m_frame);
    QVERIFY(m_messenger->SetUpPanes());
    m_frame->resize(608, 445);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame));
}

void TestStatusMessenger::cleanup()
{
    delete m_frame;
}

void TestStatusMessenger::setUpPlacesLabelAndTopBeforeNumLock()
{
    QCOMPARE(m_bar->GetCount(), 3);
    QCOMPARE(m_bar->GetItemID(0), 0u);
    QCOMPARE(m_bar->GetItemID(1), IDS_TOP_PANE);
    QCOMPARE(m_bar->GetItemID(2), ID_INDICATOR_NUM);
    QCOMPARE(m_bar->GetPaneWidth(0), CStatusMessenger::kMessagePaneMinWidth);
    QCOMPARE(m_messenger->TopButton()->text(), QStringLiteral("Top"));
    QVERIFY(m_messenger->TopButton()->isCheckable());
    CExtStatusBarButton *top = m_messenger->TopButton();
    QTRY_VERIFY(top->width() >= top->sizeHint().width()); // not clipped by its pane
    QCOMPARE(m_bar->WindowText(), QStringLiteral("就绪"));
    // A second set-up finds the panes taken: it is refused with a message box.
    QString boxText;
    QTimer::singleShot(0, this, [&boxText] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxText = box->text();
            box->accept();
        }
    });
    QVERIFY(!m_messenger->SetUpPanes());
    QVERIFY(boxText.startsWith(QStringLiteral("Pane index out of range")));
}

void TestStatusMessenger::hintIsBlueAndReturnsToReady()
{
    m_messenger->ShowStatusText(QStringLiteral("提示信息"), CStatusMessenger::kHint, 200);
    QCOMPARE(m_bar->WindowText(), QStringLiteral("提示信息"));
    QCOMPARE(m_messenger->Label()->TextColour(), kBlue);
    QVERIFY(CountPixelsLike(m_messenger->Label(), kBlue) > 0);
    QCOMPARE(CountPixelsLike(m_messenger->Label(), kRed), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_bar->WindowText(), QStringLiteral("就绪"), 3000);
    QCOMPARE(m_messenger->Label()->TextColour(), kBlue);
    QVERIFY(!m_messenger->IsClearPending()); // "ready" stays
}

void TestStatusMessenger::errorIsRedAndReturnsToReady()
{
    m_messenger->ShowStatusText(QStringLiteral("错误信息"), CStatusMessenger::kError, 200);
    QCOMPARE(m_bar->WindowText(), QStringLiteral("错误信息"));
    QCOMPARE(m_messenger->Label()->TextColour(), kRed);
    QVERIFY(CountPixelsLike(m_messenger->Label(), kRed) > 0);
    QCOMPARE(CountPixelsLike(m_messenger->Label(), kBlue), 0);
    QTRY_COMPARE_WITH_TIMEOUT(m_bar->WindowText(), QStringLiteral("就绪"), 3000);
    QCOMPARE(m_messenger->Label()->TextColour(), kBlue);
    QVERIFY(CountPixelsLike(m_messenger->Label(), kBlue) > 0);
}

// Duration 0 means 3900 ms for a hint and 5000 ms for an error; the timer is
// cut short once its interval is checked, so the test need not wait for it.
void TestStatusMessenger::defaultDurationsAreHintShorterThanError()
{
    QTimer *clear = m_messenger->ClearTimer();
    m_messenger->ShowStatusText(QStringLiteral("hint"), CStatusMessenger::kHint, 0);
    QVERIFY(clear->isActive());
    QCOMPARE(clear->interval(), 3900);
    QTest::qWait(50);
    QCOMPARE(m_bar->WindowText(), QStringLiteral("hint"));
    clear->start(1);
    QTRY_COMPARE(m_bar->WindowText(), QStringLiteral("就绪"));

    m_messenger->ShowStatusText(QStringLiteral("error"), CStatusMessenger::kError, 0);
    QVERIFY(clear->isActive());
    QCOMPARE(clear->interval(), 5000);
    QCOMPARE(m_bar->WindowText(), QStringLiteral("error"));
    QVERIFY(m_bar->IsErrorShown());
    clear->start(1);
    QTRY_COMPARE(m_bar->WindowText(), QStringLiteral("就绪"));
    QVERIFY(!m_bar->IsErrorShown());
    QVERIFY(!clear->isActive()); // "ready" stays
}

// An explicit duration is the timer's interval.
void TestStatusMessenger::explicitDurationIsTheInterval()
{
    m_messenger->ShowStatusText(QStringLiteral("short"), CStatusMessenger::kError, 1234);
    QCOMPARE(m_messenger->ClearTimer()->interval(), 1234);
    QVERIFY(m_messenger->ClearTimer()->isSingleShot());
}

void TestStatusMessenger::hintCancelsPendingErrorAndTurnsBlue()
{
    m_messenger->ShowStatusText(QStringLiteral("error"), CStatusMessenger::kError, 300);
    m_messenger->ShowStatusText(QStringLiteral("hint"), CStatusMessenger::kHint, -1);
    QCOMPARE(m_messenger->Label()->TextColour(), kBlue);
    QVERIFY(!m_messenger->IsClearPending());
    QTest::qWait(800);
    QCOMPARE(m_bar->WindowText(), QStringLiteral("hint"));
}

void TestStatusMessenger::negativeDurationStaysUntilNextMessage()
{
    m_messenger->ShowStatusText(QStringLiteral("stays"), CStatusMessenger::kError, -1);
    QVERIFY(!m_messenger->IsClearPending());
    QTest::qWait(500);
    QCOMPARE(m_bar->WindowText(), QStringLiteral("stays"));
    QVERIFY(m_bar->IsErrorShown());
    // A menu prompt replaces it in hint colour.
    m_bar->showMessage(QStringLiteral("prompt"));
    QCOMPARE(m_bar->WindowText(), QStringLiteral("prompt"));
    QCOMPARE(m_messenger->Label()->TextColour(), kBlue);
}

void TestStatusMessenger::stringMessageLoadsFromTable()
{
    m_messenger->ShowStatusMessage(CStatusMessenger::kError, IDS_PORT_NOT_OPEN, -1);
    QCOMPARE(m_bar->WindowText(), QStringLiteral("端口未打开！"));
    QVERIFY(m_bar->IsErrorShown());
}

void TestStatusMessenger::otherKindsAskWithMessageBoxAndLeavePane()
{
    m_messenger->ShowStatusText(QStringLiteral("before"), CStatusMessenger::kHint, 5000);
    QString boxText;
    QTimer::singleShot(0, this, [&boxText] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            boxText = box->text();
            QCOMPARE(box->standardButtons(), QMessageBox::Ok);
            box->accept();
        }
    });
    m_messenger->ShowStatusText(QStringLiteral("in a box"), 1, 0);
    QCOMPARE(boxText, QStringLiteral("in a box"));
    QCOMPARE(m_bar->WindowText(), QStringLiteral("before"));
    QVERIFY(!m_messenger->IsClearPending()); // a new message always stops the time-out
}

void TestStatusMessenger::longMessageIsElidedInTheMiddle()
{
    const QString text = QStringLiteral("C:\\start\\") + QString(300, QLatin1Char('x')) +
                         QStringLiteral("\\end.dat");
    m_messenger->ShowStatusText(text, CStatusMessenger::kHint, -1);
    const QString shown = m_messenger->Label()->ShownText();
    QVERIFY(shown.size() < text.size());
    QVERIFY(shown.startsWith(QStringLiteral("C:")));
    QVERIFY(shown.endsWith(QStringLiteral("end.dat")));
    QVERIFY(shown.contains(QChar(0x2026)));
}

void TestStatusMessenger::progressPaneComesAndGoes()
{
    QPointer<CExtStatusBarProgressCtrl> progress = m_messenger->BeginProgress();
    QVERIFY(progress);
    QCOMPARE(m_bar->GetItemID(1), IDS_PROGRESS_PANE);
    QCOMPARE(m_bar->GetItemID(2), IDS_TOP_PANE);
    QCOMPARE(m_bar->GetPaneWidth(1), CStatusMessenger::kProgressPaneWidth);
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), 100);
    m_messenger->SetProgress(42);
    QCOMPARE(progress->value(), 42);
    progress->StepIt();
    QCOMPARE(progress->value(), 43);
    QCOMPARE(m_messenger->BeginProgress(), progress.data()); // one bar only
    m_messenger->EndProgress();
    QVERIFY(progress.isNull());
    QCOMPARE(m_bar->CommandToIndex(IDS_PROGRESS_PANE), -1);
    CExtStatusBarButton *top = m_messenger->TopButton();
    QTRY_VERIFY(top->isVisible());
    QTRY_VERIFY(m_bar->GetItemRect(1).isValid() && m_bar->GetItemRect(1).left() > 0);
    m_messenger->SetProgress(50); // harmless without a bar
}

QTEST_MAIN(TestStatusMessenger)
#include "tst_statusmessenger.moc"
