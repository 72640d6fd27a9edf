#include "widgets/buttonex.h"

#include <QMouseEvent>

void CButtonEx::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        grabMouse();
        m_bCapture = true;
    }
    QPushButton::mousePressEvent(event);
}

void CButtonEx::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton && m_bCapture) {
        releaseMouse();
        m_bCapture = false;
    }
    QPushButton::mouseReleaseEvent(event);
}
