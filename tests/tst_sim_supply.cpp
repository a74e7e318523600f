#include "sim/SimPort.h"
#include "sim/SimSupply.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cerrno>

namespace {

// How the program reads a reply: these words mean the instrument refused the line.
bool carriesErrorWord(const QByteArray& reply)
{
    const QByteArray u = reply.toUpper();
    return u.contains("TOO") || (u.contains("INVALID") && u.contains("PARA")) || u.contains("COMMAND");
}

// The stand-alone simulator on a pseudo-terminal, talked to through the real serial port.
class SimProcess {
public:
    ~SimProcess()
    {
        port.close();
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(3000))
                process.kill();
        }
    }

    static QString program() { return QStringLiteral(KELVANE_PROGRAM_DIR "/kelvane-sim"); }

    bool start(const QStringList& args, qint32 baud = QSerialPort::Baud9600)
    {
        process.start(program(), args);
        if (!process.waitForStarted(3000))
            return false;
        QElapsedTimer clock;
        clock.start();
        while (!process.canReadLine() && clock.elapsed() < 3000)
            process.waitForReadyRead(100);
        devicePath = QString::fromLocal8Bit(process.readLine()).trimmed();
        return !devicePath.isEmpty() && openPort(baud);
    }

    bool openPort(qint32 baud)
    {
        port.setPortName(devicePath);
        port.setBaudRate(baud);
        return port.open(QIODevice::ReadWrite);
    }

    // Writes a line and gathers what comes back until `lines` line feeds or the time is up.
    QByteArray exchange(const QByteArray& line, int lines = 1, int timeoutMs = 2000)
    {
        port.write(line);
        return collect(lines, timeoutMs);
    }

    QByteArray collect(int lines, int timeoutMs)
    {
        QByteArray got;
        QElapsedTimer clock;
        clock.start();
        while (got.count('\n') < lines && clock.elapsed() < timeoutMs) {
            port.waitForReadyRead(int(std::max<qint64>(1, timeoutMs - clock.elapsed())));
            got += port.readAll();
        }
        return got;
    }

    QProcess process;
    QString devicePath;
    QSerialPort port;
};

} // namespace

class TestSimSupply : public QObject {
    Q_OBJECT
private slots:
    void replyTable_data();
    void replyTable();
    void identityAndLimitsAreSettable();
    void limiting_data();
    void limiting();
    void slewFollowsTime();
    void noiseStaysSmallAndOptional();

    void portOpensOnlyTheSimulatedName();
    void portRepliesAsynchronouslyAfterLineTime();
    void portAnswersOneLineAtATime();
    void portCloseDropsPendingReplies();
    void portReadTakesPartsAndNoDelayIsQuick();

    void processAnswersOnPseudoTerminal();
    void processFaults_data();
    void processFaults();
    void processGarbageReplacesEveryFifthReply();
    void processTimingFollowsTerminalBaud();
};

