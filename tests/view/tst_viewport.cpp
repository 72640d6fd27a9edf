// The port part on its own: which port the panel of each kind makes, when
// the user is asked to choose a row, reopening the same USB device, and a
// port forgotten before it closes.
#include "fakeport.h"
#include "port/portnotify.h"
#include "view/viewport.h"

#include <QTableWidget>
#include <QTest>

namespace {
// Notes whether the part still held the port when a notification came.
struct COwner : QObject
{
    const CViewPort *port = nullptr;
    bool held = true;
    bool event(QEvent *event) override
    {
        held = port->Port() != nullptr;
        return QObject::event(event);
    }
};
} // namespace

class TestViewPort : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        PortCfgData() = {};
        m_made.clear();
        m_reports = 0;
        m_port = std::make_unique<CViewPort>();
        m_port->SetProviders({[] {
                                  return std::vector<int>{4, 7};
                              },
                              [] { return QStringList{"lp"}; },
                              [](const QString &n) { return n; }});
        m_port->SetFactory([this](PortKind kind) {
            m_made << kind;
            return std::make_unique<CFakePort>(m_log, int(kind) + 1, true);
        });
        m_port->SetNoRowReport([this] { ++m_reports; });
    }
    void cleanup() { m_port.reset(); }

    void configuredFromThePanel_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("panel");
        QTest::addColumn<bool>("noRowChosen");
        QTest::addColumn<bool>("made");
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
        QWidget view;
        if (panel && m_port->CreatePanel(kind, &view) && noRowChosen)
            m_port->Panel()->findChild<QTableWidget *>()->clearSelection();
        QCOMPARE(m_port->CreateConfigured(kind) != nullptr, made);
        QCOMPARE(m_made, made ? QList{PortKind(kind)} : QList<PortKind>{});
        QCOMPARE(m_reports, noRowChosen ? 1 : 0);
    }

    // The first listed device is chosen; a reopen waits until its number is listed.
    void reopenWaitsForTheSameUsbDevice()
    {
        QWidget view;
        m_port->CreatePanel(int(PortKind::Usb), &view);
        QCOMPARE(m_port->SelectedUsbDevice(), 4);
        QVERIFY(m_port->CreateUsbFor(7));
        QVERIFY(!m_port->CreateUsbFor(5));
        QVERIFY(!m_port->CreateUsbFor(-1));
        QCOMPARE(m_made, QList{PortKind::Usb});
    }

    void portIsForgottenBeforeItCloses()
    {
        COwner owner;
        owner.port = m_port.get();
        auto *port = static_cast<CFakePort *>(m_port->Adopt(m_port->CreateConfigured(1)));
        QVERIFY(port->OpenPort(&owner, 1, 0, 0));
        port->SetLostOnClose();
        m_port->Discard();
        QCOMPARE(m_log.closed, 1);
        QVERIFY(!owner.held);
    }

private:
    CFakePortLog m_log;
    std::unique_ptr<CViewPort> m_port;
    QList<PortKind> m_made;
    int m_reports = 0;
};

QTEST_MAIN(TestViewPort)
#include "tst_viewport.moc"
