// CStaticLink: a text label that opens a link when clicked (the about box's mail
// address).
//
// Blue at first, red while the mouse is over it, purple after the link has been
// opened, blue again when the mouse leaves. A link that cannot be opened beeps and
// keeps its colour. With no target set, the target is the string-table entry
// numbered like the control (SetDlgCtrlID), else the label's own text.
#pragma once

#include "shell/hyperlink.h"

#include <QColor>
#include <QLabel>

class CStaticLink : public QLabel
{
    Q_OBJECT

public:
    static constexpr QRgb kUnvisitedColour = 0xFF0000FF; // RGB(0, 0, 255)
    static constexpr QRgb kHoverColour = 0xFFFF0000;     // RGB(255, 0, 0)
    static constexpr QRgb kVisitedColour = 0xFF800080;   // RGB(128, 0, 128)

    explicit CStaticLink(QWidget *parent = nullptr);

    void SetLink(const QString &target) { m_link.SetTarget(target); }
    const CHyperlink &Link() const { return m_link; }
    void SetDlgCtrlID(unsigned id) { m_nID = id; }
    unsigned GetDlgCtrlID() const { return m_nID; }
    QColor TextColour() const { return m_colour; }
    bool IsHovering() const { return m_bHover; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void SetTextColour(QRgb colour);
    QString ResolveTarget();

    CHyperlink m_link;
    QColor m_colour;
    unsigned m_nID = 0;
    bool m_bHover = false;
};
