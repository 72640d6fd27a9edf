// Port kind, open and close, the open result, a lost port and the send button
// as the view's write lock, driven through the real frame and view with a
// port that answers on command; the USB kind's reading on a fake device.
#include "fakeport.h"
#include "viewsandbox.h"

#include "fakeusbdevice.h"
#include "usbcfgdlg.h"
#include "usbport.h"

#include <QAction>
#include <QCheckBox>
#include <QTableWidget>

#include <cstring>

using namespace ViewText;

namespace {
template <typename Record> Record RecordOf(const QByteArray &bytes)
{
    Record record{};
    std::memcpy(&record, bytes.constData(), std::min<size_t>(sizeof record, bytes.size()));
    return record;
}

PanelProviders UsbDevices(std::vector<int> devices)
{
    PanelProviders providers;
    providers.usbDevices = [devices] { return devices; };
    return providers;
}
} // namespace

class TestOpenClose : public CViewTestCase
{
    Q_OBJECT

private slots:
    void init()
    {
        CViewTestCase::init();
        m_log = {};
        m_port = nullptr;
        m_acceptOpen = true;
    }

    // closed -> opening -> open -> closed, with the captions, states and texts.
    void openAndCloseSerial()
    {
        StartFake();
        m_framed->ClickOpenClose();
        QCOMPARE(m_log.created, 1);
        const auto record = RecordOf<tagSERIAL_CFG>(m_log.lastSettings);
        QCOMPARE(record.dwPort, 1u);
        QCOMPARE(record.dwBaudRate, 9600u);
        QCOMPARE(record.byDataBits, 8);
        QCOMPARE(record.dwFlowCtrl, 1u);
        QCOMPARE(record.dwMarker, kCfgMarkerValid);
        QCOMPARE(m_log.owner, m_framed->View());
        // Opening: nothing may touch the port until its result arrives.
        QVERIFY(!Open()->isEnabled());
        QCOMPARE(Open()->text(), kOpenCaption);
        QVERIFY(!Send()->isEnabled());

        m_port->RaiseOpenResult(0);
        QTRY_COMPARE(Open()->text(), kCloseCaption);
        QVERIFY(Send()->isEnabled());
        QVERIFY(!m_framed->Button(ViewId::kSendFile)->isEnabled()); // no file chosen
        QVERIFY(m_framed->Frame().Messenger()->IsClearPending());

        m_framed->ClickOpenClose();
        QCOMPARE(m_log.closed, 1);
        QCOMPARE(m_framed->StatusText(), kClosed);
    }

