// Replies the link handles per second, and the CPU time each costs, with the main
// window's readouts and trend plot updating.
//
//   bench_link [seconds]    (default 5)
//
// Run 1: the built-in simulated supply answering at once (no line time), so the figure
// is the program's own cost. Run 2: the same supply with the timing of a 38,400-baud
// line, the fastest rate the settings offer, to show what real polling costs.
#include "app/ErrorDisplay.h"
#include "app/TForm_Main.h"
#include "app/TrendPlot.h"
#include "sim/SimPort.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

void runFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Figures {
    double seconds = 0;
    qint64 replies = 0;
    double cpu = 0;
    int plotPoints = 0;
};

// A program folder of its own, so the build folder's settings stay untouched.
bool copyDataFiles(const QString& to)
{
    const QDir from(QCoreApplication::applicationDirPath());
    for (const char* name : {"PowerType.dat", "CountryName.Txt", "English (United States)"})
        QFile::copy(from.filePath(QLatin1String(name)), QDir(to).filePath(QLatin1String(name)));
    return QFile::exists(QDir(to).filePath(QStringLiteral("PowerType.dat")));
}

Figures run(double seconds, bool noDelay)
{
    QTemporaryDir dir;
    if (!copyDataFiles(dir.path()))
        std::fprintf(stderr, "PowerType.dat not found beside the benchmark; model limits stay at their defaults\n");

    TForm_Main form(dir.path(), [noDelay](const QString&) -> std::unique_ptr<PowerPort> {
        auto port = std::make_unique<SimPort>();
        port->setNoDelay(noDelay);
        return port;
    });
    form.state().setPortName(SimPort::PortName);
    form.state().BaudIndex = 3; // 38,400 baud
    qint64 written = 0;
    QObject::connect(&form.link(), &PowerLink::lineWritten, [&written] { ++written; });
    form.show();

    // The opening waits 1.3 s; then let the polling settle before measuring.
    QElapsedTimer wait;
    wait.start();
    while (written == 0 && wait.elapsed() < 10000)
        runFor(50);
    runFor(1000);

    const qint64 firstWritten = written;
    const int firstPoints = form.iPlotVoltage_Current->channel(0)->dataCount();
    const double firstCpu = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    runFor(int(seconds * 1000));

    Figures f;
    f.seconds = double(clock.nsecsElapsed()) / 1e9;
    f.cpu = cpuSeconds() - firstCpu;
    f.replies = written - firstWritten;
    f.plotPoints = form.iPlotVoltage_Current->channel(0)->dataCount() - firstPoints;
    form.close();
    return f;
}

void print(const char* title, const Figures& f)
{
    const double rate = double(f.replies) / f.seconds;
    std::printf("%s\n", title);
    std::printf("  replies handled:   %lld in %.2f s = %.0f replies/s\n", static_cast<long long>(f.replies), f.seconds, rate);
    std::printf("  plot points added: %d per channel\n", f.plotPoints);
    std::printf("  CPU time:          %.3f s = %.1f %% of a core; %.1f us per reply\n", f.cpu,
        100.0 * f.cpu / f.seconds, f.replies ? 1e6 * f.cpu / double(f.replies) : 0.0);
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const double seconds = argc > 1 ? qMax(1.0, QByteArray(argv[1]).toDouble()) : 5.0;
    setMessageHook([](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });

    const Figures fast = run(seconds, true);
    print("Simulated supply without line time (the program's own cost):", fast);
    const double perReply = fast.replies ? fast.cpu / double(fast.replies) : 0;
    std::printf("  goal: at least 10000 replies/s -> %s\n", double(fast.replies) / fast.seconds >= 10000 ? "met" : "MISSED");
    std::printf("  at about 200 replies/s (a 38,400-baud line) that is %.2f %% of a core\n", 100.0 * 200.0 * perReply);

    const Figures line = run(seconds, false);
    print("Simulated supply with 38,400-baud line timing:", line);
    return 0;
}
