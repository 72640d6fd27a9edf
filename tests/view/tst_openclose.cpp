// Open and close, the open result, a lost port, the send button as the
// view's write lock, the send box's Hex check box and the start and end of a
// file transfer, driven through the real frame and view with a port that
// answers on command.
#include "fakeport.h"
#include "viewsandbox.h"

using namespace ViewText;

class TestOpenClose : public CViewTestCase
{
    Q_OBJECT

private slots:
    // Refused by the port, or a result with an error.
    void openFails()
    {
        for (const auto &[accept, closed] : {std::pair{false, 0}, std::pair{true, 1}}) {
            StartFake(accept);
            m_framed->ClickOpenClose();
            if (accept)
                m_port->RaiseOpenResult(10061);
            QTRY_VERIFY(Open()->isEnabled());
            QVERIFY(!m_framed->View()->HasPort());
            QCOMPARE(std::pair(m_log.created, m_log.closed), std::pair(1, closed));
            QCOMPARE(Open()->text(), kOpenCaption);
            QVERIFY(!Send()->isEnabled());
            QCOMPARE(ErrorText(), kOpenFailed);
            QCOMPARE(m_framed->View()->OnSendData(QByteArray("\x1b@", 2)), 0);
        }
    }

    void networkOpenFailureNamesTheCause_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("port"); // "closed": a loopback port nobody listens on
        QTest::addColumn<QString>("cause");
        QTest::addRow("refused") << QString("127.0.0.1") << "closed"
                                 << QString("连接被拒绝：127.0.0.1 端口 %1");
        QTest::addRow("unknown host") << QString("no-such-host.invalid") << "9100"
                                      << QString("找不到主机：no-such-host.invalid");
        QTest::addRow("no host") << QString() << "9100" << QString("未填写计算机名或 IP 地址");
        QTest::addRow("no port") << QString("127.0.0.1") << QString() << "未填写端口号";
    }

    // The real network kind: the status bar says why, after the generic text.
    void networkOpenFailureNamesTheCause()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(QString, cause);
        if (port == u"closed") {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost, 0));
            port = QString::number(closed.serverPort());
            cause = cause.arg(port);
        }
        Start();
        m_framed->SelectKind(PortKind::Network);
        m_framed->TypeNetworkTarget(host, port);
        m_framed->ClickOpenClose();
        QTRY_VERIFY(Open()->isEnabled());
        QTRY_COMPARE(ErrorText(), kOpenFailed + u' ' + cause);
        QVERIFY(!m_framed->View()->HasPort());
    }

    // Nothing to open: the status bar says so, the empty list says so, and
    // receiving keeps its state.
    void usbWithoutDevicesSaysSoAndKeepsReceiving()
    {
        auto devices = std::make_shared<std::vector<int>>();
        PanelProviders providers;
        providers.usbDevices = [devices] { return *devices; };
        Start({}, providers);
        m_framed->SelectKind(PortKind::Usb);
        const QString receiving = Button(ViewId::kPauseRecv)->text();
        m_framed->ClickOpenClose();
        QCOMPARE(ErrorText(), QStringLiteral("未找到 USB 打印机，请连接打印机后再打开端口"));
        QCOMPARE(Button(ViewId::kPauseRecv)->text(), receiving);
        QVERIFY(!m_framed->View()->HasPort());
        auto *note = m_framed->Panel()->findChild<QLabel *>(QStringLiteral("emptyNote"));
        QVERIFY(note && note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("未找到 USB 打印机"));
        devices->push_back(3);
        QTRY_VERIFY(!note->isVisible());
    }

    // A kind that reads only when asked (USB) learns of every pause and continue.
    void pauseAndContinueSwitchThePortsReceiving()
    {
        OpenFake();
        for (int click = 0; click < 3; ++click)
            Button(ViewId::kPauseRecv)->click();
        QCOMPARE(m_log.receiveSwitch, (QList<bool>{false, true, false}));
    }

    // The view forgets its port before closing it: a loss the close itself
    // reports on this thread must not close the port a second time.
    void lossReportedWhileClosingIsIgnored()
    {
        OpenFake();
        m_port->SetLostOnClose();
        m_framed->ClickOpenClose();
        QCOMPARE(m_log.closed, 1);
        QVERIFY(!m_framed->View()->HasPort());
        QCOMPARE(HintText(), kClosed);
    }

    // A port closed before its open result arrives leaves the view closed and
    // usable; a late result for the port that is gone changes nothing.
    void closeRequestWhileOpening()
    {
        StartFake();
        m_framed->ClickOpenClose();
        QVERIFY(!Open()->isEnabled());
        QCOMPARE(m_framed->View()->OnViewRequest(kRequestClosePort, 1, {}), 1);
        QVERIFY(!m_framed->View()->HasPort());
        QVERIFY(Open()->isEnabled());
        QCOMPARE(StatusText(), kClosed);

        CFakePortLog lateLog;
        CFakePort late(lateLog, 1, true);
        late.OpenPort(m_framed->View(), 1, 0, 0);
        late.RaiseOpenResult(0);
        QTest::qWait(20);
        QCOMPARE(Open()->text(), kOpenCaption);
        QVERIFY(!Send()->isEnabled());
        QCOMPARE(StatusText(), kClosed);
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

        m_port->Raise(kPortWriteDone);
        QTRY_VERIFY(Send()->isEnabled());
        QVERIFY(Send()->hasFocus());
        QTRY_COMPARE(SendCount(), QStringLiteral("3"));
        // The command strip's bytes go out as given.
        QCOMPARE(m_framed->View()->OnSendData(QByteArray("\x00\xFF", 2)), 1);
        QCOMPARE(m_log.writes.last(), QByteArray("\x00\xFF", 2));
        QCOMPARE(m_framed->View()->OnSendData("again"), 0); // locked until write done
    }

    // A write that completes while a file is being sent leaves the send
    // button to the end of the transfer.
    void writeDoneDuringAFileTransferKeepsSendLocked()
    {
        OpenForFiles();
        Send()->click();
        FileButton()->click();
        QCOMPARE(FileButton()->text(), QStringLiteral("暂停"));

        m_port->Raise(kPortWriteDone);
        QTRY_COMPARE(SendCount(), QStringLiteral("3")); // the write itself is done
        QVERIFY(!Send()->isEnabled());
        m_port->Raise(kPortFileDone);
        QTRY_VERIFY(Send()->isEnabled());
        QCOMPARE(FileButton()->text(), QStringLiteral("发送"));
    }

    // A write the port refuses unlocks the send button and counts nothing;
    // a short USB write is reported in a box.
    void refusedAndShortWritesAreReported()
    {
        OpenForWrites();
        m_log.acceptWrites = false;
        Send()->click();
        QCOMPARE(m_log.writes.size(), 1);
        QCOMPARE(ErrorText(), QStringLiteral("数据发送失败！"));
        QVERIFY(Send()->isEnabled());
        m_port->Raise(kPortWriteDone); // a stray report counts nothing
        QTest::qWait(50);
        QCOMPARE(SendCount(), QStringLiteral("0"));

        MessageBoxWatcher catcher;
        m_port->Raise(kPortUsbWriteShort);
        QTRY_COMPARE(catcher.Texts(), QStringList{QStringLiteral("发送错误!")});
    }

    // With Control held the click only declares the notation; a plain click
    // converts, and a switch that cannot convert keeps the box and its check
    // box in hex with the bad character selected, and says so as an error.
    void hexCheckBoxDeclaresOrConverts()
    {
        OpenForWrites();
        CEditEx *box = SendBox();
        auto *hex = Find<QCheckBox>(ViewId::kHexSend);
        box->setPlainText(QStringLiteral("31 32"));
        QTest::mouseClick(hex, Qt::LeftButton, Qt::ControlModifier);
        QVERIFY(hex->isChecked() && box->m_bHex);
        QCOMPARE(box->toPlainText(), QStringLiteral("31 32"));
        Send()->click();
        QCOMPARE(m_log.writes.last(), QByteArray("12"));

        QTest::mouseClick(hex, Qt::LeftButton);
        QVERIFY(!hex->isChecked() && !box->m_bHex);
        QCOMPARE(box->toPlainText(), QStringLiteral("12"));
        QTest::mouseClick(hex, Qt::LeftButton);
        box->setPlainText(QStringLiteral("4G 41"));
        QTest::mouseClick(hex, Qt::LeftButton);
        QVERIFY(hex->isChecked() && box->m_bHex);
        QCOMPARE(box->toPlainText(), QStringLiteral("4G 41"));
        QCOMPARE(box->textCursor().selectedText(), QStringLiteral("G"));
        QCOMPARE(ErrorText(), LoadString(IDS_HEX_INPUT_ERROR));
    }

    // A lost port and a failed transfer both end the transfer's display; only
    // the lost port takes the send buttons with it.
    void transferEndsIdle()
    {
        const std::pair<uint16_t, QString> ends[] = {
            {kPortLost, kClosed}, {kPortFileFailed, LoadString(IDS_FILE_SEND_ERROR)}};
        for (const auto &[code, status] : ends) {
            OpenForFiles();
            FileButton()->click();
            QCOMPARE(FileButton()->text(), LoadString(IDS_PAUSE));
            QVERIFY(!Send()->isEnabled());
            m_port->Raise(code);
            QTRY_COMPARE(FileButton()->text(), LoadString(IDS_SEND));
            QCOMPARE(StatusText(), status);
            QVERIFY(!Button(ViewId::kStopFile)->isEnabled());
            QVERIFY(m_framed->Frame().StatusBar()->CommandToIndex(IDS_PROGRESS_PANE) < 0);
            const bool lost = code == kPortLost;
            QCOMPARE(m_framed->View()->HasPort(), !lost);
            QCOMPARE(Send()->isEnabled(), !lost);
            QCOMPARE(FileButton()->isEnabled(), !lost);
        }
    }

    void badCountOrIntervalStartsNothing_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        const QString count = "发送次数输入不正确！";
        QTest::addRow("count 0") << ViewId::kFileRepeat << "0" << count;
        QTest::addRow("count abc") << ViewId::kFileRepeat << "abc" << count;
        QTest::addRow("count empty") << ViewId::kFileRepeat << "" << count;
        const QString interval = LoadString(IDS_FILE_COUNT_INVALID);
        QTest::addRow("interval -5abc") << ViewId::kFileInterval << "-5abc" << interval;
        QTest::addRow("interval abc") << ViewId::kFileInterval << "abc" << interval;
    }

    // Each field has its own message; the user is put into the field.
    void badCountOrIntervalStartsNothing()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        OpenForFiles();
        auto *edit = Find<QLineEdit>(field);
        edit->setText(text);
        FileButton()->click();
        QCOMPARE(m_log.transfersStarted, 0);
        QCOMPARE(ErrorText(), message);
        QCOMPARE(edit->selectedText(), text);
        QTRY_VERIFY(edit->hasFocus());
        QCOMPARE(FileButton()->text(), LoadString(IDS_SEND));
        QVERIFY(Send()->isEnabled());
    }

    // The count reaches the reset rule: a negative count repeats until
    // stopped and is a single send for it. The capture log names each start.
    void passCounterFollowsTheResetRule()
    {
        OpenForFiles();
        const QString log = m_sandbox->Path(QStringLiteral("capture.log"));
        m_framed->View()->SetSaveFileChooser([log](const QString &) { return log; });
        m_framed->View()->findChild<QComboBox *>(QStringLiteral("captureForm"))->setCurrentIndex(1);
        m_framed->View()->findChild<QCheckBox *>(QStringLiteral("captureLog"))->click();
        // The count typed, the passes done, the counter at the start and at the end.
        const std::tuple<QString, int, QString, QString> starts[] = {
            {"1", 1, "0", "1"}, {"-2", 2, "1", "3"}, {"3", 3, "0", "3"}};
        for (const auto &[count, passes, atStart, atEnd] : starts) {
            Find<QLineEdit>(ViewId::kFileRepeat)->setText(count);
            FileButton()->click();
            QCOMPARE(std::pair(count, FileCounter()), std::pair(count, atStart));
            for (int pass = 0; pass < passes; ++pass)
                m_port->Raise(kPortFilePassDone);
            m_port->Raise(kPortFileDone);
            QTRY_COMPARE(FileButton()->text(), LoadString(IDS_SEND));
            QCOMPARE(std::pair(count, FileCounter()), std::pair(count, atEnd));
        }
        QCOMPARE(m_log.transfersStarted, 3);
        Button(ViewId::kClearFileCounter)->click();
        QCOMPARE(FileCounter(), QStringLiteral("0"));
        m_framed->ClickOpenClose();
        const QString notes = QString::fromUtf8(FileBytes(log));
        for (const QString passes : {"（1 遍）", "（反复发送，直到停止）", "（3 遍）"})
            QVERIFY2(notes.contains(passes), qPrintable(notes));
    }

