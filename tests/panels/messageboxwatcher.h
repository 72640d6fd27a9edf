// Answers the message boxes a test provokes, so that a modal box does not
// stop the test, and records what they said.
#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

class MessageBoxWatcher : public QObject
{
    Q_OBJECT

public:
    // Starts watching: every modal message box that appears is closed with
    // its default button as soon as the event loop runs.
    MessageBoxWatcher();

    const QStringList &Texts() const { return m_texts; }

private:
    void CloseActiveBox();

    QTimer m_poll;
    QStringList m_texts;
};
