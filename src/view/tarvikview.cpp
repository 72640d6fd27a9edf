#include "view/tarvikview.h"

#include "config/configpath.h"
#include "widgets/editex.h"

#include "port/portex.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
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

// A later change of the current folder does not move the configuration file.
CTarvikView::CTarvikView(QWidget *parent)
    : QWidget(parent), m_settings(ConfigFilePath()), m_extras(m_port, PortExtrasHooks())
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

std::unique_ptr<CPortEx> CTarvikView::CreateSystemPort(PortKind kind)
{
    return CViewPort::CreateSystemPort(kind);
}

PanelProviders CTarvikView::SystemPanelProviders()
{
    return CViewPort::SystemPanelProviders();
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
    m_extras.Retranslate();
    m_form.panelsNeed = PortCfgPanelsMinimumSize(MeasuringProviders(m_port.Providers()), this);
    CPortCfgPanel *panel = m_port.Panel();
    FitPortColumn(panel ? panel->minimumSizeHint() : QSize());
    if (panel)
        panel->setGeometry(m_form.panelRect);
    emit languageChanged();
}

void CTarvikView::OnInitialUpdate()
{
    m_form =
        BuildViewForm(this, PortCfgPanelsMinimumSize(MeasuringProviders(m_port.Providers()), this));
    setMinimumSize(m_form.minimumSize);
    LoadConfig(); // selects the saved kind before anyone listens to the list
    ConnectPortControls();
    ConnectSendControls();
    ConnectReceiveControls();
    ConnectPageControls();
    ConnectFileControls();
    ConnectAutoSend();
    ConnectSaveControls();
    m_extras.Create(this, m_form.portKind, m_form.openClose);
    LoadTextCodePage();
    connect(m_form.sendBox, &CEditEx::viewRequest, this,
            [this](int code, const QString &path) { OnViewRequest(code, 0, path); });
    QTimer::singleShot(kStartupTimerMs, this, &CTarvikView::OnStartupTimer);
    const auto [savedTop1, savedTop2] = CViewSettings::SavedSplitterTops();
    m_areas.CreateBars(this, m_form.metrics.areaLeft, savedTop1, savedTop2,
                       [this] { LayoutAreas(width(), height(), true); });
}

// What needs the window at its real size and the configuration loaded: the
// panel of the loaded kind, the command strip (which may ask about a faulty
// entry), the splitter shares and the first layout; then startupDone.
void CTarvikView::OnStartupTimer()
{
    OnPortKindChange();
    CreateCommandStrip();
    m_areas.Start(height());
    LayoutAreas(width(), height(), false);
    emit startupDone();
}
