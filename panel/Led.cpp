#include "panel/Led.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <utility>
#include <algorithm>

Led::Led(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    // The traffic lamps flip on every byte exchanged: painting the whole rectangle from a
    // cached picture keeps that cheap and spares the group box behind a repaint.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

namespace {

// The traffic lamps may flip hundreds of times a second; every repaint of the window
// costs far more than the lamp itself, so lamp repaints are gathered and done together
// at a display rate, like an instrument's own display refresh.
constexpr int LampRefreshMs = 40;
QList<QPointer<Led>> g_pendingLamps;
QPointer<QTimer> g_lampRefresh;

void refreshLamps()
{
    const QList<QPointer<Led>> lamps = std::exchange(g_pendingLamps, {});
    for (const QPointer<Led>& lamp : lamps)
        if (lamp)
            lamp->update();
}

} // namespace

void Led::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    if (!isVisible()) {
        update();
        return;
    }
    if (!g_pendingLamps.contains(this))
        g_pendingLamps.append(this);
    if (!g_lampRefresh) {
        g_lampRefresh = new QTimer(QCoreApplication::instance());
        g_lampRefresh->setSingleShot(true);
        g_lampRefresh->setInterval(LampRefreshMs);
        QObject::connect(g_lampRefresh, &QTimer::timeout, refreshLamps);
    }
    if (!g_lampRefresh->isActive())
        g_lampRefresh->start();
}

void Led::setColor(const QColor& color)
{
    m_color = color;
    update();
}

QSize Led::sizeHint() const { return {22, 12}; }

QSize Led::minimumSizeHint() const { return {6, 4}; }

void Led::paintEvent(QPaintEvent*)
{
    const qreal ratio = devicePixelRatioF();
    const QString key = QStringLiteral("%1x%2@%3 %4 %5 %6")
                            .arg(width())
                            .arg(height())
                            .arg(ratio)
                            .arg(m_color.name(QColor::HexArgb))
                            .arg(isEnabled())
                            .arg(palette().color(QPalette::Window).name());
    if (key != m_cacheKey) {
        for (int state = 0; state < 2; ++state) {
            QPixmap lamp(size() * ratio);
            lamp.setDevicePixelRatio(ratio);
            lamp.fill(palette().color(QPalette::Window));
            QPainter painter(&lamp);
            drawLamp(painter, state == 1);
            m_cache[state] = lamp;
        }
        m_cacheKey = key;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, m_cache[m_active ? 1 : 0]);
}

void Led::drawLamp(QPainter& p, bool active) const
{
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF outer = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = std::min(outer.width(), outer.height()) * 0.18;

    // Housing.
    p.setPen(QPen(QColor(0x18, 0x19, 0x1b), 1));
    p.setBrush(QColor(0x3a, 0x3c, 0x40));
    p.drawRoundedRect(outer, radius, radius);

    // Lens: a lit lamp glows from its middle, a dark one only hints at its colour.
    // Disabled, both states stay readable but muted.
    const double inset = std::max(1.0, std::min(outer.width(), outer.height()) * 0.12);
    const QRectF lens = outer.adjusted(inset, inset, -inset, -inset);
    QColor base = active ? m_color : m_color.darker(420);
    if (!isEnabled()) {
        const int grey = qGray(base.rgb());
        base = QColor::fromRgb((base.red() + grey) / 2, (base.green() + grey) / 2, (base.blue() + grey) / 2);
        if (active)
            base = base.darker(130);
    }
    QRadialGradient glow(lens.center(), std::max(lens.width(), lens.height()) * 0.7);
    glow.setColorAt(0, active ? base.lighter(150) : base.lighter(130));
    glow.setColorAt(1, base);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(lens, radius * 0.6, radius * 0.6);

    // Specular stripe along the top of the lens.
    QLinearGradient shine(lens.topLeft(), QPointF(lens.left(), lens.center().y()));
    shine.setColorAt(0, QColor(255, 255, 255, active ? 150 : 60));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(shine);
    p.drawRoundedRect(QRectF(lens.left(), lens.top(), lens.width(), lens.height() * 0.5), radius * 0.6, radius * 0.6);
}
