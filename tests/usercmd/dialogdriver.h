// Drives modal dialogs and popup menus from inside their own event loops:
// the step runs once the first visible widget of the wanted kind is the
// active modal (or popup) widget.
#pragma once

#include "usercmd/usercmdcfgdlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

// Runs `step` once `active()` is a visible Widget.
template <typename Widget>
void OnNextActive(QWidget *(*active)(), std::function<void(Widget *)> step)
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, active, step] {
        auto *widget = qobject_cast<Widget *>(active());
        if (!widget || !widget->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        step(widget);
    });
    poll->start(10);
}

template <typename Widget> void OnNextModal(std::function<void(Widget *)> step)
{
    OnNextActive<Widget>(&QApplication::activeModalWidget, std::move(step));
}

// The configuration dialog's table and its popup menu.
inline QTableWidget *Table(QDialog *dlg)
{
    return dlg->findChild<QTableWidget *>(QString::number(CUserCmdCfgDlg::kTableId));
}

inline QPoint RowPoint(QDialog *dlg, int row)
{
    return Table(dlg)->visualRect(Table(dlg)->model()->index(row, 1)).center();
}

// Right-clicks the table at `pos` (viewport coordinates) and hands the popup
// to `step`, which must close it.
inline void RightClick(QDialog *dlg, QPoint pos, const std::function<void(QMenu *)> &step)
{
    OnNextActive<QMenu>(&QApplication::activePopupWidget, step);
    QWidget *viewport = Table(dlg)->viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
    QApplication::sendEvent(viewport, &event);
}

// Chooses the action named `id` with the Return key.
inline void Choose(QMenu *menu, int id)
{
    for (QAction *action : menu->actions())
        if (action->objectName() == QString::number(id))
            menu->setActiveAction(action);
    QTest::keyClick(menu, Qt::Key_Return);
}
