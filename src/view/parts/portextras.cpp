#include "view/parts/portextras.h"

#include "language.h"
#include "panels/portcfgpanel.h"
#include "port/portex.h"
#include "stringtable.h"
#include "view/form/viewform.h"
#include "view/parts/capturelog.h"
#include "view/parts/controllines.h"
#include "view/parts/reconnect.h"
#include "view/parts/viewport.h"
#include "viewmessages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <iterator>

namespace {
constexpr int kGap = 4; // between the rows, and between the controls of a row
constexpr int kReconnectedHintMs = 8000;
constexpr int kQuickLossesToTell = 3;

// Width and height a control asks for at the current font and style.
QSize Wanted(const QWidget *control)
{
    return control->sizeHint().expandedTo(control->minimumSizeHint());
}

// Places the controls of one row from `left`; returns the row's height.
int PlaceRow(std::initializer_list<QWidget *> controls, int left, int top)
{
    int height = 0;
    for (const QWidget *control : controls)
        height = std::max(height, Wanted(control).height());
    for (QWidget *control : controls) {
        control->setGeometry(left, top, Wanted(control).width(), height);
        left += Wanted(control).width() + kGap;
    }
    return height;
}
} // namespace

CPortExtras::CPortExtras(CViewPort &port, Hooks hooks) : m_port(port), m_hooks(std::move(hooks)) {}

void CPortExtras::Create(QWidget *view, QComboBox *portKind, QPushButton *openClose)
{
    m_view = view;
    m_portKind = portKind;
    m_openClose = openClose;
    m_pLines = new CControlLinesBox(view);
    const auto showForKind = [this](int kind) {
        m_pLines->setVisible(kind == int(PortKind::Serial));
        m_hooks.place();
    };
    showForKind(portKind->currentIndex());
    connect(portKind, &QComboBox::currentIndexChanged, this, showForKind);
    connect(m_pLines, &CControlLinesBox::breakFailed, this, [this](const QString &reason) {
        m_hooks.showStatus(tr("发送中断失败：%1").arg(reason), kStatusError, kStatusDefaultTime);
    });
    CreateReconnect(view);
    CreateCaptureLog(view);
    Language::TranslateTree(view); // the captions made here, in the language chosen
    m_hooks.place();
}

// Below the chosen file's name, sized for the current font: the control lines
// (two rows, serial kind only), then the reconnect and log options, then the
// log's form and whether sent bytes are logged; the options move up while the
// lines are hidden.
std::optional<int> CPortExtras::Place(int width, int top)
{
    if (!m_pLines || !m_pLogOption)
        return std::nullopt; // not all made yet
    const int linesTop = top + kGap;
    m_pLines->setGeometry(kPanelLeft, linesTop, std::max(width, Wanted(m_pLines).width()),
                          Wanted(m_pLines).height());
    const int linesRoom = m_pLines->height() + kGap;
    int rowTop = linesTop + (m_pLines->isHidden() ? 0 : linesRoom);
    rowTop += PlaceRow({m_pReconnectOption, m_pLogOption}, kPanelLeft + 1, rowTop) + kGap;
    const int formRow = rowTop;
    rowTop += PlaceRow({m_pLogForm, m_pLogSent}, kPanelLeft + 1, rowTop);
    const int pathLeft = m_pLogSent->geometry().right() + 1 + kGap;
    m_pLogPath->setGeometry(pathLeft, formRow, std::max(0, kPanelLeft + width - pathLeft),
                            rowTop - formRow);
    ShowLogPath();
    return rowTop + (m_pLines->isHidden() ? linesRoom : 0) + kGap;
}

void CPortExtras::Opened()
{
    m_pLines->Follow(m_port.Port());
    m_pReconnect->NoteTransferEnded(false); // none has run on this port
    if (!m_pReconnect->Active()) {          // a reopened port is the same target
        m_nReopenUsbDevice = m_port.SelectedUsbDevice();
        m_pReconnect->NoteOpenedByUser();
    } else {
        m_pReconnect->NoteReopened();
        const QString done =
            tr("自动重连成功（第 %1 次尝试）").arg(m_pReconnect->Attempts()) + QuickLossNote();
        m_hooks.showStatus(m_pReconnect->TransferCutOff()
                               ? done + tr("。中断的文件发送没有继续，请重新发送。")
                               : done,
                           kStatusHint, kReconnectedHintMs);
    }
    if (m_pLogOption->isChecked())
        OpenCaptureLog();
}

