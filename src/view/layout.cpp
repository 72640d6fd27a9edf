#include "layout.h"

#include "viewids.h"

#include <algorithm>

namespace ViewLayout {
namespace {
constexpr int kRowHeight = 20;
constexpr int kButtonWidth = 65;
constexpr int kButtonHeight = 23;
constexpr int kMaxSendButtonHeight = 90;

// A bar that may not move yet gets both limits on its own centre.
DragLimits Pinned(const QRect &bar)
{
    const int middle = (bar.top() + (bar.top() + bar.height())) / 2;
    return {middle, middle};
}

void PlaceAreas(int cx, int cy, Result &r)
{
    const int w = cx - kAreaLeft - 2;
    auto &c = r.controls;
    c.push_back({ViewId::kRecvGroup, {kAreaLeft, 0, w, r.p1}});
    c.push_back({ViewId::kCmdGroup, {kAreaLeft, r.p1, w, r.p2 - r.p1}});
    c.push_back({ViewId::kSendGroup, {kAreaLeft, r.p2, w, cy - r.p2}});
    c.push_back({ViewId::kRecvBox, {155, 15, cx - 227, r.p1 - 40}});
    c.push_back({ViewId::kSendBox, {155, r.p2 + 15, cx - 227, cy - r.p2 - 40}});
    r.bar1 = {kAreaLeft, r.p1, w, kBarHeight};
    r.bar2 = {kAreaLeft, r.p2, w, kBarHeight};
    r.strip = {155, r.p1 + 13, cx - 160, r.p2 - r.p1 - 15};
}

void PlaceRows(int cx, int cy, Result &r)
{
    const int recvY = r.p1 - 25;
    const int sendY = cy - 25;
    auto &c = r.controls;
    c.push_back({ViewId::kCountRecv, {159, recvY, 65, kRowHeight}});
    c.push_back({ViewId::kRecvCount, {224, recvY, 45, kRowHeight}});
    c.push_back({ViewId::kClearRecvCount, {269, recvY, 17, kRowHeight}});
    c.push_back({ViewId::kHexRecv, {cx - 115, recvY, 45, kRowHeight}});
    c.push_back({ViewId::kRecvTimes, {cx - 167, recvY, 50, kRowHeight}});
    c.push_back({ViewId::kCountSend, {159, sendY, 65, kRowHeight}});
    c.push_back({ViewId::kSendCount, {224, sendY, 45, kRowHeight}});
    c.push_back({ViewId::kClearSendCount, {269, sendY, 17, kRowHeight}});
    c.push_back({ViewId::kAutoSend, {326, sendY, 103, kRowHeight}});
    c.push_back({ViewId::kAutoInterval, {429, sendY, 40, kRowHeight}});
    c.push_back({ViewId::kHexSend, {cx - 115, sendY, 45, kRowHeight}});
    c.push_back({ViewId::kAutoUnit, {469, cy - 23, 15, 18}});
}

void PlaceButtonColumn(int cx, int cy, Result &r)
{
    const int x = cx - 70;
    const int p1 = r.p1;
    const int p2 = r.p2;
    auto &c = r.controls;
    auto button = [&](int id, int y) { c.push_back({id, {x, y, kButtonWidth, kButtonHeight}}); };
    button(ViewId::kPauseRecv, 7);
    button(ViewId::kSaveRecv, 30);
    button(ViewId::kCopyToSend, 53);
    button(ViewId::kClearRecv, p1 - 26);
    button(ViewId::kPrevPage, p2 + 15);
    button(ViewId::kNextPage, p2 + 39);
    button(ViewId::kLoadFile, p2 + 81);
    button(ViewId::kSaveSend, p2 + 105);
    button(ViewId::kClearSend, p2 + 138);
    const int sendHeight = std::min(cy - p2 - 178, kMaxSendButtonHeight);
    c.push_back({ViewId::kSend, {x, p2 + 169, kButtonWidth, sendHeight}});
    c.push_back({ViewId::kPageLabel, {cx - 68, p2 + 66, 63, 15}});
}

void SetDragLimits(int cy, Result &r)
{
    r.bar1Limits = r.p2 > kMinP2 ? DragLimits{kMinP1 + 2, r.p2 - kMinStrip + 2} : Pinned(r.bar1);
    r.bar2Limits = r.p1 < cy - kSendRoom - kMinStrip
                       ? DragLimits{r.p1 + kMinStrip + 2, cy - kSendRoom + 2}
                       : Pinned(r.bar2);
}
} // namespace

QRect Result::Rect(int id) const
{
    for (const auto &placement : controls)
        if (placement.id == id)
            return placement.rect;
    return {};
}

void ComputeSplitterTops(int cy, double recvShare, double sendShare, int &p1, int &p2)
{
    p1 = static_cast<int>(cy * recvShare);
    p2 = cy - static_cast<int>(cy * sendShare);
    if (p1 < kMinP1)
        p1 = kMinP1;
    if (p2 < kMinP2)
        p2 = kMinP2;
    if (p2 > cy - kSendRoom)
        p2 = cy - kSendRoom;
    if (p1 > p2 - kMinStrip)
        p1 = p2 - kMinStrip;
}

Result ComputeLayout(int cx, int cy, double recvShare, double sendShare)
{
    Result r;
    ComputeSplitterTops(cy, recvShare, sendShare, r.p1, r.p2);
    PlaceAreas(cx, cy, r);
    SetDragLimits(cy, r);
    PlaceRows(cx, cy, r);
    PlaceButtonColumn(cx, cy, r);
    return r;
}

double RecvShareFromTop(int top, int cy)
{
    return cy > 0 ? double(top) / cy : 0.0;
}

double SendShareFromTop(int top, int cy)
{
    return cy > 0 ? double(cy - top) / cy : 0.0;
}
} // namespace ViewLayout
