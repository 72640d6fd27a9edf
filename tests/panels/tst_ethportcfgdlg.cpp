// The network panel: remembered choices, the port number check and the
// record it builds.
#include "messageboxwatcher.h"
#include "panels/ethportcfgdlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace {
void TypeInto(QLineEdit *edit, const QString &text)
{
    edit->clear();
    QTest::keyClicks(edit, text);
}

void TypeTarget(const QWidget *panel, const QString &host, const QString &port)
{
    TypeInto(FindPanelControl<QComboBox>(panel, kEthHostId)->lineEdit(), host);
    TypeInto(FindPanelControl<QLineEdit>(panel, kEthPortId), port);
}

std::unique_ptr<CEthPortCfgDlg> ShownPanel()
{
    auto panel = std::make_unique<CEthPortCfgDlg>();
    panel->show();
    return panel;
}

std::unique_ptr<CEthPortCfgDlg> Recreate(std::unique_ptr<CEthPortCfgDlg> panel)
{
    panel->StoreToBlock();
    panel.reset();
    return ShownPanel();
}
} // namespace

class TestEthPortCfgDlg : public QObject
{
    Q_OBJECT

private slots:
    void init() { PortCfgData() = {}; }

    void hostAndPortComeBackAndBuildTheRecord()
    {
        auto panel = ShownPanel();
        TypeTarget(panel.get(), "printer.example", "9100");
        panel = Recreate(std::move(panel));

        const tagETHERNET_CFG stored = PortCfgData().ethernet;
        QCOMPARE(FindPanelControl<QLineEdit>(panel.get(), kEthPortId)->text(), "9100");
        const tagETHERNET_CFG record = panel->BuildRecord();
        QCOMPARE(record.dwConnKind, 0u);
        for (const tagETHERNET_CFG *cfg : {&stored, &record}) {
            QCOMPARE(QByteArray(cfg->szHost), "printer.example");
            QCOMPARE(cfg->wPort, 9100);
            QCOMPARE(cfg->dwMarker, kCfgMarkerValid);
        }
    }

    // A panel nobody typed into has no port yet: it asks nothing when it
    // goes, so changing the kind never brings up a message.
    void anUntouchedPanelStoresWithoutAMessage()
    {
        auto panel = ShownPanel();
        QCOMPARE(FindPanelControl<QLineEdit>(panel.get(), kEthPortId)->text(), QString());
        MessageBoxWatcher boxes;
        panel->StoreToBlock();
        QCOMPARE(boxes.Texts(), QStringList());
        QCOMPARE(PortCfgData().ethernet.wPort, 0);
    }

    void badPortShowsMessageAndKeepsPreviousValues_data()
    {
        QTest::addColumn<QString>("portText");
        for (const char *text : {"abc", "91x", "70000", "0", "000"})
            QTest::newRow(text) << QString::fromLatin1(text);
    }
    // One rule and one message, in the interface's language.
    void badPortShowsMessageAndKeepsPreviousValues()
    {
        QFETCH(QString, portText);
        const QString invalid = "端口号无效：请输入 1 到 65535 之间的整数。";
        auto panel = ShownPanel();
        TypeTarget(panel.get(), "first", "9100");
        QCOMPARE(panel->BuildRecord().wPort, 9100);

        TypeTarget(panel.get(), "second", portText);
        MessageBoxWatcher boxes;
        const tagETHERNET_CFG record = panel->BuildRecord();
        QCOMPARE(boxes.Texts(), QStringList{invalid});
        QCOMPARE(record.wPort, 9100);
        QCOMPARE(QByteArray(record.szHost), "first");

        panel->StoreToBlock();
        QCOMPARE(boxes.Texts(), QStringList(2, invalid));
        QCOMPARE(PortCfgData().ethernet.wPort, 9100);
        QCOMPARE(QByteArray(PortCfgData().ethernet.szHost), "first");
    }
};

QTEST_MAIN(TestEthPortCfgDlg)
#include "tst_ethportcfgdlg.moc"