void CPortExtras::PlaceInForm(CViewForm &form, QWidget &view)
{
    const std::optional<int> bottom =
        Place(form.panelRect.width() - 2, form.filePath->geometry().bottom() + 1);
    if (!bottom)
        return;
    form.minimumSize.setHeight(std::max(form.minimumSize.height(), *bottom));
    view.setMinimumSize(form.minimumSize);
}

void CPortExtras::Closing()
{
    m_pLines->Forget();
    StopCaptureLog(m_pLog->Close());
}

// ---- opening a lost port again ----

void CPortExtras::CreateReconnect(QWidget *view)
{
    m_pReconnectOption =
        new QCheckBox(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "自动重连")), view);
    m_pReconnectOption->setObjectName(QStringLiteral("autoReconnect"));
    m_pReconnectOption->setToolTip(
        QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "端口丢失后每秒尝试重新打开同一端口")));
    m_pReconnect = new CReconnect(
        m_pReconnectOption, [this](int attempt) { return TryReopen(attempt); }, view);
    connect(m_pReconnectOption, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            StopReconnecting();
    });
}

// Empty until a few reopened connections were lost before they held.
QString CPortExtras::QuickLossNote() const
{
    const int losses = m_pReconnect->QuickLosses();
    return losses < kQuickLossesToTell ? QString() : tr("（连接已 %1 次刚打开就断开）").arg(losses);
}

QString CPortExtras::ReconnectHint(int attempt) const
{
    const QString hint = tr("正在自动重连（第 %1 次）…").arg(attempt) + QuickLossNote();
    return m_pReconnect->TransferCutOff() ? tr("文件发送已中断，不会续传。") + hint : hint;
}

// The USB list is refilled every second and then chooses its first row, so
// an attempt waits for the device number the port had when it opened.
bool CPortExtras::TryReopen(int attempt)
{
    if (m_port.Port())
        return false; // the last attempt is still connecting
    m_hooks.showStatus(ReconnectHint(attempt), kStatusHint, kStatusUntilReplaced);
    const int kind = m_portKind->currentIndex();
    std::unique_ptr<CPortEx> port = kind == int(PortKind::Usb)
                                        ? m_port.CreateUsbFor(m_nReopenUsbDevice)
                                        : m_port.CreateConfigured(kind);
    if (!port)
        return true;
    if (!m_port.Adopt(std::move(port))->OpenPort(m_view, 1, 0, 0)) {
        Closing(); // quietly: the next tick tries again
        m_port.Discard();
    }
    return true;
}

void CPortExtras::Lost(bool transferRunning)
{
    if (!m_pReconnect->Enabled())
        return;
    m_pReconnect->Start(transferRunning);
    m_openClose->setText(tr("停止重连"));
    if (const int losses = m_pReconnect->QuickLosses(); losses >= kQuickLossesToTell)
        m_hooks.showStatus(tr("连接刚打开就断开（已 %1 次），继续自动重连…").arg(losses),
                           kStatusError, kStatusUntilReplaced);
}

void CPortExtras::TransferEnded(bool failed)
{
    m_pReconnect->NoteTransferEnded(failed);
}

void CPortExtras::OpenFailed()
{
    if (m_pReconnect->Active())
        m_hooks.showStatus(ReconnectHint(m_pReconnect->Attempts()), kStatusHint,
                           kStatusUntilReplaced);
}

bool CPortExtras::StopReconnecting()
{
    if (!m_pReconnect->Active())
        return false;
    m_pReconnect->Stop();
    if (m_port.Port()) {
        m_hooks.closePort(); // an attempt still connecting
        return true;
    }
    m_openClose->setText(LoadString(IDS_OPEN_PORT));
    m_hooks.showStatus(tr("已停止自动重连"), kStatusHint, kStatusDefaultTime);
    return true;
}

// ---- the capture log ----

void CPortExtras::SetLogCodePage(CodePageId page)
{
    if (m_pLog)
        m_pLog->SetCodePage(page == CodePageId::Gbk ? nullptr : &RulesOf(page));
}

