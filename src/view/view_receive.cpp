// Receiving: reading the port into the history, the receive box, the
// counters, pause and continue, and the controls of the receive area.
//
// The history and the counters change with every read. What the window shows
// is brought up to date by UpdateDisplay on a single-shot timer, so a burst of
// reads costs one text update, and the text is exact soon after the window
// thread goes idle.
//
// An update costs what laying out the box's last paragraph costs, and that
// grows with the paragraph: binary data rendered as Ascii text has a line
// break only where CR LF occurs. While reads keep finding full blocks waiting,
// updates are therefore spaced by a multiple of what the last one took, so
// reading keeps most of the window thread whatever the text looks like. Once
// a read drains the port, the next update waits at most as long as the last
// one took.
//
// The receive box always holds the full rendering of the history, but an
// update renders only the tail that changed: the rendering of the first
// m_nFinalBytes bytes cannot change any more, the rest (a lone lead byte that
// may pair with the next one, a CR that may meet its LF) is replaced.
#include "boxtext.h"
#include "convert.h"
#include "editex.h"
#include "portex.h"
#include "tarvikview.h"
#include "usbport.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMutexLocker>
#include <QPushButton>
#include <QTextCursor>

#include <algorithm>

namespace {
// At most this many bytes are taken per notification.
constexpr uint32_t kReadBlock = 1000;
// In hex notation a line break stands for the separator before every byte
// at a multiple of this offset. Hex text has no line breaks of its own, and
// one paragraph of megabytes is laid out slowly; a line break is a separator
// when the text is read back, so the bytes are the same.
constexpr std::size_t kHexLineBytes = 1024;
// Spacing of display updates: this multiple of the last update's cost,
// within these bounds.
constexpr qint64 kDisplayCostFactor = 4;
constexpr qint64 kMinDisplayGapMs = 20;
constexpr qint64 kMaxDisplayGapMs = 1000;

QString HexLines(const uint8_t *data, std::size_t from, std::size_t to)
{
    QString text;
    text.reserve(qsizetype((to - from) * 3));
    ByteString hex;
    for (std::size_t begin = from; begin < to;) {
        const std::size_t end = std::min(to, (begin / kHexLineBytes + 1) * kHexLineBytes);
        if (begin > 0)
            text += begin % kHexLineBytes == 0 ? QChar(u'\n') : QChar(u' ');
        BytesToHex({data + begin, end - begin}, hex);
        text += QLatin1StringView(hex.c_str(), qsizetype(hex.size()));
        begin = end;
    }
    return text;
}
} // namespace

void CTarvikView::ConnectReceiveControls()
{
    m_displayTimer.setSingleShot(true);
    m_sinceDisplay.start();
    connect(&m_displayTimer, &QTimer::timeout, this, &CTarvikView::UpdateDisplay);
    connect(m_form.pauseRecv, &QPushButton::clicked, this, &CTarvikView::OnPauseReceive);
    connect(m_form.hexRecv, &QCheckBox::clicked, this, &CTarvikView::OnHexRecvClicked);
    connect(m_form.clearRecv, &QPushButton::clicked, this, &CTarvikView::OnClearRecv);
    connect(m_form.copyToSend, &QPushButton::clicked, this, &CTarvikView::OnCopyToSend);
    connect(m_form.clearRecvCount, &QPushButton::clicked, this, &CTarvikView::OnClearRecvCount);
}

void CTarvikView::ReadReceived()
{
    if (!m_pPort)
        return;
    uint8_t buffer[kReadBlock];
    uint32_t received = 0;
    m_pPort->Read(buffer, kReadBlock, &received);
    if (received == 0)
        return;
    m_pRecvData.insert(m_pRecvData.end(), buffer, buffer + received);
    LogReceived(buffer, received);
    if (m_form.countRecv->isChecked())
        m_nRecvCount += int32_t(received);
    m_bScrollRecvToEnd = true;
    m_bReadBehind = received == kReadBlock;
    ScheduleDisplay();
    // A full block may leave bytes in the port that no further notification
    // announces (a serial port reports again only when more bytes arrive), so
    // come back for them once the window has had its turn.
    if (received == kReadBlock)
        QMetaObject::invokeMethod(this, &CTarvikView::ReadFollowUp, Qt::QueuedConnection);
}

void CTarvikView::ReadFollowUp()
{
    QMutexLocker lock(&m_cs);
    if (m_bRecvPaused)
        m_bRecvPending = true;
    else
        ReadReceived();
}

void CTarvikView::OnPauseReceive()
{
    if (!m_pPort)
        return;
    QMutexLocker lock(&m_cs);
    if (m_bRecvPaused) {
        const bool pending = m_bRecvPending;
        SetReceivePaused(false);
        if (pending)
            ReadReceived();
    } else {
        SetReceivePaused(true);
    }
    // The USB kind reads its device only while its receive switch is on.
    if (auto *usb = dynamic_cast<CUsbPort *>(m_pPort.get()))
        usb->m_bRecvEnable = !m_bRecvPaused;
}

