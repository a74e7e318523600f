#include "panel/ToggleSwitch.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QtMath>
#include <algorithm>

ToggleSwitch::ToggleSwitch(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void ToggleSwitch::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    update();
    emit changed(m_active);
}

QSize ToggleSwitch::sizeHint() const { return {40, 60}; }

QSize ToggleSwitch::minimumSizeHint() const { return {20, 30}; }

void ToggleSwitch::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    event->accept();
}

void ToggleSwitch::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    // Like a button: sliding off before letting go cancels the flip.
    if (rect().contains(event->position().toPoint()))
        setActive(!m_active);
    event->accept();
}

void ToggleSwitch::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        setActive(!m_active);
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ToggleSwitch::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        p.setOpacity(0.5);

    const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
    const QPointF c = area.center();
    const double nut = std::max(4.0, std::min(area.width() * 0.36, area.height() * 0.2));

    // Panel washer, dark so the chrome reads on any background.
    p.setPen(QPen(hasFocus() ? palette().color(QPalette::Highlight) : QColor(0x10, 0x11, 0x12),
                  hasFocus() ? 2.0 : 1.0));
    QRadialGradient washer(c, nut * 1.3);
    washer.setColorAt(0, QColor(0x45, 0x47, 0x4b));
    washer.setColorAt(1, QColor(0x1d, 0x1e, 0x20));
    p.setBrush(washer);
    p.drawEllipse(c, nut * 1.28, nut * 1.28);

    // Hex nut and bushing.
    QPolygonF hex;
    for (int i = 0; i < 6; ++i) {
        const double a = qDegreesToRadians(60.0 * i + 30.0);
        hex << c + QPointF(nut * std::cos(a), nut * std::sin(a));
    }
    QLinearGradient chrome(c.x() - nut, c.y() - nut, c.x() + nut, c.y() + nut);
    chrome.setColorAt(0, QColor(0xf2, 0xf3, 0xf5));
    chrome.setColorAt(0.5, QColor(0xa9, 0xac, 0xb1));
    chrome.setColorAt(1, QColor(0x6a, 0x6d, 0x72));
    p.setPen(QPen(QColor(0x2a, 0x2b, 0x2e), 1));
    p.setBrush(chrome);
    p.drawPolygon(hex);

    QRadialGradient bushing(c - QPointF(nut * 0.2, nut * 0.25), nut * 0.75);
    bushing.setColorAt(0, QColor(0xd8, 0xda, 0xdd));
    bushing.setColorAt(1, QColor(0x5e, 0x61, 0x66));
    p.setBrush(bushing);
    p.drawEllipse(c, nut * 0.62, nut * 0.62);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x17, 0x18, 0x1a));
    p.drawEllipse(c, nut * 0.36, nut * 0.36);

    // Bat lever from the bushing to a ball tip, up when on. It widens towards the tip as a
    // lever tilted towards the viewer does.
    const double ball = nut * 0.46;
    const double reach = std::max(nut, area.height() / 2 - ball - 1);
    const double dir = m_active ? -1.0 : 1.0;
    const QPointF tip = c + QPointF(0, dir * reach);
    const double baseHalf = nut * 0.24;
    const double tipHalf = nut * 0.34;
    const QPolygonF shaft{c + QPointF(-baseHalf, 0), c + QPointF(baseHalf, 0), tip + QPointF(tipHalf, 0),
                          tip + QPointF(-tipHalf, 0)};

    p.setBrush(QColor(0, 0, 0, 70));
    p.drawPolygon(shaft.translated(nut * 0.12, nut * 0.1));

    QLinearGradient rod(c.x() - tipHalf, 0, c.x() + tipHalf, 0);
    rod.setColorAt(0, QColor(0x6e, 0x71, 0x76));
    rod.setColorAt(0.35, QColor(0xf7, 0xf8, 0xfa));
    rod.setColorAt(0.6, QColor(0xb4, 0xb7, 0xbc));
    rod.setColorAt(1, QColor(0x55, 0x58, 0x5d));
    p.setPen(QPen(QColor(0x33, 0x35, 0x38), 0.8));
    p.setBrush(rod);
    p.drawPolygon(shaft);

    QRadialGradient knob(tip - QPointF(ball * 0.35, ball * 0.4), ball * 1.3);
    knob.setColorAt(0, QColor(0xff, 0xff, 0xff));
    knob.setColorAt(0.45, QColor(0xb9, 0xbc, 0xc1));
    knob.setColorAt(1, QColor(0x4e, 0x51, 0x56));
    p.setBrush(knob);
    p.drawEllipse(tip, ball, ball);
}
