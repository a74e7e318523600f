// The sequencers' pure parts: the scan step, the step-time conversion, the step timer
// and the step grid's key filter and editing.
#include "sequencers/ScanStep.h"
#include "sequencers/StepGrid.h"
#include "sequencers/StepInterval.h"
#include "sequencers/StepTimer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>

#include <cstring>

namespace {

bool sameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

QString listText(const QList<double>& values)
{
    QStringList parts;
    for (double v : values)
        parts << QString::number(v, 'g', 17);
    return parts.join(QLatin1Char(' '));
}

// Restores the default locale when a test case ends, passed or not.
struct LocaleScope {
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

class TestSeqSteps : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    void advanceScan_data();
    void advanceScan();

    void stepInterval_data();
    void stepInterval();
    void stepIntervalRoundsHalvesToEven_data();
    void stepIntervalRoundsHalvesToEven();

    void stepTimerRepeatsAtItsInterval();
    void stepTimerRestartCountsFromNow();
    void stepTimerZeroIntervalNeverFires();
    void stepTimerTakesIntervalsBeyondQTimerRange();
    void stepTimerStoppedFromItsOwnTick();

    void keyFilter_data();
    void keyFilter();
    void typingIntoCellEditor_data();
    void typingIntoCellEditor();
    void editingDoneNamesTheEditedCell_data();
    void editingDoneNamesTheEditedCell();
    void clampCell_data();
    void clampCell();
    void insertAndNumberSteps();
};

// The points a scan queues: Start, then one per tick until a tick reaches Stop.
void TestSeqSteps::advanceScan_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("step");
    QTest::addColumn<double>("stop");
    QTest::addColumn<int>("maxTicks");
    QTest::addColumn<QList<double>>("expected");
    QTest::addColumn<bool>("reachesStop");

    QTest::newRow("defaults 1..6") << 1.0 << 1.0 << 6.0 << 20 << QList<double>{1, 2, 3, 4, 5, 6} << true;
    QTest::newRow("start above stop") << 5.0 << 1.0 << 3.0 << 20 << QList<double>{5, 3} << true;
    QTest::newRow("start equals stop") << 3.0 << 1.0 << 3.0 << 20 << QList<double>{3, 3} << true;
    QTest::newRow("step overshoots stop") << 1.0 << 2.0 << 4.0 << 20 << QList<double>{1, 3, 4} << true;
    QTest::newRow("step 0 never ends") << 1.0 << 0.0 << 6.0 << 4 << QList<double>{1, 1, 1, 1, 1} << false;
    // The running sum, not start + k * step: 8 * 0.1 would give 0.8 exactly.
    QTest::newRow("0.1 steps to 1") << 0.0 << 0.1 << 1.0 << 20
                                    << QList<double>{0, 0.1, 0.2, 0.30000000000000004, 0.4, 0.5, 0.6, 0.7,
                                           0.7999999999999999, 0.8999999999999999, 0.9999999999999999, 1}
                                    << true;
}

void TestSeqSteps::advanceScan()
{
    QFETCH(double, start);
    QFETCH(double, step);
    QFETCH(double, stop);
    QFETCH(int, maxTicks);
    QFETCH(QList<double>, expected);
    QFETCH(bool, reachesStop);

    double voltage = start;
    QList<double> queued{voltage};
    bool stopped = false;
    for (int tick = 0; tick < maxTicks && !stopped; ++tick) {
        stopped = ::advanceScan(voltage, step, stop);
        queued << voltage;
    }
    QCOMPARE(stopped, reachesStop);
    QCOMPARE(queued.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        QVERIFY2(sameBits(queued[i], expected[i]), qPrintable(listText(queued)));
}

void TestSeqSteps::stepInterval_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("unit");
    QTest::addColumn<qint64>("expected"); // -1: refused

    QTest::newRow("1 second") << "C" << "1" << 0 << qint64(1000);
    QTest::newRow("0.5 minute, point locale") << "C" << "0.5" << 1 << qint64(30000);
    QTest::newRow("0,5 minute, comma locale") << "de_DE" << "0,5" << 1 << qint64(30000);
    QTest::newRow("0,001 hour, comma locale") << "de_DE" << "0,001" << 2 << qint64(3600);
    QTest::newRow("0.001 hour, point locale") << "C" << "0.001" << 2 << qint64(3600);
    QTest::newRow("unknown unit counts as hour") << "C" << "1" << 7 << qint64(3600000);
    QTest::newRow("zero") << "C" << "0" << 0 << qint64(0);
    QTest::newRow("below half a millisecond") << "C" << "0.0004" << 0 << qint64(0);
    QTest::newRow("largest time") << "C" << "4294967.295" << 0 << qint64(4294967295);
    QTest::newRow("2^32 ms") << "C" << "4294967.296" << 0 << qint64(-1);
    QTest::newRow("2^32 ms in hours") << "C" << "1193.05" << 2 << qint64(-1);
    QTest::newRow("negative") << "C" << "-1" << 0 << qint64(-1);
    QTest::newRow("comma where the locale has a point") << "C" << "0,5" << 0 << qint64(-1);
    QTest::newRow("point where the locale has a comma") << "de_DE" << "1.5" << 0 << qint64(-1);
    QTest::newRow("empty") << "C" << "" << 0 << qint64(-1);
    QTest::newRow("letters") << "C" << "abc" << 0 << qint64(-1);
    QTest::newRow("two separators") << "C" << "1.2.3" << 0 << qint64(-1);
    QTest::newRow("infinity") << "C" << "inf" << 0 << qint64(-1);
}

