#include "app/TrendPlot.h"

#include <algorithm>
#include <array>
#include <vector>

namespace {

// A channel that keeps the minimum and maximum of its values over blocks of 16, 256,
// 4096, ... points, so that a redraw reads a few blocks per pixel column instead of
// every point in view: with hours of fast polling in view it still takes milliseconds.
class EnvelopeGraph : public QCPGraph {
public:
    using QCPGraph::QCPGraph;

protected:
    void getOptimizedLineData(QVector<QCPGraphData>* lineData, const QCPGraphDataContainer::const_iterator& begin,
        const QCPGraphDataContainer::const_iterator& end) const override;

private:
    static constexpr int Shift = 4; // 16 entries of a level make one of the next
    static constexpr int Levels = 7; // enough for 16^7 points
    struct Level {
        std::vector<double> min, max;
    };

    // The first index in from..to whose key is not below 'key' (to when there is none).
    static qsizetype firstAtOrAfter(
        const QCPGraphDataContainer::const_iterator& points, qsizetype from, qsizetype to, double key);
    void syncEnvelope() const;
    void rangeMinMax(qsizetype from, qsizetype to, double* min, double* max) const;

    mutable std::array<Level, Levels> m_levels;
    mutable qsizetype m_count = 0;
    mutable QCPGraphData m_lastSynced;
};

void EnvelopeGraph::syncEnvelope() const
{
    const QCPGraphDataContainer& data = *mDataContainer;
    const qsizetype n = data.size();
    // Channels are only appended to or cleared; anything else starts the envelope again.
    const bool stillValid = m_count <= n
        && (m_count == 0
            || ((data.constBegin() + (m_count - 1))->key == m_lastSynced.key
                && (data.constBegin() + (m_count - 1))->value == m_lastSynced.value));
    if (!stillValid) {
        for (Level& level : m_levels) {
            level.min.clear();
            level.max.clear();
        }
        m_count = 0;
    }
    for (qsizetype i = m_count; i < n; ++i) {
        const double v = (data.constBegin() + i)->value;
        for (int l = 0; l < Levels; ++l) {
            Level& level = m_levels[l];
            const auto block = size_t(i >> (Shift * (l + 1)));
            if (block == level.min.size()) {
                level.min.push_back(v);
                level.max.push_back(v);
            } else {
                level.min[block] = std::min(level.min[block], v);
                level.max[block] = std::max(level.max[block], v);
            }
        }
    }
    m_count = n;
    if (n > 0)
        m_lastSynced = *(data.constBegin() + (n - 1));
}

void EnvelopeGraph::rangeMinMax(qsizetype from, qsizetype to, double* min, double* max) const
{
    const QCPGraphDataContainer::const_iterator points = mDataContainer->constBegin();
    *min = *max = (points + from)->value;
    while (from < to) {
        // The largest whole block that starts here and ends by 'to'.
        int l = 0;
        while (l < Levels) {
            const qsizetype size = qsizetype(1) << (Shift * (l + 1));
            if ((from & (size - 1)) != 0 || from + size > to)
                break;
            ++l;
        }
        if (l == 0) {
            const double v = (points + from)->value;
            *min = std::min(*min, v);
            *max = std::max(*max, v);
            ++from;
        } else {
            const Level& level = m_levels[l - 1];
            const auto block = size_t(from >> (Shift * l));
            *min = std::min(*min, level.min[block]);
            *max = std::max(*max, level.max[block]);
            from += qsizetype(1) << (Shift * l);
        }
    }
}

qsizetype EnvelopeGraph::firstAtOrAfter(
    const QCPGraphDataContainer::const_iterator& points, qsizetype from, qsizetype to, double key)
{
    if (from >= to || (points + from)->key >= key)
        return from;
    // Readings come at a nearly steady rate, so the keys' spacing tells where to look;
    // widening steps from there bracket the answer within a few cache lines.
    const double first = (points + from)->key;
    const double span = (points + (to - 1))->key - first;
    const double offset = span > 0 ? (key - first) / span * double(to - 1 - from) : 0.0;
    const qsizetype guess = from + qsizetype(std::clamp(offset, 0.0, double(to - 1 - from)));
    // Bracket the answer: (points + low)->key < key, and high is 'to' or at or after the answer.
    qsizetype low, high;
    if ((points + guess)->key < key) {
        low = guess;
        high = low + 1;
        for (qsizetype step = 2; high < to && (points + high)->key < key; step *= 2) {
            low = high;
            high = std::min(to, low + step);
        }
    } else {
        high = guess; // above 'from', whose key is below
        low = high - 1;
        for (qsizetype step = 2; (points + low)->key >= key; step *= 2) {
            high = low;
            low = std::max(from, high - step);
        }
    }
    return std::upper_bound(points + low + 1, points + high, key,
               [](double k, const QCPGraphData& p) { return k <= p.key; })
        - points;
}

void EnvelopeGraph::getOptimizedLineData(QVector<QCPGraphData>* lineData,
    const QCPGraphDataContainer::const_iterator& begin, const QCPGraphDataContainer::const_iterator& end) const
{
    QCPAxis* keys = keyAxis();
    const qsizetype count = end - begin;
    // Few points, or axes this does not cover: the plot's own sampling does well enough.
    if (!lineData || !keys || !valueAxis() || !mAdaptiveSampling || count < 4096 || keys->scaleType() != QCPAxis::stLinear
        || keys->rangeReversed() || keys->orientation() != Qt::Horizontal) {
        QCPGraph::getOptimizedLineData(lineData, begin, end);
        return;
    }
    syncEnvelope();
    const QCPGraphDataContainer::const_iterator points = mDataContainer->constBegin();
    qsizetype i = begin - points;
    const qsizetype last = end - points;
    lineData->reserve(lineData->size() + 4 * qsizetype(keys->axisRect()->width() + 2));
    while (i < last) {
        // The points of one pixel column: from this one up to the first beyond the column.
        const double columnStart = keys->pixelToCoord(std::floor(keys->coordToPixel((points + i)->key)));
        const double columnEnd = keys->pixelToCoord(std::floor(keys->coordToPixel((points + i)->key)) + 1);
        const double epsilon = columnEnd - columnStart;
        const qsizetype next = firstAtOrAfter(points, i + 1, last, columnEnd);
        if (next - i < 3) {
            for (qsizetype k = i; k < next; ++k)
                lineData->append(*(points + k));
        } else {
            double min, max;
            rangeMinMax(i, next, &min, &max);
            lineData->append(QCPGraphData(columnStart + epsilon * 0.2, (points + i)->value));
            lineData->append(QCPGraphData(columnStart + epsilon * 0.25, min));
            lineData->append(QCPGraphData(columnStart + epsilon * 0.75, max));
            lineData->append(QCPGraphData(columnStart + epsilon * 0.8, (points + (next - 1))->value));
        }
        i = next;
    }
}

} // namespace

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
        QCPGraph* g = new EnvelopeGraph(xAxis, yAxis);
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
