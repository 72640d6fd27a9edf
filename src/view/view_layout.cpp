// Placing the three areas on the right of the view (the bars and their
// shares are CViewAreas'; arithmetic in layout.cpp).
#include "shell/mainframe.h"
#include "usercmd/usercommandview.h"
#include "view/tarvikview.h"

#include <QResizeEvent>

void CTarvikView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutAreas(event->size().width(), event->size().height(), true);
}

// The port column fits every panel measured at start and the one shown now.
// A panel that needs more (a device path that has appeared since) widens the
// window while it is shown; the next panel gives that width back.
void CTarvikView::FitPortColumn(QSize panelNeed)
{
    const QSize chrome = window()->size() - size();
    PlaceViewForm(m_form, panelNeed.expandedTo(m_form.panelsNeed));
    m_extras.PlaceInForm(m_form, *this);
    if (window() != this)
        FitWindowToView(minimumSize() + chrome);
    LayoutAreas(width(), height(), true);
}

void CTarvikView::FitWindowToView(QSize viewNeed)
{
    QWidget *frame = window();
    const QSize least = QSize(CMainFrame::kMinWidth, CMainFrame::kMinHeight)
                            .expandedTo(viewNeed)
                            .expandedTo(QSize(0, frame->minimumHeight()));
    const int before = frame->width();
    frame->setMinimumSize(least);
    if (frame->width() > before) {
        m_form.windowWidenedBy += frame->width() - before;
        return;
    }
    const int narrower = std::max(least.width(), before - m_form.windowWidenedBy);
    m_form.windowWidenedBy = std::max(0, m_form.windowWidenedBy - (before - narrower));
    if (narrower < before)
        frame->resize(narrower, frame->height());
}

void CTarvikView::LayoutAreas(int cx, int cy, bool repaint)
{
    const std::optional<ViewLayout::Result> r = m_areas.Place(cx, cy, m_form.metrics);
    if (!r)
        return;
    if (CUserCommandView *strip = m_commands.Strip())
        strip->setGeometry(r->strip);
    if (repaint)
        update(QRect(QPoint(m_form.metrics.areaLeft, r->p2), QPoint(cx, cy)));
}
