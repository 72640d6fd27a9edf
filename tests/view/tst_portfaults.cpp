// Port failures the user must hear about, through the real window: a device
// that refuses the open (no permission, in use) is named in the status bar.
#include "viewsandbox.h"

#include "port/porterror.h"
#include "port/usbport.h"
#include "realport.h"
#include "support/fakeusbdevice.h"

#include <grp.h>

using namespace ViewText;

class TestPortFaults : public CViewTestCase
{
    Q_OBJECT

private slots:
    void refusedOpenNamesTheDevice_data()
    {
        QTest::addColumn<uint>("error");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no permission")
            << uint(kPortErrAccessDenied) << QStringLiteral(" 权限不足：%1 属于 dialout 组");
        QTest::newRow("held by usblp")
            << uint(kPortErrBusy) << QStringLiteral(" 端口正被其他程序占用：%1");
        QTest::newRow("locked") << uint(kPortErrSharingViolation)
                                << QStringLiteral(" 端口正被其他程序占用：%1");
        QTest::newRow("gone") << uint(kPortErrFileNotFound) << QString();
    }
    void refusedOpenNamesTheDevice()
    {
        QFETCH(uint, error);
        QFETCH(QString, reason);
        const group *dialout = ::getgrnam("dialout");
        QVERIFY(dialout);
        const std::string device = TestFile("usblp stand-in");
        QCOMPARE(::chown(device.c_str(), 0, dialout->gr_gid), 0);
        SetDeviceOverride(UsbDeviceName(0), device);
        CFakeUsbDevices devices{{0}};
        devices.With([&](auto &s) { s.openError = error; });
        PanelProviders providers;
        providers.usbDevices = [] { return std::vector<int>{0}; };
        Start([&](PortKind) { return std::make_unique<CUsbPort>(devices); }, providers);
        m_framed->SelectKind(PortKind::Usb);
        auto *list = FindPanelControl<QTableWidget>(m_framed->Panel(), kUsbListId);
        QVERIFY(list && list->rowCount() == 1);
        list->selectRow(0);
        m_framed->ClickOpenClose();
        QVERIFY(!m_framed->View()->HasPort());
        const QString expected =
            reason.isEmpty() ? kOpenFailed : kOpenFailed + reason.arg(device.c_str());
        QCOMPARE(ErrorText(), expected);
        QVERIFY(m_framed->OpenButton()->isEnabled());
    }
};

QTEST_MAIN(TestPortFaults)
#include "tst_portfaults.moc"
