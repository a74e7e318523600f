#pragma once
#include <QColor>
#include <QPixmap>
#include <QWidget>

/// A rectangular indicator lamp, lit or dark.
class Led : public QWidget {
    Q_OBJECT
public:
    explicit Led(QWidget* parent = nullptr);

    bool isActive() const { return m_active; }
    void setActive(bool active);
    void toggle() { setActive(!m_active); }

    QColor color() const { return m_color; }
    void setColor(const QColor& color);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void drawLamp(QPainter& painter, bool active) const;

    bool m_active = false;
    QPixmap m_cache[2];
    QString m_cacheKey;
    QColor m_color = QColor(0x2c, 0xe8, 0x3c);
};
