// CPreviewPart: the receipt preview of the main view. It owns the preview
// window, the renderer of what the port writes and the renderer of the send
// box, and ties them to the view's port.
//
// While the window is shown, the port writes a copy of its bytes into the
// live renderer's tap (CPortEx::SetWriteTap), also for a port the view
// opens later; hidden, the port has no tap and the renderer no thread. The
// "已发送" roll starts afresh when the window is shown, when a port is made
// for an open and when the user clears it.
//
// "预览发送区" renders the send box's bytes (when the box is empty, the file
// chosen for file sending, up to kMaxFilePreview bytes) on the "发送区" roll
// by a renderer of its own; nothing is written to the port. A click on a
// report row of that roll selects the command's bytes in the send box, when
// the roll came from the box and the box's text is the plain rendering of its
// bytes (as after loading or typing in one notation).
//
// Window thread only.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class CEditEx;
class CFileSendState;
class CPortEx;
class CPreviewRenderer;
class CPreviewWindow;
class CViewPort;
struct PreviewBatch;

class CPreviewPart : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kMaxFilePreview = 16 << 20;

    // `sendBox` is looked up when needed: the view makes its form later.
    CPreviewPart(CViewPort &port, std::function<CEditEx *()> sendBox,
                 const CFileSendState &fileSend, QWidget *view);
    ~CPreviewPart() override;

    // The menu command: shows the window (made on first use) and raises it.
    void Show();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateWindow();
    void StartLive();
    void StopLive();
    void OnPortAdopted(CPortEx &port);
    void OnClear();
    void OnPaperWidth(int dots);
    void OnPreviewSendBox();
    bool TakeSendBoxBytes(QByteArray &bytes);
    bool TakeFileBytes(QByteArray &bytes);
    void RenderSendBox();
    void SelectInSendBox(quint64 offset, int length);

    CViewPort &m_port;
    std::function<CEditEx *()> m_sendBoxOf;
    const CFileSendState &m_fileSend;
    QWidget *m_view;
    QPointer<CPreviewWindow> m_window;
    std::unique_ptr<CPreviewRenderer> m_live;
    std::unique_ptr<CPreviewRenderer> m_sendBoxRenderer;
    QByteArray m_sendBoxBytes;     // what the "发送区" roll shows
    bool m_sendBoxFromBox = false; // it came from the send box, not a file
};
