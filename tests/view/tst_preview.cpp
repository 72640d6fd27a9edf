// The receipt preview window against a loopback peer: what the port writes
// is rendered off the window thread onto the "已发送" roll exactly as the
// renderer library prints it, "预览发送区" renders without writing a byte,
// clearing starts a new roll, the report names a command's offset and a row
// selects its bytes in the send box. The tap under it is bounded: a reader
// that falls behind loses bytes, counted, never the writer's time.
#include "language.h"
#include "port/writetap.h"
#include "receipt/receiptprinter.h"
#include "usercmd/usercommandview.h"
#include "view/parts/previewpart.h"
#include "view/preview/previewrenderer.h"
#include "view/preview/previewroll.h"
#include "view/preview/previewwindow.h"
#include "viewsandbox.h"

#include <QProcess>
#include <QScrollArea>

namespace {

const QString kSampleReceipt = QStringLiteral("打印示例小票");
const QString kGreeting = QStringLiteral("打印问候");
const QString kInitialise = QStringLiteral("初始化");
constexpr int kRenderWaitMs = 20000; // the live renderer runs at idle priority

QImage LibraryImage(const QByteArray &bytes, int index = 0,
                    int width = Receipt::CReceiptPrinter::kPaper80)
{
    const std::vector<Receipt::Receipt> receipts = Receipt::RenderReceipts(bytes, width);
    return std::size_t(index) < receipts.size() ? receipts[std::size_t(index)].image : QImage();
}

int LibraryCount(const QByteArray &bytes)
{
    return int(Receipt::RenderReceipts(bytes, Receipt::CReceiptPrinter::kPaper80).size());
}

bool SameDots(const QImage &a, const QImage &b)
{
    return !a.isNull() && a.convertToFormat(QImage::Format_Mono) ==
                              b.convertToFormat(QImage::Format_Mono, a.colorTable());
}

// The roll shows one receipt, printed as the library prints `bytes`.
bool ShowsOnly(const CPreviewRoll *roll, const QByteArray &bytes)
{
    return roll->ReceiptCount() == 1 && SameDots(roll->ReceiptImage(0), LibraryImage(bytes));
}

} // namespace

class TestPreview : public CViewTestCase
{
    Q_OBJECT

private slots:
    void sentBytesPrintAsTheLibraryPrintsThem()
    {
        StartDemoWithPreview();
        const QByteArray sample = ClickCommand(kSampleReceipt);
        QCOMPARE(PeerReceives(sample.size()), sample);
        QCOMPARE(LibraryCount(sample), 1);
        CPreviewRoll *roll = Preview()->SentRoll();
        QTRY_VERIFY_WITH_TIMEOUT(ShowsOnly(roll, sample), kRenderWaitMs);
        QCOMPARE(roll->ReportRowCount(), 0);
        // A second one goes under it on the same roll.
        ClickCommand(kSampleReceipt);
        QTRY_COMPARE_WITH_TIMEOUT(roll->ReceiptCount(), 2, kRenderWaitMs);
        QVERIFY(SameDots(roll->ReceiptImage(1), LibraryImage(sample)));
        const QString png = m_sandbox->Path(QStringLiteral("roll.png"));
        QVERIFY(Preview()->SaveShownRoll(png));
        QCOMPARE(QImage(png).height(), 2 * LibraryImage(sample).height() + CPreviewRoll::kCutGap);
    }

    void sendBoxPreviewWritesNothing()
    {
        StartDemoWithPreview();
        QByteArray receipt;
        for (const auto &record : m_framed->View()->CommandStrip()->Records())
            if (record.strName == kSampleReceipt)
                receipt = record.data;
        SendBox()->SetData(ViewOf(receipt), 1);
        Preview()->findChild<QPushButton *>(QStringLiteral("previewSendBox"))->click();
        CPreviewRoll *roll = Preview()->SendBoxRoll();
        QTRY_VERIFY_WITH_TIMEOUT(ShowsOnly(roll, receipt), kRenderWaitMs);
        // The bytes of a command sent now are the first the peer sees.
        const QByteArray initialise = ClickCommand(kInitialise);
        QCOMPARE(PeerReceives(initialise.size()), initialise);
        QCOMPARE(Preview()->SentRoll()->ReceiptCount(), 0);
    }

