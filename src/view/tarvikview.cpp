#include "view/tarvikview.h"

#include "config/configpath.h"
#include "convert/editex.h"

#include "port/portex.h"
#include "shell/splittercontrol.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimerEvent>

namespace {
// The panels are measured without asking the spooler, which may take long;
// a list of queues needs no more room than an empty one.
PanelProviders MeasuringProviders(PanelProviders providers)
{
    providers.printers = [] { return QStringList{}; };
    return providers;
}
} // namespace

CTarvikView::CTarvikView(QWidget *parent)
    : QWidget(parent), m_providers(SystemPanelProviders()), m_portFactory(&CreateSystemPort)
{
    OnInitialUpdate();
}

CTarvikView::~CTarvikView()
{
    // Closing the window in ~QWidget moves the focus, and the find target's
    // handler must not reach this view once it is no longer whole.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    SaveSettingsOnce();
    DiscardPort();
}

// The panel stores its choices before the configuration is saved. Storing
// may ask the user (a network port that is not a number), so this runs when
// the window closes, while everything is still whole; a view destroyed
// without its window closing saves from the destructor.
void CTarvikView::SaveSettingsOnce()
{
    if (m_bSettingsSaved)
        return;
    m_bSettingsSaved = true;
    DestroyPortPanel();
    SaveConfig();
}

bool CTarvikView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window() && watched != this && event->type() == QEvent::Close)
        SaveSettingsOnce();
    if (watched == m_form.send && event->type() == QEvent::EnabledChange)
        SyncSendCommand();
    return QWidget::eventFilter(watched, event);
}

void CTarvikView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ParentChange && window() != this)
        window()->installEventFilter(this);
    if (event->type() == QEvent::LanguageChange && m_form.portKind)
        OnLanguageChange();
    QWidget::changeEvent(event);
}

// Longer or shorter captions need another port column and other areas; the
// port, the boxes and the history stay as they are.
void CTarvikView::OnLanguageChange()
{
    RetranslateViewForm(m_form, m_pages.Current(), m_pages.Count());
    if (m_pLogForm)
        SetCaptureFormNames();
    FitPortColumn(PortCfgPanelsMinimumSize(MeasuringProviders(m_providers), this));
    if (m_pPortPanel)
        m_pPortPanel->setGeometry(m_form.panelRect);
    emit languageChanged();
}

void CTarvikView::OnInitialUpdate()
{
    m_iniPath = ConfigFilePath(); // a later change of the current folder does not move it
    m_form = BuildViewForm(this, PortCfgPanelsMinimumSize(MeasuringProviders(m_providers), this));
    setMinimumSize(m_form.minimumSize);
    LoadConfig(); // selects the saved kind before anyone listens to the list
    connect(m_form.portKind, &QComboBox::currentIndexChanged, this, &CTarvikView::OnPortKindChange);
    connect(m_form.openClose, &QPushButton::clicked, this, &CTarvikView::OnOpenClose);
    ConnectSendControls();
    ConnectReceiveControls();
    ConnectPageControls();
    ConnectFileControls();
    ConnectAutoSend();
    ConnectSaveControls();
    CreatePortExtras();
    connect(m_form.sendBox, &CEditEx::viewRequest, this,
            [this](int code, const QString &path) { OnViewRequest(code, 0, path); });
    m_startupTimer.start(kStartupTimerMs, this);
    int savedTop1 = 0;
    int savedTop2 = 0;
    ReadSavedSplitterTops(savedTop1, savedTop2);
    CreateSplitterBars(savedTop1, savedTop2);
}

void CTarvikView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_startupTimer.timerId())
        OnStartupTimer();
    else
        QWidget::timerEvent(event);
}

// What needs the window at its real size and the configuration loaded: the
// panel of the loaded kind, the command strip (which may ask about a faulty
// entry), the splitter shares and the first layout; then startupDone.
void CTarvikView::OnStartupTimer()
{
    OnPortKindChange();
    m_startupTimer.stop();
    CreateCommandStrip();
    m_recvShare = ViewLayout::RecvShareFromTop(m_pBar1->y(), height());
    m_sendShare = ViewLayout::SendShareFromTop(m_pBar2->y(), height());
    m_bLayoutReady = true;
    LayoutAreas(width(), height(), false);
    emit startupDone();
}
