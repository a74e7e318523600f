// kelvane-sim: the simulated power supply on a pseudo-terminal.
//
// Prints the terminal's device path as its first line of output, then answers the
// instrument's line protocol there until SIGTERM or SIGINT. Replies take the time the
// terminal's baud rate gives them; switches add the faults a real line shows.

#include "sim/SimPort.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct Options {
    QByteArray model;
    double vmax = -1;
    double imax = -1;
    double load = -1;
    double dvm = -1;
    double noise = 0;
    qint32 baud = 9600;
    bool noDelay = false;
    int reject = 0;
    int rejectEvery = 0;
    bool silent = false;
    int silentAfter = -1;
    bool split = false;
    bool doubled = false;
    bool garbage = false;
    QString logPath;
};

struct SpeedCode {
    speed_t code;
    qint32 baud;
};

const SpeedCode speedCodes[] = {
    {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},         {B150, 150},
    {B200, 200},       {B300, 300},       {B600, 600},       {B1200, 1200},       {B1800, 1800},
    {B2400, 2400},     {B4800, 4800},     {B9600, 9600},     {B19200, 19200},     {B38400, 38400},
    {B57600, 57600},   {B115200, 115200}, {B230400, 230400}, {B460800, 460800},   {B500000, 500000},
    {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000}, {B1152000, 1152000}, {B1500000, 1500000},
    {B2000000, 2000000},
};

qint32 baudOf(speed_t code)
{
    for (const SpeedCode& s : speedCodes)
        if (s.code == code)
            return s.baud;
    return 0;
}

speed_t codeOf(qint32 baud)
{
    for (const SpeedCode& s : speedCodes)
        if (s.baud == baud)
            return s.code;
    return B9600;
}

// One received line as a log line: printable ASCII stays, the rest is escaped.
QByteArray escaped(const QByteArray& line)
{
    QByteArray out;
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\t')
            out += "\\t";
        else if (u < 32 || u >= 127)
            out += "\\x" + QByteArray::number(u, 16).rightJustified(2, '0');
        else
            out += c;
    }
    return out;
}

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

class PtyServer {
public:
    PtyServer(const Options& options, int master, int slave)
        : m_options(options)
        , m_master(master)
        , m_slave(slave)
        , m_readNotifier(master, QSocketNotifier::Read)
        , m_writeNotifier(master, QSocketNotifier::Write)
        , m_garbageRandom(7)
    {
        SimSupply& s = m_port.supply();
        if (!options.model.isEmpty())
            s.setModelCode(options.model);
        if (options.vmax >= 0)
            s.setMaxVoltage(options.vmax);
        if (options.imax >= 0)
            s.setMaxCurrent(options.imax);
        if (options.load > 0)
            s.setLoad(options.load);
        if (options.dvm >= 0)
            s.setDvm(options.dvm);
        s.setNoise(options.noise);
        m_port.setNoDelay(options.noDelay);
        m_port.open(SimPort::PortName, options.baud);
        m_port.setResponder([this](const QByteArray& line) { return respond(line); });
        QObject::connect(&m_port, &PowerPort::readyRead, [this] { onReply(); });

        if (!options.logPath.isEmpty()) {
            m_log.setFileName(options.logPath);
            if (!m_log.open(QIODevice::WriteOnly | QIODevice::Append))
                std::fprintf(stderr, "kelvane-sim: cannot open log file %s\n", qPrintable(options.logPath));
        }

        m_writeNotifier.setEnabled(false);
        QObject::connect(&m_readNotifier, &QSocketNotifier::activated, [this] { onReadable(); });
        QObject::connect(&m_writeNotifier, &QSocketNotifier::activated, [this] { flush(); });
        m_tailTimer.setSingleShot(true);
        QObject::connect(&m_tailTimer, &QTimer::timeout, [this] {
            send(m_tail);
            m_tail.clear();
        });
        m_staleCheck.setSingleShot(true);
        QObject::connect(&m_staleCheck, &QTimer::timeout, [this] { dropUnreadReply(); });
        m_resume.setSingleShot(true);
        QObject::connect(&m_resume, &QTimer::timeout, [this] { m_readNotifier.setEnabled(true); });
    }

    ~PtyServer()
    {
        m_readNotifier.setEnabled(false);
        m_writeNotifier.setEnabled(false);
        ::close(m_master);
        ::close(m_slave);
    }

private:
    void onReadable()
    {
        char buf[4096];
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n > 0) {
            // The master shares the terminal's settings: time replies by what the client set.
            termios t{};
            qint32 baud = 0;
            if (tcgetattr(m_master, &t) == 0)
                baud = baudOf(cfgetospeed(&t));
            m_port.setBaudRate(baud > 0 ? baud : m_options.baud);
            m_port.write(QByteArray(buf, n));
            return;
        }
        if (n < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        // No client end at all (should not happen while our own slave end is open): do not
        // spin on the hang-up, look again a little later.
        m_readNotifier.setEnabled(false);
        m_resume.start(200);
    }

