#include "view/parts/portcontrol.h"

#include "panels/ethportcfgdlg.h"
#include "panels/printercfgdlg.h"
#include "panels/serialcfgdlg.h"
#include "port/porterror.h"
#include "port/portex.h"
#include "stringtable.h"
#include "view/form/viewform.h"
#include "view/parts/filesendstate.h"
#include "view/parts/portextras.h"
#include "view/parts/receivecontrols.h"
#include "view/parts/viewport.h"
#include "view/parts/viewstatus.h"
#include "viewmessages.h"

#include <QComboBox>
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
        return group.isEmpty() ? CPortControl::tr("权限不足：%1").arg(device)
                               : CPortControl::tr("权限不足：%1 属于 %2 组").arg(device, group);
    case OpenRefusal::InUse:
        return CPortControl::tr("端口正被其他程序占用：%1").arg(device);
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
        return CPortControl::tr("未填写计算机名或 IP 地址");
    if (panel.Port() == 0)
        return CPortControl::tr("未填写端口号"); // a number out of range never leaves the panel
    switch (error) {
    case kSockErrConnRefused:
        return CPortControl::tr("连接被拒绝：%1 端口 %2").arg(panel.Host()).arg(panel.Port());
    case kSockErrHostNotFound:
    case kSockErrTryAgain:
    case kSockErrNoRecovery:
        return CPortControl::tr("找不到主机：%1").arg(panel.Host());
    case kSockErrTimedOut:
        return CPortControl::tr("连接超时：%1").arg(panel.Host());
    case kSockErrNetUnreachable:
    case kSockErrHostUnreachable:
    case kSockErrHostDown:
        return CPortControl::tr("主机不可达：%1").arg(panel.Host());
    default:
        return {};
    }
}
} // namespace

CPortControl::CPortControl(const CViewForm &form, Parts parts) : m_form(form), m_parts(parts) {}

void CPortControl::Connect(QWidget *view, FitColumn fitColumn)
{
    m_view = view;
    m_fitColumn = std::move(fitColumn);
    CViewStatus &status = m_parts.status;
    m_parts.port.SetNoRowReport([&status] {
        status.ShowMessage(kStatusError, IDS_SELECT_PORT_FIRST, kStatusUntilReplaced);
    });
    m_parts.port.SetEmptyListReport([&status](PortKind kind) {
        status.ShowText(kind == PortKind::Usb ? tr("未找到 USB 打印机，请连接打印机后再打开端口")
                                              : tr("未找到打印机"),
                        kStatusError, kStatusDefaultTime);
    });
    connect(m_form.portKind, &QComboBox::currentIndexChanged, this, &CPortControl::OnKindChange);
    connect(m_form.openClose, &QPushButton::clicked, this, &CPortControl::OnOpenClose);
}

// The generic message, then why: the spooler's reason follows it directly,
// as in the send messages; a device's refusal or the network's cause after
// a space.
QString CPortControl::OpenFailureText(uint32_t error) const
{
    const QString failed = LoadString(IDS_OPEN_PORT_FAILED);
    if (const QString spooler = m_parts.port.SpoolerFailureText(); !spooler.isEmpty())
        return failed + spooler;
    const CPortEx *port = m_parts.port.Port();
    QString cause = port ? OpenRefusalText(port->GetOpenFailure()) : QString();
    const auto *network = qobject_cast<const CEthPortCfgDlg *>(m_parts.port.Panel());
    if (port && cause.isEmpty() && network)
        cause = ConnectFailureText(*network, error);
    return cause.isEmpty() ? failed : failed + u' ' + cause;
}

void CPortControl::OnKindChange()
{
    const int kind = m_form.portKind->currentIndex();
    m_parts.extras.StopReconnecting();
    if (m_parts.port.Port())
        OnOpenClose(); // closes it
    m_form.openClose->setEnabled(true);
    m_parts.port.DestroyPanel();
    CreatePanel(kind);
}

