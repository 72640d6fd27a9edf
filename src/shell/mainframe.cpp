#include "shell/mainframe.h"

#include "config/regmanage.h"
#include "language.h"
#include "shell/aboutdlg.h"
#include "shell/appicon.h"
#include "shell/codepagemenu.h"
#include "shell/extstatusbarbutton.h"
#include "shell/extstatuscontrolbar.h"
#include "shell/findtextdlg.h"
#include "shell/statusmessenger.h"
#include "stringtable.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QMenuBar>
#include <QRegularExpression>

CMainFrame::CMainFrame(CRegManage &reg, QWidget *parent) : QMainWindow(parent), m_reg(reg)
{
    setWindowTitle(LoadString(IDR_MAINFRAME));
    setWindowIcon(TarvikIcon());
    setMinimumSize(kMinWidth, kMinHeight);
    setCentralWidget(new QWidget(this));
    CreateStatusBar();
    CreateMenus();
    CreateAccelerators();
}

CMainFrame::~CMainFrame() = default;

void CMainFrame::CreateStatusBar()
{
    m_wndStatusBar = new CExtStatusControlBar(this);
    m_wndStatusBar->SetIndicators({ID_INDICATOR_NUM});
    setStatusBar(m_wndStatusBar);
    m_messenger = new CStatusMessenger(m_wndStatusBar, this);
    m_messenger->SetUpPanes();
    if (CExtStatusBarButton *top = m_messenger->TopButton())
        connect(top, &QCheckBox::toggled, this, &CMainFrame::OnTopToggled);
}

QAction *CMainFrame::AddCommand(QMenu *menu, int commandId, const QString &text)
{
    QAction *action = menu ? menu->addAction(text) : new QAction(text, this);
    m_commands[commandId] = action;
    return action;
}

QAction *CMainFrame::AddCommand(QMenu *menu, int commandId, FixedText text)
{
    QAction *action = AddCommand(menu, commandId, QString());
    SetFixedText(action, "text", text);
    return action;
}

QMenu *CMainFrame::AddMenu(FixedText title)
{
    QMenu *menu = menuBar()->addMenu(QString());
    SetFixedText(menu, "title", title);
    return menu;
}

// The menu names each language in that language, so anyone can find their own.
void CMainFrame::CreateLanguageMenu(QMenu *settings)
{
    QMenu *menu = settings->addMenu(QStringLiteral("Language / 语言"));
    menu->setObjectName(QStringLiteral("languageMenu"));
    auto *group = new QActionGroup(menu);
    for (const auto &[code, name] :
         {std::pair{Language::kChinese, "中文"}, std::pair{Language::kEnglish, "English"}}) {
        QAction *action = group->addAction(QString::fromUtf8(name));
        action->setObjectName(QStringLiteral("language_") + QLatin1String(code));
        action->setCheckable(true);
        action->setChecked(Language::Current() == QLatin1String(code));
        connect(action, &QAction::triggered, this,
                [language = QString::fromLatin1(code)] { Language::Choose(language); });
        menu->addAction(action);
    }
}

void CMainFrame::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange) {
        // The idle message follows the language; any other runs out as it would.
        if (m_wndStatusBar->WindowText() == m_idleText)
            m_wndStatusBar->SetWindowText(LoadString(AFX_IDS_IDLEMESSAGE));
        m_idleText = LoadString(AFX_IDS_IDLEMESSAGE);
        const QString code = Language::Current();
        for (QAction *action :
             findChildren<QAction *>(QRegularExpression(QStringLiteral("^language_"))))
            action->setChecked(action->objectName().endsWith(code));
    }
    QMainWindow::changeEvent(event);
}

QAction *CMainFrame::CommandAction(int commandId) const
{
    const auto it = m_commands.find(commandId);
    return it == m_commands.end() ? nullptr : it->second;
}

void CMainFrame::CreateMenus()
{
    QMenu *file = AddMenu(FixedText::MenuFile);
    connect(AddCommand(file, ID_APP_EXIT, FixedText::MenuExit), &QAction::triggered, this,
            &QWidget::close);

    CreateEditMenu();

    QMenu *operation = AddMenu(FixedText::MenuOperation);
    AddCommand(operation, ID_OPERATION_SEND, FixedText::MenuSend)->setEnabled(false);
    AddCommand(operation, ID_OPERATION_PREVIEW, FixedText::MenuPreview);

    QMenu *settings = AddMenu(FixedText::MenuSettings);
    AddCommand(settings, ID_PRESET_COMMANDS, FixedText::MenuPresetCommands)->setEnabled(false);
    // The frame has no tool bar, so its switch has nothing to show or hide.
    AddCommand(settings, ID_VIEW_TOOLBAR, FixedText::MenuToolBar)->setEnabled(false);
    QAction *statusBarSwitch = AddCommand(settings, ID_VIEW_STATUS_BAR, FixedText::MenuStatusBar);
    statusBarSwitch->setCheckable(true);
    statusBarSwitch->setChecked(true);
    connect(statusBarSwitch, &QAction::toggled, m_wndStatusBar, &QWidget::setVisible);
    CreateLanguageMenu(settings);
    m_codePageMenu = new CCodePageMenu(settings, m_wndStatusBar, this);

    QMenu *help = AddMenu(FixedText::MenuHelp);
    connect(AddCommand(help, ID_APP_ABOUT, FixedText::MenuAbout), &QAction::triggered, this,
            &CMainFrame::OnAppAbout);
}

