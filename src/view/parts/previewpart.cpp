#include "view/parts/previewpart.h"

#include "convert/codepagetext.h"
#include "convert/convert.h"
#include "convert/userfileqt.h"
#include "port/portex.h"
#include "view/parts/filesendstate.h"
#include "view/parts/viewport.h"
#include "view/preview/previewrenderer.h"
#include "view/preview/previewroll.h"
#include "view/preview/previewwindow.h"
#include "widgets/editex.h"

#include <QEvent>
#include <QFile>
#include <QFileInfo>

namespace {

QByteArray FromByteString(const ByteString &bytes, ConvResult count)
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(count));
}

// The box's plain rendering of the first `count` bytes of `bytes` (GBK text).
std::string Rendered(const QByteArray &bytes, qsizetype count, bool hex)
{
    const std::span<const uint8_t> head(reinterpret_cast<const uint8_t *>(bytes.constData()),
                                        std::size_t(count));
    ByteString text;
    const ConvResult length = hex ? BytesToHex(head, text) : BytesToAscii(head, text);
    return length > 0 ? std::string(text.view()) : std::string();
}

} // namespace

CPreviewPart::CPreviewPart(CViewPort &port, std::function<CEditEx *()> sendBox,
                           const CFileSendState &fileSend, QWidget *view)
    : m_port(port), m_sendBoxOf(std::move(sendBox)), m_fileSend(fileSend), m_view(view)
{
    m_port.SetAdoptHook([this](CPortEx &adopted) { OnPortAdopted(adopted); });
}

CPreviewPart::~CPreviewPart()
{
    m_port.SetAdoptHook({});
    StopLive();
    m_sendBoxRenderer.reset();
    // The window's own teardown sends events; none may reach a part that is
    // going away.
    if (m_window)
        m_window->removeEventFilter(this);
    delete m_window.data();
}