void CPortControl::CreatePanel(int kind)
{
    CPortCfgPanel *panel = m_parts.port.CreatePanel(kind, m_view);
    if (!panel)
        return;
    m_fitColumn(panel->minimumSizeHint());
    panel->setGeometry(m_form.panelRect);
    if (auto *serial = qobject_cast<CSerialCfgDlg *>(panel))
        connect(serial, &CSerialCfgDlg::settingChanged, this, [this] {
            if (m_parts.port.Port())
                OnOpenClose();
        });
    if (auto *printer = qobject_cast<CPrinterCfgDlg *>(panel))
        connect(printer, &CPrinterCfgDlg::noPrinterFound, this,
                [this] { m_form.openClose->setEnabled(false); });
    panel->show();
}

void CPortControl::OnOpenClose()
{
    if (m_parts.extras.StopReconnecting())
        return;
    if (m_parts.port.Port())
        Close();
    else
        Open();
}

void CPortControl::Close()
{
    Discard();
    SetStringText(m_form.openClose, IDS_OPEN_PORT);
    m_form.openClose->setEnabled(true);
    SetStringText(m_form.sendFile, IDS_SEND);
    m_parts.status.ShowMessage(kStatusHint, IDS_PORT_CLOSED, kStatusDefaultTime);
    m_form.send->setEnabled(false);
    m_form.sendFile->setEnabled(false);
    m_form.stopFile->setEnabled(false);
    m_parts.fileSend.Ended();
}

void CPortControl::Discard()
{
    m_parts.extras.Closing();
    m_parts.port.Discard();
}

void CPortControl::Open()
{
    const int kind = m_form.portKind->currentIndex();
    if (kind < 0) {
        QMessageBox::information(
            m_view, QString(),
            QCoreApplication::translate(Language::kCaptionContext, FormText::kNotFinished));
        return;
    }
    std::unique_ptr<CPortEx> port = m_parts.port.CreateConfigured(kind);
    if (!port)
        return; // nothing to open, or the user was told why; receiving stays as it was
    if (kind == int(PortKind::Usb))
        m_parts.receive.SetPaused(
            true); // the USB kind starts with receiving off: its driver often locks up
    else if (m_parts.receive.IsPaused())
        m_parts.receive.SetPaused(false);
    CPortEx *opening = m_parts.port.Adopt(std::move(port));
    m_parts.status.ForgetStatusRequests();
    if (!opening->OpenPort(m_view, 1, 0, 0)) {
        const QString failure = OpenFailureText(opening->GetLastError());
        Discard();
        m_parts.status.ShowText(failure, kStatusError, kStatusDefaultTime);
        return;
    }
    m_form.openClose->setEnabled(false); // until the open result arrives
}

void CPortControl::OnOpenResult(int error)
{
    if (!m_parts.port.Port())
        return; // closed meanwhile; nothing waits for this result
    if (error != 0) {
        const QString failure = OpenFailureText(uint32_t(error));
        Discard();
        m_parts.status.ShowText(failure, kStatusError, kStatusDefaultTime);
        m_form.openClose->setEnabled(true);
        m_parts.extras.OpenFailed();
        return;
    }
    m_parts.status.ShowMessage(kStatusHint, IDS_OPEN_PORT_OK, kOpenedHintMs);
    SetStringText(m_form.openClose, IDS_CLOSE_PORT);
    m_form.send->setEnabled(true);
    if (m_parts.fileSend.SelectedFileUsable())
        m_form.sendFile->setEnabled(true);
    m_form.openClose->setEnabled(true);
    m_parts.extras.Opened();
}

void CPortControl::OnLost()
{
    if (!m_parts.port.Port())
        return;
    const bool transferRunning =
        m_parts.fileSend.IsSending() || m_parts.port.Port()->IsSendingFile();
    if (transferRunning) {
        m_parts.fileSend.Ended();
        m_form.send->setEnabled(false);
        SetStringText(m_form.sendFile, IDS_SEND);
        m_form.stopFile->setEnabled(false);
    }
    Discard();
    SetStringText(m_form.openClose, IDS_OPEN_PORT);
    m_parts.status.ShowMessage(kStatusError, IDS_PORT_CLOSED, kStatusUntilReplaced);
    m_form.send->setEnabled(false);
    m_form.sendFile->setEnabled(false);
    // A lost port may end while its open was still pending.
    m_form.openClose->setEnabled(true);
    m_parts.extras.Lost(transferRunning);
}
