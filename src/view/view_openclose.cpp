// Port kind, the settings panel of the kind, opening and closing the port,
// and the view's answer to the open result and to a lost port.
#include "panels/printercfgdlg.h"
#include "panels/serialcfgdlg.h"
#include "port/portex.h"
#include "stringtable.h"
#include "view/tarvikview.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {
// A port that has just opened is news worth keeping on screen longer than a hint.
constexpr int kOpenedHintMs = 8000;
constexpr int kDefaultDuration = 0;
constexpr int kUntilReplaced = -1;

// Why the device would not open, when the port could tell; empty otherwise.
QString OpenRefusalText(const PortOpenFailure &failure)
{
    const QString device = QString::fromStdString(failure.device);
    const QString group = QString::fromStdString(failure.group);
    if (device.isEmpty())
        return {};
    switch (failure.refusal) {
    case OpenRefusal::NoPermission:
        return group.isEmpty() ? CTarvikView::tr("权限不足：%1").arg(device)
                               : CTarvikView::tr("权限不足：%1 属于 %2 组").arg(device, group);
    case OpenRefusal::InUse:
        return CTarvikView::tr("端口正被其他程序占用：%1").arg(device);
    case OpenRefusal::Other:
        break;
    }
    return {};
}
} // namespace

void CTarvikView::ConnectPortControls()
{
    m_port.SetNoRowReport(
        [this] { ShowStatusMessage(kStatusError, IDS_SELECT_PORT_FIRST, kUntilReplaced); });
    connect(m_form.portKind, &QComboBox::currentIndexChanged, this, &CTarvikView::OnPortKindChange);
    connect(m_form.openClose, &QPushButton::clicked, this, &CTarvikView::OnOpenClose);
}

void CTarvikView::OnPortKindChange()
{
    const int kind = m_form.portKind->currentIndex();
    m_extras.StopReconnecting();
    if (m_port.Port())
        OnOpenClose(); // closes it
    m_form.openClose->setEnabled(true);
    m_port.DestroyPanel();
    CreatePortPanel(kind);
}

void CTarvikView::CreatePortPanel(int kind)
{
    CPortCfgPanel *panel = m_port.CreatePanel(kind, this);
    if (!panel)
        return;
    const QSize need = panel->minimumSizeHint();
    if (m_form.panelRect.size().expandedTo(need) != m_form.panelRect.size())
        FitPortColumn(need);
    panel->setGeometry(m_form.panelRect);
    if (auto *serial = qobject_cast<CSerialCfgDlg *>(panel))
        connect(serial, &CSerialCfgDlg::settingChanged, this,
                [this] { OnViewRequest(kRequestClosePort, 0, {}); });
    if (auto *printer = qobject_cast<CPrinterCfgDlg *>(panel))
        connect(printer, &CPrinterCfgDlg::noPrinterFound, this,
                [this] { m_form.openClose->setEnabled(false); });
    panel->show();
}

void CTarvikView::OnOpenClose()
{
    if (m_extras.StopReconnecting())
        return;
    if (m_port.Port())
        CloseOpenPort();
    else
        OpenSelectedPort();
}

// Also closes a port whose open is still pending (the serial panel asks for
// that on a new setting); the open button comes back with the closed state.
void CTarvikView::CloseOpenPort()
{
    DiscardPort();
    SetStringText(m_form.openClose, IDS_OPEN_PORT);
    m_form.openClose->setEnabled(true);
    SetStringText(m_form.sendFile, IDS_SEND);
    ShowStatusMessage(kStatusHint, IDS_PORT_CLOSED, kDefaultDuration);
    m_form.send->setEnabled(false);
    m_form.sendFile->setEnabled(false);
    m_form.stopFile->setEnabled(false);
    StopFileSendingDisplay();
}

void CTarvikView::DiscardPort()
{
    m_extras.Closing();
    m_port.Discard();
}

void CTarvikView::OpenSelectedPort()
{
    if (m_recvDisplay.IsPaused())
        SetReceivePaused(false);
    const int kind = m_form.portKind->currentIndex();
    if (kind < 0) {
        QMessageBox::information(
            this, QString(),
            QCoreApplication::translate(Language::kCaptionContext, FormText::kNotFinished));
        return;
    }
    if (kind == int(PortKind::Usb))
        SetReceivePaused(true); // the USB kind starts with receiving off: its driver often locks up
    std::unique_ptr<CPortEx> port = m_port.CreateConfigured(kind);
    if (!port)
        return; // nothing to open, or the user was told why
    CPortEx *opening = m_port.Adopt(std::move(port));
    m_status.ForgetStatusRequests();
    if (!opening->OpenPort(this, 1, 0, 0)) {
        const QString refusal = OpenRefusalText(opening->GetOpenFailure());
        DiscardPort();
        if (refusal.isEmpty())
            ShowStatusMessage(kStatusError, IDS_OPEN_PORT_FAILED, kDefaultDuration);
        else
            ShowStatusText(LoadString(IDS_OPEN_PORT_FAILED) + u' ' + refusal, kStatusError,
                           kDefaultDuration);
        return;
    }
    m_form.openClose->setEnabled(false); // until the open result arrives
}

void CTarvikView::SetReceivePaused(bool paused)
{
    SetStringText(m_form.pauseRecv, paused ? IDS_CONTINUE_RECEIVE : IDS_PAUSE_RECEIVE);
    m_recvDisplay.SetPaused(paused);
}

void CTarvikView::OnOpenResult(int error)
{
    if (!m_port.Port())
        return; // closed meanwhile; nothing waits for this result
    if (error != 0) {
        // The printer kind says why the spooler refused: no such queue, no answer.
        ShowStatusText(LoadString(IDS_OPEN_PORT_FAILED) + SpoolerFailureText(), kStatusError,
                       kDefaultDuration);
        DiscardPort();
        m_form.openClose->setEnabled(true);
        m_extras.OpenFailed();
        return;
    }
    ShowStatusMessage(kStatusHint, IDS_OPEN_PORT_OK, kOpenedHintMs);
    SetStringText(m_form.openClose, IDS_CLOSE_PORT);
    m_form.send->setEnabled(true);
    if (SelectedFileUsable())
        m_form.sendFile->setEnabled(true);
    m_form.openClose->setEnabled(true);
    m_extras.Opened();
}

void CTarvikView::OnPortLost()
{
    if (!m_port.Port())
        return;
    const bool transferRunning = m_fileSend.IsSending() || m_port.Port()->IsSendingFile();
    if (transferRunning) {
        StopFileSendingDisplay();
        m_form.send->setEnabled(false);
        SetStringText(m_form.sendFile, IDS_SEND);
        m_form.stopFile->setEnabled(false);
    }
    DiscardPort();
    SetStringText(m_form.openClose, IDS_OPEN_PORT);
    ShowStatusMessage(kStatusError, IDS_PORT_CLOSED, kUntilReplaced);
    m_form.send->setEnabled(false);
    m_form.sendFile->setEnabled(false);
    // A lost port may end while its open was still pending.
    m_form.openClose->setEnabled(true);
    m_extras.Lost(transferRunning);
}

// A path shorter than 2 characters counts as no file.
bool CTarvikView::SelectedFileUsable() const
{
    if (m_fileSend.SelectedFile().size() < 2)
        return false;
    const QFileInfo info(m_fileSend.SelectedFile());
    return info.isFile() && info.isReadable() && info.size() > 0;
}
