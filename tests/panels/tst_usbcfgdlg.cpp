// The USB panel: row order, selection, the once-a-second refresh and the
// device number read back from a row.
#include "usbcfgdlg.h"

#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <memory>

namespace {

QStringList Rows(const QWidget *panel)
{
    auto *list = FindPanelControl<QTableWidget>(panel, kUsbListId);
    QStringList rows;
    for (int row = 0; row < list->rowCount(); ++row)
        rows << list->item(row, 0)->text();
    return rows;
}

// Providers whose device table the test changes while the panel runs.
PanelProviders DevicesFrom(const std::shared_ptr<std::vector<int>> &devices)
{
    PanelProviders providers;
    providers.usbDevices = [devices] { return *devices; };
    return providers;
}

} // namespace

class TestUsbCfgDlg : public QObject
{
    Q_OBJECT

private slots:
    void rowsListFirstDeviceThenOthersReversed()
    {
        auto devices = std::make_shared<std::vector<int>>(std::vector<int>{0, 1, 2});
        CUsbCfgDlg panel(DevicesFrom(devices));
        QCOMPARE(Rows(&panel), QStringList({"QX-USB-Port 0", "QX-USB-Port 2", "QX-USB-Port 1"}));
        const PanelRowSelection chosen = panel.SelectedRow();
        QCOMPARE(chosen.state, RowChoice::Selected);
        QCOMPARE(chosen.text, "QX-USB-Port 0");
        QCOMPARE(CUsbCfgDlg::DeviceNumberOf(chosen.text), 0);
        QCOMPARE(CUsbCfgDlg::DeviceNumberOf("QX-USB-Port 17"), 17);
    }

    void tableEndsAtFirstNegativeOrAfter32()
    {
        auto devices = std::make_shared<std::vector<int>>(std::vector<int>{3, -1, 4});
        CUsbCfgDlg panel(DevicesFrom(devices));
        QCOMPARE(Rows(&panel), QStringList{"QX-USB-Port 3"});

        devices->assign(40, 7);
        panel.RefreshDevices();
        QCOMPARE(Rows(&panel).size(), 32);
    }

    void emptyListAndMissingChoiceAreTold()
    {
        auto devices = std::make_shared<std::vector<int>>();
        CUsbCfgDlg panel(DevicesFrom(devices));
        QCOMPARE(panel.SelectedRow().state, RowChoice::EmptyList);

        devices->assign({5, 6});
        panel.RefreshDevices();
        FindPanelControl<QTableWidget>(&panel, kUsbListId)->clearSelection();
        QCOMPARE(panel.SelectedRow().state, RowChoice::NoSelection);
    }

    void refreshTickReselectsFirstRowAndRereadsDevices()
    {
        auto devices = std::make_shared<std::vector<int>>(std::vector<int>{0, 1, 2});
        CUsbCfgDlg panel(DevicesFrom(devices));
        FindPanelControl<QTableWidget>(&panel, kUsbListId)->selectRow(2);
        QCOMPARE(panel.SelectedRow().text, "QX-USB-Port 1");

        QTest::qWait(CUsbCfgDlg::kRefreshMs + 200);
        QCOMPARE(panel.SelectedRow().text, "QX-USB-Port 0");

        devices->assign({9});
        QTRY_COMPARE_WITH_TIMEOUT(Rows(&panel), QStringList{"QX-USB-Port 9"},
                                  CUsbCfgDlg::kRefreshMs + 500);
    }

    void refreshButtonRereadsAtOnce()
    {
        auto devices = std::make_shared<std::vector<int>>(std::vector<int>{1});
        CUsbCfgDlg panel(DevicesFrom(devices));
        panel.show();
        devices->assign({4, 8});
        QTest::mouseClick(FindPanelControl<QPushButton>(&panel, kUsbRefreshId), Qt::LeftButton);
        QCOMPARE(Rows(&panel), QStringList({"QX-USB-Port 4", "QX-USB-Port 8"}));
    }
};

QTEST_MAIN(TestUsbCfgDlg)
#include "tst_usbcfgdlg.moc"
