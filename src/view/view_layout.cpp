// Splitter bars and placing the three areas on the right of the view.
#include "layout.h"
#include "tarvikview.h"
#include "viewids.h"

#include <QResizeEvent>

namespace
{
// Tops of the two bars on the form as designed, used until the user has
// dragged them once (the registry then remembers the tops).
constexpr int kTemplateBar1Top = 120;
constexpr int kTemplateBar2Top = 175;
} // namespace

void CTarvikView::CreateSplitterBars()
{
    m_pBar1 = new QWidget(this);
    m_pBar1->setObjectName(ViewId::Name(ViewId::kBar1));
    m_pBar2 = new QWidget(this);
    m_pBar2->setObjectName(ViewId::Name(ViewId::kBar2));
}

// Shares from the tops remembered in the registry; a top of 0 (nothing saved)
// or a bar 2 that would not lie below bar 1 falls back to the designed tops.
void CTarvikView::InitSplitterShares(int savedTop1, int savedTop2, int cy)
{
    const int top1 = savedTop1 > 0 ? savedTop1 : kTemplateBar1Top;
    const int top2 = savedTop2 > top1 + ViewLayout::kBarHeight ? savedTop2 : kTemplateBar2Top;
    m_recvShare = ViewLayout::RecvShareFromTop(top1, cy);
    m_sendShare = ViewLayout::SendShareFromTop(top2, cy);
}

void CTarvikView::OnSplitterMoved(int barId, int newTop)
{
    const int cy = height();
    if (barId == ViewId::kBar1)
        m_recvShare = ViewLayout::RecvShareFromTop(newTop, cy);
    else if (barId == ViewId::kBar2)
        m_sendShare = ViewLayout::SendShareFromTop(newTop, cy);
    LayoutAreas(width(), cy, true);
}

void CTarvikView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    LayoutAreas(event->size().width(), event->size().height(), true);
}

void CTarvikView::LayoutAreas(int cx, int cy, bool repaint)
{
    if (!m_bLayoutReady)
        return;
    const ViewLayout::Result r = ViewLayout::ComputeLayout(cx, cy, m_recvShare, m_sendShare);
    m_nSplitter1Pos = r.p1;
    m_nSplitter2Pos = r.p2;
    for (const auto &placement : r.controls)
        if (auto *control = findChild<QWidget *>(ViewId::Name(placement.id),
                                                 Qt::FindDirectChildrenOnly))
            control->setGeometry(placement.rect);
    m_pBar1->setGeometry(r.bar1);
    m_pBar2->setGeometry(r.bar2);
    if (repaint)
        update(QRect(QPoint(ViewLayout::kAreaLeft, r.p2), QPoint(cx, cy)));
}
