// Driving the real window from a benchmark as a user would: waiting with the
// event loop running, finding the form's controls, typing a network target.
#pragma once

#include "panels/portcfgpanel.h"
#include "port/portkind.h"
#include "view/form/viewids.h"
#include "view/tarvikview.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>

#include <functional>

inline bool WaitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

template <typename Control> Control *Find(QWidget *view, int id)
{
    return view->findChild<Control *>(QString::number(id), Qt::FindDirectChildrenOnly);
}

// The network kind chosen and 127.0.0.1:port typed into its panel; false when
// the panel lacks its fields.
inline bool TypeNetworkTarget(CTarvikView *view, quint16 port)
{
    Find<QComboBox>(view, ViewId::kPortKind)->setCurrentIndex(int(PortKind::Network));
    auto *host = FindPanelControl<QComboBox>(view->PortPanel(), kEthHostId);
    auto *portEdit = FindPanelControl<QLineEdit>(view->PortPanel(), kEthPortId);
    if (!host || !portEdit)
        return false;
    host->lineEdit()->setText(QStringLiteral("127.0.0.1"));
    portEdit->setText(QString::number(port));
    return true;
}

// The window thread's longest wait between ticks of a 10 ms timer, from
// construction until asked: how long the window stood still for its user.
class CStallClock
{
public:
    CStallClock()
    {
        m_clock.start();
        m_tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_tick, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            m_maxGapNs = std::max(m_maxGapNs, now - m_lastTickNs);
            m_lastTickNs = now;
        });
        m_tick.start(kTickMs);
    }
    qint64 ElapsedNs() const { return m_clock.nsecsElapsed(); }
    double MaxStallMs() const
    {
        return double(std::max(m_maxGapNs, m_clock.nsecsElapsed() - m_lastTickNs)) / 1e6;
    }

private:
    static constexpr int kTickMs = 10;
    QElapsedTimer m_clock;
    QTimer m_tick;
    qint64 m_lastTickNs = 0;
    qint64 m_maxGapNs = 0;
};
