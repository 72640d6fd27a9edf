// The printer-driver kind through the window, against a private CUPS
// scheduler: the panel lists its queue, and the queue opens and closes.
#include "viewids.h"
#include "viewsandbox.h"

#include "printercfgdlg.h"
#include "privatecupsd.h"

#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>

namespace {
const std::string kQueue = "tarvik_view_lab";
// Only a bound on hangs: the scheduler and the port threads may be slow.
constexpr int kPortWaitMs = 20000;
} // namespace

class TestPrinterOpen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void panelListsTheQueueWhichOpensAndCloses();

private:
    QPushButton *Button(int id) const { return m_framed->Find<QPushButton>(id); }

    std::unique_ptr<CPrivateCupsd> m_cupsd;
    std::unique_ptr<CViewSandbox> m_sandbox;
    std::unique_ptr<CFramedView> m_framed;
};

// The scheduler points the process's CUPS clients at itself, so it has to
// run before the view asks for the queues.
void TestPrinterOpen::initTestCase()
{
    m_cupsd = std::make_unique<CPrivateCupsd>();
    std::string whyNot;
    QVERIFY2(m_cupsd->Start(whyNot), whyNot.c_str());
    QVERIFY2(m_cupsd->AddRawQueue(kQueue, whyNot), whyNot.c_str());
}

void TestPrinterOpen::cleanupTestCase()
{
    m_framed.reset();
    m_sandbox.reset();
    m_cupsd.reset();
}

void TestPrinterOpen::panelListsTheQueueWhichOpensAndCloses()
{
    PortCfgData() = {};
    m_sandbox = std::make_unique<CViewSandbox>();
    m_framed = std::make_unique<CFramedView>(CTarvikView::PortFactory{}, std::nullopt);
    QVERIFY(m_framed->WaitForStartup());
    m_framed->Find<QComboBox>(ViewId::kPortKind)->setCurrentIndex(int(PortKind::Printer));
    auto *panel = qobject_cast<CPrinterCfgDlg *>(m_framed->View()->PortPanel());
    QVERIFY(panel);
    auto *list = FindPanelControl<QTableWidget>(panel, kPrinterListId);
    QVERIFY(list);
    const QList<QTableWidgetItem *> rows =
        list->findItems(QString::fromStdString(kQueue), Qt::MatchExactly);
    QCOMPARE(rows.size(), 1);
    list->selectRow(rows.first()->row());
    QVERIFY(Button(ViewId::kOpenClose)->isEnabled());

    QTest::mouseClick(Button(ViewId::kOpenClose), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_framed->StatusText(), QStringLiteral("打开端口成功！"),
                              kPortWaitMs);
    QVERIFY(m_framed->StatusIsHint());
    QCOMPARE(Button(ViewId::kOpenClose)->text(), QStringLiteral("关闭端口"));

    QVERIFY(m_framed->View()->HasPort());
    QVERIFY(Button(ViewId::kSend)->isEnabled());

    QTest::mouseClick(Button(ViewId::kOpenClose), Qt::LeftButton);
    QCOMPARE(m_framed->StatusText(), QStringLiteral("端口已关闭"));
    QVERIFY(m_framed->StatusIsHint());
    QCOMPARE(Button(ViewId::kOpenClose)->text(), QStringLiteral("打开端口"));
    QVERIFY(!m_framed->View()->HasPort());
}

QTEST_MAIN(TestPrinterOpen)
#include "tst_printeropen.moc"
