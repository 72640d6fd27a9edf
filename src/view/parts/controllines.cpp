#include "view/parts/controllines.h"

#include "port/portdevice.h"
#include "port/porterror.h"
#include "port/portex.h"
#include "port/portlines.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>

namespace {
constexpr std::array<unsigned, 4> kStatusLines = {kLineCts, kLineDsr, kLineDcd, kLineRi};
constexpr const char *kStatusNames[] = {"CTS", "DSR", "DCD", "RI"};

QString IndicatorStyle(CControlLinesBox::LineState state)
{
    switch (state) {
    case CControlLinesBox::LineState::On:
        return QStringLiteral("QLabel { background: #3a3; color: white; }");
    case CControlLinesBox::LineState::Off:
        return QStringLiteral("QLabel { background: #ccc; color: black; }");
    case CControlLinesBox::LineState::Unknown:
        break;
    }
    return QStringLiteral("QLabel { color: #999; border: 1px dashed #999; }");
}

QString IndicatorTip(CControlLinesBox::LineState state)
{
    switch (state) {
    case CControlLinesBox::LineState::On:
        return CControlLinesBox::tr("有效");
    case CControlLinesBox::LineState::Off:
        return CControlLinesBox::tr("无效");
    case CControlLinesBox::LineState::Unknown:
        break;
    }
    return CControlLinesBox::tr("未知：此端口没有调制解调器状态");
}
} // namespace

CControlLinesBox::CControlLinesBox(QWidget *parent) : QWidget(parent)
{
    BuildControls();
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &CControlLinesBox::Poll);
    ShowLines(std::nullopt);
    setEnabled(false);
}

void CControlLinesBox::BuildControls()
{
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(2);
    m_toggles = {LineToggle{kLineDtr, new QPushButton(QStringLiteral("DTR"), this), {}},
                 LineToggle{kLineRts, new QPushButton(QStringLiteral("RTS"), this), {}}};
    for (int i = 0; i < int(m_toggles.size()); ++i) {
        LineToggle &toggle = m_toggles[i];
        toggle.button->setCheckable(true);
        connect(toggle.button, &QPushButton::clicked, this,
                [this, &toggle](bool on) { OnToggled(toggle, on); });
        grid->addWidget(toggle.button, 0, i);
    }
    m_break = new QPushButton(QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "中断")), this);
    // The tool tip names kBreakMs.
    m_break->setToolTip(
        QString::fromUtf8(QT_TRANSLATE_NOOP("Caption", "发送中断：使线路保持中断状态 250 毫秒")));
    connect(m_break, &QPushButton::clicked, this, &CControlLinesBox::OnBreakClicked);
    m_breakWatch.setInterval(kPollMs);
    connect(&m_breakWatch, &QTimer::timeout, this, &CControlLinesBox::WatchBreak);
    grid->addWidget(m_break, 0, 2, 1, 2);
    for (int i = 0; i < int(m_indicators.size()); ++i) {
        m_indicators[i] = new QLabel(QString::fromLatin1(kStatusNames[i]), this);
        m_indicators[i]->setAlignment(Qt::AlignCenter);
        grid->addWidget(m_indicators[i], 1, i);
    }
}

void CControlLinesBox::Follow(CPortEx *port)
{
    m_port = port ? port->ControlLines() : nullptr;
    setEnabled(m_port != nullptr);
    if (!m_port)
        return;
    ApplyWantedLines();
    ShowLines(ReadLines());
    if (m_shown)
        m_poll.start();
}

void CControlLinesBox::Forget()
{
    m_poll.stop();
    m_breakWatch.stop(); // the close ends the break
    m_port = nullptr;
    ShowLines(std::nullopt);
    setEnabled(false);
}

void CControlLinesBox::ApplyWantedLines()
{
    for (const LineToggle &toggle : m_toggles) {
        if (!toggle.wanted)
            continue;
        const unsigned line = toggle.line;
        m_port->SetModemLines(*toggle.wanted ? line : 0u, *toggle.wanted ? 0u : line);
    }
}

void CControlLinesBox::OnToggled(LineToggle &toggle, bool on)
{
    if (!m_port)
        return;
    toggle.wanted = on;
    m_port->SetModemLines(on ? toggle.line : 0u, on ? 0u : toggle.line);
    ShowLines(ReadLines()); // the button shows what the line took
}

std::optional<unsigned> CControlLinesBox::ReadLines()
{
    unsigned lines = 0;
    if (m_port && m_port->GetModemLines(lines) == 0)
        return lines;
    m_poll.stop(); // no modem status, or the device is going
    return std::nullopt;
}

// The indicators' tips are in the language of the moment they were set.
void CControlLinesBox::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        ShowLines(m_shown);
    QWidget::changeEvent(event);
}

void CControlLinesBox::Poll()
{
    const std::optional<unsigned> lines = ReadLines();
    if (lines != m_shown)
        ShowLines(lines);
}

void CControlLinesBox::ShowLines(std::optional<unsigned> lines)
{
    m_shown = lines;
    for (const LineToggle &toggle : m_toggles) {
        const QSignalBlocker quiet(toggle.button);
        toggle.button->setChecked(lines && (*lines & toggle.line));
        toggle.button->setEnabled(lines.has_value());
    }
    for (std::size_t i = 0; i < m_indicators.size(); ++i) {
        const LineState state = Indicator(kStatusLines[i]);
        m_indicators[i]->setStyleSheet(IndicatorStyle(state));
        m_indicators[i]->setToolTip(IndicatorTip(state));
    }
    m_break->setEnabled(m_port && lines && !m_breakWatch.isActive());
}

void CControlLinesBox::OnBreakClicked()
{
    if (!m_port)
        return;
    if (!m_port->SendBreak(kBreakMs)) {
        emit breakFailed(tr("上一个中断还没有结束"));
        return;
    }
    m_breakWatch.start();
    m_break->setEnabled(false);
}

void CControlLinesBox::WatchBreak()
{
    if (!m_port || m_port->BreakRunning())
        return;
    m_breakWatch.stop();
    m_break->setEnabled(m_shown.has_value());
    if (const int error = m_port->BreakError())
        emit breakFailed(QString::fromLocal8Bit(SystemErrorText(error)));
}

CControlLinesBox::LineState CControlLinesBox::Indicator(unsigned line) const
{
    if (!m_shown)
        return LineState::Unknown;
    return (*m_shown & line) ? LineState::On : LineState::Off;
}

QPushButton *CControlLinesBox::Toggle(unsigned line) const
{
    for (const LineToggle &toggle : m_toggles)
        if (toggle.line == line)
            return toggle.button;
    return nullptr;
}
