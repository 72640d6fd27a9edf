// The code page of the text notation in the window: chosen in the settings
// menu, shown in the status bar, remembered in the user's settings, and
// applied to the receive view (rendered again, nothing reread), the send box
// (an unencodable character is an input error) and the rows of the receive
// view (characters of up to four bytes, also split across reads).
#include "../support/recvtesting.h"
#include "viewsandbox.h"

#include "convert/codepagetext.h"
#include "shell/codepagemenu.h"

#include <QKeyEvent>

class TestTextCodePage : public CViewTestCase
{
    Q_OBJECT

private slots:
    // Segments and units of the history follow the code page: the segments
    // rendered one by one give the whole rendering, and every byte inside a
    // character (also one across an anchor or a chunk) belongs to its unit.
    // A megabyte of letters without a break must not be walked back over
    // for each unit of a double-byte page (that would not end in time).
    void historyUnitsAreTheCodePagesCharacters_data()
    {
        QTest::addColumn<CodePageId>("page");
        QTest::addColumn<QByteArray>("history");
        constexpr int kSize = (1 << 20) + 3 * int(CRecvHistory::kAnchorBytes);
        for (const CodePageId page :
             {CodePageId::Utf8, CodePageId::ShiftJis, CodePageId::Big5, CodePageId::Pc866})
            QTest::addRow("%s", NameOfCodePage(page)) << page << MixedText(page, kSize);
        QTest::addRow("Shift_JIS, letters") << CodePageId::ShiftJis << Cycle(kSize, 'a', 26);
    }
    void historyUnitsAreTheCodePagesCharacters()
    {
        QFETCH(CodePageId, page);
        QFETCH(QByteArray, history);
        CRecvHistory model;
        model.SetCodePage(RulesOf(page));
        AppendInRandomPieces(model, history, 5, false);
        const auto rendering = [page](const QByteArray &bytes) { return Rendering(page, bytes); };
        QVERIFY(SegmentsRendered(model, history, rendering) == rendering(history));
        const std::size_t chunkEnd = std::size_t(1) << CRecvHistory::kChunkBits;
        for (std::size_t p = chunkEnd - 4096; p < chunkEnd + 4096;) {
            const std::size_t length = model.UnitLength(p);
            QCOMPARE(model.UnitBoundaryFrom(p), p);
            for (std::size_t inside = p + 1; inside < p + length; ++inside)
                QCOMPARE(model.UnitBoundaryFrom(inside), p + length);
            p += length;
        }
    }

    void switchingRendersTheHistoryAgainAndIsRemembered()
    {
        OpenAgainstPeer();
        const QByteArray history("Caf\x82 5 \xD5\r\n");
        PeerSends(history);
        QTRY_COMPARE(RecvBox()->History().Size(), std::size_t(history.size()));
        QCOMPARE(RecvBox()->WholeText(),
                 BoxTextFromGbk(std::string_view("Caf<\\x82> 5 <\\xD5>\r\n")));
        Choose("PC858");
        QCOMPARE(RecvBox()->WholeText(), QStringLiteral("Café 5 €\n"));
        QCOMPARE(RecvBox()->History().Size(), std::size_t(history.size()));
        QCOMPARE(PaneText(), QStringLiteral("PC858"));
        QVERIFY(Action("PC858")->isChecked());

        m_framed.reset();
        QVERIFY(!FileBytes(m_sandbox->UserIniPath()).contains("PC858"));
        Start();
        QCOMPARE(View()->TextCodePage(), CodePageId::Pc858);
        QCOMPARE(PaneText(), QStringLiteral("PC858"));
        QCOMPARE(RecvBox()->CodePage(), CodePageId::Pc858);
    }

