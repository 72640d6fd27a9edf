// Placing the three areas on the right of the view (the bars and their
// shares are CViewAreas'; arithmetic in layout.cpp).
#include "usercmd/usercommandview.h"
#include "view/tarvikview.h"

#include <QResizeEvent>

void CTarvikView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutAreas(event->size().width(), event->size().height(), true);
}

// A panel that needs more room than the one measured at start (a device
// path that has appeared since) widens the port column; the window's least
// size grows with the view's.
void CTarvikView::FitPortColumn(QSize panelNeed)
{
    const QSize chrome = window()->size() - size();
    PlaceViewForm(m_form, panelNeed.expandedTo(m_form.panelRect.size()));
    PlacePortExtras();
    if (window() != this)
        window()->setMinimumSize(window()->minimumSize().expandedTo(minimumSize() + chrome));
    LayoutAreas(width(), height(), true);
}

void CTarvikView::LayoutAreas(int cx, int cy, bool repaint)
{
    const std::optional<ViewLayout::Result> r = m_areas.Place(cx, cy, m_form.metrics);
    if (!r)
        return;
    if (m_pCmdView)
        m_pCmdView->setGeometry(r->strip);
    if (repaint)
        update(QRect(QPoint(m_form.metrics.areaLeft, r->p2), QPoint(cx, cy)));
}