void TestSimSupply::replyTable_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("rejected");
    QTest::addColumn<QByteArray>("followUp"); // a query sent next, to see what the line did
    QTest::addColumn<QByteArray>("followReply");

    const QByteArray ok = "0,No error\n";
    QTest::newRow("identify") << QByteArray("*IDN?") << QByteArray("KELVANE,L3250-SIM,000001,1.05\n") << false
                              << QByteArray() << QByteArray();
    QTest::newRow("identify lower case") << QByteArray("*idn?") << QByteArray("KELVANE,L3250-SIM,000001,1.05\n")
                                         << false << QByteArray() << QByteArray();
    QTest::newRow("output off at power-on") << QByteArray("OUTP?") << QByteArray("0\n") << false << QByteArray()
                                            << QByteArray();
    QTest::newRow("voltage setpoint") << QByteArray("VOLT?") << QByteArray("5.000\n") << false << QByteArray()
                                      << QByteArray();
    QTest::newRow("current setpoint mixed case") << QByteArray("Curr?") << QByteArray("1.000\n") << false
                                                 << QByteArray() << QByteArray();
    QTest::newRow("trailing carriage return") << QByteArray("VOLT?\r") << QByteArray("5.000\n") << false
                                              << QByteArray() << QByteArray();
    QTest::newRow("measured voltage, output off") << QByteArray("Meas:Volt?") << QByteArray("0.0000\n") << false
                                                  << QByteArray() << QByteArray();
    QTest::newRow("measured current, output off") << QByteArray("MEAS:CURR?") << QByteArray("0.00000\n") << false
                                                  << QByteArray() << QByteArray();
    QTest::newRow("voltmeter") << QByteArray("Meas:DVM?") << QByteArray("3.7000\n") << false << QByteArray()
                               << QByteArray();
    QTest::newRow("two queries in a line") << QByteArray("VOLT?;CURR?") << QByteArray("5.000;1.000\n") << false
                                           << QByteArray() << QByteArray();
    QTest::newRow("empty line") << QByteArray("") << QByteArray() << false << QByteArray() << QByteArray();

    QTest::newRow("voltage set") << QByteArray("VOLT 12.5;:Syst:Err?") << ok << false << QByteArray("VOLT?")
                                 << QByteArray("12.500\n");
    QTest::newRow("voltage at the maximum") << QByteArray("VOLT 32;:SYST:ERR?") << ok << false << QByteArray("VOLT?")
                                            << QByteArray("32.000\n");
    QTest::newRow("exponent form") << QByteArray("VOLT 5E-1;:SYST:ERR?") << ok << false << QByteArray("VOLT?")
                                   << QByteArray("0.500\n");
    QTest::newRow("with unit") << QByteArray("VOLT 250mV;:SYST:ERR?") << ok << false << QByteArray("VOLT?")
                               << QByteArray("0.250\n");
    QTest::newRow("current set") << QByteArray("Curr 1.5;:Syst:Err?") << ok << false << QByteArray("CURR?")
                                 << QByteArray("1.500\n");
    QTest::newRow("long forms") << QByteArray("SOURCE:VOLTAGE 3;:SYSTEM:ERROR?") << ok << false
                                << QByteArray("volt?") << QByteArray("3.000\n");
    QTest::newRow("output on") << QByteArray("OUTP 1;:SYST:ERR?") << ok << false << QByteArray("OUTP?")
                               << QByteArray("1\n");
    QTest::newRow("sense on") << QByteArray("SYST:SENS 1;:Syst:Err?") << ok << false << QByteArray("SYST:SENS?")
                              << QByteArray("1\n");
    QTest::newRow("setting without error query") << QByteArray("VOLT 7") << QByteArray() << false
                                                 << QByteArray("VOLT?") << QByteArray("7.000\n");
    QTest::newRow("output on without error query") << QByteArray("OUTP 1") << QByteArray() << false
                                                   << QByteArray("OUTP?") << QByteArray("1\n");

    QTest::newRow("voltage too large") << QByteArray("VOLT 32.001;:SYST:ERR?") << SimSupply::ErrorTooLarge + '\n'
                                       << true << QByteArray("VOLT?") << QByteArray("5.000\n");
    QTest::newRow("current too large") << QByteArray("Curr 5.5;:Syst:Err?") << SimSupply::ErrorTooLarge + '\n'
                                       << true << QByteArray("CURR?") << QByteArray("1.000\n");
    QTest::newRow("too large without error query")
        << QByteArray("VOLT 99") << SimSupply::ErrorTooLarge + '\n' << true << QByteArray("VOLT?")
        << QByteArray("5.000\n");
    QTest::newRow("negative") << QByteArray("VOLT -1;:SYST:ERR?") << SimSupply::ErrorTooSmall + '\n' << true
                              << QByteArray("VOLT?") << QByteArray("5.000\n");
    QTest::newRow("malformed number") << QByteArray("VOLT 1.2.3;:SYST:ERR?")
                                      << SimSupply::ErrorInvalidParameter + '\n' << true << QByteArray("VOLT?")
                                      << QByteArray("5.000\n");
    QTest::newRow("wrong unit") << QByteArray("VOLT 2A;:SYST:ERR?") << SimSupply::ErrorInvalidParameter + '\n'
                                << true << QByteArray("VOLT?") << QByteArray("5.000\n");
    QTest::newRow("output value out of set") << QByteArray("OUTP 2;:SYST:ERR?")
                                             << SimSupply::ErrorInvalidParameter + '\n' << true
                                             << QByteArray("OUTP?") << QByteArray("0\n");
    QTest::newRow("missing parameter") << QByteArray("VOLT;:SYST:ERR?") << SimSupply::ErrorMissingParameter + '\n'
                                       << true << QByteArray() << QByteArray();
    QTest::newRow("unknown header") << QByteArray("VOLTS 5;:SYST:ERR?") << SimSupply::ErrorUndefinedHeader + '\n'
                                    << true << QByteArray() << QByteArray();
    QTest::newRow("unknown query alone") << QByteArray("FOO?") << SimSupply::ErrorUndefinedHeader + '\n' << true
                                         << QByteArray() << QByteArray();
    QTest::newRow("garbage bytes") << QByteArray("\x01\xfe\x80") << SimSupply::ErrorUndefinedHeader + '\n' << true
                                   << QByteArray() << QByteArray();
}

