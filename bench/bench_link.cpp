// Replies the link handles per second, and the CPU time each costs, with the main
// window's readouts and trend plot updating.
//
//   bench_link [seconds] [pty]    (default 5 seconds; pty: only the real serial path)
//
// Run 1: the built-in simulated supply answering at once (no line time), so the figure
// is the program's own cost. Run 2: the same supply with the timing of a 38,400-baud
// line, the fastest rate the settings offer. Run 3: kelvane-sim in its own process on a
// pseudo-terminal at 38,400 baud, through the real serial port: what polling costs.
#include "app/ErrorDisplay.h"
#include "app/PortFactory.h"
#include "app/TForm_Main.h"
#include "app/TrendPlot.h"
#include "sim/SimPort.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
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

enum class Supply { InProcessNoDelay, InProcessLineTiming, SeparateOnPty };

Figures run(double seconds, Supply supply)
{
    const bool noDelay = supply == Supply::InProcessNoDelay;
    QTemporaryDir dir;
    if (!copyDataFiles(dir.path()))
        std::fprintf(stderr, "PowerType.dat not found beside the benchmark; model limits stay at their defaults\n");

    // The separate supply runs in its own process on a pseudo-terminal, so only the
    // program's own work (and the real serial port's) is counted.
    QProcess sim;
    QString devicePath;
    if (supply == Supply::SeparateOnPty) {
        sim.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kelvane-sim")), {});
        if (!sim.waitForReadyRead(10000)) {
            std::fprintf(stderr, "kelvane-sim did not start\n");
            return {};
        }
        devicePath = QString::fromLocal8Bit(sim.readLine()).trimmed();
    }
    PowerLink::PortFactory factory = [noDelay](const QString&) -> std::unique_ptr<PowerPort> {
        auto port = std::make_unique<SimPort>();
        port->setNoDelay(noDelay);
        return port;
    };
    TForm_Main form(dir.path(), supply == Supply::SeparateOnPty ? defaultPortFactory() : factory);
    form.state().setPortName(supply == Supply::SeparateOnPty ? devicePath : SimPort::PortName);
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
    if (sim.state() != QProcess::NotRunning) {
        sim.terminate();
        sim.waitForFinished(5000);
    }
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

    // "bench_link SECONDS pty" measures only the real serial path.
    if (argc > 2 && QByteArray(argv[2]) == "pty") {
        print("kelvane-sim on a pseudo-terminal at 38,400 baud, through the real serial port (program only):",
            run(seconds, Supply::SeparateOnPty));
        return 0;
    }
    const Figures fast = run(seconds, Supply::InProcessNoDelay);
    print("Simulated supply without line time (the program's own cost):", fast);
    const double perReply = fast.replies ? fast.cpu / double(fast.replies) : 0;
    std::printf("  goal: at least 10000 replies/s -> %s\n", double(fast.replies) / fast.seconds >= 10000 ? "met" : "MISSED");
    std::printf("  at about 200 replies/s (a 38,400-baud line) that is %.2f %% of a core\n", 100.0 * 200.0 * perReply);

    const Figures line = run(seconds, Supply::InProcessLineTiming);
    print("Simulated supply with 38,400-baud line timing (its own cost included):", line);
    const Figures pty = run(seconds, Supply::SeparateOnPty);
    print("kelvane-sim on a pseudo-terminal at 38,400 baud, through the real serial port (program only):", pty);
    std::printf("  goal: under 2 %% of a core -> %s\n", pty.seconds > 0 && 100.0 * pty.cpu / pty.seconds < 2.0 ? "met" : "MISSED");
    return 0;
}
