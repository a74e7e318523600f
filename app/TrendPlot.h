#pragma once
#include <qcustomplot.h>

#include <QTimer>

// The trend plot of the three readings over time. Points are appended as they come;
// the picture is redrawn at a bounded rate, so hours of polling cost the same per reply.
class TrendPlot : public QCustomPlot {
    Q_OBJECT
public:
    explicit TrendPlot(QWidget* parent = nullptr);

    static constexpr double XSpan = 100;
    static constexpr int RedrawIntervalMs = 200;

    void addPoint(double seconds, double voltage, double current, double dvm);
    QCPGraph* channel(int index) const { return graph(index); }
    void setTitle(const QString& title);
    QString title() const;
    void clearChannels();
    // Brings the axes up to date and redraws at once (the timer does it otherwise).
    void redrawNow();
    bool redrawPending() const { return m_dirty; }

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateAxes();

    QCPTextElement* m_title = nullptr;
    QTimer m_redraw;
    bool m_dirty = false;
    double m_lastX = 0;
    double m_minY = 0, m_maxY = 0;
    bool m_hasData = false;
};
