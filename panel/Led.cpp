#include "panel/Led.h"

#include <QPainter>
#include <algorithm>

Led::Led(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Led::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    update();
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
    QPainter p(this);
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
    QColor base = m_active ? m_color : m_color.darker(420);
    if (!isEnabled()) {
        const int grey = qGray(base.rgb());
        base = QColor::fromRgb((base.red() + grey) / 2, (base.green() + grey) / 2, (base.blue() + grey) / 2);
        if (m_active)
            base = base.darker(130);
    }
    QRadialGradient glow(lens.center(), std::max(lens.width(), lens.height()) * 0.7);
    glow.setColorAt(0, m_active ? base.lighter(150) : base.lighter(130));
    glow.setColorAt(1, base);
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawRoundedRect(lens, radius * 0.6, radius * 0.6);

    // Specular stripe along the top of the lens.
    QLinearGradient shine(lens.topLeft(), QPointF(lens.left(), lens.center().y()));
    shine.setColorAt(0, QColor(255, 255, 255, m_active ? 150 : 60));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    p.setBrush(shine);
    p.drawRoundedRect(QRectF(lens.left(), lens.top(), lens.width(), lens.height() * 0.5), radius * 0.6, radius * 0.6);
}
