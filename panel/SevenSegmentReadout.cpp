#include "panel/SevenSegmentReadout.h"

#include <QPalette>
#include <algorithm>
#include <cmath>

SevenSegmentReadout::SevenSegmentReadout(QWidget* parent)
    : QLCDNumber(parent)
{
    setSegmentStyle(QLCDNumber::Flat);
    // Seven-segment displays put the point beside a digit rather than in a cell of its own.
    setSmallDecimalPoint(true);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setAutoFillBackground(true);
    applyPalette();
    render();
}

void SevenSegmentReadout::setValue(double value)
{
    m_value = value;
    render();
}

void SevenSegmentReadout::setDecimals(int decimals)
{
    m_decimals = std::clamp(decimals, 0, 15);
    render();
}

void SevenSegmentReadout::setDigitCount(int digits)
{
    QLCDNumber::setDigitCount(digits);
    render();
}

void SevenSegmentReadout::setColor(const QColor& color)
{
    m_color = color;
    applyPalette();
}

void SevenSegmentReadout::render()
{
    // The segments know only '.', so the text is not localised.
    QString text = std::isfinite(m_value) ? QString::number(m_value, 'f', m_decimals) : QString();
    if (text.startsWith(QLatin1Char('-')) && text.mid(1) == QString::number(0.0, 'f', m_decimals))
        text.remove(0, 1); // no "-0.0000" for tiny negatives
    const qsizetype cells = text.size() - (m_decimals > 0 ? 1 : 0);
    m_overflow = text.isEmpty() || cells > digitCount();
    if (m_overflow)
        text = QStringLiteral("OL");
    // Polling repeats the same reading many times a second: repaint only what changes.
    if (text == m_text && !m_text.isEmpty())
        return;
    m_text = text;
    display(text);
    if (m_overflow)
        emit overflow();
}

void SevenSegmentReadout::applyPalette()
{
    QPalette pal = palette();
    const QColor background(0x0b, 0x0d, 0x0c);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        pal.setColor(group, QPalette::Window, background);
        pal.setColor(group, QPalette::WindowText, m_color);
    }
    pal.setColor(QPalette::Disabled, QPalette::Window, QColor(0x22, 0x24, 0x23));
    pal.setColor(QPalette::Disabled, QPalette::WindowText, m_color.darker(260));
    // Bezel shades for the sunken frame.
    pal.setColor(QPalette::Light, QColor(0x9a, 0x9d, 0xa2));
    pal.setColor(QPalette::Dark, QColor(0x2a, 0x2c, 0x30));
    pal.setColor(QPalette::Mid, QColor(0x55, 0x58, 0x5c));
    setPalette(pal);
}