    QByteArray rejection()
    {
        static const QByteArray replies[] = {SimSupply::ErrorTooLarge, SimSupply::ErrorInvalidParameter,
                                             SimSupply::ErrorUndefinedHeader};
        return replies[m_rejections++ % 3] + '\n';
    }

    QByteArray garbageLine()
    {
        // Bytes a disturbed line might show; never a line feed, never letters or digits,
        // so the line cannot pass for a number or an error reply.
        static const QByteArray pool = QByteArrayLiteral("\x01\x02\x07\x1b\x7f~^#@!%&*\r") + [] {
            QByteArray high;
            for (int b = 0x80; b <= 0xff; ++b)
                high += char(b);
            return high;
        }();
        QByteArray out;
        const int length = 6 + int(m_garbageRandom.bounded(20));
        for (int i = 0; i < length; ++i)
            out += pool.at(m_garbageRandom.bounded(int(pool.size())));
        return out + '\n';
    }

    QByteArray respond(const QByteArray& line)
    {
        ++m_lines;
        if (m_log.isOpen()) {
            m_log.write(escaped(line) + '\n');
            m_log.flush();
        }
        if (m_options.silent || (m_options.silentAfter >= 0 && m_lines > m_options.silentAfter))
            return {};
        if (SimSupply::isSettingLine(line) && m_settingsRejected < m_options.reject) {
            ++m_settingsRejected;
            return rejection();
        }
        if (m_options.rejectEvery > 0 && m_lines % m_options.rejectEvery == 0)
            return rejection();
        QByteArray reply = m_port.answer(line);
        if (reply.isEmpty())
            return reply;
        if (m_options.garbage && ++m_replies % 5 == 0)
            reply = garbageLine();
        if (m_options.doubled)
            reply += reply;
        return reply;
    }

    void onReply()
    {
        const QByteArray data = m_port.read(m_port.bytesAvailable());
        if (m_tailTimer.isActive()) {
            m_tail += data; // keep the order behind a split reply still on its way
            return;
        }
        if (m_options.split && data.size() > 1) {
            const qsizetype half = data.size() / 2;
            send(data.left(half));
            m_tail = data.mid(half);
            m_tailTimer.start(20);
            return;
        }
        send(data);
    }

    void send(const QByteArray& data)
    {
        m_out += data;
        flush();
    }

    void flush()
    {
        while (!m_out.isEmpty()) {
            const ssize_t n = ::write(m_master, m_out.constData(), size_t(m_out.size()));
            if (n > 0) {
                m_out.remove(0, n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN) {
                // The client is not reading: finish when the terminal takes bytes again.
                m_writeNotifier.setEnabled(true);
                return;
            }
            m_out.clear(); // the terminal is gone; the reply goes nowhere
        }
        m_writeNotifier.setEnabled(false);
        m_staleCheck.start(StaleReplyMs);
    }

    // Our own slave end keeps the terminal alive, so a reply written while the client had
    // the port closed would wait there and greet its next open as the answer to its first
    // line. A real port drops what arrives while it is closed; an open client reads within
    // milliseconds, so bytes still unread after a while mean nobody is there.
    void dropUnreadReply()
    {
        int unread = 0;
        if (ioctl(m_slave, FIONREAD, &unread) == 0 && unread > 0)
            tcflush(m_slave, TCIFLUSH);
    }

    Options m_options;
    int m_master;
    int m_slave; // held open so a client closing the terminal does not hang up the master
    SimPort m_port;
    QSocketNotifier m_readNotifier;
    QSocketNotifier m_writeNotifier;
    QTimer m_tailTimer;
    QTimer m_resume;
    QTimer m_staleCheck;
    static constexpr int StaleReplyMs = 500;
    QByteArray m_tail;
    QByteArray m_out;
    QFile m_log;
    QRandomGenerator m_garbageRandom;
    int m_lines = 0;
    int m_settingsRejected = 0;
    int m_rejections = 0;
    int m_replies = 0;
};

bool readNumber(const QCommandLineParser& p, const QString& name, double& out, double min)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const double v = p.value(name).toDouble(&ok);
    if (!ok || !(v >= min) || !std::isfinite(v)) {
        std::fprintf(stderr, "kelvane-sim: --%s needs a number of at least %g\n", qPrintable(name), min);
        return false;
    }
    out = v;
    return true;
}