void CPortExtras::CreateCaptureLog(QWidget *view)
{
    m_pLog = new CCaptureLog(view);
    m_pLogOption =
        new QCheckBox(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "记录到文件")), view);
    m_pLogOption->setObjectName(QStringLiteral("captureLog"));
    m_pLogForm = new QComboBox(view);
    m_pLogForm->setObjectName(QStringLiteral("captureForm"));
    m_pLogForm->setSizeAdjustPolicy(QComboBox::AdjustToContents); // follows the language
    m_pLogForm->addItems({QString(), QString(), QString()});
    Retranslate();
    m_pLogForm->setToolTip(QString::fromUtf8(QT_TRANSLATE_NOOP(
        "Caption", "原始字节；十六进制行；带时间戳和方向（< 收，> 发）的文本行")));
    m_pLogSent = new QCheckBox(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "含发送")), view);
    m_pLogSent->setToolTip(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "同时记录发送的数据")));
    m_pLogSent->setObjectName(QStringLiteral("captureSent"));
    m_pLogPath = new QLabel(view);
    m_pLogPath->setObjectName(QStringLiteral("captureLogPath"));
    connect(m_pLogOption, &QCheckBox::toggled, this, &CPortExtras::OnCaptureLogToggled);
    connect(m_pLog, &CCaptureLog::failed, this, &CPortExtras::StopCaptureLog);
}

// A list entry has no caption of its own that a change of language could reach.
void CPortExtras::Retranslate()
{
    static const char *const kForms[] = {QT_TRANSLATE_NOOP("Caption", "原始"),
                                         QT_TRANSLATE_NOOP("Caption", "十六进制"),
                                         QT_TRANSLATE_NOOP("Caption", "文本")};
    for (int i = 0; m_pLogForm && i < m_pLogForm->count() && i < int(std::size(kForms)); ++i)
        m_pLogForm->setItemText(i, QCoreApplication::translate("Caption", kForms[i]));
}

void CPortExtras::OnCaptureLogToggled(bool on)
{
    m_pLogForm->setEnabled(!on);
    m_pLogSent->setEnabled(!on);
    if (!on) {
        StopCaptureLog(m_pLog->Close());
        ShowLogPath();
        return;
    }
    m_strLogPath = m_hooks.chooseLogFile(QStringLiteral("capture.log"));
    if (m_strLogPath.isEmpty()) {
        m_pLogOption->setChecked(false); // cancelled
        return;
    }
    m_pLogOption->setToolTip(m_strLogPath);
    ShowLogPath();
    if (!m_port.Port())
        m_hooks.showStatus(tr("打开端口后开始记录到 %1").arg(m_strLogPath), kStatusHint,
                           kStatusDefaultTime);
    else if (OpenCaptureLog())
        m_hooks.showStatus(tr("开始记录到 %1").arg(m_strLogPath), kStatusHint, kStatusDefaultTime);
}

bool CPortExtras::OpenCaptureLog()
{
    const auto form = CCaptureLog::Form(m_pLogForm->currentIndex());
    const QString failure = m_pLog->Open(m_strLogPath, form, m_pLogSent->isChecked());
    if (!failure.isEmpty())
        StopCaptureLog(failure);
    return failure.isEmpty();
}

// The file's name, shortened in the middle to the room beside the options;
// the tool tip has the whole path.
void CPortExtras::ShowLogPath()
{
    const bool shown = m_pLogOption->isChecked() && !m_strLogPath.isEmpty();
    const QString name = shown ? QFileInfo(m_strLogPath).fileName() : QString();
    m_pLogPath->setText(
        m_pLogPath->fontMetrics().elidedText(name, Qt::ElideMiddle, m_pLogPath->width()));
    m_pLogPath->setToolTip(shown ? QDir::toNativeSeparators(m_strLogPath) : QString());
}

// An empty reason: the user stopped it, or the log closed cleanly.
void CPortExtras::StopCaptureLog(const QString &reason)
{
    m_pLog->Close();
    if (reason.isEmpty())
        return;
    {
        const QSignalBlocker quiet(m_pLogOption);
        m_pLogOption->setChecked(false);
    }
    m_pLogForm->setEnabled(true);
    m_pLogSent->setEnabled(true);
    ShowLogPath();
    m_hooks.showStatus(tr("记录到文件失败，已停止记录：%1").arg(reason), kStatusError,
                       kStatusUntilReplaced);
}

void CPortExtras::LogReceived(const uint8_t *bytes, std::size_t count)
{
    m_pReconnect->NoteData();
    m_pLog->Received(bytes, count);
}

void CPortExtras::LogSent(const uint8_t *bytes, std::size_t count)
{
    m_pLog->Sending(bytes, count);
}

void CPortExtras::LogSendDone(bool written)
{
    m_pLog->SendDone(written);
}

void CPortExtras::LogTransfer(const QString &note)
{
    m_pLog->Note(note);
}