void CPreviewPart::Show()
{
    if (!m_window)
        CreateWindow();
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void CPreviewPart::CreateWindow()
{
    m_window = new CPreviewWindow(m_view->window());
    m_window->installEventFilter(this);
    connect(m_window, &CPreviewWindow::clearRequested, this, &CPreviewPart::OnClear);
    connect(m_window, &CPreviewWindow::paperWidthChanged, this, &CPreviewPart::OnPaperWidth);
    connect(m_window, &CPreviewWindow::sendBoxPreviewRequested, this,
            &CPreviewPart::OnPreviewSendBox);
    connect(m_window->SendBoxRoll(), &CPreviewRoll::rowChosen, this,
            &CPreviewPart::SelectInSendBox);
}

// The tap lives while the window is open; a window minimised with the main
// window (a spontaneous hide) keeps its roll growing.
bool CPreviewPart::eventFilter(QObject *watched, QEvent *event)
{
    const bool ours = watched == m_window && !event->spontaneous();
    if (ours && event->type() == QEvent::Show && !m_live)
        StartLive();
    if (ours && event->type() == QEvent::Hide)
        StopLive();
    return QObject::eventFilter(watched, event);
}

void CPreviewPart::StartLive()
{
    m_window->SentRoll()->Clear();
    m_live = std::make_unique<CPreviewRenderer>(m_window->PaperWidth());
    connect(m_live.get(), &CPreviewRenderer::rendered, this, [this](const PreviewBatch &batch) {
        if (m_live && m_window && batch.generation == m_live->Generation())
            m_window->SentRoll()->Apply(batch);
    });
    // Below every other thread: a transfer keeps its speed, the preview waits.
    m_live->Start(QThread::IdlePriority);
    if (CPortEx *port = m_port.Port())
        port->SetWriteTap(m_live->Tap());
}

void CPreviewPart::StopLive()
{
    if (CPortEx *port = m_port.Port())
        port->SetWriteTap(nullptr);
    m_live.reset();
}

void CPreviewPart::OnPortAdopted(CPortEx &port)
{
    if (!m_live)
        return;
    m_live->Clear();
    m_window->SentRoll()->Clear();
    port.SetWriteTap(m_live->Tap());
}

void CPreviewPart::OnClear()
{
    if (m_live)
        m_live->Clear();
    m_window->SentRoll()->Clear();
    m_sendBoxRenderer.reset();
    m_sendBoxBytes.clear();
    m_window->SendBoxRoll()->Clear();
    m_window->SetNote({});
}

void CPreviewPart::OnPaperWidth(int dots)
{
    if (m_live)
        m_live->SetPaperWidth(dots);
    if (!m_sendBoxBytes.isEmpty())
        RenderSendBox();
}

void CPreviewPart::OnPreviewSendBox()
{
    QByteArray bytes;
    if (!TakeSendBoxBytes(bytes))
        return;
    const bool fromBox = !bytes.isEmpty();
    if (!fromBox && !TakeFileBytes(bytes))
        return; // the roll keeps what it showed, and where it came from
    m_sendBoxFromBox = fromBox;
    m_sendBoxBytes = bytes;
    RenderSendBox();
}

bool CPreviewPart::TakeSendBoxBytes(QByteArray &bytes)
{
    CEditEx *box = m_sendBoxOf();
    ByteString data;
    const ConvResult result = box ? box->GetData(data) : 0;
    if (IsConvError(result)) {
        m_window->SetNote(tr("发送区数据格式错误"));
        box->HighlightInputError(result);
        return false;
    }
    if (result > 0)
        bytes = FromByteString(data, result);
    m_window->SetNote(tr("发送区：%n 字节（未发送）", nullptr, int(bytes.size())));
    return true;
}

bool CPreviewPart::TakeFileBytes(QByteArray &bytes)
{
    const QString path = m_fileSend.SelectedFile();
    QFile file;
    if (path.isEmpty()) {
        m_window->SetNote(tr("发送区为空，也没有选择文件"));
        return false;
    }
    if (!OpenRegularFile(file, path)) {
        m_window->SetNote(CFileSendState::OpenFailureText(path));
        return false;
    }
    bytes = file.read(kMaxFilePreview);
    QString note =
        tr("文件 %1：%2 字节（未发送）").arg(QFileInfo(path).fileName()).arg(bytes.size());
    if (file.size() > kMaxFilePreview)
        note += tr("，只显示开头部分");
    m_window->SetNote(note);
    return !bytes.isEmpty();
}

void CPreviewPart::RenderSendBox()
{
    m_sendBoxRenderer = std::make_unique<CPreviewRenderer>(m_window->PaperWidth(),
                                                           std::size_t(m_sendBoxBytes.size()));
    connect(m_sendBoxRenderer.get(), &CPreviewRenderer::rendered, this,
            [this](const PreviewBatch &batch) {
                if (m_window)
                    m_window->SendBoxRoll()->Apply(batch);
            });
    m_window->SendBoxRoll()->Clear();
    m_window->ShowSendBoxRoll();
    m_sendBoxRenderer->Start(QThread::NormalPriority);
    m_sendBoxRenderer->Tap()->Put(reinterpret_cast<const uint8_t *>(m_sendBoxBytes.constData()),
                                  std::size_t(m_sendBoxBytes.size()));
    m_sendBoxRenderer->EndOfInput();
}

// Only a box whose text is the plain rendering of its bytes maps bytes to
// characters one way; other texts (a different spacing, escapes written by
// hand) are left as they are.
void CPreviewPart::SelectInSendBox(quint64 offset, int length)
{
    CEditEx *box = m_sendBoxOf();
    QByteArray bytes;
    ByteString data;
    const ConvResult result = m_sendBoxFromBox && box ? box->GetData(data) : 0;
    if (result > 0)
        bytes = FromByteString(data, result);
    ByteString shown;
    if (bytes.isEmpty() || bytes != m_sendBoxBytes || IsConvError(box->GetGbkText(shown)) ||
        Rendered(bytes, bytes.size(), box->m_bHex) != shown.view() ||
        qint64(offset) + length > bytes.size()) {
        m_window->SetNote(tr("无法在发送区中选中：发送区已改变或不是它的字节"));
        return;
    }
    const bool hex = box->m_bHex;
    const std::size_t from =
        Rendered(bytes, qsizetype(offset), hex).size() + (hex && offset ? 1 : 0);
    const std::size_t to = Rendered(bytes, qsizetype(offset) + length, hex).size();
    const QString text = box->Text();
    box->SelectText(ByteOffsetToCharPos(box->CodePage(), text, from),
                    ByteOffsetToCharPos(box->CodePage(), text, to));
    box->setFocus(Qt::OtherFocusReason);
}