void TestSeqSteps::stepInterval()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(int, unit);
    QFETCH(qint64, expected);

    const LocaleScope scope{QLocale(locale)};
    const StepTime t = StepInterval(text, unit);
    if (expected < 0) {
        QVERIFY(!t.milliseconds);
        QVERIFY2(t.problem.contains(QLatin1Char('\'') + text + QLatin1Char('\'')), qPrintable(t.problem));
    } else {
        QVERIFY2(t.milliseconds, qPrintable(t.problem));
        QCOMPARE(qint64(*t.milliseconds), expected);
    }
}

void TestSeqSteps::stepIntervalRoundsHalvesToEven_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("0.5") << "0.5" << qint64(0);
    QTest::newRow("1.5") << "1.5" << qint64(2);
    QTest::newRow("2.5") << "2.5" << qint64(2);
    QTest::newRow("3.5") << "3.5" << qint64(4);
    QTest::newRow("2.5000001") << "2.5000001" << qint64(3);
}

void TestSeqSteps::stepIntervalRoundsHalvesToEven()
{
    QFETCH(QString, text);
    QFETCH(qint64, expected);
    const StepTime t = timeTextToMilliseconds(text, 1.0); // a unit of one millisecond
    QVERIFY(t.milliseconds);
    QCOMPARE(qint64(*t.milliseconds), expected);
}