    void clearStartsANewRoll()
    {
        StartDemoWithPreview();
        const QByteArray greeting = ClickCommand(kGreeting);
        CPreviewRoll *roll = Preview()->SentRoll();
        QTRY_COMPARE_WITH_TIMEOUT(roll->ReceiptCount(), 1, kRenderWaitMs); // not cut yet
        Preview()->findChild<QPushButton *>(QStringLiteral("previewClear"))->click();
        QCOMPARE(roll->ReceiptCount(), 0);
        // Only what follows the clear is on the new roll.
        ClickCommand(kGreeting);
        QCOMPARE(PeerReceives(2 * greeting.size()), greeting + greeting);
        QTRY_VERIFY_WITH_TIMEOUT(ShowsOnly(roll, greeting), kRenderWaitMs);
    }

    void reportNamesTheOffsetAndSelectsTheBytes_data()
    {
        QTest::addColumn<QString>("hexText");
        QTest::addColumn<quint64>("offset");
        QTest::addColumn<QString>("selected");
        QTest::addRow("unknown ESC") << "41 42 1B 99 43 0A" << quint64(2) << "1B 99";
        QTest::addRow("made-up GS") << "41 0A 1D 01 42 0A" << quint64(2) << "1D 01";
    }

    void reportNamesTheOffsetAndSelectsTheBytes()
    {
        QFETCH(QString, hexText);
        QFETCH(quint64, offset);
        QFETCH(QString, selected);
        Start();
        m_framed->Frame().CommandAction(CMainFrame::ID_OPERATION_PREVIEW)->trigger();
        SendBox()->SetHexMode(true);
        SendBox()->SetText(hexText);
        Preview()->findChild<QPushButton *>(QStringLiteral("previewSendBox"))->click();
        auto *report =
            Preview()->SendBoxRoll()->findChild<QTableWidget *>(QStringLiteral("previewReport"));
        QTRY_COMPARE_WITH_TIMEOUT(report->rowCount(), 1, kRenderWaitMs);
        QCOMPARE(report->item(0, 0)->text(), QString::number(offset));
        QCOMPARE(report->item(0, 1)->text(), selected);
        QCOMPARE(report->item(0, 2)->text(), QStringLiteral("未知命令"));
        const QRect cell = report->visualItemRect(report->item(0, 1));
        QTest::mouseClick(report->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(SendBox()->textCursor().selectedText(), selected);
    }

    // 58 mm paper renders at its own width; zoom scales the paper on the
    // screen, not the receipt; copy puts the shown roll on the clipboard.
    void paperZoomAndCopyActOnTheShownRoll()
    {
        Start();
        m_framed->Frame().CommandAction(CMainFrame::ID_OPERATION_PREVIEW)->trigger();
        SendBox()->SetHexMode(true);
        SendBox()->SetText(QStringLiteral("41 42 43 0A"));
        Preview()->findChild<QComboBox *>(QStringLiteral("previewPaper"))->setCurrentIndex(1);
        QCOMPARE(Preview()->PaperWidth(), Receipt::CReceiptPrinter::kPaper58);
        Preview()->findChild<QPushButton *>(QStringLiteral("previewSendBox"))->click();
        CPreviewRoll *roll = Preview()->SendBoxRoll();
        const QImage narrow =
            LibraryImage(QByteArray("ABC\n"), 0, Receipt::CReceiptPrinter::kPaper58);
        QCOMPARE(narrow.width(), Receipt::CReceiptPrinter::kPaper58);
        QTRY_VERIFY_WITH_TIMEOUT(
            roll->ReceiptCount() == 1 && SameDots(roll->ReceiptImage(0), narrow), kRenderWaitMs);

        const QWidget *paper = roll->findChild<QScrollArea *>()->widget();
        const int atFull = paper->width();
        Preview()->findChild<QComboBox *>(QStringLiteral("previewZoom"))->setCurrentIndex(3);
        QCOMPARE(paper->width() - atFull, narrow.width()); // 200 %: one more width
        QVERIFY(SameDots(roll->ReceiptImage(0), narrow));

        QApplication::clipboard()->clear();
        Preview()->findChild<QPushButton *>(QStringLiteral("previewCopy"))->click();
        QVERIFY(SameDots(QApplication::clipboard()->image(), roll->RollImage()));
        QCOMPARE(Preview()->Note(), QStringLiteral("图像已复制"));
    }

    // Bytes beyond the capacity are counted where they fell out; marks stay.
    void tapCountsWhatItCannotHold()
    {
        CWriteTap tap(4);
        const uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
        tap.Put(bytes, 3);
        tap.Put(bytes + 3, 3); // would make 6 > 4
        tap.Mark(7);
        tap.Put(bytes, 2); // 3 queued: 5 > 4
        std::deque<CWriteTap::Segment> taken = tap.Take(std::chrono::milliseconds(0), false);
        QCOMPARE(taken.size(), std::size_t(4));
        QCOMPARE(taken[0].bytes, (std::vector<uint8_t>{1, 2, 3}));
        QCOMPARE(taken[1].skipped, uint64_t(3));
        QVERIFY(taken[1].bytes.empty());
        QCOMPARE(taken[2].mark, 7);
        QCOMPARE(taken[3].skipped, uint64_t(2));
        // Taken, the room is free again.
        tap.Put(bytes, 4);
        taken = tap.Take(std::chrono::milliseconds(0), false);
        QCOMPARE(taken.size(), std::size_t(1));
        QCOMPARE(taken[0].bytes.size(), std::size_t(4));
    }

    // The list stops at kMaxRows; the summary counts the rest, the open
    // receipt's rows once however often it is redrawn.
    void reportListSaysHowManyRowsItLeftOut()
    {
        const auto receiptWithRows = [](std::size_t rows) {
            PreviewReceipt receipt{QImage(8, 8, QImage::Format_Mono), {}};
            receipt.rows.resize(rows, PreviewRow{0, {0x1B, 0x99}, Receipt::Issue::Unknown, 0});
            return receipt;
        };
        CPreviewRoll roll;
        const auto summary = [&roll] { return roll.findChild<QLabel *>()->text(); };
        roll.Apply({0, {receiptWithRows(CPreviewRoll::kMaxRows + 2)}, true, receiptWithRows(3)});
        QCOMPARE(roll.ReportRowCount(), CPreviewRoll::kMaxRows);
        QVERIFY2(summary().contains("另有 5 条未列出"), qPrintable(summary()));
        roll.Apply({0, {}, true, receiptWithRows(1)});
        QVERIFY2(summary().contains("另有 3 条未列出"), qPrintable(summary()));
        roll.Clear();
        QVERIFY2(!summary().contains("未列出"), qPrintable(summary()));
    }

    // A piece larger than the tap is skipped whenever it comes: the receipt
    // before the gap ends, the gap is a row of the next one, which prints from a
    // fresh printer.
    void rendererStartsAfreshAfterAGap()
    {
        CPreviewRenderer renderer(Receipt::CReceiptPrinter::kPaper80, 16);
        std::vector<PreviewReceipt> finished;
        connect(&renderer, &CPreviewRenderer::rendered, this, [&](const PreviewBatch &batch) {
            finished.insert(finished.end(), batch.finished.begin(), batch.finished.end());
        });
        renderer.Start(QThread::NormalPriority);
        const QByteArray before("AB\n\x1b"); // a command cut by the gap
        const QByteArray lost(100, 'x');
        const QByteArray after("CD\n");
        for (const QByteArray &piece : {before, lost, after})
            renderer.Tap()->Put(reinterpret_cast<const uint8_t *>(piece.constData()),
                                std::size_t(piece.size()));
        renderer.EndOfInput();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), std::size_t(2), kRenderWaitMs);
        QVERIFY(SameDots(finished[0].image, LibraryImage(before)));
        QCOMPARE(finished[0].rows.size(), std::size_t(1)); // the ESC cut short
        QVERIFY(SameDots(finished[1].image, LibraryImage(after)));
        QCOMPARE(finished[1].rows.size(), std::size_t(1));
        QCOMPARE(finished[1].rows[0].offset, uint64_t(before.size()));
        QCOMPARE(finished[1].rows[0].skipped, uint64_t(lost.size()));
        QVERIFY(!finished[1].rows[0].issue);
    }

    // A look at the paper between a gap and the end of the receipt after it
    // leaves the gap's row to the finished receipt.
    void gapRowOutlivesALookAtThePaper()
    {
        CPreviewRenderer renderer(Receipt::CReceiptPrinter::kPaper80, 16);
        std::vector<PreviewReceipt> finished;
        bool gapOnPaper = false;
        connect(&renderer, &CPreviewRenderer::rendered, this, [&](const PreviewBatch &batch) {
            finished.insert(finished.end(), batch.finished.begin(), batch.finished.end());
            gapOnPaper |=
                batch.openChanged && !batch.open.rows.empty() && batch.open.rows[0].skipped == 100;
        });
        renderer.Start(QThread::NormalPriority);
        const auto put = [&renderer](const QByteArray &piece) {
            renderer.Tap()->Put(reinterpret_cast<const uint8_t *>(piece.constData()),
                                std::size_t(piece.size()));
        };
        for (const QByteArray &piece : {QByteArray("AB\n"), QByteArray(100, 'x'), QByteArray("C")})
            put(piece);
        QTRY_VERIFY_WITH_TIMEOUT(gapOnPaper, kRenderWaitMs);
        put("D\n");
        renderer.EndOfInput();
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), std::size_t(2), kRenderWaitMs);
        QCOMPARE(finished[1].rows.size(), std::size_t(1));
        QCOMPARE(finished[1].rows[0].skipped, uint64_t(100));
    }

    // The port's copy never waits for the preview: a close in the middle of a
    // transfer returns (a hang here is caught by the test's time-out).
    void closeDuringATransferWithThePreview()
    {
        StartDemoWithPreview();
        const QByteArray sample = ClickCommand(kSampleReceipt);
        m_framed->ChooseFile(WriteFile("receipts.bin", sample.repeated(2000)));
        Click(ViewId::kSendFile);
        QVERIFY(PeerReceives(sample.size() + 1).size() > sample.size()); // the transfer is on
        m_framed->ClickOpenClose();
        QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), ViewText::kOpenCaption,
                                  kPortWaitMs);
        QVERIFY(!m_framed->View()->HasPort());
    }

    // Not a test: TARVIK_DOC_SHOTS=DIR saves the user guide's picture of the
    // window (in the language of TARVIK_LANG) as DIR/preview-window.png.
    void docShot()
    {
        const QString folder = qEnvironmentVariable("TARVIK_DOC_SHOTS");
        if (folder.isEmpty())
            QSKIP("TARVIK_DOC_SHOTS not set");
        Language::Apply(Language::AtStart());
        StartDemoWithPreview();
        Preview()->resize(1000, 700);
        const QByteArray sample = ClickCommand(kSampleReceipt);
        const QByteArray extra =
            QByteArray("Tarvik") + Bytes({0x1b, 0x99, '\n', 0x1b, 'p', 0, 25, 250});
        SendBox()->SetData(ViewOf(extra), 1);
        Click(ViewId::kSend);
        QTRY_VERIFY_WITH_TIMEOUT(Preview()->SentRoll()->ReportRowCount() == 2, kRenderWaitMs);
        QVERIFY(Preview()->grab().save(folder + QStringLiteral("/preview-window.png")));
    }

