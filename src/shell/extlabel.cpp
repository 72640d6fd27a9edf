#include "shell/extlabel.h"

#include "shell/extstatuscontrolbar.h"

#include <QPainter>

CExtLabel::CExtLabel(CExtStatusControlBar *bar, QWidget *parent)
    : QLabel(parent ? parent : bar), m_bar(bar)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (bar)
        connect(bar, &CExtStatusControlBar::windowTextChanged, this, qOverload<>(&QWidget::update));
}

QColor CExtLabel::TextColour() const
{
    return QColor::fromRgb(m_bar && m_bar->IsErrorShown() ? kErrorColour : kHintColour);
}

QFont CExtLabel::MessageFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    font.setWeight(QFont::Medium);
    return font;
}

QString CExtLabel::ShownText() const
{
    const QString text = m_bar ? m_bar->WindowText() : QString();
    const QFontMetrics metrics(MessageFont());
    return metrics.elidedText(text, Qt::ElideMiddle, width() - 1);
}

void CExtLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setClipRect(rect());
    painter.fillRect(rect(), palette().color(QPalette::Button));

    const Qt::Alignment horizontal = alignment() & (Qt::AlignHCenter | Qt::AlignRight);
    const Qt::Alignment align = (horizontal ? horizontal : Qt::AlignLeft) | Qt::AlignVCenter;
    painter.setFont(MessageFont());
    painter.setPen(TextColour());
    // One pixel right and up centres the Arial glyphs in the pane's inner edge.
    const QRect textRect = rect().adjusted(1, -1, 0, 0);
    painter.drawText(textRect, static_cast<int>(align), ShownText());
}