void TestSeqSteps::stepTimerRepeatsAtItsInterval()
{
    StepTimer timer;
    QSignalSpy ticks(&timer, &StepTimer::timeout);
    QElapsedTimer clock;
    clock.start();
    timer.start(60);
    QVERIFY(timer.isActive());
    QCOMPARE(timer.interval(), 60u);
    QTRY_COMPARE_WITH_TIMEOUT(ticks.size(), 3, 3000);
    QVERIFY2(clock.elapsed() >= 170, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(timer.isActive());
    timer.stop();
    QVERIFY(!timer.isActive());
    const qsizetype seen = ticks.size();
    QTest::qWait(150);
    QCOMPARE(ticks.size(), seen);
}

// A sequencer restarts its timer when it queues a step: the time runs from then.
void TestSeqSteps::stepTimerRestartCountsFromNow()
{
    StepTimer timer;
    QSignalSpy ticks(&timer, &StepTimer::timeout);
    QElapsedTimer clock;
    timer.start(300);
    QTest::qWait(200);
    clock.start();
    timer.start(300);
    QTest::qWait(150); // past the first start's 300 ms
    QCOMPARE(ticks.size(), 0);
    QVERIFY(ticks.wait(3000));
    QVERIFY2(clock.elapsed() >= 290, qPrintable(QString::number(clock.elapsed())));
}

// 0 ms means "stay on this step": no ticks, and no timer spinning at full speed.
void TestSeqSteps::stepTimerZeroIntervalNeverFires()
{
    StepTimer timer;
    QSignalSpy ticks(&timer, &StepTimer::timeout);
    timer.start(50);
    timer.start(0);
    QVERIFY(!timer.isActive());
    QCOMPARE(timer.interval(), 0u);
    QTest::qWait(200);
    QCOMPARE(ticks.size(), 0);
}

// QTimer takes at most 2^31 - 1 ms; longer step times must neither fire at once nor be refused.
void TestSeqSteps::stepTimerTakesIntervalsBeyondQTimerRange()
{
    StepTimer timer;
    QSignalSpy ticks(&timer, &StepTimer::timeout);
    timer.start(4294967295u);
    QVERIFY(timer.isActive());
    QCOMPARE(timer.interval(), 4294967295u);
    timer.start(3000000000u);
    QVERIFY(timer.isActive());
    QTest::qWait(100);
    QCOMPARE(ticks.size(), 0);
}

// A tick handler that stops the sequencer (or sets the next step's time) has the last word.
void TestSeqSteps::stepTimerStoppedFromItsOwnTick()
{
    StepTimer timer;
    int count = 0;
    connect(&timer, &StepTimer::timeout, &timer, [&] {
        if (++count == 1)
            timer.start(40); // the next step's own time
        else
            timer.stop();
    });
    timer.start(20);
    QTRY_COMPARE_WITH_TIMEOUT(count, 2, 3000);
    QVERIFY(!timer.isActive());
    QTest::qWait(150);
    QCOMPARE(count, 2);
}

void TestSeqSteps::keyFilter_data()
{
    QTest::addColumn<QChar>("c");
    QTest::addColumn<QString>("cellText");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("digit") << QChar('7') << "12" << true;
    QTest::newRow("first point") << QChar('.') << "12" << true;
    QTest::newRow("first comma") << QChar(',') << "12" << true;
    QTest::newRow("second point") << QChar('.') << "1.2" << false;
    QTest::newRow("comma after point") << QChar(',') << "1.2" << false;
    QTest::newRow("point after comma") << QChar('.') << "1,2" << false;
    QTest::newRow("digit after separator") << QChar('3') << "1.2" << true;
    QTest::newRow("minus") << QChar('-') << "" << false;
    QTest::newRow("plus") << QChar('+') << "" << false;
    QTest::newRow("letter") << QChar('e') << "1" << false;
    QTest::newRow("space") << QChar(' ') << "1" << false;
    QTest::newRow("backspace") << QChar(8) << "1.2" << true;
    QTest::newRow("copy") << QChar(3) << "1.2" << true;
    QTest::newRow("paste") << QChar(22) << "1.2" << true;
    QTest::newRow("other control code") << QChar(1) << "" << false;
    QTest::newRow("full-width digit") << QChar(0xFF11) << "" << false;
}

void TestSeqSteps::keyFilter()
{
    QFETCH(QChar, c);
    QFETCH(QString, cellText);
    QFETCH(bool, accepted);
    QCOMPARE(StepGrid::acceptsCharacter(c, cellText), accepted);
}

// The filter as the user meets it: keys typed into an open cell editor.
void TestSeqSteps::typingIntoCellEditor_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("after");

    QTest::newRow("one separator kept") << "" << "1.2.3" << "1.23";
    QTest::newRow("comma then point") << "" << "1,2.3" << "1,23";
    QTest::newRow("minus and letters dropped") << "" << "-4x5e" << "45";
    QTest::newRow("at most 9 characters") << "" << "12345678901" << "123456789";
    QTest::newRow("separator after existing one") << "2.5" << ",1" << "2.51";
}

void TestSeqSteps::typingIntoCellEditor()
{
    QFETCH(QString, before);
    QFETCH(QString, typed);
    QFETCH(QString, after);

    StepGrid grid(4);
    grid.resize(300, 200);
    grid.setGridRowCount(2);
    grid.setCell(1, 1, before);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    grid.setCurrentCell(0, 1);
    grid.editItem(grid.item(0, 1));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->deselect();
    editor->end(false);
    QTest::keyClicks(editor, typed);
    QCOMPARE(editor->text(), after);
    QTest::keyClick(editor, Qt::Key_Return); // the edit ends from the event loop
    QTRY_COMPARE(grid.cell(1, 1), after);
}

// Edit completion names the cell that was edited, however the editor was left.
void TestSeqSteps::editingDoneNamesTheEditedCell_data()
{
    QTest::addColumn<QString>("leaveBy");
    QTest::newRow("Return") << "return";
    QTest::newRow("Tab") << "tab";
    QTest::newRow("click on another row") << "click";
    QTest::newRow("arrow key") << "down";
}

