#include "app/LayoutScaler.h"

#include <QtMath>

LayoutScaler::LayoutScaler(QSize designSize, qreal designPointSize)
    : m_design(designSize)
    , m_designPointSize(designPointSize)
    , m_pointSize(designPointSize)
{
}

void LayoutScaler::record(QWidget* widget, const QRect& designGeometry)
{
    m_entries.append({widget, designGeometry});
    widget->setGeometry(designGeometry);
}

void LayoutScaler::scaleTo(QSize clientSize)
{
    if (clientSize.isEmpty())
        return;
    m_rx = qreal(clientSize.width()) / m_design.width();
    m_ry = qreal(clientSize.height()) / m_design.height();
    for (const Entry& e : std::as_const(m_entries)) {
        if (!e.widget)
            continue;
        const int x = qRound(e.design.x() * m_rx);
        const int y = qRound(e.design.y() * m_ry);
        const int right = qRound((e.design.x() + e.design.width()) * m_rx);
        const int bottom = qRound((e.design.y() + e.design.height()) * m_ry);
        e.widget->setGeometry(x, y, right - x, bottom - y);
    }
    // Text follows the smaller ratio so that it never outgrows its control.
    m_pointSize = qBound(MinPointSize, m_designPointSize * qMin(m_rx, m_ry), MaxPointSize);
}
