#pragma once
#include <QWidget>

/// A two-position lever toggle switch: lever up is on.
///
/// changed() is raised on every change of state, whether the user flipped the lever (click
/// or Space) or code called setActive(); setting the state it already has raises nothing.
/// While disabled the user cannot flip it, but code still can.
class ToggleSwitch : public QWidget {
    Q_OBJECT
public:
    explicit ToggleSwitch(QWidget* parent = nullptr);

    bool isActive() const { return m_active; }
    void setActive(bool active);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void changed(bool active);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_active = false;
    bool m_pressed = false;
};