void TestSeqSteps::editingDoneNamesTheEditedCell()
{
    QFETCH(QString, leaveBy);

    StepGrid grid(4);
    grid.resize(300, 200);
    grid.setGridRowCount(4);
    for (int r = 1; r <= 3; ++r)
        for (int c = 0; c < 4; ++c)
            grid.setCell(c, r, QStringLiteral("1"));
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy done(&grid, &StepGrid::editingDone);

    grid.setCurrentCell(0, 2); // grid row 1, current column
    grid.editItem(grid.item(0, 2));
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, QStringLiteral("7"));
    if (leaveBy == QLatin1String("return")) {
        QTest::keyClick(editor, Qt::Key_Return);
    } else if (leaveBy == QLatin1String("tab")) {
        QTest::keyClick(editor, Qt::Key_Tab);
    } else if (leaveBy == QLatin1String("down")) {
        QTest::keyClick(editor, Qt::Key_Down);
    } else {
        const QRect target = grid.visualItemRect(grid.item(2, 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, target.center());
    }
    QTRY_VERIFY(!done.isEmpty());
    QCOMPARE(done.first().at(0).toInt(), 1);
    QCOMPARE(done.first().at(1).toInt(), 2);
    QCOMPARE(grid.cell(2, 1), QStringLiteral("7"));
}

void TestSeqSteps::clampCell_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<QString>("expected");

    QTest::newRow("above the maximum") << "C" << "99" << 30.0 << "30";
    QTest::newRow("at the maximum") << "C" << "30" << 30.0 << "30";
    QTest::newRow("below, kept as typed") << "C" << "12.50" << 30.0 << "12.50";
    QTest::newRow("comma text read as number") << "C" << "30,5" << 30.0 << "30";
    QTest::newRow("maximum with the locale separator") << "de_DE" << "9" << 1.5 << "1,5";
    QTest::newRow("no lower limit") << "C" << "0" << 30.0 << "0";
    QTest::newRow("whole part too long for a number") << "C" << "9999999999" << 30.0 << "30";
}

void TestSeqSteps::clampCell()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(double, maximum);
    QFETCH(QString, expected);

    const LocaleScope scope{QLocale(locale)};
    StepGrid grid(4);
    grid.setGridRowCount(2);
    grid.setCell(1, 1, text);
    QCOMPARE(grid.clampCell(1, 1, maximum), expected);
    QCOMPARE(grid.cell(1, 1), expected);
}

void TestSeqSteps::insertAndNumberSteps()
{
    StepGrid grid(4);
    grid.setGridRowCount(4);
    for (int r = 1; r <= 3; ++r)
        grid.setCell(1, r, QString::number(r * 10));
    grid.numberSteps();
    grid.setCurrentGridRow(2);
    QCOMPARE(grid.insertStep({{1, QStringLiteral("1")}, {3, QStringLiteral("1")}}), 2);
    QCOMPARE(grid.gridRowCount(), 5);
    const QStringList volts{"10", "1", "20", "30"};
    for (int r = 1; r <= 4; ++r) {
        QCOMPARE(grid.cell(0, r), QString::number(r));
        QCOMPARE(grid.cell(1, r), volts[r - 1]);
        // Odd step rows in the tooltip colour, even ones and the step numbers in grey.
        const QColor grey(206, 206, 206);
        QCOMPARE(grid.item(r - 1, 0)->background().color(), grey);
        QCOMPARE(grid.item(r - 1, 1)->background().color(),
            r % 2 ? QApplication::palette().color(QPalette::ToolTipBase) : grey);
        QCOMPARE(grid.item(r - 1, 1)->textAlignment(), int(Qt::AlignCenter));
        QVERIFY(!(grid.item(r - 1, 0)->flags() & Qt::ItemIsEditable));
    }
    QCOMPARE(grid.appendStep({{1, QStringLiteral("5")}}), 5);
    QCOMPARE(grid.cell(0, 5), QStringLiteral("5"));
    grid.removeGridRow(1);
    grid.numberSteps();
    QCOMPARE(grid.gridRowCount(), 5);
    QCOMPARE(grid.cell(0, 1), QStringLiteral("1"));
    QCOMPARE(grid.cell(1, 1), QStringLiteral("1"));
    // Rows change colour when the rows above them go.
    QCOMPARE(grid.item(0, 1)->background().color(), QApplication::palette().color(QPalette::ToolTipBase));
}

QTEST_MAIN(TestSeqSteps)
#include "tst_seq_steps.moc"
