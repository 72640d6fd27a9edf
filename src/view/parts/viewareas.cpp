#include "view/parts/viewareas.h"

#include "view/form/viewids.h"
#include "widgets/splittercontrol.h"

namespace {
constexpr int kTemplateWidth = 454;

CSplitterControl *MakeBar(QWidget *view, int left, int top, int id)
{
    auto *bar = new CSplitterControl({left, top, kTemplateWidth, ViewLayout::kBarHeight}, view, id);
    bar->setObjectName(ViewId::Name(id));
    return bar;
}
} // namespace

void CViewAreas::CreateBars(QWidget *view, int left, int savedTop1, int savedTop2,
                            std::function<void()> moved)
{
    const int top1 = savedTop1 > 0 ? savedTop1 : kDesignedTop1;
    const int top2 = savedTop2 > top1 + ViewLayout::kBarHeight ? savedTop2 : kDesignedTop2;
    m_pBar1 = MakeBar(view, left, top1, ViewId::kBar1);
    m_pBar2 = MakeBar(view, left, top2, ViewId::kBar2);
    m_moved = std::move(moved);
    for (CSplitterControl *bar : {m_pBar1, m_pBar2})
        QObject::connect(bar, &CSplitterControl::splitterMoved, bar,
                         [this](int barId, int /*delta*/) { OnBarMoved(barId); });
}

void CViewAreas::Start(int viewHeight)
{
    m_recvShare = ViewLayout::RecvShareFromTop(m_pBar1->y(), viewHeight);
    m_sendShare = ViewLayout::SendShareFromTop(m_pBar2->y(), viewHeight);
    m_bLayoutReady = true;
}

// The bar has already moved itself; its new top gives the new share.
void CViewAreas::OnBarMoved(int barId)
{
    const int cy = m_pBar1->parentWidget()->height();
    if (barId == ViewId::kBar1)
        m_recvShare = ViewLayout::RecvShareFromTop(m_pBar1->y(), cy);
    else if (barId == ViewId::kBar2)
        m_sendShare = ViewLayout::SendShareFromTop(m_pBar2->y(), cy);
    if (m_moved)
        m_moved();
}

std::optional<ViewLayout::Result> CViewAreas::Place(int cx, int cy,
                                                    const ViewLayout::Metrics &metrics)
{
    if (!m_bLayoutReady)
        return std::nullopt;
    ViewLayout::Result r = ViewLayout::ComputeLayout(cx, cy, m_recvShare, m_sendShare, metrics);
    m_nSplitter1Pos = r.p1;
    m_nSplitter2Pos = r.p2;
    QWidget *view = m_pBar1->parentWidget();
    for (const auto &placement : r.controls)
        if (auto *control =
                view->findChild<QWidget *>(ViewId::Name(placement.id), Qt::FindDirectChildrenOnly))
            control->setGeometry(placement.rect);
    m_pBar1->setGeometry(r.bar1);
    m_pBar2->setGeometry(r.bar2);
    m_pBar1->SetRange(r.bar1Limits.min, r.bar1Limits.max);
    m_pBar2->SetRange(r.bar2Limits.min, r.bar2Limits.max);
    return r;
}
