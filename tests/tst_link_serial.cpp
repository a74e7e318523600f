// The instrument link end to end through the real serial port code: the program opens
// the slave end of a pseudo-terminal and the test plays the instrument on the master.
#include "link/CommandText.h"
#include "link/LinkView.h"
#include "link/ModelTable.h"
#include "link/PowerLink.h"
#include "link/QtSerialPowerPort.h"
#include "support/ProgramFolder.h"
#include "support/PtyPair.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include <optional>
#include <termios.h>

namespace {

// Records what the link shows, in place of the main window.
class RecordingView : public LinkView {
public:
    bool groupsEnabled = false; // disabled, as the window leaves them before opening
    int enableCalls = 0;
    int disableCalls = 0;
    int txFlips = 0;
    int rxFlips = 0;
    int plots = 0;
    std::optional<double> presentVoltage, presentCurrent, dvm;
    std::optional<double> readBackVolts, readBackAmps, setupVolts, setupAmps;
    std::optional<bool> output;
    QStringList models;
    std::optional<ModelLimits> limits;
    QStringList problems;

    void SetControlGroupsEnabled(bool enabled) override
    {
        groupsEnabled = enabled;
        ++(enabled ? enableCalls : disableCalls);
    }
    bool voltageKnobEnabled() const override { return groupsEnabled; }
    void flipTxLed() override { ++txFlips; }
    void flipRxLed() override { ++rxFlips; }
    void showPresentVoltage(double value) override { presentVoltage = value; }
    void showPresentCurrent(double value) override { presentCurrent = value; }
    void showDvm(double value) override { dvm = value; }
    void PlotReadings() override { ++plots; }
    void readBackVoltage(double value) override { readBackVolts = value; }
    void readBackCurrent(double value) override { readBackAmps = value; }
    void showSetupVoltage(double value) override { setupVolts = value; }
    void showSetupCurrent(double value) override { setupAmps = value; }
    void setOutputToggle(bool on) override { output = on; }
    void gradeCurrent(double) override {}
    void showModel(const QString& modelName) override { models << modelName; }
    void applyModelLimits(const ModelLimits& l) override { limits = l; }
    void reportProblem(const QString& message) override { problems << message; }
};

// What the program's factory gives for any name but the built-in supply's.
PowerLink::PortFactory serialPortFactory()
{
    return [](const QString&) -> std::unique_ptr<PowerPort> { return std::make_unique<QtSerialPowerPort>(); };
}

const QByteArray IdentityReply = QByteArrayLiteral("KELVANE,L3250-SIM,000001,1.05\n");
constexpr int LineWaitMs = 5000; // generous: the machine may be slow and busy

// The port name field holds 11 bytes; a long pty path goes in its /dev-relative form.
QString portNameFor(const QString& slavePath)
{
    return slavePath.size() <= 11 ? slavePath : QDir(QStringLiteral("/dev")).relativeFilePath(slavePath);
}

// The line settings of the pseudo-terminal, read through any descriptor this process
// holds on it (all descriptors of one terminal share its settings).
std::optional<termios> terminalSettings(const QString& slavePath)
{
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() != slavePath)
            continue;
        termios t{};
        if (tcgetattr(fd.toInt(), &t) == 0)
            return t;
    }
    return std::nullopt;
}

struct Rig {
    PtyPair pty;
    ProgramFolder folder{false};
    TMainState state;
    RecordingView view;
    PowerLink link{state, view, serialPortFactory()};

    Rig()
    {
        link.setProgramDir(folder.path());
        state.setPortName(portNameFor(pty.slavePath()));
    }

    QByteArray line() { return pty.readLine(LineWaitMs); }
    // Everything written within a short while; empty when the link stays quiet.
    QByteArray quietFor(int ms) { return pty.readAvailable(ms, INT_MAX); }
};

} // namespace

