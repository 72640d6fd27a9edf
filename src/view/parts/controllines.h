// CControlLinesBox: the control lines of an open serial port, two compact
// rows in the port column: toggles for DTR and RTS and a break button, then
// indicators for CTS, DSR, DCD and RI.
//
// The box asks the port for its modem status every kPollMs on the window
// thread (TIOCMGET does not block), so there is no watch thread and closing
// the port never waits for one. A line without modem status (a
// pseudo-terminal) shows every indicator as unknown and offers no toggles.
// The break needs modem control as the toggles do (a pseudo-terminal takes
// it and does nothing); the button is disabled while a break runs, and a
// break the line refused is reported through breakFailed.
// The user's DTR and RTS choices are kept for the session and applied again
// at the next open. No flow-control mode hands DTR or RTS to the driver (the
// modes set fixed levels at open), so the toggles are there whenever the
// line has modem control.
//
// Window thread only.
#pragma once

#include <QTimer>
#include <QWidget>

#include <array>
#include <optional>

class CPortEx;
class CPortLines;
class QLabel;
class QPushButton;

class CControlLinesBox : public QWidget
{
    Q_OBJECT

public:
    // What an indicator shows; also its "lineState" property.
    enum class LineState
    {
        Unknown,
        Off,
        On
    };
    static constexpr int kPollMs = 50;
    static constexpr int kBreakMs = 250;

    explicit CControlLinesBox(QWidget *parent);

    // A port has opened: follow it when it is a serial port.
    void Follow(CPortEx *port);
    // The port goes: stop asking it before it closes.
    void Forget();

    LineState Indicator(unsigned line) const;
    QPushButton *Toggle(unsigned line) const;
    QPushButton *BreakButton() const { return m_break; }
    bool Polling() const { return m_poll.isActive(); }

signals:
    // `reason` says why the break was not sent.
    void breakFailed(const QString &reason);

protected:
    void changeEvent(QEvent *event) override;

private:
    struct LineToggle
    {
        unsigned line;
        QPushButton *button;
        std::optional<bool> wanted; // the user's choice this session
    };

    void BuildControls();
    void ApplyWantedLines();
    void OnToggled(LineToggle &toggle, bool on);
    std::optional<unsigned> ReadLines();
    void Poll();
    void ShowLines(std::optional<unsigned> lines);
    void OnBreakClicked();
    void WatchBreak();

    CPortLines *m_port = nullptr;
    QTimer m_poll;
    QTimer m_breakWatch;             // runs while a break holds the line
    std::optional<unsigned> m_shown; // the lines last read; none: unknown
    std::array<LineToggle, 2> m_toggles{};
    QPushButton *m_break = nullptr;
    std::array<QLabel *, 4> m_indicators{};
};