void CTarvikView::OnHexRecvClicked(bool checked)
{
    m_form.recvBox->m_bHex = checked;
    if (!m_pRecvData.empty())
        RenderWholeHistory();
}

void CTarvikView::OnClearRecv()
{
    m_form.recvBox->clear();
    std::vector<uint8_t>().swap(m_pRecvData);
    m_nShownBytes = m_nFinalBytes = 0;
    m_nFinalChars = 0;
}

void CTarvikView::OnCopyToSend()
{
    if (m_pRecvData.empty())
        return; // leaves the send box and its check box in agreement
    const bool hex = m_form.recvBox->m_bHex;
    m_form.sendBox->SetData(m_pRecvData.data(), m_pRecvData.size(), hex ? 1 : 0);
    m_form.hexSend->setChecked(hex);
}

void CTarvikView::OnClearRecvCount()
{
    m_nRecvCount = 0;
    ScheduleDisplay();
}

void CTarvikView::ScheduleDisplay()
{
    const qint64 gap = m_bReadBehind ? m_nDisplayGapMs : m_nDisplayCostMs;
    const qint64 wait = gap - m_sinceDisplay.elapsed();
    const int delayMs = int(std::clamp<qint64>(wait, 0, kMaxDisplayGapMs));
    if (!m_displayTimer.isActive() || m_displayTimer.remainingTime() > delayMs)
        m_displayTimer.start(delayMs);
}

void CTarvikView::UpdateDisplay()
{
    m_displayTimer.stop();
    QElapsedTimer cost;
    cost.start();
    ShowReceived();
    m_nDisplayCostMs = cost.elapsed();
    m_nDisplayGapMs =
        std::clamp(kDisplayCostFactor * m_nDisplayCostMs, kMinDisplayGapMs, kMaxDisplayGapMs);
    m_sinceDisplay.start();
}

void CTarvikView::ShowReceived()
{
    m_form.recvCount->setText(QString::number(m_nRecvCount));
    m_form.sendCount->setText(QString::number(m_nSendCount));
    if (m_nShownBytes != m_pRecvData.size())
        AppendPendingRendering();
    if (m_bScrollRecvToEnd) {
        m_bScrollRecvToEnd = false;
        m_form.recvBox->moveCursor(QTextCursor::End);
        m_form.recvBox->ensureCursorVisible();
    }
}

void CTarvikView::AppendPendingRendering()
{
    QTextCursor cursor(m_form.recvBox->document());
    cursor.setPosition(m_nFinalChars);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    const std::size_t stable = StableRenderEnd();
    QString text = RenderHistory(m_nFinalBytes, stable);
    const int finalChars = m_nFinalChars + int(text.size());
    text += RenderHistory(stable, m_pRecvData.size());
    cursor.insertText(text);
    m_nFinalBytes = stable;
    m_nFinalChars = finalChars;
    m_nShownBytes = m_pRecvData.size();
}

void CTarvikView::RenderWholeHistory()
{
    m_nFinalBytes = 0;
    const std::size_t stable = StableRenderEnd();
    QString text = RenderHistory(0, stable);
    m_nFinalChars = int(text.size());
    text += RenderHistory(stable, m_pRecvData.size());
    m_form.recvBox->setPlainText(text);
    m_nFinalBytes = stable;
    m_nShownBytes = m_pRecvData.size();
}

// The box text of history bytes [from, to), where `from` is a point after
// which the rendering starts afresh.
QString CTarvikView::RenderHistory(std::size_t from, std::size_t to) const
{
    if (from >= to)
        return {};
    if (m_form.recvBox->m_bHex)
        return HexLines(m_pRecvData.data(), from, to);
    ByteString ascii;
    BytesToAscii({m_pRecvData.data() + from, to - from}, ascii);
    return BoxTextFromGbk(ascii.view());
}

// The end of the part of the history whose rendering later bytes cannot
// change. In Ascii notation a run of lead bytes pairs from its start, so an
// odd last byte of the run may still find its partner; a last CR may still
// meet its LF and become a line break. Hex renders every byte on its own.
std::size_t CTarvikView::StableRenderEnd() const
{
    const std::size_t end = m_pRecvData.size();
    if (m_form.recvBox->m_bHex)
        return end;
    std::size_t runStart = end;
    while (runStart > m_nFinalBytes && IsGbkLeadByte(m_pRecvData[runStart - 1]))
        --runStart;
    std::size_t stable = runStart + ((end - runStart) & ~std::size_t(1));
    if (stable == end && end > m_nFinalBytes && m_pRecvData[end - 1] == '\r')
        --stable;
    return stable;
}
