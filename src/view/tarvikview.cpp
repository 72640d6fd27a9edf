#include "tarvikview.h"

#include <QFont>
#include <QTimerEvent>

namespace
{
// The form's controls are placed in pixels; a fixed text size keeps the
// captions inside them whatever the desktop's default font is.
constexpr int kFormFontPixels = 12;
} // namespace

CTarvikView::CTarvikView(QWidget *parent) : QWidget(parent)
{
    QFont formFont = font();
    formFont.setPixelSize(kFormFontPixels);
    setFont(formFont);
    m_form = BuildViewForm(this);
    CreateSplitterBars();
    m_startupTimer.start(kStartupTimerMs, this);
}

CTarvikView::~CTarvikView() = default;

void CTarvikView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_startupTimer.timerId())
        OnStartupTimer();
    else
        QWidget::timerEvent(event);
}

// Finishes what needs the window at its real size: the splitter shares and
// the first layout.
void CTarvikView::OnStartupTimer()
{
    m_startupTimer.stop();
    InitSplitterShares(0, 0, height());
    m_bLayoutReady = true;
    LayoutAreas(width(), height(), false);
}
