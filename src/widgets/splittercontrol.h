// CSplitterControl: a thin bar the user drags to trade space between the areas
// on either side of it.
//
// The bar is created from a placeholder rectangle: a rectangle at least as wide as
// high gives a horizontal bar (dragged up and down), otherwise a vertical one; the
// bar is 5 pixels thick. While the left button is held, a tracking line follows
// the mouse within [minimum, maximum] (parent coordinates); on release the bar
// moves there and, if it moved, emits splitterMoved with the distance (positive
// downward or to the right). A new bar's range is its own centre: until the owner
// sets a range it cannot be moved.
//
// splitterMoved stands for the notification code 0x467 (WM_USER+103, kNotifyCode)
// that the owner of a splitter dispatches on, with the bar's control identifier.
#pragma once

#include <QPointer>
#include <QWidget>

class CSplitterControl : public QWidget
{
    Q_OBJECT

public:
    static constexpr int SPS_VERTICAL = 1;
    static constexpr int SPS_HORIZONTAL = 2;
    static constexpr int kNotifyCode = 0x467;
    static constexpr int kThickness = 5;

    CSplitterControl(const QRect &placeholder, QWidget *parent, int controlId);

    int GetDlgCtrlID() const { return m_nID; }
    int Orientation() const { return m_nType; }
    void SetRange(int minimum, int maximum);
    int Minimum() const { return m_nMin; }
    int Maximum() const { return m_nMax; }

    // Moves the bar so that its centre lies on x (vertical) or y (horizontal), in the
    // parent's coordinates.
    void MoveToPosition(int x, int y);

    bool IsTracking() const { return m_bIsPressed; }
    // Position of the tracking line in global coordinates.
    QPoint TrackingPoint() const { return {m_nX, m_nY}; }

signals:
    void splitterMoved(int controlId, int delta);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

    // Shows the tracking line at global (x, y), or hides it when visible is false.
    virtual void DrawTrackingLine(int x, int y, bool visible);

private:
    int CentreInParent() const;
    QRect GlobalRect() const;

    bool m_bIsPressed = false;
    int m_nType = SPS_HORIZONTAL;
    int m_nX = 0;
    int m_nY = 0;
    int m_nMin = 0;
    int m_nMax = 0;
    int m_nSavePos = 0;
    int m_nID = 0;
    QPointer<QWidget> m_trackingLine;
};
