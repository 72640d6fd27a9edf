// CCodePageMenu: 设置 → 文本编码, the code page of the text notation, and its
// name in the status bar beside the "Top" box. It only shows and offers the
// choice; the view applies and remembers it (chosen → the view → Show).
#pragma once

#include "convert/codepage.h"

#include <QObject>

class CExtStatusControlBar;
class QActionGroup;
class QLabel;
class QMenu;

class CCodePageMenu : public QObject
{
    Q_OBJECT

public:
    // Adds the submenu to `settings` and the pane after the "Top" box.
    CCodePageMenu(QMenu *settings, CExtStatusControlBar *bar, QObject *parent);

    // Checks the code page's entry and names it in the status bar.
    void Show(CodePageId page);

signals:
    void chosen(CodePageId page);

private:
    QActionGroup *m_group = nullptr;
    QLabel *m_label = nullptr;
};
