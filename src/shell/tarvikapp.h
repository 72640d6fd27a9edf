// CTarvikApp: the application: gives every window the program's icon, creates
// the main frame, restores its placement and shows it. The about box at start
// follows the main view's start-up (viewhookup.h).
#pragma once

#include "config/regmanage.h"

#include <QApplication>
#include <memory>

class CMainFrame;

class CTarvikApp : public QApplication
{
    Q_OBJECT

public:
    CTarvikApp(int &argc, char **argv);
    ~CTarvikApp() override;

    // False ends the program.
    bool InitInstance();
    CMainFrame *MainFrame() const { return m_pMainWnd.get(); }

private:
    CRegManage m_reg;
    std::unique_ptr<CMainFrame> m_pMainWnd;
};
