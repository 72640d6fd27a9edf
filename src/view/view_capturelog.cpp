// "记录到文件": the capture log's controls in the port column, and the log
// opened with each port, fed by reads and writes, and closed with the port.
#include "view/capturelog.h"
#include "view/tarvikview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QSignalBlocker>

#include <iterator>

namespace {
constexpr int kUntilReplaced = -1;
constexpr int kDefaultDuration = 0;
} // namespace

void CTarvikView::CreateCaptureLog()
{
    m_pLog = new CCaptureLog(this);
    m_pLogOption =
        new QCheckBox(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "记录到文件")), this);
    m_pLogOption->setObjectName(QStringLiteral("captureLog"));
    m_pLogForm = new QComboBox(this);
    m_pLogForm->setObjectName(QStringLiteral("captureForm"));
    m_pLogForm->setSizeAdjustPolicy(QComboBox::AdjustToContents); // follows the language
    m_pLogForm->addItems({QString(), QString(), QString()});
    SetCaptureFormNames();
    m_pLogForm->setToolTip(QString::fromUtf8(QT_TRANSLATE_NOOP(
        "Caption", "原始字节；十六进制行；带时间戳和方向（< 收，> 发）的文本行")));
    m_pLogSent = new QCheckBox(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "含发送")), this);
    m_pLogSent->setToolTip(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "同时记录发送的数据")));
    m_pLogSent->setObjectName(QStringLiteral("captureSent"));
    connect(m_pLogOption, &QCheckBox::toggled, this, &CTarvikView::OnCaptureLogToggled);
    connect(m_pLog, &CCaptureLog::failed, this, &CTarvikView::StopCaptureLog);
}

// The log's forms, in the current language (a list entry has no caption of
// its own that a change of language could reach).
void CTarvikView::SetCaptureFormNames()
{
    static const char *const kForms[] = {QT_TRANSLATE_NOOP("Caption", "原始"),
                                         QT_TRANSLATE_NOOP("Caption", "十六进制"),
                                         QT_TRANSLATE_NOOP("Caption", "文本")};
    for (int i = 0; i < m_pLogForm->count() && i < int(std::size(kForms)); ++i)
        m_pLogForm->setItemText(i, QCoreApplication::translate("Caption", kForms[i]));
}

void CTarvikView::OnCaptureLogToggled(bool on)
{
    m_pLogForm->setEnabled(!on);
    m_pLogSent->setEnabled(!on);
    if (!on) {
        StopCaptureLog(m_pLog->Close());
        return;
    }
    m_strLogPath = ChooseSaveFile(QStringLiteral("capture.log"));
    if (m_strLogPath.isEmpty()) {
        m_pLogOption->setChecked(false); // cancelled
        return;
    }
    m_pLogOption->setToolTip(m_strLogPath);
    if (m_pPort)
        OpenCaptureLog();
    else
        ShowStatusText(tr("打开端口后开始记录到 %1").arg(m_strLogPath), kStatusHint,
                       kDefaultDuration);
}

void CTarvikView::OpenCaptureLog()
{
    const auto form = CCaptureLog::Form(m_pLogForm->currentIndex());
    const QString failure = m_pLog->Open(m_strLogPath, form, m_pLogSent->isChecked());
    if (!failure.isEmpty())
        StopCaptureLog(failure);
}

// An empty reason: the user stopped it, or the log closed cleanly.
void CTarvikView::StopCaptureLog(const QString &reason)
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
    ShowStatusText(tr("记录到文件失败，已停止记录：%1").arg(reason), kStatusError, kUntilReplaced);
}

void CTarvikView::CaptureLogOpened()
{
    if (m_pLogOption->isChecked())
        OpenCaptureLog();
}

void CTarvikView::CaptureLogClosing()
{
    StopCaptureLog(m_pLog->Close());
}

void CTarvikView::LogReceived(const uint8_t *bytes, std::size_t count)
{
    m_pLog->Received(bytes, count);
}

void CTarvikView::LogSent(const uint8_t *bytes, std::size_t count)
{
    m_pLog->Sent(bytes, count);
}
