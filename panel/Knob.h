#pragma once
#include <QString>
#include <QWidget>

/// A rotary instrument knob over the range 0 to maximum(), turned through about 270 degrees.
///
/// Users turn it by dragging the pointer around the centre, with the arrow and Page Up/Down
/// keys and with the mouse wheel. Every finished user change raises positionChangeFinished()
/// once: on release after a drag that moved the knob, after each handled key step and after
/// each wheel notch. Positions set by code (setPosition, setMaximum) never raise it.
class Knob : public QWidget {
    Q_OBJECT
public:
    explicit Knob(QWidget* parent = nullptr);

    double minimum() const { return 0.0; }
    double maximum() const { return m_maximum; }
    /// Sets the top of the range (negative values give 0, NaN is ignored). A position above
    /// the new maximum is brought down to it without raising any signal.
    void setMaximum(double maximum);

    double position() const { return m_position; }
    /// Moves the knob, clamped to the range; NaN is ignored. Emits positionChanged() when the
    /// position changes, never positionChangeFinished().
    void setPosition(double position);

    double arrowStep() const { return m_arrowStep; }
    void setArrowStep(double step);
    double pageStep() const { return m_pageStep; }
    void setPageStep(double step);
    double wheelStep() const { return m_wheelStep; }
    void setWheelStep(double step);

    /// Decimals of the position text; a drag also moves the knob in steps of this resolution.
    int decimals() const { return m_decimals; }
    void setDecimals(int decimals);
    QString unit() const { return m_unit; }
    void setUnit(const QString& unit);
    int tickLabelDecimals() const { return m_tickLabelDecimals; }
    void setTickLabelDecimals(int decimals);

    /// The position as shown on the dial, e.g. "12.50 V".
    QString positionText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void positionChanged(double position);
    void positionChangeFinished();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Geometry;
    Geometry geometry() const;
    // Sweep angle in degrees, clockwise from the minimum's end (0 .. SweepDegrees).
    double sweepOf(double position) const;
    // Angle of a point around the centre in degrees, counter-clockwise from 3 o'clock;
    // false when the point is too close to the centre to tell.
    bool mouseAngle(const QPointF& point, double* degrees) const;
    bool moveTo(double position);
    void userStep(double delta);
    void finishDrag();

    double m_maximum = 20.0;
    double m_position = 0.0;
    double m_arrowStep = 0.1;
    double m_pageStep = 1.0;
    double m_wheelStep = 0.1;
    int m_decimals = 2;
    int m_tickLabelDecimals = 1;
    QString m_unit;

    bool m_dragging = false;
    bool m_dragMoved = false;
    bool m_haveDragAngle = false;
    double m_dragAngle = 0.0;  // last mouse angle seen during the drag
    double m_dragSweep = 0.0;  // unclamped sweep the mouse has turned the knob to
    int m_wheelRemainder = 0;  // high-resolution wheel delta not yet a whole notch
};
