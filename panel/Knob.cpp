#include "panel/Knob.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <QtMath>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double SweepDegrees = 270.0;
// The minimum sits at 7:30 o'clock; the sweep runs clockwise from there to 4:30.
constexpr double StartAngle = 225.0;
// How far past either end a drag may wind up before further turning is ignored:
// half the dead zone at the bottom, so turning back needs at most that much slack.
constexpr double Overwind = (360.0 - SweepDegrees) / 2.0;
constexpr int WheelNotch = 120;

QLocale displayLocale()
{
    // Group separators would be read back as a decimal point by the number reader.
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale;
}

QPointF polar(const QPointF& centre, double radius, double mathDegrees)
{
    const double a = qDegreesToRadians(mathDegrees);
    return centre + QPointF(radius * std::cos(a), -radius * std::sin(a));
}

double mathAngleOfSweep(double sweep) { return StartAngle - sweep; }

struct TickScale {
    double major = 1.0;
    int minorPerMajor = 5;
};

// The finest 1/2/2.5/5 step whose labels stay exact with the label decimals and whose
// interval count fits.
TickScale chooseScale(double maximum, int labelDecimals, int maxIntervals)
{
    if (maximum <= 0.0)
        return {};
    for (int k = -labelDecimals; k < 16; ++k) {
        const double decade = std::pow(10.0, k);
        const struct {
            double mantissa;
            int minor;
        } candidates[] = {{1.0, 5}, {2.0, 4}, {2.5, 5}, {5.0, 5}};
        for (const auto& c : candidates) {
            if (c.mantissa == 2.5 && k < 1 - labelDecimals)
                continue;
            const double step = c.mantissa * decade;
            if (maximum / step <= maxIntervals + 1e-9)
                return {step, c.minor};
        }
    }
    return {maximum, 1};
}

} // namespace

struct Knob::Geometry {
    QPointF centre;
    double radius = 0;       // outer bezel
    double faceRadius = 0;
    double arcRadius = 0;    // value band outside the ticks
    double arcWidth = 0;
    double tickOuter = 0;
    double majorLength = 0;
    double minorLength = 0;
    double capRadius = 0;
    double labelPixels = 0;
    double textPixels = 0;
    double textCentreY = 0;
};

