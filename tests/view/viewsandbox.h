// Test support: a fresh current directory (where the view keeps "rvcfg.ini")
// and a registry folder of its own for every test, and a frame around the view.
#pragma once

#include "extlabel.h"
#include "extstatuscontrolbar.h"
#include "mainframe.h"
#include "regmanage.h"
#include "statusmessenger.h"
#include "tarvikview.h"
#include "viewhookup.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <optional>

class CViewSandbox
{
public:
    CViewSandbox() : m_previousDir(QDir::currentPath())
    {
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

    template <typename Control> Control *Find(int id) const
    {
        return m_view->findChild<Control *>(QString::number(id), Qt::FindDirectChildrenOnly);
    }

private:
    CRegManage m_reg;
    CMainFrame m_frame;
    CTarvikView *m_view = nullptr;
};

// Answers every message box that comes up while it exists with its default
// button, and keeps the texts, so code that asks the user can run unattended.
class CMessageBoxCatcher
{
public:
    CMessageBoxCatcher()
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { CloseActiveBox(); });
        m_timer.start(10);
    }

    const QStringList &Texts() const { return m_texts; }

private:
    void CloseActiveBox()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        m_texts << box->text();
        box->done(box->defaultButton() ? box->standardButton(box->defaultButton())
                                       : QMessageBox::Ok);
    }

    QTimer m_timer;
    QStringList m_texts;
};