class TestLinkSerial : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Rig rig;
        QVERIFY2(rig.pty.isValid(), "no pseudo-terminal available");
        QVERIFY(QFile::exists(rig.folder.file(QStringLiteral("PowerType.dat"))));
    }

    void cleanupTestCase() { m_shared.reset(); }

    // Start-up queries, identification and the first polling cycles, byte for byte.
    void startupAndPolling()
    {
        Rig rig;
        rig.link.OpenLink();
        QVERIFY(rig.view.problems.isEmpty());
        QVERIFY(!rig.state.LinkSuspended);
        QCOMPARE(rig.view.txFlips, 0); // the opening write does not flip the TX LED

        const QList<std::pair<QByteArray, QByteArray>> exchange = {
            {"*IDN?\n", IdentityReply},
            {"OUTP?\n", "0\n"},
            {"VOLT?\n", "12.5\n"},
            {"CURR?\n", "1.25\n"},
            {"MEAS:DVM?\n", "3.3\n"},
            {"Meas:Volt?\n", "12.49\n"},
            {"MEAS:CURR?\n", "0.5\n"},
            {"MEAS:DVM?\n", "3.31\n"},
        };
        for (const auto& [sent, reply] : exchange) {
            QCOMPARE(rig.line(), sent);
            rig.pty.write(reply);
        }
        QCOMPARE(rig.line(), QByteArray("Meas:Volt?\n"));
        QCOMPARE(rig.quietFor(200), QByteArray());

        QCOMPARE(rig.view.models, QStringList{QStringLiteral("R525")});
        QVERIFY(rig.view.limits);
        QCOMPARE(rig.view.limits->maxVoltage, 32.0);
        QCOMPARE(rig.view.limits->maxCurrent, 5.0);
        QCOMPARE(rig.view.output.value_or(true), false);
        QCOMPARE(rig.view.readBackVolts.value_or(-1), 12.5);
        QCOMPARE(rig.view.readBackAmps.value_or(-1), 1.25);
        QCOMPARE(rig.view.presentVoltage.value_or(-1), 12.49);
        QCOMPARE(rig.view.presentCurrent.value_or(-1), 0.5);
        QCOMPARE(rig.view.dvm.value_or(-1), 3.31);
        QCOMPARE(rig.view.plots, 4); // the start-up DVM reading and one polling cycle
        // The first data enables the control groups, once.
        QVERIFY(rig.view.groupsEnabled);
        QCOMPARE(rig.view.enableCalls, 1);
        QCOMPARE(rig.view.txFlips, int(exchange.size()));
        QVERIFY(rig.view.rxFlips >= int(exchange.size()));
        QVERIFY(rig.view.problems.isEmpty());
    }

    void resendsRejectedLines_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("rejected");
        QTest::newRow("TOO large") << QByteArray("-222,Data out of range; parameter TOO large") << true;
        QTest::newRow("too in lower case") << QByteArray("-222,Data out of range; parameter too small") << true;
        QTest::newRow("Invalid parameter") << QByteArray("Invalid parameter") << true;
        QTest::newRow("invalid para, mixed case") << QByteArray("-224,iNVALID pArAmeter value") << true;
        QTest::newRow("COMMAND") << QByteArray("-113,Undefined header; Invalid COMMAND") << true;
        QTest::newRow("command alone") << QByteArray("unknown command") << true;
        QTest::newRow("invalid without para") << QByteArray("invalid") << false;
        QTest::newRow("para without invalid") << QByteArray("parameter set") << false;
        QTest::newRow("no error") << QByteArray("0,No error") << false;
        QTest::newRow("no error with CR") << QByteArray("0,No error\r") << false;
        QTest::newRow("empty reply") << QByteArray() << false;
    }

    // A setting line goes out in upper case; a rejection writes it again as stored, as
    // often as it is rejected; an acceptance moves on to the next line.
    void resendsRejectedLines()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, rejected);
        Rig& rig = sharedRig();
        QVERIFY(!QTest::currentTestFailed());

        const QByteArray inFlight = rig.state.CommandQueue.value(0);
        QVERIFY(!inFlight.isEmpty());
        rig.state.CommandQueue = {inFlight, VoltCommand(1.5), CurrCommand(0.5)};
        rig.pty.write("0,No error\n");
        QCOMPARE(rig.line(), QByteArray("VOLT 1.5;:SYST:ERR?\n"));
        QCOMPARE(rig.view.setupVolts.value_or(-1), 1.5);

        rig.pty.write(reply + '\n');
        if (rejected) {
            QCOMPARE(rig.line(), QByteArray("VOLT 1.5;:Syst:Err?\n"));
            rig.pty.write(reply + '\n');
            QCOMPARE(rig.line(), QByteArray("VOLT 1.5;:Syst:Err?\n"));
            QCOMPARE(rig.state.CommandQueue.value(0), VoltCommand(1.5));
            rig.pty.write("0,No error\n");
        }
        QCOMPARE(rig.line(), QByteArray("CURR 0.5;:SYST:ERR?\n"));
        QCOMPARE(rig.view.setupAmps.value_or(-1), 0.5);
        QCOMPARE(rig.quietFor(100), QByteArray());
    }

    // No reply: after the time-out the same head goes out again and the control groups
    // are disabled; nothing else is written. The next bytes enable them again.
    void resendsHeadAfterSilence()
    {
        Rig rig;
        rig.link.OpenLink();
        QElapsedTimer sinceWrite;
        sinceWrite.start();
        QCOMPARE(rig.line(), QByteArray("*IDN?\n"));
        rig.view.SetControlGroupsEnabled(true); // as if they were on when the instrument fell silent
        rig.view.enableCalls = 0;

        const QByteArray again = rig.pty.readLine(15000);
        const qint64 elapsed = sinceWrite.elapsed();
        QCOMPARE(again, QByteArray("*IDN?\n"));
        QVERIFY2(elapsed >= 4500 && elapsed < 9000, qPrintable(QStringLiteral("re-sent after %1 ms").arg(elapsed)));
        QVERIFY(!rig.view.groupsEnabled);
        QCOMPARE(rig.view.disableCalls, 1);
        QCOMPARE(rig.view.txFlips, 1);
        QCOMPARE(rig.quietFor(300), QByteArray());
        QVERIFY(rig.link.Timer_OverTime().isActive());

        rig.pty.write(IdentityReply);
        QCOMPARE(rig.line(), QByteArray("OUTP?\n"));
        QVERIFY(rig.view.groupsEnabled);
        QCOMPARE(rig.view.enableCalls, 1);
    }

    // A reply in three pieces is handled once, when its line feed arrives; the first
    // piece already stops the time-out.
    void assemblesSplitReply()
    {
        Rig rig;
        rig.link.OpenLink();
        QCOMPARE(rig.line(), QByteArray("*IDN?\n"));
        QVERIFY(rig.link.Timer_OverTime().isActive());

        rig.pty.write("KELVANE,L32");
        QTRY_COMPARE_WITH_TIMEOUT(rig.view.rxFlips, 1, LineWaitMs);
        QVERIFY(!rig.link.Timer_OverTime().isActive());
        QVERIFY(rig.view.models.isEmpty());
        rig.pty.write("50-SIM,000001");
        QTRY_COMPARE_WITH_TIMEOUT(rig.view.rxFlips, 2, LineWaitMs);
        QVERIFY(rig.view.models.isEmpty());
        QCOMPARE(rig.quietFor(100), QByteArray());
        rig.pty.write(",1.05\n");

        QCOMPARE(rig.line(), QByteArray("OUTP?\n"));
        QCOMPARE(rig.view.models, QStringList{QStringLiteral("R525")});
        QVERIFY(rig.state.RxBuffer.isEmpty());
        QCOMPARE(rig.quietFor(200), QByteArray());
    }

    // Two lines in one write: the second waits for the next receive event and is then
    // taken as the reply to whatever is the head at that moment.
    void twoLinesInOneWrite()
    {
        Rig rig;
        rig.link.OpenLink();
        QCOMPARE(rig.line(), QByteArray("*IDN?\n"));

        rig.pty.write(IdentityReply + "0\n");
        QCOMPARE(rig.line(), QByteArray("OUTP?\n"));
        QCOMPARE(rig.quietFor(300), QByteArray());
        QCOMPARE(rig.state.RxBuffer, QByteArray("0\n"));
        QVERIFY(!rig.view.output.has_value());

        rig.pty.write("12.5\n");
        QCOMPARE(rig.line(), QByteArray("VOLT?\n"));
        QCOMPARE(rig.view.output.value_or(true), false);
        QCOMPARE(rig.state.RxBuffer, QByteArray("12.5\n"));
        QVERIFY(!rig.view.readBackVolts.has_value());

        rig.pty.write("1.25\n");
        QCOMPARE(rig.line(), QByteArray("CURR?\n"));
        QCOMPARE(rig.view.readBackVolts.value_or(-1), 12.5);
        QCOMPARE(rig.state.RxBuffer, QByteArray("1.25\n"));
    }

    void failedOpen_data()
    {
        QTest::addColumn<QString>("portName");
        QTest::addColumn<int>("errorNumber");
        QTest::newRow("missing path") << "/dev/does-not-exist" << 2; // cut to the 11-byte field: still missing
        QTest::newRow("missing device name") << "ttyNOPE9" << 2;
        QTest::newRow("not a device") << "/tmp" << 21;
    }

    // A port that cannot be opened: the message with the system's error number, nothing
    // written, the link stays suspended; the time-out then finds nothing to send.
    void failedOpen()
    {
        QFETCH(QString, portName);
        QFETCH(int, errorNumber);
        TMainState state;
        RecordingView view;
        PowerLink link(state, view, serialPortFactory());
        state.setPortName(portName);
        QSignalSpy written(&link, &PowerLink::lineWritten);

        link.OpenLink();
        QCOMPARE(view.problems,
            QStringList{QStringLiteral("Unable to open com port (win error code: %1)").arg(errorNumber)});
        QVERIFY(state.LinkSuspended);
        QVERIFY(state.CommandQueue.isEmpty());
        QVERIFY(!link.isPortOpen());
        QCOMPARE(written.count(), 0);
        QVERIFY(link.Timer_OverTime().isActive());

        link.Timer_OverTimeTimer();
        QCOMPARE(view.disableCalls, 1);
        QCOMPARE(written.count(), 0);
        QCOMPARE(view.txFlips, 0);
        QVERIFY(!link.Timer_OverTime().isActive());
    }

    // Numbers too large to read are dropped without stopping the queue.
    void overflowingReplyDoesNotStall()
    {
        Rig rig;
        rig.link.OpenLink();
        const QList<std::pair<QByteArray, QByteArray>> exchange = {
            {"*IDN?\n", IdentityReply},
            {"OUTP?\n", "0\n"},
            {"VOLT?\n", "99999999999.5\n"},
            {"CURR?\n", "1.25\n"},
            {"MEAS:DVM?\n", "3.3\n"},
            {"Meas:Volt?\n", "2147483648\n"},
        };
        for (const auto& [sent, reply] : exchange) {
            QCOMPARE(rig.line(), sent);
            rig.pty.write(reply);
        }
        QCOMPARE(rig.line(), QByteArray("MEAS:CURR?\n"));
        QVERIFY(!rig.view.readBackVolts.has_value());
        QVERIFY(!rig.view.presentVoltage.has_value());
        QCOMPARE(rig.view.readBackAmps.value_or(-1), 1.25);
        QCOMPARE(rig.view.dvm.value_or(-1), 3.3);
    }

    void ignoresDataWhenStopped_data()
    {
        QTest::addColumn<bool>("closing");
        QTest::newRow("suspended") << false;
        QTest::newRow("closing") << true;
    }

    // Bytes that come while the link is suspended (also during its wait) or the window
    // is closing are not read and not answered.
    void ignoresDataWhenStopped()
    {
        QFETCH(bool, closing);
        Rig rig;
        rig.link.OpenLink();
        QCOMPARE(rig.line(), QByteArray("*IDN?\n"));
        if (closing) {
            rig.state.Closing = true;
        } else {
            QTimer::singleShot(200, [&rig] { rig.pty.write(IdentityReply); });
            rig.link.SuspendLink();
            QVERIFY(rig.state.LinkSuspended);
            QVERIFY(rig.state.CommandQueue.isEmpty());
            QVERIFY(!rig.link.Timer_OverTime().isActive());
        }
        rig.pty.write(IdentityReply + "0\n");
        QCOMPARE(rig.quietFor(500), QByteArray());
        QCOMPARE(rig.view.rxFlips, 0);
        QVERIFY(rig.view.models.isEmpty());
        QVERIFY(rig.state.RxBuffer.isEmpty());
        QVERIFY(!rig.view.groupsEnabled);
    }

    // Each opening sets the rate of its index; an index outside 0..3 keeps the rate in
    // force (9600 before any opening). The line is 8N1 without flow control.
    void baudRateFromIndex()
    {
        Rig rig;
        const struct { qint32 index; qint32 rate; speed_t speed; } steps[] = {
            {7, 9600, B9600}, {2, 19200, B19200}, {7, 19200, B19200}, {0, 4800, B4800}};
        for (const auto& step : steps) {
            rig.state.BaudIndex = step.index;
            rig.link.OpenLink();
            QVERIFY(rig.link.isPortOpen());
            QCOMPARE(rig.link.baudRate(), step.rate);
            const std::optional<termios> t = terminalSettings(rig.pty.slavePath());
            QVERIFY(t);
            QCOMPARE(cfgetospeed(&*t), step.speed);
            QCOMPARE(cfgetispeed(&*t), step.speed);
            QCOMPARE(t->c_cflag & CSIZE, tcflag_t(CS8));
            QCOMPARE(t->c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
            QCOMPARE(t->c_iflag & (IXON | IXOFF), tcflag_t(0));
            QCOMPARE(rig.line(), QByteArray("*IDN?\n"));
        }
    }

private:
    // One open link for a table of exchanges, so the opening wait is paid once.
    Rig& sharedRig()
    {
        if (!m_shared) {
            m_shared = std::make_unique<Rig>();
            m_shared->link.OpenLink();
            [&] { QCOMPARE(m_shared->line(), QByteArray("*IDN?\n")); }();
        }
        return *m_shared;
    }

    std::unique_ptr<Rig> m_shared;
};

QTEST_GUILESS_MAIN(TestLinkSerial)
#include "tst_link_serial.moc"
