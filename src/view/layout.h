// The arithmetic that divides the right-hand side of the main view into the
// receive area, the command strip and the send area.
//
// Kept free of widgets so that the limits can be checked from tables of rows;
// the view only moves its controls to the rectangles computed here.
#pragma once

#include <QRect>

#include <vector>

namespace ViewLayout {
// Everything right of this x belongs to the three areas; the port column
// keeps its own fixed place on the left.
inline constexpr int kAreaLeft = 152;
inline constexpr int kBarHeight = 5;

// Lowest top of bar 1, lowest top of bar 2, room kept under bar 2 and
// smallest height of the command strip between the two bars.
inline constexpr int kMinP1 = 102;
inline constexpr int kMinP2 = 146;
inline constexpr int kSendRoom = 225;
inline constexpr int kMinStrip = 44;

// Range of a bar's centre while dragging; equal ends pin the bar.
struct DragLimits
{
    int min = 0;
    int max = 0;
    bool operator==(const DragLimits &) const = default;
};

struct ControlPlacement
{
    int id = 0; // control id, also the widget's object name
    QRect rect;
};

struct Result
{
    int p1 = 0; // top of bar 1, saved as "Splitter1Pos"
    int p2 = 0; // top of bar 2, saved as "Splitter2Pos"
    QRect bar1;
    QRect bar2;
    QRect strip; // the user command strip inside group 1073
    DragLimits bar1Limits;
    DragLimits bar2Limits;
    std::vector<ControlPlacement> controls; // every control with an id, in paint order

    QRect Rect(int id) const; // empty when the layout does not place `id`
};

// Splitter tops from the two shares, with the limits applied in their fixed
// order (the last one wins on very small heights).
void ComputeSplitterTops(int cy, double recvShare, double sendShare, int &p1, int &p2);

// Whole layout for a view client area of cx by cy pixels.
Result ComputeLayout(int cx, int cy, double recvShare, double sendShare);

// Shares from splitter tops; a height of 0 gives 0 so that nothing divides by it.
double RecvShareFromTop(int top, int cy);
double SendShareFromTop(int top, int cy);
} // namespace ViewLayout
