#include "app/TrendPlot.h"

TrendPlot::TrendPlot(QWidget* parent)
    : QCustomPlot(parent)
{
    setBackground(QColor(192, 192, 192));
    axisRect()->setBackground(Qt::black);
    plotLayout()->insertRow(0);
    m_title = new QCPTextElement(this, QStringLiteral("Voltage/Current/DVM"), QFont(font().family(), 9, QFont::Bold));
    plotLayout()->addElement(0, 0, m_title);

    xAxis->setLabel(QStringLiteral("Time(S)"));
    xAxis->setNumberFormat(QStringLiteral("f"));
    xAxis->setNumberPrecision(1);
    xAxis->setRange(0, XSpan);
    QFont bold = font();
    bold.setBold(true);
    yAxis->setLabelFont(bold);
    yAxis->setLabel(QStringLiteral("Value"));
    yAxis->setRange(0, 1);
    for (QCPAxis* axis : {xAxis, yAxis}) {
        QPen grid(QColor(110, 110, 110), 0, Qt::DotLine);
        axis->grid()->setPen(grid);
        axis->grid()->setSubGridVisible(false);
    }

    const struct { const char* name; QColor color; } channels[] = {
        {"Voltage", Qt::red}, {"Current", QColor(40, 90, 255)}, {"DVM", Qt::yellow}};
    for (const auto& c : channels) {
        QCPGraph* g = addGraph();
        g->setName(QString::fromLatin1(c.name));
        g->setPen(QPen(c.color, 1));
        g->setAdaptiveSampling(true);
    }
    legend->setVisible(true);
    legend->setFont(font());
    legend->setBrush(QColor(255, 255, 255, 200));
    axisRect()->insetLayout()->setInsetAlignment(0, Qt::AlignTop | Qt::AlignRight);
    setInteractions({});
    setNoAntialiasingOnDrag(true);

    m_redraw.setInterval(RedrawIntervalMs);
    connect(&m_redraw, &QTimer::timeout, this, [this] {
        if (m_dirty)
            redrawNow();
    });
    m_redraw.start();
}

void TrendPlot::setTitle(const QString& title) { m_title->setText(title); }
QString TrendPlot::title() const { return m_title->text(); }

void TrendPlot::addPoint(double seconds, double voltage, double current, double dvm)
{
    graph(0)->addData(seconds, voltage);
    graph(1)->addData(seconds, current);
    graph(2)->addData(seconds, dvm);
    // A running range: scanning millions of points at each redraw would not stay fast.
    for (double v : {voltage, current, dvm}) {
        if (!m_hasData) {
            m_minY = m_maxY = v;
            m_hasData = true;
        }
        m_minY = qMin(m_minY, v);
        m_maxY = qMax(m_maxY, v);
    }
    m_lastX = seconds;
    m_dirty = true;
}

void TrendPlot::clearChannels()
{
    for (int i = 0; i < graphCount(); ++i)
        graph(i)->data()->clear();
    m_hasData = false;
    m_dirty = true;
}

void TrendPlot::updateAxes()
{
    const double start = qMax(0.0, m_lastX - XSpan);
    xAxis->setRange(start, start + XSpan);
    if (m_hasData) {
        const double span = m_maxY - m_minY;
        const double margin = span > 0 ? span * 0.05 : qMax(0.5, qAbs(m_maxY) * 0.05);
        yAxis->setRange(m_minY - margin, m_maxY + margin);
    }
}

void TrendPlot::redrawNow()
{
    updateAxes();
    m_dirty = false;
    replot(QCustomPlot::rpImmediateRefresh);
}

void TrendPlot::changeEvent(QEvent* event)
{
    QCustomPlot::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    // The plot's texts follow the window's font as the window is scaled.
    QFont f = font();
    legend->setFont(f);
    for (QCPAxis* axis : {xAxis, yAxis}) {
        axis->setTickLabelFont(f);
        QFont labelFont = f;
        labelFont.setBold(axis == yAxis);
        axis->setLabelFont(labelFont);
    }
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.1);
    m_title->setFont(f);
    m_dirty = true;
}

void TrendPlot::mouseDoubleClickEvent(QMouseEvent* event)
{
    QCustomPlot::mouseDoubleClickEvent(event);
    emit doubleClicked();
}
