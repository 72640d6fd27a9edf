// The view's wiring of file sending (filesendstate.h): choosing the file,
// starting, pausing, continuing and stopping the port's transfer, following
// its notifications 5 to 8, and loading a small file into the send box.
#include "convert/userfileqt.h"
#include "port/portex.h"
#include "stringtable.h"
#include "view/tarvikview.h"
#include "widgets/editex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <optional>

namespace {
constexpr int kSelectedHintMs = 8000;
constexpr int kFileErrorMs = 5000;

QString Format(unsigned id, int first, int second = 0)
{
    return QString::asprintf(LoadString(id).toUtf8().constData(), first, second);
}

// Why the file at `path` would not open, as the user can act on it. Looked
// up after the refused open; a stat never waits for what the path names.
QString FileOpenFailureText(const QString &path)
{
    const QFileInfo info(path);
    QString cause;
    if (!info.exists())
        cause = CTarvikView::tr("文件不存在，可能已被移动或删除");
    else if (info.isDir())
        cause = CTarvikView::tr("这是一个文件夹");
    else if (!info.isFile())
        cause = CTarvikView::tr("不是普通文件");
    else if (!info.isReadable())
        cause = CTarvikView::tr("没有读取权限");
    else
        cause = CTarvikView::tr("无法读取");
    return CTarvikView::tr("无法打开文件“%1”：%2").arg(QDir::toNativeSeparators(path), cause);
}

// The box's whole number; nothing for any other text, `empty` for no text.
std::optional<int> WholeNumber(const QLineEdit *edit, std::optional<int> empty)
{
    const QString text = edit->text().trimmed();
    if (text.isEmpty())
        return empty;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}
} // namespace

void CTarvikView::ConnectFileControls()
{
    m_fileSend.Attach(
        this, m_form.filePath, m_form.fileCounter, [this] { ScheduleDisplay(); },
        [this] { return Messenger(); });
    connect(m_form.selectFile, &QPushButton::clicked, this, &CTarvikView::OnSelectFile);
    connect(m_form.sendFile, &QPushButton::clicked, this, &CTarvikView::OnSendFile);
    connect(m_form.stopFile, &QPushButton::clicked, this, &CTarvikView::OnStopFile);
    connect(m_form.clearFileCounter, &QPushButton::clicked, this,
            [this] { m_fileSend.ClearCounter(); });
    connect(m_form.loadFile, &QPushButton::clicked, this, &CTarvikView::OnLoadFile);
}

void CTarvikView::SetOpenFileChooser(FileChooser chooser)
{
    m_fileSend.SetOpenChooser(std::move(chooser));
}

// Tells the user why a chosen file cannot be used: it does not open or is
// not a regular file, or it is empty.
bool CTarvikView::OpenChosenFile(QFile &file, const QString &path)
{
    if (!OpenRegularFile(file, path)) {
        ShowStatusText(FileOpenFailureText(path), kStatusError, kFileErrorMs);
        return false;
    }
    if (file.size() == 0) {
        ShowStatusMessage(kStatusError, IDS_FILE_EMPTY, kFileErrorMs);
        return false;
    }
    return true;
}

void CTarvikView::OnSelectFile()
{
    const QString path = m_fileSend.ChooseFileToOpen();
    if (path.isEmpty())
        return;
    QFile file;
    if (OpenChosenFile(file, path))
        SetSelectedFile(path);
}

void CTarvikView::SetSelectedFile(const QString &path)
{
    m_fileSend.SetSelectedFile(path);
    ShowStatusText(QString::asprintf(LoadString(IDS_FILE_SELECTED).toUtf8().constData(),
                                     path.toUtf8().constData()),
                   kStatusHint, kSelectedHintMs);
    if (m_port.Port())
        m_form.sendFile->setEnabled(true);
}

void CTarvikView::OnLoadFile()
{
    const QString path = m_fileSend.ChooseFileToOpen();
    if (path.isEmpty())
        return;
    QFile file;
    if (!OpenChosenFile(file, path))
        return;
    const LoadedBytes loaded = ReadLoadable(file);
    file.close();
    if (loaded.outcome == LoadedBytes::ReadFailed) {
        ShowStatusText(FileOpenFailureText(path), kStatusError, kFileErrorMs);
        return;
    }
    if (loaded.outcome == LoadedBytes::TooLarge) {
        QMessageBox question(QMessageBox::Question, LoadString(IDR_MAINFRAME),
                             LoadString(IDS_FILE_TOO_LARGE), QMessageBox::Ok | QMessageBox::Cancel,
                             this);
        question.setDefaultButton(QMessageBox::Ok);
        if (question.exec() == QMessageBox::Ok)
            SetSelectedFile(path);
        return;
    }
    m_form.sendBox->SetData(reinterpret_cast<const uint8_t *>(loaded.bytes.constData()),
                            std::size_t(loaded.bytes.size()), -1);
}

