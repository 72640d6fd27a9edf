// Port failures the user must hear about, through the real window: a device
// that refuses the open (no permission, in use) is named in the status bar,
// and a write that fails in the background gives the send button back.
#include "viewsandbox.h"

#include "faultdevice.h"
#include "port/devicemap.h"
#include "port/porterror.h"
#include "port/serialport.h"
#include "port/usbport.h"
#include "ptypair.h"
#include "realport.h"
#include "support/fakeusbdevice.h"

#include <QTableWidget>

#include <cerrno>
#include <grp.h>
#include <unistd.h>

using namespace ViewText;

class TestPortFaults : public CViewTestCase
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        CViewTestCase::cleanup();
        ClearDeviceOverrides();
    }

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
        QCOMPARE(m_framed->StatusText(), expected);
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(m_framed->OpenButton()->isEnabled());
    }

    // EINVAL after the first bytes went out: the write ends, the port stays.
    void writeFailingInTheBackgroundEnablesSendAgain()
    {
        CPtyPair pty;
        QVERIFY(pty.IsValid());
        SetDeviceOverride("COM1", pty.SlavePath());
        CFaultDevices faults;
        faults.With([](auto &s) {
            s.writeError = EINVAL;
            s.passBytes = 10;
        });
        Start([&](PortKind) { return std::make_unique<CSerialPort>(faults); });
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, kPortWaitMs);
        QPushButton *send = m_framed->Button(ViewId::kSend);
        m_framed->SendBox()->setPlainText(QString(100, u'x'));
        QTest::mouseClick(send, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(send->isEnabled(), kPortWaitMs);
        QVERIFY(m_framed->View()->HasPort());
        faults.With([](auto &s) { s.writeError = 0; });
        m_framed->SendBox()->setPlainText(QStringLiteral("next"));
        QTest::mouseClick(send, Qt::LeftButton);
        QByteArray got;
        QVERIFY(QTest::qWaitFor(
            [&] {
                got += ReadAvailable(pty.MasterFd());
                return got.size() >= 14;
            },
            kPortWaitMs));
        QCOMPARE(got, QByteArray(10, 'x') + "next");
        QTRY_VERIFY_WITH_TIMEOUT(send->isEnabled(), kPortWaitMs);
    }
};

QTEST_MAIN(TestPortFaults)
#include "tst_portfaults.moc"
