// Test support: a fresh current directory (where the view keeps "rvcfg.ini"),
// a registry folder and a cleared settings block for every test, and a frame
// around the view.
#pragma once

#include "extlabel.h"
#include "extstatuscontrolbar.h"
#include "mainframe.h"
#include "messageboxwatcher.h"
#include "portcfg.h"
#include "portcfgpanel.h"
#include "regmanage.h"
#include "statusmessenger.h"
#include "tarvikview.h"
#include "viewhookup.h"
#include "viewids.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

namespace ViewText {
inline const QString kOpenCaption = QStringLiteral("打开端口");
inline const QString kCloseCaption = QStringLiteral("关闭端口");
inline const QString kOpened = QStringLiteral("打开端口成功！");
inline const QString kOpenFailed = QStringLiteral("打开端口失败，请检查参数是否正确！");
inline const QString kClosed = QStringLiteral("端口已关闭");
inline const QString kReady = QStringLiteral("就绪");
} // namespace ViewText

class CViewSandbox
{
public:
    CViewSandbox() : m_previousDir(QDir::currentPath())
    {
        PortCfgData() = {}; // as in a process that has just started
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_registry.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_registry.path());
        QDir::setCurrent(m_workDir.path());
    }
    ~CViewSandbox() { QDir::setCurrent(m_previousDir); }
    CViewSandbox(const CViewSandbox &) = delete;
    CViewSandbox &operator=(const CViewSandbox &) = delete;

    QString WorkDir() const { return m_workDir.path(); }
    QString IniPath() const { return m_workDir.filePath(QStringLiteral("rvcfg.ini")); }

private:
    QString m_previousDir;
    QTemporaryDir m_workDir;
    QTemporaryDir m_registry;
};

// The main frame with the view inside, as the program shows it. Without a
// factory the view opens the port library's ports; without providers
// (std::nullopt) the panels see the system's devices and printer queues.
class CFramedView
{
public:
    explicit CFramedView(const CTarvikView::PortFactory &factory = {},
                         const std::optional<PanelProviders> &providers = PanelProviders{})
        : m_frame(m_reg)
    {
        m_view = new CTarvikView;
        if (factory)
            m_view->SetPortFactory(factory);
        if (providers)
            m_view->SetPanelProviders(*providers);
        PlugMainView(m_frame, m_view);
        m_frame.show();
    }

    CTarvikView *View() const { return m_view; }
    CMainFrame &Frame() { return m_frame; }
    CPortCfgPanel *Panel() const { return m_view->PortPanel(); }

    // Waits for the start-up tick that creates the panel and lays out.
    bool WaitForStartup()
    {
        return QTest::qWaitFor([this] { return m_view->PortPanel(); }, 2000);
    }

    QString StatusText() const
    {
        CExtStatusControlBar *bar = m_frame.StatusBar();
        return bar->GetPaneText(bar->CommandToIndex(0));
    }
    bool StatusIsError() const
    {
        return m_frame.Messenger()->Label()->TextColour() == QColor(CExtLabel::kErrorColour);
    }
    bool StatusIsHint() const
    {
        return m_frame.Messenger()->Label()->TextColour() == QColor(CExtLabel::kHintColour);
    }
    QTimer *ClearTimer() const { return m_frame.Messenger()->ClearTimer(); }

    template <typename Control> Control *Find(int id) const
    {
        return m_view->findChild<Control *>(QString::number(id), Qt::FindDirectChildrenOnly);
    }
    QPushButton *Button(int id) const { return Find<QPushButton>(id); }
    QPushButton *OpenButton() const { return Button(ViewId::kOpenClose); }
    void ClickOpenClose() const { QTest::mouseClick(OpenButton(), Qt::LeftButton); }
    void SelectKind(PortKind kind) const
    {
        Find<QComboBox>(ViewId::kPortKind)->setCurrentIndex(int(kind));
    }

private:
    CRegManage m_reg;
    CMainFrame m_frame;
    CTarvikView *m_view = nullptr;
};
