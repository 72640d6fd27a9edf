// The program's window against a real endpoint of every port kind: open as a
// user does, send typed text and hex from the send box, a user command and a
// file in passes, check the bytes at the far end, receive where the kind can,
// close; once in each language.
#include "e2efixture.h"

#include "language.h"
#include "ptypair.h"

class TestE2e : public QObject
{
    Q_OBJECT

private slots:
    // The language comes from TARVIK_LANG: CTest runs the test once in each. One
    // process cannot do both, as the CUPS client keeps talking to the first
    // private scheduler it met.
    void initTestCase() { Language::Apply(Language::AtStart()); }

    void sendAndReceiveThroughTheWindow_data()
    {
        QTest::addColumn<QString>("farEndName");
        for (const QString &name : FarEndNames())
            QTest::newRow(qPrintable(name)) << name;
    }
    void sendAndReceiveThroughTheWindow()
    {
        QFETCH(QString, farEndName);
        // The status bar's text, as a user reads it.
        const QString opened = Language::Current() == QLatin1String(Language::kEnglish)
                                   ? QStringLiteral("Port opened.")
                                   : QStringLiteral("打开端口成功！");
        const std::unique_ptr<CE2eFarEnd> farEnd = MakeFarEnd(farEndName);
        if (QString whyNot; !farEnd->Prepare(whyNot))
            QSKIP(qPrintable(whyNot));
        CE2eWindow window(*farEnd);
        E2E_STEP(window.Open());
        QCOMPARE(window.Framed().StatusText(), opened);

        // An empty box sends nothing and says nothing; a stray byte would show
        // in the next comparison.
        E2E_STEP(window.SendFromBox(QString(), false));
        QCOMPARE(window.Framed().StatusText(), opened);
        E2E_STEP(window.SendFromBox(QStringLiteral("AT+中文<\\xFF>\n打印 OK"), false));
        E2E_STEP(
            window.ExpectAtFarEnd(QByteArray("AT+\xD6\xD0\xCE\xC4\xFF\r\n\xB4\xF2\xD3\xA1 OK")));
        E2E_STEP(window.SendFromBox(QStringLiteral("1b 064 00 FF 0D 0a"), true)); // 064 decimal
        E2E_STEP(window.ExpectAtFarEnd(Bytes({0x1B, 0x40, 0x00, 0xFF, 0x0D, 0x0A})));
        E2E_STEP(window.ClickCommandButton());
        E2E_STEP(window.ExpectAtFarEnd(Bytes({0x1B, 0x40, 0xE2, 0x00, 0xFF, 0x0A})));
        // Spans many of the port's 1024-byte chunks.
        const QByteArray file = QByteArray::fromStdString(PatternBytes(70000, 131));
        E2E_STEP(window.SendFileInPasses(file, 3));
        E2E_STEP(window.ExpectAtFarEnd(file.repeated(3)));

        if (farEnd->CanAnswer()) {
            E2E_STEP(farEnd->EnableReceive(window.Framed()));
            const QByteArray answer("OK \xBE\xCD\xD0\xF7\r\n\x00\xFF", 11);
            E2E_STEP(window.OfferAndExpectInRecvBox(answer));
            QCOMPARE(window.RecvBox()->WholeText(), QStringLiteral("OK 就绪\n<\\x00><\\xFF>"));
        }
        E2E_STEP(window.Close());
    }
};

QTEST_MAIN(TestE2e)
#include "tst_e2e.moc"
