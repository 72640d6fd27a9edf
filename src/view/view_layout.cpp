// Splitter bars and placing the three areas on the right of the view.
#include "shell/splittercontrol.h"
#include "usercmd/usercommandview.h"
#include "view/layout.h"
#include "view/tarvikview.h"
#include "view/viewids.h"

#include <QResizeEvent>

namespace {
// Tops of the two bars on the form as designed, used while the registry
// remembers none.
constexpr int kTemplateBar1Top = 120;
constexpr int kTemplateBar2Top = 175;
constexpr int kTemplateWidth = 454;

QRect BarRect(int left, int top)
{
    return {left, top, kTemplateWidth, ViewLayout::kBarHeight};
}
} // namespace

// A saved top of 0 (nothing saved), or a bar 2 that would not lie below bar 1,
// falls back to the designed place. The shares are taken from the bars' tops
// at the first layout, when the view has its real height.
void CTarvikView::CreateSplitterBars(int savedTop1, int savedTop2)
{
    const int top1 = savedTop1 > 0 ? savedTop1 : kTemplateBar1Top;
    const int top2 = savedTop2 > top1 + ViewLayout::kBarHeight ? savedTop2 : kTemplateBar2Top;
    m_pBar1 = new CSplitterControl(BarRect(m_form.metrics.areaLeft, top1), this, ViewId::kBar1);
    m_pBar1->setObjectName(ViewId::Name(ViewId::kBar1));
    m_pBar2 = new CSplitterControl(BarRect(m_form.metrics.areaLeft, top2), this, ViewId::kBar2);
    m_pBar2->setObjectName(ViewId::Name(ViewId::kBar2));
    for (CSplitterControl *bar : {m_pBar1, m_pBar2})
        connect(bar, &CSplitterControl::splitterMoved, this, &CTarvikView::OnSplitterMoved);
}

// The bar has already moved itself; its new top gives the new share.
void CTarvikView::OnSplitterMoved(int barId, int /*delta*/)
{
    const int cy = height();
    if (barId == ViewId::kBar1)
        m_recvShare = ViewLayout::RecvShareFromTop(m_pBar1->y(), cy);
    else if (barId == ViewId::kBar2)
        m_sendShare = ViewLayout::SendShareFromTop(m_pBar2->y(), cy);
    LayoutAreas(width(), cy, true);
}

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
    if (!m_bLayoutReady)
        return;
    const ViewLayout::Result r =
        ViewLayout::ComputeLayout(cx, cy, m_recvShare, m_sendShare, m_form.metrics);
    m_nSplitter1Pos = r.p1;
    m_nSplitter2Pos = r.p2;
    for (const auto &placement : r.controls)
        if (auto *control =
                findChild<QWidget *>(ViewId::Name(placement.id), Qt::FindDirectChildrenOnly))
            control->setGeometry(placement.rect);
    if (m_pCmdView)
        m_pCmdView->setGeometry(r.strip);
    m_pBar1->setGeometry(r.bar1);
    m_pBar2->setGeometry(r.bar2);
    m_pBar1->SetRange(r.bar1Limits.min, r.bar1Limits.max);
    m_pBar2->SetRange(r.bar2Limits.min, r.bar2Limits.max);
    if (repaint)
        update(QRect(QPoint(m_form.metrics.areaLeft, r.p2), QPoint(cx, cy)));
}
