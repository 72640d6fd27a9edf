#include "shell/extlabel.h"
#include "shell/extstatuscontrolbar.h"
#include "shell/statusmessenger.h"
#include "stringtable.h"

#include <QMainWindow>
#include <QTest>

namespace {
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

    void hintCancelsPendingErrorAndTurnsBlue()
    {
        m_messenger->ShowStatusText(QStringLiteral("error"), kStatusError, 300);
        m_messenger->ShowStatusText(QStringLiteral("hint"), kStatusHint, -1);
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
