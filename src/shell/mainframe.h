// CMainFrame: the program's single window: menu, accelerators, status bar and the
// main view in the middle.
//
// Commands keep the program's command numbers (CommandAction(id) finds them). The
// frame handles exit, find, the status bar switch and the about box itself; the
// edit commands, send (32775 and the Ctrl+S accelerator, command 1000) and preset
// commands belong to the main view: they stay disabled until the view connects
// and enables them.
//
// The view plugs in with SetView(); until then the middle is an empty placeholder.
// Find requests (view request code 4) arrive through viewRequest(); the find
// command is enabled once a view is set.
//
// Placement: RestorePlacement() applies "WindowPlacement" or sizes the window to
// 608 x 445; closing the window saves it. The window never gets smaller than
// 608 x 445, or than the view needs if that is more (SetView). The status
// bar's "Top" box keeps the window above others.
#pragma once

#include "stringtable.h"

#include <QMainWindow>
#include <QPointer>
#include <map>

class CCodePageMenu;
class CExtStatusControlBar;
class CFindTextDlg;
class CRegManage;
class CStatusMessenger;
class QAction;
class QMenu;

class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int kMinWidth = 608;
    static constexpr int kMinHeight = 445;
    static constexpr const char *kWindowPlacement = "WindowPlacement";

    enum CommandId : int
    {
        ID_EDIT_FIND = 32773,
        ID_EDIT_SELECT_ALL = 32774,
        ID_OPERATION_SEND = 32775,
        ID_PRESET_COMMANDS = 32776,
        ID_OPERATION_PREVIEW = 32790, // the receipt preview window
        ID_EDIT_COPY = 57634,
        ID_EDIT_CUT = 57635,
        ID_EDIT_PASTE = 57637,
        ID_EDIT_UNDO = 57643,
        ID_APP_ABOUT = 57664,
        ID_APP_EXIT = 57665,
        ID_VIEW_TOOLBAR = 59392,
        ID_VIEW_STATUS_BAR = 59393,
        IDC_SEND_BUTTON = 1000, // the Ctrl+S accelerator goes to the send button's command
    };

    explicit CMainFrame(CRegManage &reg, QWidget *parent = nullptr);
    ~CMainFrame() override;

    CExtStatusControlBar *StatusBar() const { return m_wndStatusBar; }
    CStatusMessenger *Messenger() const { return m_messenger; }
    CCodePageMenu *CodePageMenu() const { return m_codePageMenu; }
    QAction *CommandAction(int commandId) const;

    void SetView(QWidget *view);
    QWidget *View() const { return centralWidget(); }

    bool RestorePlacement();
    void SavePlacement();

    void ShowAboutAtStart();
    void OnAppAbout();
    void OnEditFind();
    CFindTextDlg *FindDialog() const;

signals:
    void viewRequest(quint32 wParam, const QString &text);

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void CreateStatusBar();
    void CreateMenus();
    void CreateEditMenu();
    void CreateAccelerators();
    QAction *AddCommand(QMenu *menu, int commandId, const QString &text);
    QAction *AddCommand(QMenu *menu, int commandId, FixedText text);
    QMenu *AddMenu(FixedText title);
    void CreateLanguageMenu(QMenu *settings);
    void OnTopToggled(bool onTop);

    CRegManage &m_reg;
    CExtStatusControlBar *m_wndStatusBar = nullptr;
    CStatusMessenger *m_messenger = nullptr;
    CCodePageMenu *m_codePageMenu = nullptr;
    std::map<int, QAction *> m_commands;
    QPointer<CFindTextDlg> m_findDialog;
    QString m_idleText = LoadString(AFX_IDS_IDLEMESSAGE); // in the language shown
};