// One button starts a transfer, and pauses and continues the running one.
void CTarvikView::OnSendFile()
{
    if (!m_port.Port()) {
        ShowStatusMessage(kStatusHint, IDS_PORT_NOT_OPEN, kStatusDefaultTime);
        return;
    }
    if (m_fileSend.IsSending() || m_port.Port()->IsSendingFile())
        ToggleFilePause();
    else
        StartFileSending();
}

void CTarvikView::ToggleFilePause()
{
    m_port.Port()->PauseSendFile();
    const bool paused = m_port.Port()->IsSendFilePaused() != 0;
    SetStringText(m_form.sendFile, paused ? IDS_CONTINUE : IDS_PAUSE);
    ShowStatusMessage(kStatusHint, paused ? IDS_FILE_SEND_PAUSED : IDS_FILE_SENDING,
                      kStatusUntilReplaced);
}

// A negative interval would reach the port as a wait of about 49 days
// between passes, which a network port also sits out when stopped; it is
// taken as no wait.
void CTarvikView::StartFileSending()
{
    if (QFile file; !OpenRegularFile(file, m_fileSend.SelectedFile())) {
        QMessageBox::warning(this, LoadString(IDR_MAINFRAME),
                             FileOpenFailureText(m_fileSend.SelectedFile()));
        return;
    }
    const std::optional<int> count = WholeNumber(m_form.fileRepeat, std::nullopt);
    if (!count || *count == 0)
        return RefuseFileField(m_form.fileRepeat, tr("发送次数输入不正确！"));
    const std::optional<int> interval = WholeNumber(m_form.fileInterval, 0);
    if (!interval)
        return RefuseFileField(m_form.fileInterval, LoadString(IDS_FILE_COUNT_INVALID));
    m_fileSend.ApplyCounterResetRule(*count);
    if (!m_port.Port()->SendFile(QFile::encodeName(m_fileSend.SelectedFile()).constData(), *count,
                                 uint32_t(std::max(*interval, 0))))
        return; // the port has traced why
    m_fileSend.Started();
    const QString passes = *count > 0 ? tr("%1 遍").arg(*count) : tr("反复发送，直到停止");
    m_extras.LogTransfer(tr("开始发送文件 %1（%2）").arg(m_fileSend.SelectedFile(), passes));
    m_form.send->setEnabled(false);
    SetStringText(m_form.sendFile, IDS_PAUSE);
    ShowStatusMessage(kStatusHint, IDS_FILE_SENDING, kStatusUntilReplaced);
    m_form.stopFile->setEnabled(true);
}

void CTarvikView::RefuseFileField(QLineEdit *field, const QString &message)
{
    ShowStatusText(message, kStatusError, kStatusDefaultTime);
    field->selectAll();
    field->setFocus();
}

void CTarvikView::OnStopFile()
{
    if (m_port.Port() && m_port.Port()->IsSendingFile()) {
        m_port.Port()->StopSendFile();
        m_fileSend.Ended();
        m_extras.LogTransfer(LoadString(IDS_FILE_SEND_STOPPED));
        ShowStatusMessage(kStatusHint, IDS_FILE_SEND_STOPPED, kStatusDefaultTime);
        SetStringText(m_form.sendFile, IDS_SEND);
    }
    m_form.stopFile->setEnabled(false);
    if (m_port.Port())
        m_form.send->setEnabled(true);
}

void CTarvikView::OnFileProgress(int percent)
{
    if (!m_port.Port() || !m_fileSend.ShowProgress(percent))
        return;
    ShowStatusText(Format(IDS_FILE_PROGRESS, percent, int(m_port.Port()->GetSendSpeed())),
                   kStatusHint, kStatusUntilReplaced);
}

void CTarvikView::OnFileSendEnded(bool failed)
{
    if (!m_fileSend.IsSending() || !m_port.Port())
        return;
    m_extras.TransferEnded(failed);
    m_extras.LogTransfer(failed ? LoadString(IDS_FILE_SEND_ERROR) : tr("文件发送完成"));
    m_fileSend.Ended();
    m_form.send->setEnabled(true);
    SetStringText(m_form.sendFile, IDS_SEND);
    const QString spoolerFailure = failed ? SpoolerFailureText() : QString();
    if (!spoolerFailure.isEmpty())
        ShowStatusText(LoadString(IDS_FILE_SEND_ERROR) + spoolerFailure, kStatusError,
                       kStatusUntilReplaced);
    else if (failed)
        ShowStatusMessage(kStatusHint, IDS_FILE_SEND_ERROR, kStatusUntilReplaced);
    else
        ShowStatusText(Format(IDS_FILE_SENT, int(m_port.Port()->GetSendSpeed())), kStatusHint,
                       kStatusUntilReplaced);
    m_form.stopFile->setEnabled(false);
}

void CTarvikView::OnFilePassDone()
{
    m_fileSend.PassDone();
}

void CTarvikView::StopFileSendingDisplay()
{
    m_fileSend.Ended();
}
