#include "view/tarvikview.h"

#include "config/configpath.h"
#include "port/portnotify.h"
#include "shell/mainframe.h"
#include "widgets/editex.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QMutexLocker>
#include <QPushButton>
#include <QTimer>

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
    : QWidget(parent), m_settings(ConfigFilePath()),
      m_extras(m_port,
               {[this](const QString &text, StatusKind kind, int durationMs) {
                    m_status.ShowText(text, kind, durationMs);
                },
                [this](const QString &name) { return m_saveFiles.Choose(name); },
                [this] { m_portControl.Close(); }, [this] { m_extras.PlaceInForm(m_form, *this); }})
{
    OnInitialUpdate();
}

CTarvikView::~CTarvikView()
{
    // Closing the window in ~QWidget moves the focus, and no handler may
    // reach this view once it is no longer whole.
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    SaveSettingsOnce();
    m_portControl.Discard();
}

bool CTarvikView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window() && watched != this && event->type() == QEvent::Close)
        SaveSettingsOnce();
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

// Each part connects its own controls; the order is that in which the
// controls' handlers were first connected.
void CTarvikView::OnInitialUpdate()
{
    m_form =
        BuildViewForm(this, PortCfgPanelsMinimumSize(MeasuringProviders(m_port.Providers()), this));
    setMinimumSize(m_form.minimumSize);
    m_settings.LoadForm(this, m_form); // selects the saved kind before anyone listens to the list
    m_portControl.Connect(this, [this](QSize panelNeed) { FitPortColumn(panelNeed); });
    m_sending.Connect();
    m_frameCommands.FollowSendButton(m_form.send);
    m_recvDisplay.Attach(m_form.recvBox, m_form.recvCount, m_form.sendCount);
    m_frameCommands.SetBoxes(m_form.sendBox, m_form.recvBox);
    m_find.Connect(this, m_form.sendBox, m_form.recvBox);
    m_receive.Connect(this);
    m_pages.Attach(m_form.sendBox, m_form.hexSend, m_form.pageLabel);
    m_pages.Connect(m_form.prevPage, m_form.nextPage, m_status);
    m_fileSend.Connect(this, m_form, {m_port, m_status, m_extras, m_recvDisplay});
    m_autoSend.Attach(m_form.autoSend, m_form.autoInterval, m_form.send,
                      [this] { m_sending.OnSendCommand(); });
    m_autoSend.ConnectBox(m_status);
    m_saveFiles.Connect(this, m_form, m_status);
    m_extras.Create(this, m_form.portKind, m_form.openClose);
    m_codePage.Attach(m_form.sendBox, m_form.recvBox);
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
    m_portControl.OnKindChange();
    m_commands.Create(this, m_form.cmdGroup->geometry(),
                      [this](const QByteArray &bytes) { return OnSendData(bytes); });
    m_areas.Start(height());
    LayoutAreas(width(), height(), false);
    emit startupDone();
}

// The panel stores its choices before the configuration is saved.
void CTarvikView::SaveSettingsOnce()
{
    m_settings.SaveFormOnce(this, m_form, m_areas, [this] { m_port.DestroyPanel(); });
}

void CTarvikView::AttachFrameCommands(CMainFrame &frame)
{
    m_frameCommands.Attach([&frame](int id) { return frame.CommandAction(id); });
    auto on = [&frame, this](int id, auto handler) {
        connect(frame.CommandAction(id), &QAction::triggered, this, handler);
    };
    on(CMainFrame::IDC_SEND_BUTTON, [this] { m_sending.OnSendCommand(); });
    on(CMainFrame::ID_OPERATION_SEND, [this] { m_sending.OnSendCommand(); });
    on(CMainFrame::ID_PRESET_COMMANDS, [this] { m_commands.OnPresetCommands(); });
    on(CMainFrame::ID_OPERATION_PREVIEW, [this] { m_preview.Show(); });
    // Ctrl+S acts even while the send button is disabled; the send operation
    // reports what it finds.
    frame.CommandAction(CMainFrame::IDC_SEND_BUTTON)->setEnabled(true);
    m_codePage.AttachMenu(frame.CodePageMenu());
}

bool CTarvikView::event(QEvent *event)
{
    if (event->type() == PortDefaultMessage()) {
        const auto *message = static_cast<const CPortMsgEvent *>(event);
        OnPortMessage(message->Code(), message->Error(), message->LParam());
        return true;
    }
    return QWidget::event(event);
}

// The lock is recursive: a handler may close the port, and a port may send
// a notification on this thread while it closes.
void CTarvikView::OnPortMessage(int code, int error, uint32_t lParam)
{
    QMutexLocker lock(&m_port.Lock());
    switch (code) {
    case kPortOpened:
        m_portControl.OnOpenResult(error);
        break;
    case kPortLost:
        m_portControl.OnLost();
        break;
    case kPortDataArrived:
        m_receive.OnDataArrived();
        break;
    case kPortWriteDone:
        m_sending.OnWriteDone(error);
        break;
    case kPortUsbWriteShort:
        QMessageBox::warning(this, QString(), tr("发送错误!"));
        break;
    case kPortFileDone:
        m_fileSend.OnEnded(false);
        break;
    case kPortFileFailed:
        m_fileSend.OnEnded(true);
        break;
    case kPortFileProgress:
        m_fileSend.OnProgress(int(lParam));
        break;
    case kPortFilePassDone:
        m_fileSend.PassDone();
        break;
    default:
        break; // not a port code
    }
}

int CTarvikView::OnViewRequest(int code, int flag, const QString &text)
{
    switch (code) {
    case kRequestClosePort:
        if (m_port.Port())
            m_portControl.OnOpenClose();
        break;
    case kRequestSelectFile:
        m_fileSend.Select(text);
        break;
    case kRequestFind:
        m_find.Find(text, flag == 1);
        break;
    default:
        break;
    }
    return 1;
}

// The wheel anywhere on the view scrolls the command strip while it can move.
void CTarvikView::wheelEvent(QWheelEvent *event)
{
    if (!m_commands.TakeWheel(this, event))
        QWidget::wheelEvent(event);
}
