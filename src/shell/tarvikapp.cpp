#include "shell/tarvikapp.h"

#include "language.h"
#include "shell/appicon.h"
#include "shell/mainframe.h"

CTarvikApp::CTarvikApp(int &argc, char **argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Tarvik"));
    setApplicationName(QStringLiteral("TarvikApp"));
    setWindowIcon(TarvikIcon());
    setDesktopFileName(QStringLiteral("org.tarvik.Tarvik")); // the installed menu entry
    Language::Apply(Language::AtStart());
}

// The frame goes before QApplication does.
CTarvikApp::~CTarvikApp() = default;

bool CTarvikApp::InitInstance()
{
    m_pMainWnd = std::make_unique<CMainFrame>(m_reg);
    m_pMainWnd->RestorePlacement();
    m_pMainWnd->show();
    return true;
}
