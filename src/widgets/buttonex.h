// CButtonEx: the open-port button. A right-button press holds the mouse until the
// right button is released, so the release reaches the button that saw the press.
#pragma once

#include <QPushButton>

class CButtonEx : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

    bool HasRightCapture() const { return m_bCapture; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_bCapture = false;
};
