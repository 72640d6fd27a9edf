#include "messageboxwatcher.h"

#include <QApplication>
#include <QMessageBox>

MessageBoxWatcher::MessageBoxWatcher()
{
    connect(&m_poll, &QTimer::timeout, this, &MessageBoxWatcher::CloseActiveBox);
    m_poll.start(10);
}

void MessageBoxWatcher::CloseActiveBox()
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box || !box->isVisible())
        return;
    m_texts << box->text();
    box->done(QMessageBox::Ok);
}