bool readCount(const QCommandLineParser& p, const QString& name, int& out, int min)
{
    if (!p.isSet(name))
        return true;
    bool ok = false;
    const int v = p.value(name).toInt(&ok);
    if (!ok || v < min) {
        std::fprintf(stderr, "kelvane-sim: --%s needs a whole number of at least %d\n", qPrintable(name), min);
        return false;
    }
    out = v;
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kelvane-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated programmable DC power supply on a pseudo-terminal.\n"
        "Prints the terminal's device path as the first line, then answers the supply's\n"
        "line protocol there (*IDN?, OUTP, VOLT, CURR, MEAS:VOLT?, MEAS:CURR?, MEAS:DVM?,\n"
        "SYST:SENS, SYST:ERR?) until SIGTERM or SIGINT. A reply comes after its line's and\n"
        "its own bytes have crossed the line at the terminal's baud rate, plus 2 ms.\n"
        "Rejected lines are not applied; their replies carry the error words in turn:\n"
        "\"-222,...TOO large\", \"-224,Invalid parameter value\", \"-113,...Invalid COMMAND\".\n"
        "A reply still unread 500 ms after it was written is dropped, as a closed port would."));
    parser.addHelpOption();
    const QList<QCommandLineOption> options = {
        {QStringLiteral("model"), QStringLiteral("Model code in the *IDN? reply (default L3250-SIM)."),
         QStringLiteral("CODE")},
        {QStringLiteral("vmax"), QStringLiteral("Largest voltage setpoint accepted (default 32)."), QStringLiteral("V")},
        {QStringLiteral("imax"), QStringLiteral("Largest current setpoint accepted (default 5)."), QStringLiteral("A")},
        {QStringLiteral("load"), QStringLiteral("Load resistance in ohms (default 10)."), QStringLiteral("OHMS")},
        {QStringLiteral("dvm"), QStringLiteral("Voltmeter input reading (default 3.7)."), QStringLiteral("V")},
        {QStringLiteral("noise"), QStringLiteral("Peak noise on the readings in volts (default 0)."),
         QStringLiteral("V")},
        {QStringLiteral("baud"),
         QStringLiteral("Initial line speed of the terminal, used for timing until the client sets its own "
                        "(default 9600)."),
         QStringLiteral("N")},
        {QStringLiteral("no-delay"), QStringLiteral("Answer at once, without line or processing time.")},
        {QStringLiteral("reject"), QStringLiteral("Reject the first N setting lines with an error reply."),
         QStringLiteral("N")},
        {QStringLiteral("reject-every"), QStringLiteral("Reject every K-th line with an error reply."),
         QStringLiteral("K")},
        {QStringLiteral("silent"), QStringLiteral("Never answer.")},
        {QStringLiteral("silent-after"), QStringLiteral("Answer N lines, then never again."), QStringLiteral("N")},
        {QStringLiteral("split"), QStringLiteral("Write each reply in two parts 20 ms apart.")},
        {QStringLiteral("double"), QStringLiteral("Follow every reply, in the same write, by a repeat of it.")},
        {QStringLiteral("garbage"), QStringLiteral("Send a line of garbage bytes instead of every 5th reply.")},
        {QStringLiteral("log"), QStringLiteral("Append every received line, escaped, to FILE."),
         QStringLiteral("FILE")},
    };
    parser.addOptions(options);
    parser.process(app);

    Options o;
    o.model = parser.value(QStringLiteral("model")).toLatin1();
    if (parser.isSet(QStringLiteral("model")) && o.model.isEmpty()) {
        std::fprintf(stderr, "kelvane-sim: --model needs a code\n");
        return 2;
    }
    int baud = o.baud;
    if (!readNumber(parser, QStringLiteral("vmax"), o.vmax, 0) || !readNumber(parser, QStringLiteral("imax"), o.imax, 0)
        || !readNumber(parser, QStringLiteral("load"), o.load, 0.001)
        || !readNumber(parser, QStringLiteral("dvm"), o.dvm, 0) || !readNumber(parser, QStringLiteral("noise"), o.noise, 0)
        || !readCount(parser, QStringLiteral("baud"), baud, 1) || !readCount(parser, QStringLiteral("reject"), o.reject, 0)
        || !readCount(parser, QStringLiteral("reject-every"), o.rejectEvery, 1)
        || !readCount(parser, QStringLiteral("silent-after"), o.silentAfter, 0))
        return 2;
    o.baud = baud;
    o.noDelay = parser.isSet(QStringLiteral("no-delay"));
    o.silent = parser.isSet(QStringLiteral("silent"));
    o.split = parser.isSet(QStringLiteral("split"));
    o.doubled = parser.isSet(QStringLiteral("double"));
    o.garbage = parser.isSet(QStringLiteral("garbage"));
    o.logPath = parser.value(QStringLiteral("log"));

    int master = -1;
    int slave = -1;
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, codeOf(o.baud));
    cfsetospeed(&raw, codeOf(o.baud));
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
        std::perror("kelvane-sim: openpty");
        return 1;
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    fcntl(master, F_SETFD, FD_CLOEXEC);
    fcntl(slave, F_SETFD, FD_CLOEXEC);

    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        std::perror("kelvane-sim: socketpair");
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });

    PtyServer server(o, master, slave);
    std::printf("%s\n", name);
    std::fflush(stdout);

    return app.exec();
}