Knob::Knob(QWidget* parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void Knob::setMaximum(double maximum)
{
    if (std::isnan(maximum))
        return;
    m_maximum = std::max(0.0, maximum);
    if (m_position > m_maximum)
        m_position = m_maximum; // silently: the model's limits are not a user change
    update();
}

void Knob::setPosition(double position)
{
    if (std::isnan(position))
        return;
    moveTo(position);
}

void Knob::setArrowStep(double step)
{
    if (std::isfinite(step) && step >= 0)
        m_arrowStep = step;
}

void Knob::setPageStep(double step)
{
    if (std::isfinite(step) && step >= 0)
        m_pageStep = step;
}

void Knob::setWheelStep(double step)
{
    if (std::isfinite(step) && step >= 0)
        m_wheelStep = step;
}

void Knob::setDecimals(int decimals)
{
    m_decimals = std::clamp(decimals, 0, 9);
    update();
}

void Knob::setUnit(const QString& unit)
{
    m_unit = unit;
    update();
}

void Knob::setTickLabelDecimals(int decimals)
{
    m_tickLabelDecimals = std::clamp(decimals, 0, 6);
    update();
}

QString Knob::positionText() const
{
    QString text = displayLocale().toString(m_position, 'f', m_decimals);
    if (!m_unit.isEmpty())
        text += QLatin1Char(' ') + m_unit;
    return text;
}

QSize Knob::sizeHint() const { return {138, 130}; }

QSize Knob::minimumSizeHint() const { return {64, 64}; }

bool Knob::moveTo(double position)
{
    position = std::clamp(position, 0.0, m_maximum);
    if (position == m_position)
        return false;
    m_position = position;
    update();
    emit positionChanged(m_position);
    return true;
}

void Knob::userStep(double delta)
{
    // Repeated steps of 0.1 should land on 0.3, not 0.30000000000000004.
    const double target = std::round((m_position + delta) * 1e9) / 1e9;
    moveTo(target);
    emit positionChangeFinished();
}

double Knob::sweepOf(double position) const
{
    if (m_maximum <= 0.0)
        return 0.0;
    return SweepDegrees * std::clamp(position / m_maximum, 0.0, 1.0);
}

Knob::Geometry Knob::geometry() const
{
    Geometry g;
    const QRectF area = QRectF(rect()).adjusted(1, 1, -1, -1);
    g.centre = area.center();
    g.radius = std::max(10.0, std::min(area.width(), area.height()) / 2.0);
    const double r = g.radius;
    g.faceRadius = r * 0.955;
    g.arcRadius = r * 0.875;
    g.arcWidth = std::max(2.0, r * 0.05);
    g.tickOuter = r * 0.82;
    g.majorLength = r * 0.12;
    g.minorLength = r * 0.06;
    g.capRadius = r * 0.40;
    g.labelPixels = std::clamp(7.0 + r * 0.05, 7.0, 20.0);
    g.textPixels = std::clamp(r * 0.19, 8.0, 30.0);
    g.textCentreY = g.centre.y() + r * 0.74;
    return g;
}

bool Knob::mouseAngle(const QPointF& point, double* degrees) const
{
    const Geometry g = geometry();
    const QPointF d = point - g.centre;
    if (std::hypot(d.x(), d.y()) < std::max(3.0, g.radius * 0.08))
        return false;
    *degrees = qRadiansToDegrees(std::atan2(-d.y(), d.x()));
    return true;
}

void Knob::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const Geometry g = geometry();
    const bool enabled = isEnabled();
    const auto pick = [enabled](QColor on, QColor off) { return enabled ? on : off; };
    const QPointF c = g.centre;
    const double r = g.radius;

    // Bezel and face.
    QLinearGradient bezel(c.x(), c.y() - r, c.x(), c.y() + r);
    bezel.setColorAt(0, pick(QColor(0x5a, 0x5d, 0x62), QColor(0x9a, 0x9a, 0x9a)));
    bezel.setColorAt(1, pick(QColor(0x1c, 0x1d, 0x20), QColor(0x70, 0x70, 0x70)));
    p.setPen(Qt::NoPen);
    p.setBrush(bezel);
    p.drawEllipse(c, r, r);

    QRadialGradient face(c - QPointF(0, g.faceRadius * 0.35), g.faceRadius * 1.4);
    face.setColorAt(0, pick(QColor(0xfb, 0xfb, 0xfa), QColor(0xe4, 0xe4, 0xe4)));
    face.setColorAt(1, pick(QColor(0xc9, 0xcc, 0xd1), QColor(0xd0, 0xd0, 0xd0)));
    p.setBrush(face);
    p.drawEllipse(c, g.faceRadius, g.faceRadius);

    if (hasFocus()) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(palette().color(QPalette::Highlight), std::max(1.5, r * 0.025)));
        p.drawEllipse(c, r - r * 0.0125, r - r * 0.0125);
    }

    // Track and value band.
    const QRectF arcRect(c.x() - g.arcRadius, c.y() - g.arcRadius, 2 * g.arcRadius, 2 * g.arcRadius);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(pick(QColor(0xa8, 0xab, 0xb0), QColor(0xbc, 0xbc, 0xbc)), g.arcWidth, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcRect, int(StartAngle * 16), int(-SweepDegrees * 16));
    const double sweep = sweepOf(m_position);
    if (sweep > 0) {
        p.setPen(QPen(pick(QColor(0xff, 0x8c, 0x00), QColor(0x9c, 0x9c, 0x9c)), g.arcWidth, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(arcRect, int(StartAngle * 16), int(std::lround(-sweep * 16)));
    }

    // Scale: nice steps so the labels read as round numbers, plus the end of the range.
    QFont labelFont = font();
    labelFont.setPixelSize(int(std::lround(g.labelPixels)));
    const QFontMetricsF labelMetrics(labelFont);
    const QLocale locale = displayLocale();
    const auto label = [&](double v) { return locale.toString(v, 'f', m_tickLabelDecimals); };
    const double widest = std::max(labelMetrics.horizontalAdvance(label(m_maximum)),
                                   labelMetrics.horizontalAdvance(label(0)));
    const double labelArc = (g.tickOuter - g.majorLength) * 0.7 * qDegreesToRadians(SweepDegrees);
    const int maxIntervals = std::max(1, int(labelArc / (widest * 1.4 + 2)));
    const TickScale scale = chooseScale(m_maximum, m_tickLabelDecimals, maxIntervals);

    struct Tick {
        double value;
        bool major;
        bool labelled;
    };
    std::vector<Tick> ticks;
    if (m_maximum <= 0.0) {
        ticks.push_back({0.0, true, true});
    } else {
        const double minorStep = scale.major / scale.minorPerMajor;
        const int count = int(std::floor(m_maximum / minorStep + 1e-9));
        for (int i = 0; i <= count; ++i)
            ticks.push_back({i * minorStep, i % scale.minorPerMajor == 0, i % scale.minorPerMajor == 0});
        const bool endOnGrid = m_maximum - count * minorStep <= minorStep * 1e-6;
        if (endOnGrid)
            ticks.pop_back();
        if (!endOnGrid || count % scale.minorPerMajor != 0) {
            // The range ends between labels: mark the end, and label it when the label is
            // exact, giving way to a neighbour label that would collide with it.
            const double scaled = m_maximum * std::pow(10.0, m_tickLabelDecimals);
            const bool exact = std::abs(scaled - std::round(scaled)) < 1e-6;
            if (exact) {
                const double labelRadius = (g.tickOuter - g.majorLength) * 0.75;
                for (auto it = ticks.rbegin(); it != ticks.rend(); ++it) {
                    if (it->labelled) {
                        const double apart = qDegreesToRadians(sweepOf(m_maximum) - sweepOf(it->value)) * labelRadius;
                        if (apart < widest * 1.3)
                            it->labelled = false;
                        break;
                    }
                }
            }
            ticks.push_back({m_maximum, true, exact});
        } else {
            ticks.push_back({m_maximum, true, true});
        }
    }

    const QColor ink = pick(QColor(0x1e, 0x1f, 0x22), QColor(0x98, 0x98, 0x98));
    double innermostLabel = g.tickOuter;
    p.setFont(labelFont);
    for (const Tick& t : ticks) {
        const double angle = mathAngleOfSweep(sweepOf(t.value));
        const double length = t.major ? g.majorLength : g.minorLength;
        p.setPen(QPen(ink, t.major ? std::max(1.2, r * 0.022) : std::max(0.8, r * 0.011), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(polar(c, g.tickOuter, angle), polar(c, g.tickOuter - length, angle));
        if (!t.labelled)
            continue;
        // Each label hugs the tick ring: its box's extent towards the centre depends on
        // where around the dial it sits.
        const QString text = label(t.value);
        const double w = labelMetrics.horizontalAdvance(text);
        const double h = labelMetrics.capHeight() + 2;
        const double a = qDegreesToRadians(angle);
        const double halfExtent = std::abs(std::cos(a)) * w / 2 + std::abs(std::sin(a)) * h / 2;
        const double gap = std::max(1.5, r * 0.03);
        const double lr = g.tickOuter - g.majorLength - gap - halfExtent;
        innermostLabel = std::min(innermostLabel, lr - halfExtent);
        const QPointF at = polar(c, lr, angle);
        const QRectF box(at.x() - w / 2 - 2, at.y() - labelMetrics.height() / 2, w + 4, labelMetrics.height());
        p.drawText(box, Qt::AlignCenter, text);
    }

    // Knob cap: shadow, knurled rim, machined top and the pointer.
    const double cap = std::clamp(innermostLabel - r * 0.05, r * 0.26, g.capRadius);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, enabled ? 70 : 35));
    p.drawEllipse(c + QPointF(0, cap * 0.09), cap * 1.05, cap * 1.05);

    QRadialGradient body(c - QPointF(cap * 0.3, cap * 0.4), cap * 1.5);
    body.setColorAt(0, pick(QColor(0x7a, 0x7e, 0x84), QColor(0xb8, 0xb8, 0xb8)));
    body.setColorAt(1, pick(QColor(0x1f, 0x21, 0x24), QColor(0x8c, 0x8c, 0x8c)));
    p.setBrush(body);
    p.drawEllipse(c, cap, cap);

    const int ridges = std::max(18, int(cap * 1.1));
    for (int i = 0; i < ridges; ++i) {
        const double a = 360.0 * i / ridges;
        p.setPen(QPen(i % 2 ? QColor(255, 255, 255, enabled ? 45 : 60) : QColor(0, 0, 0, enabled ? 90 : 40),
                      std::max(1.0, cap * 0.035)));
        p.drawLine(polar(c, cap * 0.86, a), polar(c, cap * 0.99, a));
    }

    QLinearGradient top(c.x(), c.y() - cap, c.x(), c.y() + cap);
    top.setColorAt(0, pick(QColor(0x84, 0x88, 0x8e), QColor(0xc4, 0xc4, 0xc4)));
    top.setColorAt(1, pick(QColor(0x32, 0x35, 0x39), QColor(0x9a, 0x9a, 0x9a)));
    p.setPen(QPen(QColor(0, 0, 0, enabled ? 110 : 50), 1));
    p.setBrush(top);
    p.drawEllipse(c, cap * 0.8, cap * 0.8);

    const double pointerAngle = mathAngleOfSweep(sweep);
    p.setPen(QPen(pick(QColor(0xf6, 0xf6, 0xf6), QColor(0xe0, 0xe0, 0xe0)), std::max(2.0, cap * 0.13), Qt::SolidLine,
                  Qt::RoundCap));
    p.drawLine(polar(c, cap * 0.28, pointerAngle), polar(c, cap * 0.9, pointerAngle));
    // A mark on the face right at the pointer, so the reading against the scale is exact.
    p.setPen(Qt::NoPen);
    p.setBrush(pick(QColor(0xff, 0x8c, 0x00), QColor(0xa0, 0xa0, 0xa0)));
    const QPointF tip = polar(c, cap * 1.12, pointerAngle);
    const QPointF left = polar(c, cap * 1.02, pointerAngle + 7);
    const QPointF right = polar(c, cap * 1.02, pointerAngle - 7);
    p.drawPolygon(QPolygonF{tip, left, right});

    // Position text in the open quarter below the cap, shrunk when it would leave the face.
    QFont textFont = font();
    textFont.setBold(true);
    textFont.setPixelSize(int(std::lround(g.textPixels)));
    const QString text = positionText();
    const double halfChord = std::sqrt(std::max(0.0, g.faceRadius * g.faceRadius -
                                                         std::pow(g.textCentreY - c.y() + g.textPixels * 0.5, 2)));
    const double room = std::max(10.0, 2 * halfChord - r * 0.08);
    const double needed = QFontMetricsF(textFont).horizontalAdvance(text);
    if (needed > room)
        textFont.setPixelSize(std::max(7, int(g.textPixels * room / needed)));
    p.setFont(textFont);
    p.setPen(pick(QColor(0x14, 0x15, 0x17), QColor(0x90, 0x90, 0x90)));
    const QRectF textBox(c.x() - r, g.textCentreY - g.textPixels, 2 * r, 2 * g.textPixels);
    p.drawText(textBox, Qt::AlignCenter, text);
}

void Knob::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    // The knob turns by how far the mouse turns around the centre, not to where it was
    // pressed, so a click never makes the setpoint jump.
    m_dragging = true;
    m_dragMoved = false;
    m_dragSweep = sweepOf(m_position);
    m_haveDragAngle = mouseAngle(event->position(), &m_dragAngle);
    event->accept();
}