void TestSimSupply::replyTable()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, reply);
    QFETCH(bool, rejected);
    QFETCH(QByteArray, followUp);
    QFETCH(QByteArray, followReply);

    SimSupply supply;
    const QByteArray got = supply.handleLine(line, 0.0);
    QCOMPARE(got, reply);
    // The program only knows a refusal by its words; accepted replies must not carry them.
    QCOMPARE(carriesErrorWord(got), rejected);
    if (!followUp.isEmpty())
        QCOMPARE(supply.handleLine(followUp, 0.0), followReply);
    // Errors do not linger into the next line's error query.
    QCOMPARE(supply.handleLine("SYST:ERR?", 0.0), QByteArray("0,No error\n"));
}

void TestSimSupply::identityAndLimitsAreSettable()
{
    SimSupply supply;
    supply.setModelCode("L3150");
    supply.setSerialNumber("123456");
    supply.setMaxVoltage(60);
    supply.setMaxCurrent(0.5);
    supply.setDvm(1.25);

    const QList<QByteArray> fields = supply.handleLine("*IDN?", 0).trimmed().split(',');
    QCOMPARE(fields.size(), 4);
    QCOMPARE(fields.at(1), QByteArray("L3150"));
    QCOMPARE(fields.at(2), QByteArray("123456"));
    QCOMPARE(supply.handleLine("VOLT 50;:SYST:ERR?", 0), QByteArray("0,No error\n"));
    QCOMPARE(supply.voltageSetpoint(), 50.0);
    QVERIFY(carriesErrorWord(supply.handleLine("CURR 0.6;:SYST:ERR?", 0)));
    QCOMPARE(supply.currentSetpoint(), 1.0);
    QCOMPARE(supply.handleLine("MEAS:DVM?", 0), QByteArray("1.2500\n"));
}

void TestSimSupply::limiting_data()
{
    QTest::addColumn<double>("load");
    QTest::addColumn<QByteArray>("volts");
    QTest::addColumn<QByteArray>("amps");
    QTest::addColumn<QByteArray>("output");
    QTest::addColumn<QByteArray>("sense");
    QTest::addColumn<QByteArray>("measVolt");
    QTest::addColumn<QByteArray>("measCurr");
    QTest::addColumn<bool>("currentLimited");

    QTest::newRow("constant voltage") << 10.0 << QByteArray("5") << QByteArray("1") << QByteArray("1")
                                      << QByteArray("1") << QByteArray("5.0000") << QByteArray("0.50000") << false;
    QTest::newRow("current limit") << 10.0 << QByteArray("12") << QByteArray("0.5") << QByteArray("1")
                                   << QByteArray("1") << QByteArray("5.0000") << QByteArray("0.50000") << true;
    QTest::newRow("heavy load limits") << 2.0 << QByteArray("10") << QByteArray("3") << QByteArray("1")
                                       << QByteArray("1") << QByteArray("6.0000") << QByteArray("3.00000") << true;
    // Without sensing the leads (0.02 ohm) take their share: 5 x 10 / 10.02.
    QTest::newRow("lead drop without sense") << 10.0 << QByteArray("5") << QByteArray("1") << QByteArray("1")
                                             << QByteArray("0") << QByteArray("4.9900") << QByteArray("0.49900")
                                             << false;
    QTest::newRow("output off") << 10.0 << QByteArray("5") << QByteArray("1") << QByteArray("0") << QByteArray("1")
                                << QByteArray("0.0000") << QByteArray("0.00000") << false;
}

