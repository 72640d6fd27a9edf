#include "e2efixture.h"

#include "config/inifile.h"
#include "stringtable.h"
#include "usercmd/usercommandview.h"

#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLineEdit>

namespace {
// Letters and digits as key presses, a line break as the Return key, and
// anything else (Chinese) as an input method commits it.
void TypeIntoBox(QWidget *box, const QString &text)
{
    for (QChar ch : text) {
        if (ch == u'\n') {
            QTest::keyClick(box, Qt::Key_Return);
        } else if (ch.unicode() < 0x80) {
            QTest::keyClick(box, ch.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(ch));
            QApplication::sendEvent(box, &commit);
        }
    }
}
} // namespace

void CE2eWindow::Open()
{
    const std::filesystem::path ini = m_sandbox.IniPath().toStdString();
    const IniKeyValue command[] = {
        {"CmdCnt", "1"}, {"CmdName1", E2e::kCommandName}, {"CmdValue1", E2e::kCommandValue}};
    QVERIFY(WriteIniSection(ini, "UserCmds", "", command, IniMissingFile::Create));
    m_framed = std::make_unique<CFramedView>(m_farEnd.Factory(), m_farEnd.Providers());
    QVERIFY(m_framed->WaitForStartup());
    m_framed->SelectKind(m_farEnd.Kind());
    E2E_STEP(m_farEnd.SetUpPanel(*m_framed));
    QCOMPARE(m_framed->OpenButton()->text(), LoadString(IDS_OPEN_PORT));
    QVERIFY(m_framed->OpenButton()->isEnabled());
    m_framed->ClickOpenClose();
    QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), LoadString(IDS_CLOSE_PORT),
                              E2e::kWaitMs);
    QVERIFY(m_framed->StatusIsHint()); // its text: in the test, as a user reads it
    QVERIFY(m_framed->View()->HasPort());
    QVERIFY(m_framed->OpenButton()->isEnabled());
    QVERIFY(m_framed->Button(ViewId::kSend)->isEnabled());
    E2E_STEP(m_farEnd.OnOpened());
}

void CE2eWindow::SendFromBox(const QString &typed, bool hex)
{
    QPushButton *send = m_framed->Button(ViewId::kSend);
    // The previous write is done when the send button is back.
    QTRY_VERIFY_WITH_TIMEOUT(send->isEnabled(), E2e::kWaitMs);
    m_framed->Button(ViewId::kClearSend)->click();
    auto *hexSend = m_framed->Find<QCheckBox>(ViewId::kHexSend);
    if (hexSend->isChecked() != hex)
        QTest::mouseClick(hexSend, Qt::LeftButton, {}, QPoint(2, hexSend->height() / 2));
    QCOMPARE(SendBox()->m_bHex, hex);
    SendBox()->setFocus();
    TypeIntoBox(SendBox(), typed);
    QTest::mouseClick(send, Qt::LeftButton);
}

void CE2eWindow::ClickCommandButton()
{
    QTRY_VERIFY_WITH_TIMEOUT(m_framed->Button(ViewId::kSend)->isEnabled(), E2e::kWaitMs);
    const QList<QPushButton *> buttons = m_framed->View()->CommandStrip()->Buttons();
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons.first()->text(), QString::fromLatin1(E2e::kCommandName));
    QTest::mouseClick(buttons.first(), Qt::LeftButton);
}

void CE2eWindow::SendFileInPasses(const QByteArray &content, int passes)
{
    const QString path = m_sandbox.Path(QStringLiteral("job.prn"));
    QVERIFY(WriteFileBytes(path, content));
    QTRY_VERIFY_WITH_TIMEOUT(m_framed->Button(ViewId::kSend)->isEnabled(), E2e::kWaitMs);
    m_framed->ChooseFile(path);
    auto *count = m_framed->Find<QLineEdit>(ViewId::kFileCounter);
    const int before = count->text().toInt();
    m_framed->Find<QLineEdit>(ViewId::kFileRepeat)->setText(QString::number(passes));
    m_framed->Find<QLineEdit>(ViewId::kFileInterval)->setText(QStringLiteral("20"));
    QPushButton *sendFile = m_framed->Button(ViewId::kSendFile);
    QVERIFY(sendFile->isEnabled());
    QTest::mouseClick(sendFile, Qt::LeftButton);
    QCOMPARE(sendFile->text(), LoadString(IDS_PAUSE));
    // Far ends with small buffers (a pseudo-terminal, a FIFO) take bytes only
    // while someone reads them.
    (void)QTest::qWaitFor(
        [&] {
            m_farEnd.Arrived();
            return sendFile->text() == LoadString(IDS_SEND);
        },
        E2e::kWaitMs);
    QCOMPARE(sendFile->text(), LoadString(IDS_SEND));
    // The counter resets for a run of several passes.
    QCOMPARE(count->text().toInt(), passes > 1 ? passes : before + 1);
    const QString sent = LoadString(IDS_FILE_SENT);
    QVERIFY(m_framed->StatusText().startsWith(sent.left(sent.indexOf(u'(')).trimmed()));
}

void CE2eWindow::ExpectAtFarEnd(const QByteArray &expected)
{
    const qsizetype from = m_expectedAtFarEnd.size();
    m_expectedAtFarEnd += expected;
    QByteArray arrived;
    (void)QTest::qWaitFor( // a short result is what the comparison shows
        [&] {
            arrived = m_farEnd.Arrived();
            return arrived.size() >= m_expectedAtFarEnd.size();
        },
        E2e::kWaitMs);
    QCOMPARE(arrived.mid(from).toHex(' '), expected.toHex(' '));
}

void CE2eWindow::OfferAndExpectInRecvBox(const QByteArray &bytes)
{
    QVERIFY(m_farEnd.CanAnswer());
    m_recvHistory += bytes;
    m_farEnd.Offer(bytes);
    (void)QTest::qWaitFor([&] { return ShownBytes(RecvBox()).size() >= m_recvHistory.size(); },
                          E2e::kWaitMs);
    QCOMPARE(ShownBytes(RecvBox()).toHex(' '), m_recvHistory.toHex(' '));
}

void CE2eWindow::Close()
{
    m_framed->ClickOpenClose();
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_framed->StatusText(), LoadString(IDS_PORT_CLOSED));
    QVERIFY(m_framed->StatusIsHint());
    QCOMPARE(m_framed->OpenButton()->text(), LoadString(IDS_OPEN_PORT));
    QVERIFY(m_framed->OpenButton()->isEnabled());
    QVERIFY(!m_framed->Button(ViewId::kSend)->isEnabled());
    // Nothing beyond what the steps expected, nor anything lost on the close.
    QCOMPARE(m_farEnd.Arrived().toHex(' '), m_expectedAtFarEnd.toHex(' '));
    E2E_STEP(m_farEnd.CheckAfterClose());
}
