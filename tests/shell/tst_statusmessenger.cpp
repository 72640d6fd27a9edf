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
// Counts pixels of the widget whose colour is close to the wanted one.
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
    void init()
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
    void cleanup() { delete m_frame; }

    // Shown in its colour (and in no other), then back to "ready" in blue.
    void colourAndReturnToReady_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<QColor>("other");
        QTest::newRow("error") << int(CStatusMessenger::kError) << kRed << kBlue;
    }
    void colourAndReturnToReady()
    {
        QFETCH(int, kind);
        QFETCH(QColor, colour);
        QFETCH(QColor, other);
        m_messenger->ShowStatusText(QStringLiteral("信息"), kind, 200);
        QCOMPARE(m_bar->WindowText(), QStringLiteral("信息"));
        QCOMPARE(m_messenger->Label()->TextColour(), colour);
        QVERIFY(CountPixelsLike(m_messenger->Label(), colour) > 0);
        QCOMPARE(CountPixelsLike(m_messenger->Label(), other), 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_bar->WindowText(), QStringLiteral("就绪"), 3000);
        QCOMPARE(m_messenger->Label()->TextColour(), kBlue);
        QVERIFY(CountPixelsLike(m_messenger->Label(), kBlue) > 0);
        QVERIFY(!m_messenger->IsClearPending()); // "ready" stays
    }

    void hintCancelsPendingErrorAndTurnsBlue()
    {
        m_messenger->ShowStatusText(QStringLiteral("error"), CStatusMessenger::kError, 300);
        m_messenger->ShowStatusText(QStringLiteral("hint"), CStatusMessenger::kHint, -1);
        QCOMPARE(m_messenger->Label()->TextColour(), kBlue);
        QVERIFY(!m_messenger->IsClearPending());
        QTest::qWait(800);
        QCOMPARE(m_bar->WindowText(), QStringLiteral("hint"));
    }

private:
    QMainWindow *m_frame = nullptr;
    CExtStatusControlBar *m_bar = nullptr;
    CStatusMessenger *m_messenger = nullptr;
};

QTEST_MAIN(TestStatusMessenger)
#include "tst_statusmessenger.moc"
