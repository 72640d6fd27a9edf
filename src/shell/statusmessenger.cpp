#include "shell/statusmessenger.h"

#include "shell/extlabel.h"
#include "shell/extstatusbarbutton.h"
#include "shell/extstatusbarprogressctrl.h"
#include "shell/extstatuscontrolbar.h"
#include "stringtable.h"

#include <QFontDatabase>
#include <QMessageBox>

CStatusMessenger::CStatusMessenger(CExtStatusControlBar *bar, QWidget *messageBoxParent)
    : QObject(bar), m_bar(bar), m_messageBoxParent(messageBoxParent)
{
    m_clearTimer.setSingleShot(true);
    connect(&m_clearTimer, &QTimer::timeout, this, &CStatusMessenger::OnStatusClearTimer);
}

bool CStatusMessenger::InsertPaneOrComplain(uint32_t paneId, int index)
{
    if (m_bar->InsertPane(paneId, index))
        return true;
    QMessageBox::critical(m_messageBoxParent, LoadString(IDR_MAINFRAME),
                          LoadFixedText(FixedText::PaneInsertRefused));
    return false;
}

bool CStatusMessenger::SetUpPanes()
{
    const QFont guiFont = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    m_label = new CExtLabel(m_bar);
    m_label->setFont(guiFont);
    m_bar->SetErrorShown(false);
    if (!InsertPaneOrComplain(0, 0))
        return false;
    m_bar->ResizePane(kMessagePaneMinWidth, m_bar->CommandToIndex(0));
    m_bar->AttachPaneControl(m_label, 0);
    m_bar->SetWindowText(LoadString(AFX_IDS_IDLEMESSAGE));

    m_topButton = new CExtStatusBarButton(LoadFixedText(FixedText::TopCheckBox), m_bar);
    m_topButton->setFont(guiFont);
    if (!InsertPaneOrComplain(IDS_TOP_PANE, 1))
        return false;
    m_bar->AttachPaneControl(m_topButton, IDS_TOP_PANE);
    m_bar->setFont(guiFont);
    return true;
}

void CStatusMessenger::ShowStatusText(const QString &text, StatusKind kind, int durationMs)
{
    m_clearTimer.stop();
    m_bar->SetErrorShown(false);
    if (kind == kStatusHint) {
        ShowInPane(text, false, durationMs, kHintDefaultMs);
    } else if (kind == kStatusError) {
        ShowInPane(text, true, durationMs, kErrorDefaultMs);
    } else {
        QMessageBox box(QMessageBox::NoIcon, LoadString(IDR_MAINFRAME), text, QMessageBox::Ok,
                        m_messageBoxParent);
        box.exec();
    }
}

void CStatusMessenger::ShowInPane(const QString &text, bool error, int durationMs, int defaultMs)
{
    m_bar->SetErrorShown(error);
    m_bar->SetPaneText(0, text);
    if (durationMs >= 0)
        m_clearTimer.start(durationMs == 0 ? defaultMs : durationMs);
}

void CStatusMessenger::ShowStatusMessage(StatusKind kind, unsigned stringId, int durationMs)
{
    ShowStatusText(LoadString(stringId).left(kMaxMessageLength), kind, durationMs);
}

void CStatusMessenger::OnStatusClearTimer()
{
    ShowStatusMessage(kStatusHint, AFX_IDS_IDLEMESSAGE, kStatusUntilReplaced);
}

CExtStatusBarProgressCtrl *CStatusMessenger::BeginProgress()
{
    if (m_progress)
        return m_progress;
    auto *progress = new CExtStatusBarProgressCtrl(m_bar);
    if (!m_bar->InsertPane(IDS_PROGRESS_PANE, 1)) {
        delete progress;
        return nullptr;
    }
    m_bar->ResizePane(kProgressPaneWidth, m_bar->CommandToIndex(IDS_PROGRESS_PANE));
    m_bar->AttachPaneControl(progress, IDS_PROGRESS_PANE);
    m_progress = progress;
    return progress;
}

void CStatusMessenger::SetProgress(int percent)
{
    if (m_progress)
        m_progress->setValue(percent);
}

void CStatusMessenger::EndProgress()
{
    m_bar->DeletePane(IDS_PROGRESS_PANE);
    m_progress = nullptr;
}

CExtLabel *CStatusMessenger::Label() const
{
    return m_label;
}
CExtStatusBarButton *CStatusMessenger::TopButton() const
{
    return m_topButton;
}