void TestSimSupply::limiting()
{
    QFETCH(double, load);
    QFETCH(QByteArray, volts);
    QFETCH(QByteArray, amps);
    QFETCH(QByteArray, output);
    QFETCH(QByteArray, sense);
    QFETCH(QByteArray, measVolt);
    QFETCH(QByteArray, measCurr);
    QFETCH(bool, currentLimited);

    SimSupply supply;
    supply.setLoad(load);
    const QByteArray ok = "0,No error\n";
    QCOMPARE(supply.handleLine("VOLT " + volts + ";:SYST:ERR?", 0), ok);
    QCOMPARE(supply.handleLine("Curr " + amps + ";:Syst:Err?", 0), ok);
    QCOMPARE(supply.handleLine("SYST:SENS " + sense + ";:SYST:ERR?", 0), ok);
    QCOMPARE(supply.handleLine("OUTP " + output + ";:SYST:ERR?", 0), ok);
    // Long enough for any ramp to settle.
    QCOMPARE(supply.handleLine("Meas:Volt?", 10), measVolt + '\n');
    QCOMPARE(supply.handleLine("MEAS:CURR?", 10), measCurr + '\n');
    QCOMPARE(supply.currentLimited(), currentLimited);
}

void TestSimSupply::slewFollowsTime()
{
    SimSupply supply;
    supply.setSlewRate(20);
    supply.handleLine("SYST:SENS 1", 0);
    supply.handleLine("CURR 5", 0);
    supply.handleLine("VOLT 10", 0);
    supply.handleLine("OUTP 1", 1.0);

    QCOMPARE(supply.handleLine("MEAS:VOLT?", 1.0), QByteArray("0.0000\n"));
    QCOMPARE(supply.handleLine("MEAS:VOLT?", 1.25), QByteArray("5.0000\n"));
    QCOMPARE(supply.handleLine("MEAS:CURR?", 1.25), QByteArray("0.50000\n"));
    // A clock that steps back moves nothing.
    QCOMPARE(supply.handleLine("MEAS:VOLT?", 1.1), QByteArray("5.0000\n"));
    // A new setpoint mid-ramp turns the ramp around from where the output stands.
    supply.handleLine("VOLT 2", 1.25);
    QCOMPARE(supply.handleLine("MEAS:VOLT?", 1.3), QByteArray("4.0000\n"));
    QCOMPARE(supply.handleLine("MEAS:VOLT?", 2.0), QByteArray("2.0000\n"));
    supply.handleLine("VOLT 10", 2.0);
    QCOMPARE(supply.handleLine("MEAS:VOLT?", 5.0), QByteArray("10.0000\n"));
    // Switching off ramps down too, and the setpoints stay.
    supply.handleLine("OUTP 0", 5.0);
    QCOMPARE(supply.handleLine("MEAS:VOLT?", 5.25), QByteArray("5.0000\n"));
    QCOMPARE(supply.handleLine("MEAS:VOLT?", 6.0), QByteArray("0.0000\n"));
    QCOMPARE(supply.handleLine("VOLT?", 6.0), QByteArray("10.000\n"));
    QCOMPARE(supply.presentVoltage(6.0), 0.0);
}

