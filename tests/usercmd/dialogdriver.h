// Drives modal dialogs and popup menus from inside their own event loops:
// the step runs once the first visible widget of the wanted kind is the
// active modal (or popup) widget.
#pragma once

#include <QApplication>
#include <QMenu>
#include <QTimer>

#include <functional>

template <typename Widget> void OnNextModal(std::function<void(Widget *)> step)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        auto *widget = qobject_cast<Widget *>(QApplication::activeModalWidget());
        if (!widget || !widget->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        step(widget);
    });
    poll->start(10);
}

inline void OnNextPopup(std::function<void(QMenu *)> step)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        step(menu);
    });
    poll->start(10);
}

inline QAction *MenuAction(QMenu *menu, int id)
{
    for (QAction *action : menu->actions())
        if (action->objectName() == QString::number(id))
            return action;
    return nullptr;
}
