// Opening a lost port again by itself (CReconnect) and what the user is told
// meanwhile: a hint with the attempt count, the success, and a file transfer
// that was cut off and is not resumed.
#include "panels/usbcfgdlg.h"
#include "port/portex.h"
#include "port/usbport.h"
#include "stringtable.h"
#include "view/reconnect.h"
#include "view/tarvikview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>

#include <algorithm>

namespace {
constexpr int kUntilReplaced = -1;
constexpr int kReconnectedHintMs = 8000;
} // namespace

void CTarvikView::CreateReconnect()
{
    auto *option = new QCheckBox(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "自动重连")), this);
    option->setObjectName(QStringLiteral("autoReconnect"));
    option->setToolTip(
        QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "端口丢失后每秒尝试重新打开同一端口")));
    m_pReconnect = new CReconnect(
        option, [this](int attempt) { return TryReopen(attempt); }, this);
    connect(option, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            StopReconnecting();
    });
}

QString CTarvikView::ReconnectHint(int attempt) const
{
    const QString hint = tr("正在自动重连（第 %1 次）…").arg(attempt);
    return m_pReconnect->TransferCutOff() ? tr("文件发送已中断，不会续传。") + hint : hint;
}

bool CTarvikView::TryReopen(int attempt)
{
    if (m_pPort)
        return false; // the last attempt is still connecting
    ShowStatusText(ReconnectHint(attempt), kStatusHint, kUntilReplaced);
    const int kind = m_form.portKind->currentIndex();
    std::unique_ptr<CPortEx> port =
        kind == int(PortKind::Usb) ? ReopenUsbPort() : CreateConfiguredPort(kind);
    if (!port)
        return true;
    m_pPort = std::move(port);
    if (!m_pPort->OpenPort(this, 1, 0, 0))
        DiscardPort(); // quietly: the next tick tries again
    return true;
}

// The USB list is refilled every second and then chooses its first row, so
// the device number is taken when the port opens, and the attempts wait for
// that number rather than open whichever printer is listed first.
void CTarvikView::RememberReopenTarget()
{
    if (m_pReconnect->Active())
        return; // reopened: the same target
    const auto *usb = qobject_cast<CUsbCfgDlg *>(m_pPortPanel);
    const PanelRowSelection row = usb ? usb->SelectedRow() : PanelRowSelection{};
    m_nReopenUsbDevice =
        row.state == RowChoice::Selected ? CUsbCfgDlg::DeviceNumberOf(row.text) : -1;
}

std::unique_ptr<CPortEx> CTarvikView::ReopenUsbPort()
{
    const std::vector<int> present = m_providers.usbDevices();
    if (m_nReopenUsbDevice < 0 ||
        std::find(present.begin(), present.end(), m_nReopenUsbDevice) == present.end())
        return nullptr;
    std::unique_ptr<CPortEx> port = m_portFactory(PortKind::Usb);
    const std::string path = UsbDeviceName(m_nReopenUsbDevice);
    const tagUSB_CFG record{path.c_str(), uint32_t(path.size())};
    if (port)
        port->SetPortSettings(&record); // the port copies the path
    return port;
}

void CTarvikView::PortExtrasLost(bool transferRunning)
{
    if (!m_pReconnect->Enabled())
        return;
    m_pReconnect->Start(transferRunning);
    m_form.openClose->setText(tr("停止重连"));
}

void CTarvikView::PortExtrasTransferEnded(bool failed)
{
    m_pReconnect->NoteTransferEnded(failed);
}

void CTarvikView::ReconnectSucceeded()
{
    if (!m_pReconnect->Active())
        return;
    m_pReconnect->Stop();
    const QString done = tr("自动重连成功（第 %1 次尝试）").arg(m_pReconnect->Attempts());
    ShowStatusText(
        m_pReconnect->TransferCutOff() ? done + tr("。中断的文件发送没有继续，请重新发送。") : done,
        kStatusHint, kReconnectedHintMs);
}

void CTarvikView::ReconnectOpenFailed()
{
    if (m_pReconnect->Active())
        ShowStatusText(ReconnectHint(m_pReconnect->Attempts()), kStatusHint, kUntilReplaced);
}

bool CTarvikView::StopReconnecting()
{
    if (!m_pReconnect->Active())
        return false;
    m_pReconnect->Stop();
    if (m_pPort) {
        CloseOpenPort(); // an attempt still connecting
        return true;
    }
    m_form.openClose->setText(LoadString(IDS_OPEN_PORT));
    ShowStatusText(tr("已停止自动重连"), kStatusHint, 0);
    return true;
}
