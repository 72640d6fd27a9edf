// The receive view in the window, fed by a loopback peer of the test: rows,
// selection and copy, find, the arrival-time margin, and what one display
// update costs on a long history.
#include "../support/recvtesting.h"
#include "viewsandbox.h"

#include <QDateTime>
#include <QImage>

namespace {
// What the layout of one update may walk or render, whatever the history.
constexpr std::size_t kUpdateBound = 16 * CRecvHistory::kAnchorBytes;

QByteArray HistoryOf(const CRecvView *view)
{
    std::vector<uint8_t> scratch;
    const auto bytes = view->History().Range(0, view->History().Size(), scratch);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

void DragSelect(CRecvView *view, QPoint from, QPoint to)
{
    QWidget *viewport = view->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, to, viewport->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, to);
}

// The darkest grey drawn in the text area of the top row.
int DarkestInkOfTopRow(CRecvView *view)
{
    view->viewport()->repaint();
    const QImage image = view->viewport()->grab().toImage();
    const QPoint origin = view->PointOfOffset(0);
    int darkest = 255;
    for (int y = origin.y(); y < origin.y() + view->fontMetrics().lineSpacing(); ++y)
        for (int x = origin.x(); x < image.width(); ++x)
            darkest = std::min(darkest, qGray(image.pixel(x, y)));
    return darkest;
}

} // namespace

class TestRecvView : public CViewTestCase
{
    Q_OBJECT

private slots:
    // Segments are rendered on their own: together they must give the
    // rendering of the whole history, also where an anchor falls inside a
    // double-byte pair (runs of lead bytes of either parity) or a CR LF.
    void segmentsRenderTogetherAsTheWholeHistory_data()
    {
        constexpr qsizetype kAnchor = qsizetype(CRecvHistory::kAnchorBytes);
        QTest::addColumn<QByteArray>("history");
        QTest::addRow("random") << PseudoRandom(5 * kAnchor, 11);
        QTest::addRow("more than one chunk") << PseudoRandom((1 << 20) + 3 * kAnchor, 12);
        QTest::addRow("even run of lead bytes") << QByteArray(3 * kAnchor + 10, '\xB0');
        QTest::addRow("odd run of lead bytes") << "A" + QByteArray(3 * kAnchor + 10, '\xB0');
        QTest::addRow("CR LF across an anchor")
            << QByteArray(kAnchor - 1, 'x') + "\r\n" + QByteArray(kAnchor, 'y') + "\r";
        QTest::addRow("pair across an anchor")
            << QByteArray(kAnchor - 1, 'x') + "\xD6\xD0" + QByteArray(kAnchor - 2, 'y') + "\xB0";
    }
    void segmentsRenderTogetherAsTheWholeHistory()
    {
        QFETCH(QByteArray, history);
        CRecvHistory model;
        AppendInRandomPieces(model, history, 3, true);
        QCOMPARE(SegmentsRendered(model, history, AsciiRendering), AsciiRendering(history));
        const std::vector<std::size_t> starts = SegmentStarts(model);
        QRandomGenerator random(3);
        for (int i = 0; i < 200; ++i) {
            const std::size_t offset = std::size_t(random.bounded(int(model.Size())));
            const std::size_t start = model.SegmentStart(offset);
            QVERIFY(std::binary_search(starts.begin(), starts.end(), start));
            QVERIFY(start <= offset && offset < model.SegmentEnd(start));
        }
    }

    // A lone LF ends a row as CR LF does; the copied text keeps its
    // placeholder, which the send box reads back as the byte.
    void lineFeedsBreakRowsAndCopyKeepsThePlaceholder()
    {
        OpenAgainstPeer();
        const QByteArray history("ab\ncd\r\nef");
        PeerSends(history);
        QTRY_COMPARE(View()->WholeText(), QStringLiteral("ab\u240Acd\nef"));
        std::vector<std::size_t> starts;
        for (const CRecvView::Row &row : RowsInSight(View()))
            starts.push_back(row.start);
        QCOMPARE(starts, (std::vector<std::size_t>{0, 3, 7}));

        View()->setFocus();
        Command(CMainFrame::ID_EDIT_SELECT_ALL)->trigger();
        QVERIFY(Command(CMainFrame::ID_EDIT_COPY)->isEnabled());
        Command(CMainFrame::ID_EDIT_COPY)->trigger();
        QCOMPARE(QApplication::clipboard()->text(), View()->WholeText());
        SendBox()->setPlainText(QApplication::clipboard()->text());
        QCOMPARE(BoxBytes(SendBox()), history);
    }

