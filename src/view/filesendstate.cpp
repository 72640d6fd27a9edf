#include "view/filesendstate.h"

#include "shell/statusmessenger.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>

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