void Knob::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    double angle = 0;
    if (!mouseAngle(event->position(), &angle))
        return;
    if (!m_haveDragAngle) {
        m_dragAngle = angle;
        m_haveDragAngle = true;
        return;
    }
    double delta = angle - m_dragAngle;
    while (delta > 180.0)
        delta -= 360.0;
    while (delta <= -180.0)
        delta += 360.0;
    m_dragAngle = angle;
    // Clockwise (a falling mathematical angle) turns the knob up. Winding past an end is
    // remembered only up to the middle of the dead zone, so the pointer never wraps over.
    m_dragSweep = std::clamp(m_dragSweep - delta, -Overwind, SweepDegrees + Overwind);
    double target = m_maximum * std::clamp(m_dragSweep, 0.0, SweepDegrees) / SweepDegrees;
    const double resolution = std::pow(10.0, -m_decimals);
    target = std::round(target / resolution) * resolution;
    if (moveTo(target))
        m_dragMoved = true;
    event->accept();
}

void Knob::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragging) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    finishDrag();
    event->accept();
}

void Knob::finishDrag()
{
    const bool moved = m_dragMoved;
    m_dragging = false;
    m_dragMoved = false;
    if (moved)
        emit positionChangeFinished();
}

void Knob::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        userStep(m_arrowStep);
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        userStep(-m_arrowStep);
        break;
    case Qt::Key_PageUp:
        userStep(m_pageStep);
        break;
    case Qt::Key_PageDown:
        userStep(-m_pageStep);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void Knob::wheelEvent(QWheelEvent* event)
{
    int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    // Turning the wheel away from the user turns the knob up, whatever the scroll direction
    // setting of the desktop.
    if (event->inverted())
        delta = -delta;
    if (m_wheelRemainder != 0 && (delta > 0) != (m_wheelRemainder > 0))
        m_wheelRemainder = 0;
    m_wheelRemainder += delta;
    while (m_wheelRemainder >= WheelNotch) {
        m_wheelRemainder -= WheelNotch;
        userStep(m_wheelStep);
    }
    while (m_wheelRemainder <= -WheelNotch) {
        m_wheelRemainder += WheelNotch;
        userStep(-m_wheelStep);
    }
    event->accept();
}

void Knob::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        // A drag cut short by disabling still ended a user change: report it, or the
        // instrument would never hear of the new position.
        if (m_dragging)
            finishDrag();
        m_wheelRemainder = 0;
    }
    QWidget::changeEvent(event);
}
