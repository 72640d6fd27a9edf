// CTarvikView: the main form of the program.
//
// A fixed port column on the left (port kind, open/close, the settings panel
// of the kind, file sending) and, to its right, the receive area, the user
// command strip and the send area, divided by two splitter bars.
//
// The view is split into one unit per concern:
//   tarvikview.cpp    construction, start-up, destruction
//   viewform.cpp      the controls of the form
//   view_layout.cpp   splitter bars and placing the areas (arithmetic in layout.cpp)
//
// Window thread only.
#pragma once

#include "viewform.h"

#include <QBasicTimer>
#include <QWidget>

class CTarvikView : public QWidget
{
    Q_OBJECT

public:
    explicit CTarvikView(QWidget *parent = nullptr);
    ~CTarvikView() override;

    // Splitter tops of the last layout, saved as "Splitter1Pos"/"Splitter2Pos".
    int Splitter1Pos() const { return m_nSplitter1Pos; }
    int Splitter2Pos() const { return m_nSplitter2Pos; }

protected:
    void resizeEvent(QResizeEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    static constexpr int kStartupTimerMs = 100;

    // ---- start-up (tarvikview.cpp) ----
    void OnStartupTimer();

    // ---- layout (view_layout.cpp) ----
    void CreateSplitterBars();
    void InitSplitterShares(int savedTop1, int savedTop2, int cy);
    void OnSplitterMoved(int barId, int newTop);
    void LayoutAreas(int cx, int cy, bool repaint);

    CViewForm m_form;
    QBasicTimer m_startupTimer;
    QWidget *m_pBar1 = nullptr; // between the receive area and the command strip
    QWidget *m_pBar2 = nullptr; // between the command strip and the send area

    double m_recvShare = 0.0; // top of bar 1 / client height
    double m_sendShare = 0.0; // (client height - top of bar 2) / client height
    int m_nSplitter1Pos = 0;
    int m_nSplitter2Pos = 0;
    bool m_bLayoutReady = false; // set by the start-up timer
};
