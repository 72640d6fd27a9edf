#include "view/form/layout.h"

#include "view/form/viewids.h"

#include <algorithm>

namespace ViewLayout {
namespace {
constexpr int kAreaInset = 3;    // boxes and strip right of the area's left edge
constexpr int kRowInset = 7;     // first control of a row right of the area's left edge
constexpr int kRightMargin = 5;  // right of the button column
constexpr int kRowGap = 5;       // between a row and the bottom of its area
constexpr int kAutoSendGap = 40; // between the counter group and auto-send
constexpr int kMinHexGap = 9;    // at the least width, between the unit and Hex
constexpr int kTimesGap = 4;     // between the arrival-times box and Hex, and before it
constexpr int kColumnTop = 7;    // first button of the receive area
constexpr int kMaxSendButtonHeight = 90;
constexpr int kStripRow = 29; // the strip between the bars shows one row of its buttons

// Tops of the send area's buttons below bar 2, and the send button's least height.
struct SendColumn
{
    int prev, next, label, load, save, clear, send, minSendHeight;
};

SendColumn SendColumnOf(const Metrics &m)
{
    SendColumn s{};
    s.prev = m.captionHeight;
    s.next = s.prev + m.buttonHeight + 1;
    s.label = s.next + m.buttonHeight + 4;
    s.load = s.label + m.labelHeight;
    s.save = s.load + m.buttonHeight + 1;
    s.clear = s.save + m.buttonHeight + 10;
    s.send = s.clear + m.buttonHeight + 8;
    s.minSendHeight = 2 * m.buttonHeight + 1;
    return s;
}

// A bar that may not move yet gets both limits on its own centre.
DragLimits Pinned(const QRect &bar)
{
    const int middle = (bar.top() + (bar.top() + bar.height())) / 2;
    return {middle, middle};
}

int ColumnLeft(int cx, const Metrics &m)
{
    return cx - kRightMargin - m.buttonWidth;
}

void PlaceAreas(int cx, int cy, const Metrics &m, Result &r)
{
    const int w = cx - m.areaLeft - 2;
    const int boxLeft = m.areaLeft + kAreaInset;
    const int boxWidth = ColumnLeft(cx, m) - 2 - boxLeft;
    const int rowBand = m.rowHeight + kRowGap;
    auto &c = r.controls;
    c.push_back({ViewId::kRecvGroup, {m.areaLeft, 0, w, r.p1}});
    c.push_back({ViewId::kCmdGroup, {m.areaLeft, r.p1, w, r.p2 - r.p1}});
    c.push_back({ViewId::kSendGroup, {m.areaLeft, r.p2, w, cy - r.p2}});
    const int top = m.captionHeight;
    c.push_back({ViewId::kRecvBox, {boxLeft, top, boxWidth, r.p1 - top - rowBand}});
    c.push_back({ViewId::kSendBox, {boxLeft, r.p2 + top, boxWidth, cy - r.p2 - top - rowBand}});
    r.bar1 = {m.areaLeft, r.p1, w, kBarHeight};
    r.bar2 = {m.areaLeft, r.p2, w, kBarHeight};
    r.strip = {boxLeft, r.p1 + top - 2, cx - kRightMargin - boxLeft, r.p2 - r.p1 - top};
}

// The counter group of a row: check box, counter, clear button; returns the x after it.
int PlaceCounterGroup(int y, int checkId, int counterId, int clearId, const Metrics &m, Result &r)
{
    int x = m.areaLeft + kRowInset;
    r.controls.push_back({checkId, {x, y, m.countWidth, m.rowHeight}});
    x += m.countWidth;
    r.controls.push_back({counterId, {x, y, m.counterWidth, m.rowHeight}});
    x += m.counterWidth;
    r.controls.push_back({clearId, {x, y, m.clearWidth, m.rowHeight}});
    return x + m.clearWidth;
}

void PlaceRows(int cx, int cy, const Metrics &m, Result &r)
{
    const int recvY = r.p1 - m.rowHeight - kRowGap;
    const int sendY = cy - m.rowHeight - kRowGap;
    const int hexX = ColumnLeft(cx, m) - m.hexWidth;
    auto &c = r.controls;
    PlaceCounterGroup(recvY, ViewId::kCountRecv, ViewId::kRecvCount, ViewId::kClearRecvCount, m, r);
    c.push_back({ViewId::kHexRecv, {hexX, recvY, m.hexWidth, m.rowHeight}});
    c.push_back(
        {ViewId::kRecvTimes, {hexX - kTimesGap - m.timesWidth, recvY, m.timesWidth, m.rowHeight}});
    int x = PlaceCounterGroup(sendY, ViewId::kCountSend, ViewId::kSendCount,
                              ViewId::kClearSendCount, m, r) +
            kAutoSendGap;
    c.push_back({ViewId::kAutoSend, {x, sendY, m.autoSendWidth, m.rowHeight}});
    x += m.autoSendWidth;
    c.push_back({ViewId::kAutoInterval, {x, sendY, m.intervalWidth, m.rowHeight}});
    x += m.intervalWidth;
    c.push_back({ViewId::kHexSend, {hexX, sendY, m.hexWidth, m.rowHeight}});
    c.push_back({ViewId::kAutoUnit, {x, sendY + 2, m.unitWidth, m.rowHeight - 2}});
}

void PlaceButtonColumn(int cx, int cy, const Metrics &m, Result &r)
{
    const int x = ColumnLeft(cx, m);
    const int p2 = r.p2;
    const SendColumn s = SendColumnOf(m);
    auto &c = r.controls;
    auto button = [&](int id, int y) { c.push_back({id, {x, y, m.buttonWidth, m.buttonHeight}}); };
    button(ViewId::kPauseRecv, kColumnTop);
    button(ViewId::kSaveRecv, kColumnTop + m.buttonHeight);
    button(ViewId::kCopyToSend, kColumnTop + 2 * m.buttonHeight);
    button(ViewId::kClearRecv, r.p1 - m.buttonHeight - 3);
    button(ViewId::kPrevPage, p2 + s.prev);
    button(ViewId::kNextPage, p2 + s.next);
    button(ViewId::kLoadFile, p2 + s.load);
    button(ViewId::kSaveSend, p2 + s.save);
    button(ViewId::kClearSend, p2 + s.clear);
    const int maxSend = std::max(kMaxSendButtonHeight, s.minSendHeight);
    const int sendHeight = std::min(cy - p2 - s.send - 9, maxSend);
    c.push_back({ViewId::kSend, {x, p2 + s.send, m.buttonWidth, sendHeight}});
    c.push_back({ViewId::kPageLabel, {x + 2, p2 + s.label, m.buttonWidth - 2, m.labelHeight}});
}

void SetDragLimits(int cy, const Metrics &m, Result &r)
{
    const int strip = m.MinStrip();
    r.bar1Limits = r.p2 > m.MinP2() ? DragLimits{m.MinP1() + 2, r.p2 - strip + 2} : Pinned(r.bar1);
    r.bar2Limits = r.p1 < cy - m.SendRoom() - strip
                       ? DragLimits{r.p1 + strip + 2, cy - m.SendRoom() + 2}
                       : Pinned(r.bar2);
}
} // namespace

int Metrics::MinP1() const
{
    return kColumnTop + 3 * buttonHeight + buttonHeight + 3;
}

int Metrics::MinP2() const
{
    return MinP1() + MinStrip();
}

int Metrics::MinStrip() const
{
    return captionHeight + kStripRow;
}

int Metrics::SendRoom() const
{
    const SendColumn s = SendColumnOf(*this);
    return s.send + s.minSendHeight + 9;
}

int Metrics::MinWidth() const
{
    const int counters = kRowInset + countWidth + counterWidth + clearWidth;
    const int sendRow = kAutoSendGap + autoSendWidth + intervalWidth + unitWidth + kMinHexGap;
    const int recvRow = 2 * kTimesGap + timesWidth;
    return areaLeft + counters + std::max(sendRow, recvRow) + hexWidth + buttonWidth + kRightMargin;
}

QRect Result::Rect(int id) const
{
    for (const auto &placement : controls)
        if (placement.id == id)
            return placement.rect;
    return {};
}

void ComputeSplitterTops(int cy, double recvShare, double sendShare, int &p1, int &p2,
                         const Metrics &m)
{
    p1 = static_cast<int>(cy * recvShare);
    p2 = cy - static_cast<int>(cy * sendShare);
    if (p1 < m.MinP1())
        p1 = m.MinP1();
    if (p2 < m.MinP2())
        p2 = m.MinP2();
    if (p2 > cy - m.SendRoom())
        p2 = cy - m.SendRoom();
    if (p1 > p2 - m.MinStrip())
        p1 = p2 - m.MinStrip();
}

Result ComputeLayout(int cx, int cy, double recvShare, double sendShare, const Metrics &m)
{
    Result r;
    ComputeSplitterTops(cy, recvShare, sendShare, r.p1, r.p2, m);
    PlaceAreas(cx, cy, m, r);
    SetDragLimits(cy, m, r);
    PlaceRows(cx, cy, m, r);
    PlaceButtonColumn(cx, cy, m, r);
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
