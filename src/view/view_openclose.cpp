// Port kind, the settings panel of the kind, opening and closing the port,
// and the view's answer to the open result and to a lost port.
#include "panels/ethportcfgdlg.h"
#include "panels/printercfgdlg.h"
#include "panels/serialcfgdlg.h"
#include "port/porterror.h"
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

// Why a network open failed: the settings the panel gave, else the error the
// port recorded; empty when the error says nothing a user can act on.
QString ConnectFailureText(const CEthPortCfgDlg &panel, uint32_t error)
{
    if (panel.Host().trimmed().isEmpty())
        return CTarvikView::tr("未填写计算机名或 IP 地址");
    if (panel.Port() == 0)
        return CTarvikView::tr("端口号无效：%1").arg(panel.Port());
    switch (error) {
    case kSockErrConnRefused:
        return CTarvikView::tr("连接被拒绝：%1 端口 %2").arg(panel.Host()).arg(panel.Port());
    case kSockErrHostNotFound:
    case kSockErrTryAgain:
    case kSockErrNoRecovery:
        return CTarvikView::tr("找不到主机：%1").arg(panel.Host());
    case kSockErrTimedOut:
        return CTarvikView::tr("连接超时：%1").arg(panel.Host());
    case kSockErrNetUnreachable:
    case kSockErrHostUnreachable:
    case kSockErrHostDown:
        return CTarvikView::tr("主机不可达：%1").arg(panel.Host());
    default:
        return {};
    }
}
} // namespace

// The generic message, then why: the spooler's reason follows it directly,
// as in the send messages; a device's refusal or the network's cause after
// a space.
QString CTarvikView::OpenFailureText(uint32_t error) const
{
    const QString failed = LoadString(IDS_OPEN_PORT_FAILED);
    if (const QString spooler = SpoolerFailureText(); !spooler.isEmpty())
        return failed + spooler;
    const CPortEx *port = m_port.Port();
    QString cause = port ? OpenRefusalText(port->GetOpenFailure()) : QString();
    const auto *network = qobject_cast<const CEthPortCfgDlg *>(m_port.Panel());
    if (port && cause.isEmpty() && network)
        cause = ConnectFailureText(*network, error);
    return cause.isEmpty() ? failed : failed + u' ' + cause;
}

void CTarvikView::ConnectPortControls()
{
    m_port.SetNoRowReport(
        [this] { ShowStatusMessage(kStatusError, IDS_SELECT_PORT_FIRST, kStatusUntilReplaced); });
    m_port.SetEmptyListReport([this](PortKind kind) {
        ShowStatusText(kind == PortKind::Usb ? tr("未找到 USB 打印机，请连接打印机后再打开端口")
                                             : tr("未找到打印机"),
                       kStatusError, kStatusDefaultTime);
    });
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
    FitPortColumn(panel->minimumSizeHint());
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
    ShowStatusMessage(kStatusHint, IDS_PORT_CLOSED, kStatusDefaultTime);
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
    const int kind = m_form.portKind->currentIndex();
    if (kind < 0) {
        QMessageBox::information(
            this, QString(),
            QCoreApplication::translate(Language::kCaptionContext, FormText::kNotFinished));
        return;
    }
    std::unique_ptr<CPortEx> port = m_port.CreateConfigured(kind);
    if (!port)
        return; // nothing to open, or the user was told why; receiving stays as it was
    if (kind == int(PortKind::Usb))
        SetReceivePaused(true); // the USB kind starts with receiving off: its driver often locks up
    else if (m_recvDisplay.IsPaused())
        SetReceivePaused(false);
    CPortEx *opening = m_port.Adopt(std::move(port));
    m_status.ForgetStatusRequests();
    if (!opening->OpenPort(this, 1, 0, 0)) {
        const QString failure = OpenFailureText(opening->GetLastError());
        DiscardPort();
        ShowStatusText(failure, kStatusError, kStatusDefaultTime);
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
        const QString failure = OpenFailureText(uint32_t(error));
        DiscardPort();
        ShowStatusText(failure, kStatusError, kStatusDefaultTime);
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
    ShowStatusMessage(kStatusError, IDS_PORT_CLOSED, kStatusUntilReplaced);
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