void TestSimSupply::noiseStaysSmallAndOptional()
{
    SimSupply supply;
    supply.setSlewRate(0);
    supply.handleLine("OUTP 1", 0);
    supply.handleLine("SYST:SENS 1", 0);
    QCOMPARE(supply.handleLine("MEAS:VOLT?", 1), supply.handleLine("MEAS:VOLT?", 2));

    supply.setNoise(0.01);
    QSet<QByteArray> seen;
    for (int i = 0; i < 50; ++i) {
        const QByteArray reply = supply.handleLine("MEAS:VOLT?", 3 + i);
        const double v = reply.trimmed().toDouble();
        QVERIFY2(v >= 4.99 && v <= 5.01, reply.constData());
        seen.insert(reply);
    }
    QVERIFY(seen.size() > 1);
    // Noise never makes a sign appear on a zero reading.
    supply.handleLine("OUTP 0", 100);
    for (int i = 0; i < 20; ++i)
        QVERIFY(!supply.handleLine("MEAS:CURR?", 200 + i).contains('-'));
}

void TestSimSupply::portOpensOnlyTheSimulatedName()
{
    SimPort port;
    QCOMPARE(port.write("*IDN?\n"), qint64(-1));
    QVERIFY(!port.open(QStringLiteral("ttyUSB0"), 9600));
    QCOMPARE(port.errorNumber(), ENOENT);
    QVERIFY(!port.isOpen());
    QVERIFY(port.open(QStringLiteral("//./sim"), 19200));
    QCOMPARE(port.errorNumber(), 0);
    QCOMPARE(port.baudRate(), 19200);
    QVERIFY(port.open(QStringLiteral("SIM"), 0));
    QCOMPARE(port.baudRate(), 9600);
}

void TestSimSupply::portRepliesAsynchronouslyAfterLineTime()
{
    SimPort port;
    QVERIFY(port.open(SimPort::PortName, 9600));
    QSignalSpy spy(&port, &PowerPort::readyRead);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(port.write("*IDN?\n"), qint64(6));
    QCOMPARE(port.bytesAvailable(), qint64(0)); // never from inside write()
    QVERIFY(spy.wait(2000));
    const qint64 elapsed = clock.elapsed();
    const QByteArray reply = port.read(port.bytesAvailable());
    QCOMPARE(reply, QByteArray("KELVANE,L3250-SIM,000001,1.05\n"));
    // (6 + 30 bytes) x 10 bits at 9600 baud is 37.5 ms, plus the processing time.
    QVERIFY2(elapsed >= 38, QByteArray::number(elapsed).constData());
    QVERIFY2(elapsed < 1000, QByteArray::number(elapsed).constData());

    // The replies carry the supply's state, which tests and tools can read.
    port.write("VOLT 9;:SYST:ERR?\n");
    QVERIFY(spy.wait(2000));
    QCOMPARE(port.read(100), QByteArray("0,No error\n"));
    QCOMPARE(port.supply().voltageSetpoint(), 9.0);
}

void TestSimSupply::portAnswersOneLineAtATime()
{
    SimPort port;
    QVERIFY(port.open(SimPort::PortName, 115200));
    QByteArray received;
    QList<int> linesPerSignal;
    connect(&port, &PowerPort::readyRead, this, [&] {
        const QByteArray chunk = port.read(port.bytesAvailable());
        linesPerSignal << int(chunk.count('\n'));
        received += chunk;
    });
    // A setting without reply must not hold up the lines behind it; a partial line waits.
    port.write("VOLT?\nVOLT 7\nCURR?\nVOL");
    port.write("T?\n");
    QCOMPARE(port.pendingLines(), 4);
    QTRY_COMPARE_WITH_TIMEOUT(received, QByteArray("5.000\n1.000\n7.000\n"), 2000);
    QCOMPARE(linesPerSignal, QList<int>({1, 1, 1}));
    QCOMPARE(port.pendingLines(), 0);
}