    // The first read ends inside "ü" and inside "😀"; the rows, the caret
    // and the copy take each as one character.
    void aCharacterSplitAcrossReadsShowsAsOne()
    {
        OpenAgainstPeer();
        Choose("UTF-8");
        const QByteArray first("Gr\xC3");
        const QByteArray second("\xBC\xC3\x9F"
                                "e \xF0\x9F\x98\x80!");
        PeerSends(first);
        QTRY_COMPARE(RecvBox()->History().Size(), std::size_t(first.size()));
        QCOMPARE(RecvBox()->WholeText(), QStringLiteral("Gr<\\xC3>"));
        PeerSends(second.left(6));
        QTRY_COMPARE(RecvBox()->History().Size(), std::size_t(first.size() + 6));
        PeerSends(second.mid(6));
        QTRY_COMPARE(RecvBox()->WholeText(), QStringLiteral("Grüße 😀!"));
        RecvBox()->viewport()->repaint();
        RecvBox()->setFocus();
        QTest::keyClick(RecvBox(), Qt::Key_End);
        QTest::keyClick(RecvBox(), Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(RecvBox(), Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(RecvBox()->SelectedText(), QStringLiteral("😀!"));
        Choose("GBK");
        QCOMPARE(RecvBox()->History().Size(), std::size_t(first.size() + second.size()));
        QVERIFY(!RecvBox()->WholeText().contains(QStringLiteral("ü")));
    }

    // Find searches in pieces that overlap by the needle's bytes: three
    // bytes a character in UTF-8. Here a piece ends after "語".
    void findTakesACharacterAcrossSearchPieces()
    {
        OpenAgainstPeer();
        Choose("UTF-8");
        const QByteArray history = QByteArray(256 * 1024 - 8, 'x') + "日本語版\r\n";
        PeerSends(history);
        QTRY_COMPARE(RecvBox()->History().Size(), std::size_t(history.size()));
        const QString needle = QStringLiteral("日本語版");
        QSignalSpy finished(RecvBox(), &CRecvView::FindFinished);
        RecvBox()->Find(needle, true); // on a thread of its own
        QTRY_COMPARE(finished.size(), 1);
        QVERIFY(finished.front().front().value<CRecvView::FindResult>() !=
                CRecvView::FindResult::NotFound);
        QCOMPARE(RecvBox()->SelectedText(), needle);
    }

    // "€" typed with PC437 chosen: the send is refused and the "€" selected.
    void anUnencodableTypedCharacterIsAnInputError()
    {
        OpenAgainstPeer();
        Choose("PC437");
        SendBox()->setFocus();
        QTest::keyClicks(SendBox(), QStringLiteral("ab"));
        QKeyEvent euro(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("€"));
        QApplication::sendEvent(SendBox(), &euro);
        QTest::keyClicks(SendBox(), QStringLiteral("c"));
        QCOMPARE(SendBox()->toPlainText(), QStringLiteral("ab€c"));
        Click(ViewId::kSend);
        QCOMPARE(SendBox()->textCursor().selectedText(), QStringLiteral("€"));
        QCOMPARE(StatusText(), LoadString(IDS_HEX_INPUT_ERROR));
        SendBox()->setPlainText(QStringLiteral("Ç"));
        QCOMPARE(BoxBytes(SendBox()), QByteArray("\x80"));
        Choose("UTF-8"); // the bytes stay and are shown in the new code page
        QCOMPARE(SendBox()->toPlainText(), QStringLiteral("<\\x80>"));
    }

private:
    // Characters of the page, CR LF and stray bytes.
    static QByteArray MixedText(CodePageId page, int size)
    {
        QRandomGenerator random(9);
        QByteArray text;
        while (text.size() < size) {
            const quint32 pick = random.bounded(100);
            uint8_t bytes[4];
            std::size_t count = 0;
            if (pick < 5)
                text += "\r\n";
            else if (pick < 10)
                text += char(random.bounded(256));
            else if (pick < 30)
                text += char(' ' + random.bounded(95));
            else
                count = EncodeChar(page, char32_t(0x80 + random.bounded(0x1FF80)), bytes);
            text.append(reinterpret_cast<const char *>(bytes), qsizetype(count));
        }
        return text;
    }
    static QString Rendering(CodePageId page, const QByteArray &bytes)
    {
        ByteString text;
        BytesToAscii(ViewOf(bytes), text, RulesOf(page));
        return BoxTextFromBytes(page, text.view());
    }
    QAction *Action(const char *name)
    {
        return m_framed->Frame().findChild<QAction *>(QStringLiteral("codepage_") +
                                                      QLatin1String(name));
    }
    void Choose(const char *name) { Action(name)->trigger(); }
    QString PaneText()
    {
        return m_framed->Frame().findChild<QLabel *>(QStringLiteral("codePagePane"))->text();
    }
    CTarvikView *View() { return m_framed->View(); }
};

QTEST_MAIN(TestTextCodePage)
#include "tst_textcodepage.moc"
