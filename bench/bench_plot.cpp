// Cost of the trend plot with long recordings: one append (a point on each of the three
// channels), one redraw, and the memory each point takes.
//
//   bench_plot [points per channel ...]    (default: 1000000 10000000)
//
// Two layouts of the same number of points: "spread", 200 readings a second (what a
// 38,400-baud line delivers), so the visible 100 s hold 20,000 points a channel; and
// "dense", every point inside the visible 100 s, the worst case for a redraw.
#include "app/TrendPlot.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

double residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) : 0;
}

struct Figures {
    double appendNs = 0;
    double bytesPerPointPerChannel = 0;
    double redrawMeanMs = 0;
    double redrawMaxMs = 0;
};

Figures measure(qint64 points, double secondsPerPoint)
{
    Figures f;
    auto* plot = new TrendPlot;
    plot->resize(1000, 600);
    plot->show();
    QApplication::processEvents();
    plot->redrawNow();

    const double before = residentBytes();
    QElapsedTimer clock;
    clock.start();
    for (qint64 i = 0; i < points; ++i) {
        const double t = double(i) * secondsPerPoint;
        plot->addPoint(t, 12.0 + std::sin(t * 0.1), 0.5 + 0.1 * std::cos(t * 0.3), 3.3 + 0.001 * double(i % 17));
    }
    f.appendNs = double(clock.nsecsElapsed()) / double(points);

    plot->redrawNow(); // the first redraw after the appends builds the channels' envelopes; not timed
    f.bytesPerPointPerChannel = (residentBytes() - before) / double(points) / 3.0;
    constexpr int Redraws = 20;
    std::vector<double> ms;
    for (int i = 0; i < Redraws; ++i) {
        // A new reading each time, as polling does between two redraws.
        plot->addPoint(double(points + i) * secondsPerPoint, 12.0, 0.5, 3.3);
        clock.restart();
        plot->redrawNow();
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    f.redrawMeanMs = 0;
    for (double v : ms)
        f.redrawMeanMs += v / Redraws;
    f.redrawMaxMs = *std::max_element(ms.begin(), ms.end());
    delete plot;
    return f;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    std::vector<qint64> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(QByteArray(argv[i]).toLongLong());
    if (counts.empty())
        counts = {1000000, 10000000};

    std::printf("TrendPlot 1000x600, offscreen; an append puts one point on each of the 3 channels\n");
    std::printf("%-8s %12s %14s %16s %16s %16s\n", "layout", "points/chan", "append (ns)", "redraw mean(ms)",
        "redraw max (ms)", "bytes/point/chan");
    for (qint64 n : counts) {
        const struct { const char* name; double step; } layouts[] = {
            {"spread", 1.0 / 200.0}, {"dense", TrendPlot::XSpan / double(n)}};
        for (const auto& layout : layouts) {
            const Figures f = measure(n, layout.step);
            std::printf("%-8s %12lld %14.1f %16.2f %16.2f %16.1f\n", layout.name, static_cast<long long>(n),
                f.appendNs, f.redrawMeanMs, f.redrawMaxMs, f.bytesPerPointPerChannel);
            std::fflush(stdout);
        }
    }
    std::printf("goals: redraw under 10 ms, memory under 40 bytes per point per channel\n");
    return 0;
}
