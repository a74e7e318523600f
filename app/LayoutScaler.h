#pragma once
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

// Keeps a window proportional: records each control's design geometry and font,
// and scales them by the ratio of the window's client size to its design size.
class LayoutScaler {
public:
    LayoutScaler(QSize designSize, qreal designPointSize);

    void record(QWidget* widget, const QRect& designGeometry);
    void scaleTo(QSize clientSize);
    qreal scaledPointSize() const { return m_pointSize; }
    qreal ratioX() const { return m_rx; }
    qreal ratioY() const { return m_ry; }

    static constexpr qreal MinPointSize = 8;
    static constexpr qreal MaxPointSize = 48;

private:
    struct Entry {
        QPointer<QWidget> widget;
        QRect design;
    };
    QSize m_design;
    qreal m_designPointSize;
    qreal m_pointSize;
    qreal m_rx = 1, m_ry = 1;
    QList<Entry> m_entries;
};