    void controlBytesAreDrawnDimAndCopiedAsBytes_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("ink"); // none, dim or full
        QTest::addRow("status byte 0x12") << QByteArray("\x12") << "dim";
        QTest::addRow("backspace") << QByteArray("\x08") << "dim";
        QTest::addRow("lone LF") << QByteArray("\n") << "dim";
        QTest::addRow("tab stays blank") << QByteArray("\t") << "none";
        QTest::addRow("a letter") << QByteArray("A") << "full";
    }

    // A reply of one control byte must not look like nothing: its control
    // picture is drawn in the dim colour, and a copy still holds the byte.
    void controlBytesAreDrawnDimAndCopiedAsBytes()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, ink);
        OpenAgainstPeer();
        PeerSends(bytes);
        QTRY_COMPARE(View()->History().Size(), std::size_t(bytes.size()));
        SendBox()->setFocus(); // no caret in the measured row
        const QPalette &palette = View()->palette();
        const int darkest = DarkestInkOfTopRow(View());
        const int base = qGray(palette.color(QPalette::Base).rgb());
        // The placeholder colour over the base, fully covered.
        const QColor dimColour = palette.color(QPalette::PlaceholderText);
        const int dim =
            int(dimColour.alphaF() * qGray(dimColour.rgb()) + (1 - dimColour.alphaF()) * base);
        QVERIFY(dim > qGray(palette.color(QPalette::Text).rgb()) + 32);
        const bool inked = ink == u"none"  ? darkest == base
                           : ink == u"dim" ? darkest < base - 32 && darkest >= dim - 16
                                           : darkest < dim - 32;
        QVERIFY2(inked,
                 qPrintable(QString::asprintf("darkest %d, dim %d, base %d", darkest, dim, base)));

        View()->setFocus();
        Command(CMainFrame::ID_EDIT_SELECT_ALL)->trigger();
        Command(CMainFrame::ID_EDIT_COPY)->trigger();
        QCOMPARE(QApplication::clipboard()->text(), AsciiRendering(bytes));
    }

    void caretAndSelectionKeepCrWithLf_data()
    {
        // Keys: r/l move right/left, R/L extend the selection.
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QByteArray>("history");
        QTest::addColumn<QString>("selected");
        QTest::addRow("right over CR LF") << "rrR" << QByteArray("ab\r\ncd") << "\n";
        QTest::addRow("left over CR LF") << "rrrLL" << QByteArray("ab\r\ncd") << "b\n";
        QTest::addRow("lone CR before CR LF") << "rRR" << QByteArray("x\r\r\ny") << "\u240D\n";
        QTest::addRow("back from the end") << "rrL" << QByteArray("a\r\n") << "\n";
    }

    // CR LF is one unit: no key puts the caret or a selection end between
    // the two bytes.
    void caretAndSelectionKeepCrWithLf()
    {
        QFETCH(QByteArray, history);
        QFETCH(QString, keys);
        QFETCH(QString, selected);
        CRecvView view;
        QVERIFY(ShowAlone(view));
        AppendTo(view, history);
        view.Refresh(false);
        for (const QChar key : keys)
            QTest::keyClick(&view, key.toLower() == u'r' ? Qt::Key_Right : Qt::Key_Left,
                            key.isUpper() ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(view.SelectedText(), selected);
    }

    // A drag from inside a wrapped line to just after a double-byte
    // character copies exactly the characters shown in between; Shift+Right
    // takes one more.
    void mouseSelectionAcrossAWrappedRowCopiesWhatIsShown()
    {
        OpenAgainstPeer();
        const QByteArray line = Cycle(150, 'a', 26);
        const QByteArray history = line + "\xD6\xD0Z\r\n"; // "中" in GBK
        PeerSends(history);
        QTRY_COMPARE(View()->History().Size(), std::size_t(history.size()));
        QVERIFY(RowsInSight(View()).front().end < std::size_t(line.size())); // wrapped
        const std::size_t end = std::size_t(line.size()) + 2;
        const QPoint from = View()->PointOfOffset(5) + QPoint(1, 2);
        const QPoint to = View()->PointOfOffset(end) + QPoint(1, 2);
        QVERIFY(from.x() >= 0 && to.x() >= 0 && to.y() > from.y());
        DragSelect(View(), from, to);
        const QString shown = QString::fromLatin1(line.mid(5)) + QStringLiteral("中");
        QCOMPARE(View()->SelectedText(), shown);
        QTest::keyClick(View(), Qt::Key_Right, Qt::ShiftModifier);
        Command(CMainFrame::ID_EDIT_COPY)->trigger();
        QCOMPARE(QApplication::clipboard()->text(), shown + u'Z');
    }

    void findWalksTheReceiveViewWhenItHadTheFocus()
    {
        OpenAgainstPeer();
        PeerSends("one Hello, two hello\r\n");
        QTRY_VERIFY(!View()->IsEmpty());
        View()->setFocus();
        for (const char *expected : {"Hello", "hello", "Hello"})
            QCOMPARE(FindText(QStringLiteral("HELLO"), false), QString::fromLatin1(expected));
        QCOMPARE(StatusText(), LoadString(IDS_FIND_WRAPPED));
        QCOMPARE(FindText(QStringLiteral("hello"), true), QStringLiteral("hello"));
        SendBox()->setFocus();
        SendBox()->setPlainText(QStringLiteral("hello there"));
        FindText(QStringLiteral("there"), false);
        QCOMPARE(SendBox()->textCursor().selectedText(), QStringLiteral("there"));
    }

    // Off by default; the margin moves the text but is never copied; the
    // choice is kept in the user's settings, not in the INI file.
    void arrivalTimesAreAMarginRememberedInTheUserSettings()
    {
        OpenAgainstPeer();
        auto *times = Find<QCheckBox>(ViewId::kRecvTimes);
        QVERIFY(!times->isChecked());
        PeerSends("status ok\r\n");
        QTRY_COMPARE(View()->WholeText(), QStringLiteral("status ok\n"));
        View()->viewport()->repaint();
        const int left = View()->PointOfOffset(0).x();
        Click(ViewId::kRecvTimes);
        View()->viewport()->repaint();
        QVERIFY(View()->PointOfOffset(0).x() > left);
        View()->SelectAll();
        QCOMPARE(View()->SelectedText(), QStringLiteral("status ok\n"));

        m_framed.reset(); // the INI file is written as the view goes
        QVERIFY(QFile::exists(m_sandbox->UserIniPath()));
        QVERIFY(!FileBytes(m_sandbox->UserIniPath()).contains("rrival"));
        Start();
        QVERIFY(Find<QCheckBox>(ViewId::kRecvTimes)->isChecked());
        QVERIFY(View()->ShowsArrivalTimes());
    }

    // Every row carries the time of its own first byte; in hex notation each
    // read starts a row, which keeps its place when the view narrows.
    void eachRowIsStampedWithItsFirstBytesTime()
    {
        OpenAgainstPeer();
        Click(ViewId::kRecvTimes);
        const QByteArray first(307, 'a'); // one line without a break, wrapped; a prime count
        PeerSends(first);
        QTRY_COMPARE(View()->History().Size(), std::size_t(first.size()));
        const qint64 firstArrived = QDateTime::currentMSecsSinceEpoch();
        QTRY_VERIFY(QDateTime::currentMSecsSinceEpoch() > firstArrived + 1);
        const QByteArray second(5, 'b');
        PeerSends(second);
        QTRY_COMPARE(View()->History().Size(), std::size_t(first.size() + second.size()));
        const std::vector<CRecvView::Row> stamped = RowsInSight(View());
        QVERIFY(stamped.size() > 2);
        for (const CRecvView::Row &row : stamped)
            if (row.start < View()->History().Size())
                QVERIFY2(!View()->ArrivalStamp(row).isEmpty(),
                         qPrintable(QString::number(row.start)));

        Find<QCheckBox>(ViewId::kHexRecv)->click();
        for (const int width : {View()->width(), View()->width() / 2}) {
            View()->resize(width, View()->height());
            QTest::keyClick(View(), Qt::Key_End, Qt::ControlModifier);
            const std::vector<CRecvView::Row> rows = RowsInSight(View());
            QVERIFY(std::any_of(rows.begin(), rows.end(), [&](const CRecvView::Row &row) {
                return row.start == std::size_t(first.size());
            }));
            QCOMPARE(rows.back().end, View()->History().Size());
            QVERIFY(rows.back().end - rows.back().start <= std::size_t(second.size()));
            QVERIFY(View()->ArrivalStamp(rows.back()) != View()->ArrivalStamp(rows.front()));
        }
    }

    // One update costs what is in sight and what arrived: the index scans
    // each byte once, and the rows are laid out from near the end, at 1 MB
    // as at 5 MB of one line without a break.
    void anUpdateCostsWhatIsVisibleAndWhatArrived()
    {
        OpenAgainstPeer();
        std::vector<std::pair<std::size_t, std::size_t>> updates; // size, scanned
        connect(View(), &CRecvView::ContentChanged, this, [&] {
            updates.emplace_back(View()->History().Size(), View()->LastUpdateCost().scanned);
        });
        const QByteArray megabyte = Cycle(1 << 20, 0x20, 95);
        for (int mb = 1; mb <= 5; ++mb) {
            PeerSends(megabyte);
            QTRY_COMPARE_WITH_TIMEOUT(View()->History().Size(), std::size_t(mb) << 20, kPortWaitMs);
            QTRY_COMPARE(updates.back().first, std::size_t(mb) << 20);
            View()->viewport()->repaint();
            if (mb == 1 || mb == 5) {
                const CRecvView::UpdateCost cost = View()->LastUpdateCost();
                QVERIFY2(cost.rendered > 0 && cost.rendered <= kUpdateBound,
                         qPrintable(QString::number(cost.rendered)));
            }
        }
        std::size_t before = 0;
        for (const auto &[size, scanned] : updates) {
            QCOMPARE(scanned, size - before);
            before = size;
        }
        QCOMPARE(View()->VisibleRows().back().end, View()->History().Size()); // the end in sight
    }

    // A paint that comes between a read and the update (as under load)
    // indexes the new bytes first; the update still reports that work.
    void anUpdateCountsWhatAPaintIndexedBeforeIt()
    {
        CRecvView view;
        QVERIFY(ShowAlone(view));
        const QByteArray bytes = PseudoRandom(3 * qsizetype(CRecvHistory::kAnchorBytes), 5);
        for (int update = 1; update <= 2; ++update) {
            AppendTo(view, bytes);
            view.viewport()->repaint();
            view.Refresh(true);
            QCOMPARE(view.LastUpdateCost().scanned, std::size_t(bytes.size()));
        }
    }

    // Clearing and switching notation while bytes stream in: every byte
    // after the clear is shown, in the notation chosen, and counted.
    void clearAndNotationSwitchDuringAStreamLoseNothing()
    {
        OpenAgainstPeer();
        Find<QCheckBox>(ViewId::kCountRecv)->setChecked(true);
        const QByteArray stream = PseudoRandom(300000, 7);
        const QByteArray first = stream.left(100000);
        const QByteArray rest = stream.mid(100000);
        PeerSends(first);
        QTRY_VERIFY(View()->History().Size() > 0);
        Click(ViewId::kClearRecv);
        PeerSends(rest.left(100000));
        Find<QCheckBox>(ViewId::kHexRecv)->click();
        PeerSends(rest.mid(100000));
        QTRY_COMPARE_WITH_TIMEOUT(Find<QLineEdit>(ViewId::kRecvCount)->text(),
                                  QString::number(stream.size()), kPortWaitMs);
        const QByteArray history = HistoryOf(View());
        QVERIFY(history.endsWith(rest));
        QVERIFY(first.endsWith(history.left(history.size() - rest.size())));
        QVERIFY(View()->IsHexNotation());
        QCOMPARE(ShownBytes(View()), history);
        QCOMPARE(RowsInSight(View()).back().end, View()->History().Size());
    }

private:
    // The selection after one find request.
    QString FindText(const QString &text, bool matchCase)
    {
        m_framed->View()->OnViewRequest(kRequestFind, matchCase ? 1 : 0, text);
        if (!QTest::qWaitFor([this] { return !View()->IsFinding(); }, kPortWaitMs))
            return QStringLiteral("<still searching>");
        return View()->hasFocus() || View()->HasSelection()
                   ? View()->SelectedText()
                   : SendBox()->textCursor().selectedText();
    }
    QAction *Command(int id) { return m_framed->Frame().CommandAction(id); }
    CRecvView *View() const { return m_framed->RecvBox(); }
};

QTEST_MAIN(TestRecvView)
#include "tst_recvview.moc"
