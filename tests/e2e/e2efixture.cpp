#include "e2efixture.h"

#include <QCheckBox>
#include <QInputMethodEvent>

using namespace ViewText;

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
    m_framed = std::make_unique<CFramedView>(m_farEnd.Factory(), m_farEnd.Providers());
    QVERIFY(m_framed->WaitForStartup());
    m_framed->SelectKind(m_farEnd.Kind());
    E2E_STEP(m_farEnd.SetUpPanel(*m_framed));
    QCOMPARE(m_framed->OpenButton()->text(), kOpenCaption);
    QVERIFY(m_framed->OpenButton()->isEnabled());
    m_framed->ClickOpenClose();
    QTRY_COMPARE_WITH_TIMEOUT(m_framed->OpenButton()->text(), kCloseCaption, E2e::kWaitMs);
    QCOMPARE(m_framed->StatusText(), kOpened);
    QVERIFY(m_framed->StatusIsHint());
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
    (void)QTest::qWaitFor([&] { return RecvBoxBytes().size() >= m_recvHistory.size(); },
                          E2e::kWaitMs);
    QCOMPARE(RecvBoxBytes().toHex(' '), m_recvHistory.toHex(' '));
}

void CE2eWindow::Close()
{
    m_framed->ClickOpenClose();
    QVERIFY(!m_framed->View()->HasPort());
    QCOMPARE(m_framed->StatusText(), kClosed);
    QVERIFY(m_framed->StatusIsHint());
    QCOMPARE(m_framed->OpenButton()->text(), kOpenCaption);
    QVERIFY(m_framed->OpenButton()->isEnabled());
    QVERIFY(!m_framed->Button(ViewId::kSend)->isEnabled());
    // Nothing beyond what the steps expected, nor anything lost on the close.
    QCOMPARE(m_farEnd.Arrived().toHex(' '), m_expectedAtFarEnd.toHex(' '));
    E2E_STEP(m_farEnd.CheckAfterClose());
}

QByteArray CE2eWindow::RecvBoxBytes() const
{
    ByteString bytes;
    const ConvResult result = RecvBox()->GetData(bytes);
    if (result <= 0)
        return {};
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), result);
}
