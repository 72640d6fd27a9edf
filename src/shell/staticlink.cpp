#include "shell/staticlink.h"

#include "stringtable.h"

#include <QApplication>
#include <QMouseEvent>

CStaticLink::CStaticLink(QWidget *parent) : QLabel(parent)
{
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
    SetTextColour(kUnvisitedColour);
}

void CStaticLink::SetTextColour(QRgb colour)
{
    m_colour = QColor::fromRgb(colour);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, m_colour);
    setPalette(palette);
    update();
}

void CStaticLink::enterEvent(QEnterEvent *event)
{
    m_bHover = true;
    SetTextColour(kHoverColour);
    QLabel::enterEvent(event);
}

void CStaticLink::leaveEvent(QEvent *event)
{
    m_bHover = false;
    SetTextColour(kUnvisitedColour);
    QLabel::leaveEvent(event);
}

QString CStaticLink::ResolveTarget()
{
    if (m_link.IsEmpty()) {
        QString target = LoadString(m_nID);
        m_link.SetTarget(target.isEmpty() ? text() : target);
    }
    return m_link.Target();
}

void CStaticLink::mousePressEvent(QMouseEvent *event)
{
    QLabel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || ResolveTarget().isEmpty())
        return;
    if (m_link.Navigate())
        SetTextColour(kVisitedColour);
    else
        QApplication::beep();
}