void TestSimSupply::portCloseDropsPendingReplies()
{
    SimPort port;
    QVERIFY(port.open(SimPort::PortName, 9600));
    QSignalSpy spy(&port, &PowerPort::readyRead);
    port.write("*IDN?\nVOLT?\n");
    port.close();
    QVERIFY(!port.isOpen());
    QVERIFY(port.open(SimPort::PortName, 9600));
    QTest::qWait(150);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(port.bytesAvailable(), qint64(0));
    // The instrument itself keeps its state across the reopen.
    port.write("OUTP 1\n");
    port.write("OUTP?\n");
    QVERIFY(spy.wait(2000));
    QCOMPARE(port.read(10), QByteArray("1\n"));
}

void TestSimSupply::portReadTakesPartsAndNoDelayIsQuick()
{
    SimPort port;
    port.setNoDelay(true);
    QVERIFY(port.open(SimPort::PortName, 300)); // slow line, but no delay asked for
    QSignalSpy spy(&port, &PowerPort::readyRead);
    QElapsedTimer clock;
    clock.start();
    port.write("Meas:DVM?\n");
    QCOMPARE(port.bytesAvailable(), qint64(0));
    QVERIFY(spy.wait(1000));
    QVERIFY2(clock.elapsed() < 100, QByteArray::number(clock.elapsed()).constData());
    QCOMPARE(port.read(0), QByteArray());
    QCOMPARE(port.read(2), QByteArray("3."));
    QCOMPARE(port.bytesAvailable(), qint64(5));
    QCOMPARE(port.read(100), QByteArray("7000\n"));
    QCOMPARE(port.read(100), QByteArray());

    // A responder replaces the supply's answers (fault injection); empty means silence.
    port.setResponder([](const QByteArray& line) { return line == "X" ? QByteArray() : "echo " + line + '\n'; });
    port.write("X\nY\n");
    QVERIFY(spy.wait(1000));
    QCOMPARE(port.read(100), QByteArray("echo Y\n"));
}

void TestSimSupply::processAnswersOnPseudoTerminal()
{
    if (!QFileInfo::exists(SimProcess::program()))
        QSKIP("kelvane-sim is not built");
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--model"), QStringLiteral("L3350"), QStringLiteral("--vmax"),
                       QStringLiteral("60"), QStringLiteral("--dvm"), QStringLiteral("1.5")}));
    QVERIFY(sim.devicePath.startsWith(QLatin1String("/dev/")));
    QCOMPARE(sim.exchange("*IDN?\n"), QByteArray("KELVANE,L3350,000001,1.05\n"));
    QCOMPARE(sim.exchange("VOLT 45;:Syst:Err?\n"), QByteArray("0,No error\n"));
    QCOMPARE(sim.exchange("Meas:DVM?\n"), QByteArray("1.5000\n"));

    // The client closing and opening again finds the instrument as it left it, and no
    // reply that was still on its way when it closed.
    sim.port.write("*IDN?\n");
    sim.port.waitForBytesWritten(500);
    sim.port.close();
    QTest::qWait(800);
    QVERIFY(sim.openPort(QSerialPort::Baud9600));
    QCOMPARE(sim.exchange("VOLT?\n"), QByteArray("45.000\n"));

    sim.process.terminate();
    QVERIFY(sim.process.waitForFinished(3000));
    QCOMPARE(sim.process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.process.exitCode(), 0);
}

void TestSimSupply::processFaults_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<QByteArrayList>("replies"); // empty: nothing may come back

    const QByteArray ok = "0,No error\n";
    const QByteArray setting = "VOLT 3;:SYST:ERR?\n";
    QTest::newRow("reject first settings")
        << QStringList{"--reject", "2"} << QByteArrayList{"VOLT?\n", setting, setting, setting, "VOLT?\n"}
        << QByteArrayList{"5.000\n", SimSupply::ErrorTooLarge + '\n', SimSupply::ErrorInvalidParameter + '\n', ok,
                          "3.000\n"};
    QTest::newRow("reject every second line")
        << QStringList{"--reject-every", "2"} << QByteArrayList{"VOLT?\n", "VOLT?\n", "VOLT?\n", "CURR?\n"}
        << QByteArrayList{"5.000\n", SimSupply::ErrorTooLarge + '\n', "5.000\n",
                          SimSupply::ErrorInvalidParameter + '\n'};
    QTest::newRow("silent") << QStringList{"--silent"} << QByteArrayList{"*IDN?\n"} << QByteArrayList{""};
    QTest::newRow("silent after two") << QStringList{"--silent-after", "2"}
                                      << QByteArrayList{"VOLT?\n", "CURR?\n", "VOLT?\n"}
                                      << QByteArrayList{"5.000\n", "1.000\n", ""};
    QTest::newRow("double") << QStringList{"--double"} << QByteArrayList{"VOLT?\n"}
                            << QByteArrayList{"5.000\n5.000\n"};
}

