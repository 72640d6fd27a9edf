// Answers every message box that comes up while it exists with its default
// button (or the given one), and keeps the texts, so code that asks the user
// can run unattended.
// Shared by the panel and the view tests.
#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

class MessageBoxWatcher
{
public:
    explicit MessageBoxWatcher(QMessageBox::StandardButton answer = QMessageBox::NoButton)
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this, answer] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            m_texts << box->text();
            // A click, since the static helpers report the clicked button.
            if (QAbstractButton *button = box->button(answer))
                button->click();
            else
                box->done(box->defaultButton() ? box->standardButton(box->defaultButton())
                                               : QMessageBox::Ok);
        });
        m_poll.start(10);
    }

    const QStringList &Texts() const { return m_texts; }

private:
    QTimer m_poll;
    QStringList m_texts;
};