private:
    // The demo folder's configuration in the work folder, the window started
    // on it, the preview shown and the port open against a loopback peer.
    void StartDemoWithPreview()
    {
        QProcess democfg;
        democfg.start(QStringLiteral(TARVIK_DEMOCFG), {m_sandbox->WorkDir()});
        QVERIFY(democfg.waitForFinished() && democfg.exitCode() == 0);
        Start();
        m_framed->Frame().CommandAction(CMainFrame::ID_OPERATION_PREVIEW)->trigger();
        QVERIFY(Preview() && Preview()->isVisible());
        OpenAgainstPeer();
    }
    CPreviewWindow *Preview() const { return m_framed->Frame().findChild<CPreviewWindow *>(); }
    // Clicks the strip's button of `name`: the command's bytes.
    QByteArray ClickCommand(const QString &name)
    {
        const CUserCommandView *strip = m_framed->View()->CommandStrip();
        for (qsizetype i = 0; i < strip->Records().size(); ++i)
            if (strip->Records()[i].strName == name) {
                QTest::mouseClick(strip->Buttons()[i], Qt::LeftButton);
                return strip->Records()[i].data;
            }
        qFatal("no user command %s", qPrintable(name));
    }
};

QTEST_MAIN(TestPreview)
#include "tst_preview.moc"
