#include "view/parts/filesendstate.h"

#include "convert/userfileqt.h"
#include "port/portex.h"
#include "shell/statusmessenger.h"
#include "stringtable.h"
#include "view/form/viewform.h"
#include "view/parts/portextras.h"
#include "view/parts/receivedisplay.h"
#include "view/parts/viewport.h"
#include "view/parts/viewstatus.h"
#include "viewmessages.h"
#include "widgets/editex.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>

void CFileSendState::Attach(QWidget *dialogParent, QLabel *path, QLineEdit *counter,
                            std::function<void()> shown, MessengerLookup messenger)
{
    m_dialogParent = dialogParent;
    m_path = path;
    m_counter = counter;
    m_shown = std::move(shown);
    m_messenger = std::move(messenger);
}

// On Linux "*" is what "*.*" means elsewhere: every file, with or without a dot.
QString CFileSendState::ChooseFileToOpen() const
{
    if (m_openChooser)
        return m_openChooser(m_strSelectedFile);
    return QFileDialog::getOpenFileName(m_dialogParent, QString(), m_strSelectedFile,
                                        QStringLiteral("All files (*)"));
}

void CFileSendState::SetSelectedFile(const QString &path)
{
    m_strSelectedFile = path;
    RefreshControls();
}

void CFileSendState::ApplyCounterResetRule(int count)
{
    const bool multiPass = count > 1;
    if (multiPass || m_bLastStartMultiPass) {
        m_nFileSendCount = 0;
        RefreshControls();
    }
    m_bLastStartMultiPass = multiPass;
}

void CFileSendState::PassDone()
{
    ++m_nFileSendCount;
    RefreshControls();
}

void CFileSendState::ClearCounter()
{
    m_nFileSendCount = 0;
    RefreshControls();
}

void CFileSendState::Started()
{
    m_bFileSending = true;
    if (CStatusMessenger *messenger = Messenger())
        messenger->BeginProgress();
}

void CFileSendState::Ended()
{
    m_bFileSending = false;
    if (CStatusMessenger *messenger = Messenger())
        messenger->EndProgress();
}

bool CFileSendState::ShowProgress(int percent)
{
    if (!m_bFileSending)
        return false;
    if (CStatusMessenger *messenger = Messenger())
        messenger->SetProgress(percent);
    return true;
}

void CFileSendState::RefreshControls()
{
    m_path->setText(
        m_path->fontMetrics().elidedText(m_strSelectedFile, Qt::ElideMiddle, m_path->width()));
    m_path->setToolTip(m_strSelectedFile);
    m_counter->setText(QString::number(m_nFileSendCount));
    if (m_shown)
        m_shown();
}

// ---- the file group's buttons and the port's transfer ----