void CMainFrame::CreateEditMenu()
{
    QMenu *edit = AddMenu(FixedText::MenuEdit);
    AddCommand(edit, ID_EDIT_UNDO, FixedText::MenuUndo);
    edit->addSeparator();
    AddCommand(edit, ID_EDIT_CUT, FixedText::MenuCut);
    AddCommand(edit, ID_EDIT_COPY, FixedText::MenuCopy);
    AddCommand(edit, ID_EDIT_PASTE, FixedText::MenuPaste);
    edit->addSeparator();
    AddCommand(edit, ID_EDIT_SELECT_ALL, FixedText::MenuSelectAll);
    edit->addSeparator();
    AddCommand(edit, ID_EDIT_FIND, FixedText::MenuFind);
    connect(CommandAction(ID_EDIT_FIND), &QAction::triggered, this, &CMainFrame::OnEditFind);
    for (CommandId id :
         {ID_EDIT_UNDO, ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE, ID_EDIT_SELECT_ALL, ID_EDIT_FIND})
        CommandAction(id)->setEnabled(false);
}

void CMainFrame::CreateAccelerators()
{
    using K = QKeySequence;
    CommandAction(ID_EDIT_COPY)
        ->setShortcuts({K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)});
    CommandAction(ID_EDIT_CUT)
        ->setShortcuts({K(Qt::SHIFT | Qt::Key_Delete), K(Qt::CTRL | Qt::Key_X)});
    CommandAction(ID_EDIT_PASTE)
        ->setShortcuts({K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)});
    CommandAction(ID_EDIT_UNDO)
        ->setShortcuts({K(Qt::ALT | Qt::Key_Backspace), K(Qt::CTRL | Qt::Key_Z)});
    CommandAction(ID_EDIT_FIND)->setShortcut(K(Qt::CTRL | Qt::Key_F));
    CommandAction(ID_EDIT_SELECT_ALL)->setShortcut(K(Qt::CTRL | Qt::Key_A));
    // Ctrl+S goes to the send button's command even while that button is disabled,
    // so it is an action of its own rather than the menu item's shortcut.
    QAction *send = AddCommand(nullptr, IDC_SEND_BUTTON, QString());
    send->setShortcut(K(Qt::CTRL | Qt::Key_S));
    send->setEnabled(false);
    addAction(send);
}

void CMainFrame::SetView(QWidget *view)
{
    delete takeCentralWidget();
    setCentralWidget(view ? view : new QWidget(this));
    CommandAction(ID_EDIT_FIND)->setEnabled(view != nullptr);
    // A view that needs more room than the designed least size (a large
    // font) raises it.
    const int bars = menuBar()->sizeHint().height() + m_wndStatusBar->sizeHint().height();
    const QSize viewNeed = view ? view->minimumSize() + QSize(0, bars) : QSize();
    setMinimumSize(QSize(kMinWidth, kMinHeight).expandedTo(viewNeed));
}

bool CMainFrame::RestorePlacement()
{
    QByteArray placement;
    if (m_reg.ReadBinary(QString::fromLatin1(kWindowPlacement), placement) &&
        restoreGeometry(placement))
        return true;
    resize(kMinWidth, kMinHeight);
    return false;
}

void CMainFrame::SavePlacement()
{
    m_reg.WriteBinary(QString::fromLatin1(kWindowPlacement), saveGeometry());
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    SavePlacement();
    QMainWindow::closeEvent(event);
}

void CMainFrame::ShowAboutAtStart()
{
    CAboutDlg::ShowAtStartup(m_reg, this);
}

void CMainFrame::OnAppAbout()
{
    CAboutDlg::ShowFromMenu(m_reg, this);
}

// Each opening starts afresh: empty text, match case off, the initial list.
void CMainFrame::OnEditFind()
{
    delete m_findDialog;
    m_findDialog = new CFindTextDlg(this);
    connect(m_findDialog, &CFindTextDlg::viewRequest, this, &CMainFrame::viewRequest);
    m_findDialog->show();
}

void CMainFrame::OnTopToggled(bool onTop)
{
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (visible)
        show();
}

CFindTextDlg *CMainFrame::FindDialog() const
{
    return m_findDialog;
}