    void openFails_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("closed");
        QTest::newRow("refused by the port") << false << 0;
        QTest::newRow("result with an error") << true << 1;
    }
    void openFails()
    {
        QFETCH(bool, accept);
        m_acceptOpen = accept;
        StartFake();
        m_framed->ClickOpenClose();
        QCOMPARE(m_log.created, 1);
        if (accept)
            m_port->RaiseOpenResult(10061);
        QTRY_VERIFY(Open()->isEnabled());
        QVERIFY(!m_framed->View()->HasPort());
        QTEST(m_log.closed, "closed");
        QCOMPARE(Open()->text(), kOpenCaption);
        QVERIFY(!Send()->isEnabled());
        QCOMPARE(m_framed->StatusText(), kOpenFailed);
        QVERIFY(m_framed->StatusIsError());
        QCOMPARE(m_framed->View()->OnSendData(QByteArray("\x1b@", 2)), 0);
    }

    // The view forgets its port before closing it: a loss the close itself
    // reports on this thread must not close the port a second time.
    void lossReportedWhileClosingIsIgnored()
    {
        StartFake();
        OpenWithResult(0);
        m_port->SetLostOnClose();
        m_framed->ClickOpenClose();
        QCOMPARE(m_log.closed, 1);
        QVERIFY(!m_framed->View()->HasPort());
        QCOMPARE(m_framed->StatusText(), kClosed);
        QVERIFY(m_framed->StatusIsHint());
    }

    void kindChangeWhileOpenCloses()
    {
        StartFake();
        OpenWithResult(0);
        m_framed->SelectKind(PortKind::Network);
        QVERIFY(!m_framed->View()->HasPort());
        QCOMPARE(m_log.closed, 1);
        QCOMPARE(m_framed->StatusText(), kClosed);
        QVERIFY(m_framed->StatusIsHint());
        QVERIFY(qobject_cast<CEthPortCfgDlg *>(m_framed->Panel()));
        QCOMPARE(m_framed->View()->findChildren<CPortCfgPanel *>().size(), 1);
        QCOMPARE(Open()->text(), kOpenCaption);
    }

    // A port closed before its open result arrives leaves the view closed and
    // usable; a late result for the port that is gone changes nothing.
    void closeRequestWhileOpening()
    {
        StartFake();
        m_framed->ClickOpenClose();
        QVERIFY(!Open()->isEnabled());
        QCOMPARE(m_framed->View()->OnViewRequest(CTarvikView::kRequestClosePort, 1, {}), 1);
        QVERIFY(!m_framed->View()->HasPort());
        QVERIFY(Open()->isEnabled());
        QCOMPARE(m_framed->StatusText(), kClosed);

        CFakePortLog lateLog;
        CFakePort late(lateLog, 1, true);
        late.OpenPort(m_framed->View(), 1, 0, 0);
        late.RaiseOpenResult(0);
        QTest::qWait(20);
        QCOMPARE(Open()->text(), kOpenCaption);
        QVERIFY(!Send()->isEnabled());
        QCOMPARE(m_framed->StatusText(), kClosed);
    }

    void usbEmptyListOpensNothing()
    {
        StartFake();
        m_framed->SelectKind(PortKind::Usb);
        const QString before = m_framed->StatusText();
        m_framed->ClickOpenClose();
        QCOMPARE(m_log.created, 0);
        QCOMPARE(m_framed->StatusText(), before);
        QVERIFY(Open()->isEnabled());
    }

    void usbWithoutSelectionAsksForOne()
    {
        StartFake(UsbDevices({0, 1}));
        m_framed->SelectKind(PortKind::Usb);
        auto *list = FindPanelControl<QTableWidget>(m_framed->Panel(), kUsbListId);
        QVERIFY(list);
        list->clearSelection();
        m_framed->ClickOpenClose();
        QCOMPARE(m_log.created, 0);
        QCOMPARE(m_framed->StatusText(), QStringLiteral("请先从列表中选择一个端口！"));
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(!m_framed->Frame().Messenger()->IsClearPending());
    }

    // USB starts with receiving off; every other kind opens with it on again.
    void usbOpensPausedAndReopenResumes()
    {
        StartFake(UsbDevices({5}));
        m_framed->SelectKind(PortKind::Usb);
        OpenWithResult(0);
        QCOMPARE(m_log.usbPath, QByteArray("\\\\.\\QXUSB-5"));
        auto *pause = m_framed->Button(ViewId::kPauseRecv);
        QCOMPARE(pause->text(), QStringLiteral("继续接收"));

        m_framed->SelectKind(PortKind::Parallel);
        QCOMPARE(pause->text(), QStringLiteral("继续接收"));
        OpenWithResult(0);
        QCOMPARE(pause->text(), QStringLiteral("暂停接收"));
        const auto record = RecordOf<tagPARALLEL_CFG>(m_log.lastSettings);
        QCOMPARE(record.dwPort, 1u);
        QCOMPARE(record.dwMarker, kCfgMarkerValid);
    }

    void noPrinterDisablesOpenUntilKindChange()
    {
        StartFake();
        m_framed->SelectKind(PortKind::Printer);
        QTRY_VERIFY(!Open()->isEnabled());
        m_framed->SelectKind(PortKind::Serial);
        QVERIFY(Open()->isEnabled());
    }

    void sendLocksUntilWriteDoneAndCountsThen()
    {
        OpenForWrites();
        Send()->click();
        QCOMPARE(m_log.writes, QList<QByteArray>{"abc"});
        QVERIFY(!Send()->isEnabled());
        QVERIFY(!m_framed->Frame().CommandAction(CMainFrame::ID_OPERATION_SEND)->isEnabled());
        QCOMPARE(SendCount(), QStringLiteral("0"));
        // Ctrl+S still reaches the send operation; the port decides about a second write.
        m_framed->Frame().CommandAction(CMainFrame::IDC_SEND_BUTTON)->trigger();
        QCOMPARE(m_log.writes.size(), 2);

        m_port->RaiseWriteDone();
        QTRY_VERIFY(Send()->isEnabled());
        QVERIFY(Send()->hasFocus());
        QTRY_COMPARE(SendCount(), QStringLiteral("3"));
        // The command strip's bytes go out as given.
        QCOMPARE(m_framed->View()->OnSendData(QByteArray("\x00\xFF", 2)), 1);
        QCOMPARE(m_log.writes.last(), QByteArray("\x00\xFF", 2));
        QCOMPARE(m_framed->View()->OnSendData("again"), 0); // locked until write done
    }

    void refusedWriteReportsUnlocksAndDropsTheCount()
    {
        m_log.acceptWrites = false;
        OpenForWrites();
        Send()->click();
        QCOMPARE(m_log.writes.size(), 1);
        QCOMPARE(m_framed->StatusText(), QStringLiteral("数据发送失败！"));
        QVERIFY(m_framed->StatusIsError());
        QVERIFY(Send()->isEnabled());
        m_port->RaiseWriteDone(); // a stray report counts nothing
        QTest::qWait(20);
        QCOMPARE(SendCount(), QStringLiteral("0"));
    }

    // A write that completes while a file is being sent leaves the send
    // button to the end of the transfer.
    void writeDoneDuringAFileTransferKeepsSendLocked()
    {
        OpenForWrites();
        Send()->click();
        const QString file = m_sandbox->WorkDir() + QStringLiteral("/job.prn");
        QVERIFY(WriteFileBytes(file, "job"));
        m_framed->View()->SetOpenFileChooser([file](const QString &) { return file; });
        m_framed->Button(ViewId::kSelectFile)->click();
        m_framed->Button(ViewId::kSendFile)->click();
        QCOMPARE(m_framed->Button(ViewId::kSendFile)->text(), QStringLiteral("暂停"));

        m_port->RaiseWriteDone();
        QTRY_COMPARE(SendCount(), QStringLiteral("3")); // the write itself is done
        QVERIFY(!Send()->isEnabled());
        m_port->RaiseFileDone();
        QTRY_VERIFY(Send()->isEnabled());
        QCOMPARE(m_framed->Button(ViewId::kSendFile)->text(), QStringLiteral("发送"));
    }

    void shortUsbWriteShowsAMessageBox()
    {
        OpenForWrites();
        MessageBoxWatcher catcher;
        m_port->RaiseShortWrite();
        QTRY_COMPARE(catcher.Texts(), QStringList{QStringLiteral("发送错误!")});
    }

    // The port library's USB port on a fake device: the device is asked for
    // data only while receiving is continued.
    void usbDeviceIsReadOnlyWhileContinued()
    {
        m_usbDevices = std::make_unique<CFakeUsbDevices>();
        CFakeUsbDevices &fake = *m_usbDevices;
        Start(
            [&fake](PortKind kind) -> std::unique_ptr<CPortEx> {
                if (kind == PortKind::Usb)
                    return std::make_unique<CUsbPort>(fake);
                return CTarvikView::CreateSystemPort(kind);
            },
            UsbDevices({0}));
        m_framed->SelectKind(PortKind::Usb);
        QPushButton *pause = m_framed->Button(ViewId::kPauseRecv);
        const auto readRequests = [&fake] {
            return fake.With([](auto &s) { return s.readRequests; });
        };
        // More than two polls of the port's reader, which asks once a second.
        constexpr int kTwoPollsMs = 2500;
        fake.With([](auto &s) { s.incoming = "hello"; });
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->StatusText(), kOpened, kPortWaitMs);
        QTest::qWait(kTwoPollsMs);
        QCOMPARE(readRequests(), 0);
        QCOMPARE(m_framed->RecvBox()->toPlainText(), QString());

        QTest::mouseClick(pause, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->RecvBox()->toPlainText(), QStringLiteral("hello"),
                                  kPortWaitMs);
        QTest::mouseClick(pause, Qt::LeftButton);
        QCOMPARE(pause->text(), QStringLiteral("继续接收"));
        const int requestsWhenPaused = readRequests();
        fake.With([](auto &s) { s.incoming = "more"; });
        QTest::qWait(kTwoPollsMs);
        QCOMPARE(readRequests(), requestsWhenPaused);
        QCOMPARE(m_framed->RecvBox()->toPlainText(), QStringLiteral("hello"));

        QTest::mouseClick(pause, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->RecvBox()->toPlainText(), QStringLiteral("hellomore"),
                                  kPortWaitMs);
    }

