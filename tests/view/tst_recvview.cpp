// The receive view in the window, fed by a loopback peer of the test: rows,
// selection and copy, find, the arrival-time margin, and what one display
// update costs on a long history.
#include "viewsandbox.h"

#include "stringtable.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QRandomGenerator>

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
} // namespace

class TestRecvView : public CViewTestCase
{
    Q_OBJECT

private slots:
    // Segments are rendered on their own: together they must give the
    // rendering of the whole history, also where an anchor falls inside a
    // double-byte pair (runs of lead bytes of either parity) or a CR LF.
    void segmentsRenderTogetherAsTheWholeHistory()
    {
        constexpr qsizetype kAnchor = qsizetype(CRecvHistory::kAnchorBytes);
        for (const QByteArray &history :
             {PseudoRandom(5 * kAnchor, 11),
              PseudoRandom((1 << 20) + 3 * kAnchor, 12),  // more than one chunk
              QByteArray(3 * kAnchor + 10, '\xB0'),       // an even run of lead bytes
              "A" + QByteArray(3 * kAnchor + 10, '\xB0'), // an odd one
              QByteArray(kAnchor - 1, 'x') + "\r\n" + QByteArray(kAnchor, 'y') + "\r",
              QByteArray(kAnchor - 1, 'x') + "\xD6\xD0" + QByteArray(kAnchor - 2, 'y') + "\xB0"}) {
            CRecvHistory model;
            QRandomGenerator random(3);
            for (qsizetype at = 0; at < history.size();) {
                const qsizetype count =
                    std::min<qsizetype>(1 + random.bounded(3000), history.size() - at);
                model.Append(reinterpret_cast<const uint8_t *>(history.constData() + at),
                             std::size_t(count), 0);
                at += count;
                if (random.bounded(2))
                    model.IndexNew();
            }
            model.IndexNew();
            QString joined;
            std::vector<std::size_t> starts;
            for (std::size_t start = 0; start < model.Size(); start = model.SegmentEnd(start)) {
                starts.push_back(start);
                joined += AsciiRendering(
                    history.mid(qsizetype(start), qsizetype(model.SegmentEnd(start) - start)));
            }
            QCOMPARE(joined, AsciiRendering(history));
            for (int i = 0; i < 200; ++i) {
                const std::size_t offset = std::size_t(random.bounded(int(model.Size())));
                const std::size_t start = model.SegmentStart(offset);
                QVERIFY(std::binary_search(starts.begin(), starts.end(), start));
                QVERIFY(start <= offset && offset < model.SegmentEnd(start));
            }
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
        View()->viewport()->repaint();
        std::vector<std::size_t> starts;
        for (const CRecvView::Row &row : View()->VisibleRows())
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

    // A drag from inside a wrapped line to just after a double-byte
    // character copies exactly the characters shown in between; Shift+Right
    // takes one more.
    void mouseSelectionAcrossAWrappedRowCopiesWhatIsShown()
    {
        OpenAgainstPeer();
        QByteArray line;
        for (int i = 0; i < 150; ++i)
            line.append(char('a' + i % 26));
        const QByteArray history = line + "\xD6\xD0Z\r\n"; // "中" in GBK
        PeerSends(history);
        QTRY_COMPARE(View()->History().Size(), std::size_t(history.size()));
        View()->viewport()->repaint();
        QVERIFY(View()->VisibleRows().front().end < std::size_t(line.size())); // wrapped
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
        QByteArray megabyte(1 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < megabyte.size(); ++i)
            megabyte[i] = char(0x20 + i % 95);
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
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const QByteArray bytes = PseudoRandom(3 * qsizetype(CRecvHistory::kAnchorBytes), 5);
        for (int update = 1; update <= 2; ++update) {
            view.Append(reinterpret_cast<const uint8_t *>(bytes.constData()),
                        std::size_t(bytes.size()));
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
        View()->viewport()->repaint();
        QCOMPARE(View()->VisibleRows().back().end, View()->History().Size());
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