private:
    // The window with a fresh log; its ports open as `acceptOpen` says.
    void StartFake(bool acceptOpen = true)
    {
        m_log = {};
        m_port = nullptr;
        Start([this, acceptOpen](PortKind kind) {
            auto port = std::make_unique<CFakePort>(m_log, int(kind) + 1, acceptOpen);
            m_port = port.get();
            return port;
        });
    }
    // Serial, the open result a success.
    void OpenFake()
    {
        StartFake();
        m_framed->ClickOpenClose();
        QVERIFY(m_port);
        m_port->RaiseOpenResult(0);
        QTRY_VERIFY(Open()->isEnabled());
    }
    // Open, "abc" in the send box, sent bytes counted.
    void OpenForWrites()
    {
        OpenFake();
        SendBox()->setPlainText(QStringLiteral("abc"));
        Find<QCheckBox>(ViewId::kCountSend)->setChecked(true);
    }
    // Open, with a file chosen for sending.
    void OpenForFiles()
    {
        OpenForWrites();
        m_framed->ChooseFile(WriteFile("job.prn", "job"));
        QVERIFY(FileButton()->isEnabled());
    }
    QPushButton *FileButton() const { return Button(ViewId::kSendFile); }
    QString FileCounter() const { return Find<QLineEdit>(ViewId::kFileCounter)->text(); }
    QString SendCount() const { return Find<QLineEdit>(ViewId::kSendCount)->text(); }
    QPushButton *Open() const { return m_framed->OpenButton(); }
    QPushButton *Send() const { return Button(ViewId::kSend); }

    CFakePortLog m_log;
    CFakePort *m_port = nullptr; // the last port made; owned by the view
};

QTEST_MAIN(TestOpenClose)
#include "tst_openclose.moc"
