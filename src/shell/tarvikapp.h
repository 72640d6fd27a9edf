// CTarvikApp: the application: creates the main frame, restores its placement,
// shows it and, 100 ms later, the about box unless the user switched that off.
#pragma once

#include "regmanage.h"

#include <QApplication>
#include <memory>

class CMainFrame;

class CTarvikApp : public QApplication
{
    Q_OBJECT

public:
    static constexpr int kAboutDelayMs = 100;

    CTarvikApp(int &argc, char **argv);
    ~CTarvikApp() override;

    // False ends the program.
    bool InitInstance();
    CMainFrame *MainFrame() const { return m_pMainWnd.get(); }

private:
    CRegManage m_reg;
    std::unique_ptr<CMainFrame> m_pMainWnd;
};
