// CViewAreas: the two splitter bars that divide the right of the view into
// the receive area, the user command strip and the send area, and the share
// of the view's height each outer area keeps when the view is resized.
//
// The bars are made at the tops saved last time (or the designed ones). The
// shares are taken from their tops once the view has its real height
// (Start), and from a bar's new top after each drag. Nothing is placed
// before Start: the first layout waits for the view's start-up tick.
//
// Window thread only.
#pragma once

#include "view/form/layout.h"

#include <functional>
#include <optional>

class CSplitterControl;
class QWidget;

class CViewAreas
{
public:
    // Tops of the two bars on the form as designed, used while none are saved.
    static constexpr int kDesignedTop1 = 120;
    static constexpr int kDesignedTop2 = 175;

    // Makes the bars on `view`, starting at x `left`. A saved top of 0 (none
    // saved), or a bar 2 that would not lie below bar 1, gives the designed
    // place. `moved` runs after a drag has given a bar its new share.
    void CreateBars(QWidget *view, int left, int savedTop1, int savedTop2,
                    std::function<void()> moved);
    // The view has its real height: the shares come from the bars' tops.
    void Start(int viewHeight);
    bool Ready() const { return m_bLayoutReady; }

    // Moves the bars and the view's named controls for a view of cx by cy
    // and returns the whole layout; nothing before Start.
    std::optional<ViewLayout::Result> Place(int cx, int cy, const ViewLayout::Metrics &metrics);

    // Splitter tops of the last layout, saved as "Splitter1Pos"/"Splitter2Pos".
    int Splitter1Pos() const { return m_nSplitter1Pos; }
    int Splitter2Pos() const { return m_nSplitter2Pos; }
    double RecvShare() const { return m_recvShare; }
    double SendShare() const { return m_sendShare; }
    CSplitterControl *Bar1() const { return m_pBar1; }
    CSplitterControl *Bar2() const { return m_pBar2; }

private:
    void OnBarMoved(int barId);

    CSplitterControl *m_pBar1 = nullptr; // between the receive area and the command strip
    CSplitterControl *m_pBar2 = nullptr; // between the command strip and the send area
    std::function<void()> m_moved;
    double m_recvShare = 0.0; // top of bar 1 / client height
    double m_sendShare = 0.0; // (client height - top of bar 2) / client height
    int m_nSplitter1Pos = 0;
    int m_nSplitter2Pos = 0;
    bool m_bLayoutReady = false;
};
