// CExtLabel: paints the status bar's message pane in the message's colour.
//
// The text is not the label's own: it is the bar's message-pane text, so every
// way of setting that text (the message routine, menu prompts, the idle text)
// shows here. Errors are drawn red, hints blue; text that does not fit loses
// characters in the middle. Alignment follows the label's own alignment().
#pragma once

#include <QColor>
#include <QLabel>
#include <QPointer>

class CExtStatusControlBar;

class CExtLabel : public QLabel
{
    Q_OBJECT

public:
    static constexpr QRgb kErrorColour = 0xFFCD0000; // RGB(205, 0, 0)
    static constexpr QRgb kHintColour = 0xFF0000FF;  // RGB(0, 0, 255)

    explicit CExtLabel(CExtStatusControlBar *bar, QWidget *parent = nullptr);

    QColor TextColour() const;
    QString ShownText() const; // the message as it fits the label now

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    static QFont MessageFont();

    QPointer<CExtStatusControlBar> m_bar;
};
