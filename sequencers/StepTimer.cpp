#include "sequencers/StepTimer.h"

#include <limits>

StepTimer::StepTimer(QObject* parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_remaining > 0) {
            arm();
            return;
        }
        // Re-armed before the handler runs, so a handler that sets a new interval wins.
        m_remaining = m_interval;
        arm();
        emit timeout();
    });
}

void StepTimer::start(quint32 milliseconds)
{
    m_interval = milliseconds;
    m_timer.stop();
    m_active = milliseconds > 0;
    if (m_active) {
        m_remaining = milliseconds;
        arm();
    }
}

void StepTimer::stop()
{
    m_active = false;
    m_timer.stop();
}

void StepTimer::arm()
{
    const quint64 chunk = qMin<quint64>(m_remaining, std::numeric_limits<int>::max());
    m_remaining -= chunk;
    m_timer.start(int(chunk));
}