void TestSimSupply::processFaults()
{
    QFETCH(QStringList, args);
    QFETCH(QByteArrayList, lines);
    QFETCH(QByteArrayList, replies);
    if (!QFileInfo::exists(SimProcess::program()))
        QSKIP("kelvane-sim is not built");

    SimProcess sim;
    QVERIFY(sim.start(args << QStringLiteral("--no-delay")));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray& expected = replies.at(i);
        const int count = qMax<int>(1, int(expected.count('\n')));
        const QByteArray got = sim.exchange(lines.at(i), count, expected.isEmpty() ? 300 : 2000);
        QCOMPARE(got, expected);
    }
}

void TestSimSupply::processGarbageReplacesEveryFifthReply()
{
    if (!QFileInfo::exists(SimProcess::program()))
        QSKIP("kelvane-sim is not built");
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--garbage"), QStringLiteral("--no-delay")}));
    for (int i = 0; i < 4; ++i)
        QCOMPARE(sim.exchange("VOLT?\n"), QByteArray("5.000\n"));
    const QByteArray garbage = sim.exchange("VOLT?\n");
    QCOMPARE(garbage.count('\n'), 1);
    QVERIFY(garbage.endsWith('\n'));
    QVERIFY(garbage != "5.000\n");
    // Garbage is neither a number nor a refusal: the program must take it as a bad reply.
    QVERIFY(!carriesErrorWord(garbage));
    QVERIFY(std::none_of(garbage.begin(), garbage.end(), [](char c) { return c >= '0' && c <= '9'; }));
    QCOMPARE(sim.exchange("VOLT?\n"), QByteArray("5.000\n"));
}

void TestSimSupply::processTimingFollowsTerminalBaud()
{
    if (!QFileInfo::exists(SimProcess::program()))
        QSKIP("kelvane-sim is not built");
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("lines.log"));
    SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--split"), QStringLiteral("--log"), log}, QSerialPort::Baud2400));

    // At 2400 baud, "*IDN?\n" and its 30-byte reply take 150 ms on the line.
    QElapsedTimer clock;
    clock.start();
    sim.port.write("*IDN?\n");
    QByteArray first;
    while (first.isEmpty() && clock.elapsed() < 2000) {
        sim.port.waitForReadyRead(2000);
        first = sim.port.readAll();
    }
    // Split: the first part comes without its line feed, the rest follows.
    QVERIFY(!first.isEmpty());
    QVERIFY(!first.contains('\n'));
    const QByteArray whole = first + sim.collect(1, 2000);
    QVERIFY2(clock.elapsed() >= 150, QByteArray::number(clock.elapsed()).constData());
    QCOMPARE(whole, QByteArray("KELVANE,L3250-SIM,000001,1.05\n"));

    // The client changes the line speed; the simulator follows it.
    sim.port.setBaudRate(QSerialPort::Baud115200);
    clock.restart();
    QCOMPARE(sim.exchange("*IDN?\n"), whole);
    QVERIFY2(clock.elapsed() < 120, QByteArray::number(clock.elapsed()).constData());

    QCOMPARE(sim.exchange("Volt 1\\x\t\x01;:SYST:ERR?\n"), SimSupply::ErrorInvalidParameter + '\n');
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("*IDN?\n*IDN?\nVolt 1\\\\x\\t\\x01;:SYST:ERR?\n"));
}

QTEST_GUILESS_MAIN(TestSimSupply)
#include "tst_sim_supply.moc"