private:
    void StartFake(const PanelProviders &providers = {})
    {
        auto factory = [this](PortKind kind) {
            auto port = std::make_unique<CFakePort>(m_log, int(kind) + 1, m_acceptOpen);
            m_port = port.get();
            return port;
        };
        Start(factory, providers);
    }
    // Serial, open, "abc" in the send box, sent bytes counted.
    void OpenForWrites()
    {
        StartFake();
        OpenWithResult(0);
        m_framed->SendBox()->setPlainText(QStringLiteral("abc"));
        m_framed->Find<QCheckBox>(ViewId::kCountSend)->setChecked(true);
    }
    QString SendCount() const { return m_framed->Find<QLineEdit>(ViewId::kSendCount)->text(); }
    void OpenWithResult(uint16_t error)
    {
        m_framed->ClickOpenClose();
        QVERIFY(m_port);
        m_port->RaiseOpenResult(error);
        QTRY_VERIFY(Open()->isEnabled());
    }
    QPushButton *Open() const { return m_framed->OpenButton(); }
    QPushButton *Send() const { return m_framed->Button(ViewId::kSend); }

    CFakePortLog m_log;
    std::unique_ptr<CFakeUsbDevices> m_usbDevices; // outlives the view's port
    CFakePort *m_port = nullptr;                   // the last port made; owned by the view
    bool m_acceptOpen = true;
};

QTEST_MAIN(TestOpenClose)
#include "tst_openclose.moc"
