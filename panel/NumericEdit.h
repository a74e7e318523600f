#pragma once
#include <QString>
#include <QWidget>

class QLabel;
class QLineEdit;

/// A numeric entry box with a unit text and optional limits.
///
/// The value is held as an exact double and shown with fixed decimals in the user's
/// locale. Typed text is committed on Return or when the box loses focus, read with the
/// program's number reader and brought within the limits. Once setMaximum() has been called
/// the limits are 0 to that maximum, until clearLimits().
class NumericEdit : public QWidget {
    Q_OBJECT
public:
    explicit NumericEdit(QWidget* parent = nullptr);

    double value() const { return m_value; }
    /// Stores the value (within the limits, if set) and shows it; NaN and infinities are
    /// ignored. Emits valueChanged() when the stored value changes.
    void setValue(double value);

    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);

    QString unitText() const;
    void setUnitText(const QString& unit);
    bool showUnit() const { return m_showUnit; }
    void setShowUnit(bool show);

    /// Turns on the limits 0 .. maximum (a negative maximum counts as 0) and brings the
    /// value held within them at once, emitting valueChanged() if that changes it.
    void setMaximum(double maximum);
    void clearLimits();
    bool hasLimits() const { return m_hasLimits; }
    /// The upper limit; +infinity without limits.
    double maximum() const;
    /// 0 with limits; -infinity without.
    double minimum() const;

    /// What the box shows.
    QString text() const;
    QLineEdit* lineEdit() const { return m_edit; }

    /// Takes typed, not yet committed text as Return would (e.g. before a dialog reads
    /// the value); does nothing when nothing was typed.
    void commit();

signals:
    void valueChanged(double value);
    /// The typed text could not be read (its whole part is too long); the old value stays.
    void invalidEntry(const QString& text);

private:
    double limited(double value) const;
    void store(double value);
    void showValue();

    QLineEdit* m_edit = nullptr;
    QLabel* m_unit = nullptr;
    double m_value = 0.0;
    double m_maximum = 0.0;
    bool m_hasLimits = false;
    bool m_showUnit = true;
    int m_decimals = 2;
};
