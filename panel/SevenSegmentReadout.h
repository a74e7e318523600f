#pragma once
#include <QColor>
#include <QLCDNumber>
#include <QString>

/// A seven-segment readout that holds a double and shows it with fixed decimals.
///
/// value() is the number last given, not the rounded text, so code that reads a readout
/// back (limits, commands) works on the exact figure. A value whose text needs more digits
/// than the readout has shows the overflow sign "OL" (and raises overflow()) but is kept.
class SevenSegmentReadout : public QLCDNumber {
    Q_OBJECT
    Q_PROPERTY(double value READ value WRITE setValue)
public:
    explicit SevenSegmentReadout(QWidget* parent = nullptr);

    double value() const { return m_value; }
    void setValue(double value);

    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);

    /// Hides QLCDNumber's version so that the text is laid out again for the new width.
    void setDigitCount(int digits);

    /// Colour of the lit segments.
    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    /// The text the segments show, e.g. "12.5000" or "OL".
    QString displayText() const { return m_text; }
    bool isOverflowing() const { return m_overflow; }

private:
    void render();
    void applyPalette();

    double m_value = 0.0;
    int m_decimals = 2;
    QColor m_color = QColor(0x3c, 0xff, 0x6a);
    QString m_text;
    bool m_overflow = false;
};
