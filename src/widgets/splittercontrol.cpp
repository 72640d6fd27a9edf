#include "widgets/splittercontrol.h"

#include <QMouseEvent>
#include <algorithm>

namespace {

const QColor kTrackingColour(195, 195, 200);

} // namespace

CSplitterControl::CSplitterControl(const QRect &placeholder, QWidget *parent, int controlId)
    : QWidget(parent), m_nID(controlId)
{
    m_nType = placeholder.width() >= placeholder.height() ? SPS_HORIZONTAL : SPS_VERTICAL;
    QRect rect = placeholder;
    if (m_nType == SPS_HORIZONTAL)
        rect.setHeight(kThickness);
    else
        rect.setWidth(kThickness);
    setGeometry(rect);
    setCursor(m_nType == SPS_HORIZONTAL ? Qt::SplitVCursor : Qt::SplitHCursor);
    m_nMin = m_nMax = CentreInParent();
    show();
}

// Centre as the platform computes it: (near edge + far edge) / 2, far edge exclusive.
int CSplitterControl::CentreInParent() const
{
    const QRect r = geometry();
    return m_nType == SPS_HORIZONTAL ? (r.top() + r.top() + r.height()) / 2
                                     : (r.left() + r.left() + r.width()) / 2;
}

QRect CSplitterControl::GlobalRect() const
{
    return QRect(mapToGlobal(QPoint(0, 0)), size());
}

void CSplitterControl::SetRange(int minimum, int maximum)
{
    m_nMin = minimum;
    m_nMax = maximum;
}

void CSplitterControl::MoveToPosition(int x, int y)
{
    QRect r = geometry();
    if (m_nType == SPS_HORIZONTAL)
        r.moveTop(r.top() + y - CentreInParent());
    else
        r.moveLeft(r.left() + x - CentreInParent());
    setGeometry(r);
    update();
}

void CSplitterControl::mousePressEvent(QMouseEvent *event)
{
    QWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    m_bIsPressed = true;
    const QRect r = GlobalRect();
    m_nX = event->globalPosition().toPoint().x();
    m_nY = event->globalPosition().toPoint().y();
    if (m_nType == SPS_HORIZONTAL)
        m_nY = m_nSavePos = (r.top() + r.top() + r.height()) / 2;
    else
        m_nX = m_nSavePos = (r.left() + r.left() + r.width()) / 2;
    DrawTrackingLine(m_nX, m_nY, true);
}

void CSplitterControl::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bIsPressed && parentWidget()) {
        QPoint pos = parentWidget()->mapFromGlobal(event->globalPosition().toPoint());
        if (m_nType == SPS_HORIZONTAL)
            pos.setY(std::clamp(pos.y(), m_nMin, std::max(m_nMin, m_nMax)));
        else
            pos.setX(std::clamp(pos.x(), m_nMin, std::max(m_nMin, m_nMax)));
        const QPoint global = parentWidget()->mapToGlobal(pos);
        m_nX = global.x();
        m_nY = global.y();
        DrawTrackingLine(m_nX, m_nY, true);
    }
    QWidget::mouseMoveEvent(event);
}

void CSplitterControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_bIsPressed && event->button() == Qt::LeftButton) {
        DrawTrackingLine(m_nX, m_nY, false);
        m_bIsPressed = false;
        if (QWidget *owner = parentWidget()) {
            const QPoint pos = owner->mapFromGlobal(QPoint(m_nX, m_nY));
            MoveToPosition(pos.x(), pos.y());
            const int delta = (m_nType == SPS_HORIZONTAL ? m_nY : m_nX) - m_nSavePos;
            if (delta != 0)
                emit splitterMoved(m_nID, delta);
        }
    }
    QWidget::mouseReleaseEvent(event);
}

// The bar itself has no look; the areas beside it show through.
void CSplitterControl::paintEvent(QPaintEvent *) {}

// The line is a child of the top-level window so it can cross sibling areas.
void CSplitterControl::DrawTrackingLine(int x, int y, bool visible)
{
    if (!visible) {
        if (m_trackingLine)
            m_trackingLine->hide();
        return;
    }
    QWidget *top = window();
    if (!m_trackingLine) {
        m_trackingLine = new QWidget(top);
        m_trackingLine->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_trackingLine->setAutoFillBackground(true);
        QPalette palette = m_trackingLine->palette();
        palette.setColor(QPalette::Window, kTrackingColour);
        m_trackingLine->setPalette(palette);
    }
    const QRect bar = GlobalRect();
    QRect line = m_nType == SPS_HORIZONTAL ? QRect(bar.left(), y - 2, bar.width(), kThickness)
                                           : QRect(x - 2, bar.top(), kThickness, bar.height());
    line.moveTopLeft(top->mapFromGlobal(line.topLeft()));
    m_trackingLine->setGeometry(line);
    m_trackingLine->raise();
    m_trackingLine->show();
}
