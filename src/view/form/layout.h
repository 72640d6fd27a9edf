// The arithmetic that divides the right-hand side of the main view into the
// receive area, the command strip and the send area.
//
// Kept free of widgets so that the limits can be checked from tables of rows;
// the view only moves its controls to the rectangles computed here.
//
// The sizes of the controls come in as Metrics. The defaults are the form as
// designed; the view raises them to what its controls need at the current
// font, and every offset and limit follows from them, so the designed
// proportions hold at any text size.
#pragma once

#include <QRect>

#include <vector>

namespace ViewLayout {
inline constexpr int kBarHeight = 5;

// Sizes of the controls of the right-hand side, in pixels.
struct Metrics
{
    int areaLeft = 152;      // everything right of this x belongs to the three areas
    int captionHeight = 15;  // the caption band of the three group boxes
    int rowHeight = 20;      // the rows under the boxes
    int buttonWidth = 65;    // the button column
    int buttonHeight = 23;   // the button column
    int labelHeight = 15;    // the page label
    int countWidth = 65;     // check boxes 1054 and 1057
    int counterWidth = 45;   // counters 1055 and 1058
    int clearWidth = 17;     // buttons 1056 and 1059
    int autoSendWidth = 103; // check box 1042
    int intervalWidth = 40;  // edit 1044
    int unitWidth = 15;      // label 1076
    int hexWidth = 45;       // check boxes 1009 and 1005
    int timesWidth = 50;     // check box 1090, left of 1009

    // Lowest top of bar 1 (room for the receive area's buttons), lowest top
    // of bar 2, room kept under bar 2 for the send area's buttons, and the
    // smallest distance between the bars (the command strip's caption and a
    // row of its buttons).
    int MinP1() const;
    int MinP2() const;
    int SendRoom() const;
    int MinStrip() const;
    // The least view client width that fits the rows under the boxes.
    int MinWidth() const;
};

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
void ComputeSplitterTops(int cy, double recvShare, double sendShare, int &p1, int &p2,
                         const Metrics &m = {});

// Whole layout for a view client area of cx by cy pixels.
Result ComputeLayout(int cx, int cy, double recvShare, double sendShare, const Metrics &m = {});

// Shares from splitter tops; a height of 0 gives 0 so that nothing divides by it.
double RecvShareFromTop(int top, int cy);
double SendShareFromTop(int top, int cy);
} // namespace ViewLayout