namespace {
constexpr int kSelectedHintMs = 8000;
constexpr int kFileErrorMs = 5000;

QString Format(unsigned id, int first, int second = 0)
{
    return QString::asprintf(LoadString(id).toUtf8().constData(), first, second);
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

// Why the file at `path` would not open, as the user can act on it. Looked
// up after the refused open; a stat never waits for what the path names.
QString CFileSendState::OpenFailureText(const QString &path)
{
    const QFileInfo info(path);
    QString cause;
    if (!info.exists())
        cause = CFileSendState::tr("文件不存在，可能已被移动或删除");
    else if (info.isDir())
        cause = CFileSendState::tr("这是一个文件夹");
    else if (!info.isFile())
        cause = CFileSendState::tr("不是普通文件");
    else if (!info.isReadable())
        cause = CFileSendState::tr("没有读取权限");
    else
        cause = CFileSendState::tr("无法读取");
    return CFileSendState::tr("无法打开文件“%1”：%2").arg(QDir::toNativeSeparators(path), cause);
}

void CFileSendState::Connect(QWidget *view, const CViewForm &form, Parts parts)
{
    m_form = &form;
    m_parts.emplace(parts);
    CReceiveDisplay &display = parts.display;
    CViewStatus &status = parts.status;
    Attach(
        view, form.filePath, form.fileCounter, [&display] { display.Schedule(); },
        [&status] { return status.Messenger(); });
    connect(form.selectFile, &QPushButton::clicked, this, &CFileSendState::OnSelectFile);
    connect(form.sendFile, &QPushButton::clicked, this, &CFileSendState::OnSendFile);
    connect(form.stopFile, &QPushButton::clicked, this, &CFileSendState::OnStopFile);
    connect(form.clearFileCounter, &QPushButton::clicked, this, &CFileSendState::ClearCounter);
    connect(form.loadFile, &QPushButton::clicked, this, &CFileSendState::OnLoadFile);
}

bool CFileSendState::SelectedFileUsable() const
{
    if (m_strSelectedFile.size() < 2)
        return false;
    const QFileInfo info(m_strSelectedFile);
    return info.isFile() && info.isReadable() && info.size() > 0;
}

// Tells the user why a chosen file cannot be used: it does not open or is
// not a regular file, or it is empty.
bool CFileSendState::OpenChosenFile(QFile &file, const QString &path)
{
    if (!OpenRegularFile(file, path)) {
        m_parts->status.ShowText(OpenFailureText(path), kStatusError, kFileErrorMs);
        return false;
    }
    if (file.size() == 0) {
        m_parts->status.ShowMessage(kStatusError, IDS_FILE_EMPTY, kFileErrorMs);
        return false;
    }
    return true;
}

void CFileSendState::OnSelectFile()
{
    const QString path = ChooseFileToOpen();
    if (path.isEmpty())
        return;
    QFile file;
    if (OpenChosenFile(file, path))
        Select(path);
}

void CFileSendState::Select(const QString &path)
{
    SetSelectedFile(path);
    m_parts->status.ShowText(QString::asprintf(LoadString(IDS_FILE_SELECTED).toUtf8().constData(),
                                               path.toUtf8().constData()),
                             kStatusHint, kSelectedHintMs);
    if (m_parts->port.Port())
        m_form->sendFile->setEnabled(true);
}

void CFileSendState::OnLoadFile()
{
    const QString path = ChooseFileToOpen();
    if (path.isEmpty())
        return;
    QFile file;
    if (!OpenChosenFile(file, path))
        return;
    const LoadedBytes loaded = ReadLoadable(file);
    file.close();
    if (loaded.outcome == LoadedBytes::ReadFailed) {
        m_parts->status.ShowText(OpenFailureText(path), kStatusError, kFileErrorMs);
        return;
    }
    if (loaded.outcome == LoadedBytes::TooLarge) {
        QMessageBox question(QMessageBox::Question, LoadString(IDR_MAINFRAME),
                             LoadString(IDS_FILE_TOO_LARGE), QMessageBox::Ok | QMessageBox::Cancel,
                             m_dialogParent);
        question.setDefaultButton(QMessageBox::Ok);
        if (question.exec() == QMessageBox::Ok)
            Select(path);
        return;
    }
    m_form->sendBox->SetData(reinterpret_cast<const uint8_t *>(loaded.bytes.constData()),
                             std::size_t(loaded.bytes.size()), -1);
}

void CFileSendState::OnSendFile()
{
    CPortEx *port = m_parts->port.Port();
    if (!port) {
        m_parts->status.ShowMessage(kStatusHint, IDS_PORT_NOT_OPEN, kStatusDefaultTime);
        return;
    }
    if (m_bFileSending || port->IsSendingFile())
        TogglePause();
    else
        Start();
}

void CFileSendState::TogglePause()
{
    CPortEx *port = m_parts->port.Port();
    port->PauseSendFile();
    const bool paused = port->IsSendFilePaused() != 0;
    SetStringText(m_form->sendFile, paused ? IDS_CONTINUE : IDS_PAUSE);
    m_parts->status.ShowMessage(kStatusHint, paused ? IDS_FILE_SEND_PAUSED : IDS_FILE_SENDING,
                                kStatusUntilReplaced);
}

// A negative interval would reach the port as a wait of about 49 days
// between passes, which a network port also sits out when stopped; it is
// taken as no wait.
void CFileSendState::Start()
{
    if (QFile file; !OpenRegularFile(file, m_strSelectedFile)) {
        QMessageBox::warning(m_dialogParent, LoadString(IDR_MAINFRAME),
                             OpenFailureText(m_strSelectedFile));
        return;
    }
    const std::optional<int> count = WholeNumber(m_form->fileRepeat, std::nullopt);
    if (!count || *count == 0)
        return RefuseField(m_form->fileRepeat, tr("发送次数输入不正确！"));
    const std::optional<int> interval = WholeNumber(m_form->fileInterval, 0);
    if (!interval)
        return RefuseField(m_form->fileInterval, LoadString(IDS_FILE_COUNT_INVALID));
    ApplyCounterResetRule(*count);
    if (!m_parts->port.Port()->SendFile(QFile::encodeName(m_strSelectedFile).constData(), *count,
                                        uint32_t(std::max(*interval, 0))))
        return; // the port has traced why
    Started();
    const QString passes = *count > 0 ? tr("%1 遍").arg(*count) : tr("反复发送，直到停止");
    m_parts->extras.LogTransfer(tr("开始发送文件 %1（%2）").arg(m_strSelectedFile, passes));
    m_form->send->setEnabled(false);
    SetStringText(m_form->sendFile, IDS_PAUSE);
    m_parts->status.ShowMessage(kStatusHint, IDS_FILE_SENDING, kStatusUntilReplaced);
    m_form->stopFile->setEnabled(true);
}

void CFileSendState::RefuseField(QLineEdit *field, const QString &message)
{
    m_parts->status.ShowText(message, kStatusError, kStatusDefaultTime);
    field->selectAll();
    field->setFocus();
}

void CFileSendState::OnStopFile()
{
    CPortEx *port = m_parts->port.Port();
    if (port && port->IsSendingFile()) {
        port->StopSendFile();
        Ended();
        m_parts->extras.LogTransfer(LoadString(IDS_FILE_SEND_STOPPED));
        m_parts->status.ShowMessage(kStatusHint, IDS_FILE_SEND_STOPPED, kStatusDefaultTime);
        SetStringText(m_form->sendFile, IDS_SEND);
    }
    m_form->stopFile->setEnabled(false);
    if (port)
        m_form->send->setEnabled(true);
}

void CFileSendState::OnProgress(int percent)
{
    CPortEx *port = m_parts->port.Port();
    if (!port || !ShowProgress(percent))
        return;
    m_parts->status.ShowText(Format(IDS_FILE_PROGRESS, percent, int(port->GetSendSpeed())),
                             kStatusHint, kStatusUntilReplaced);
}

void CFileSendState::OnEnded(bool failed)
{
    CPortEx *port = m_parts->port.Port();
    if (!m_bFileSending || !port)
        return;
    CViewStatus &status = m_parts->status;
    m_parts->extras.TransferEnded(failed);
    m_parts->extras.LogTransfer(failed ? LoadString(IDS_FILE_SEND_ERROR) : tr("文件发送完成"));
    Ended();
    m_form->send->setEnabled(true);
    SetStringText(m_form->sendFile, IDS_SEND);
    const QString spoolerFailure = failed ? m_parts->port.SpoolerFailureText() : QString();
    if (!spoolerFailure.isEmpty())
        status.ShowText(LoadString(IDS_FILE_SEND_ERROR) + spoolerFailure, kStatusError,
                        kStatusUntilReplaced);
    else if (failed)
        status.ShowMessage(kStatusHint, IDS_FILE_SEND_ERROR, kStatusUntilReplaced);
    else
        status.ShowText(Format(IDS_FILE_SENT, int(port->GetSendSpeed())), kStatusHint,
                        kStatusUntilReplaced);
    m_form->stopFile->setEnabled(false);
}
