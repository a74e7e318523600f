// The voltage scan and the list program in the main window: what they queue and when,
// the step grid's editing, the locking of the other controls while a sequencer runs, the
// settings round trip, and one scan end to end against the simulated supply.
#include "app/ErrorDisplay.h"
#include "app/TForm_Main.h"
#include "app/TrendPlot.h"
#include "link/CommandText.h"
#include "link/ModelTable.h"
#include "link/ReadNumber.h"
#include "panel/Knob.h"
#include "panel/NumericEdit.h"
#include "panel/SevenSegmentReadout.h"
#include "sequencers/StepGrid.h"
#include "sequencers/StepText.h"
#include "sequencers/StepTimer.h"
#include "support/ProgramFolder.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QScopeGuard>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <cstring>
#include <memory>

namespace {

QByteArray voltLine(const char* number) { return QByteArray("VOLT ") + number + ";:Syst:Err?\n"; }
QByteArray currLine(const char* number) { return QByteArray("Curr ") + number + ";:Syst:Err?\n"; }

QString queueText(const QList<QByteArray>& queue)
{
    QStringList lines;
    for (const QByteArray& line : queue)
        lines << QString::fromLatin1(line.trimmed());
    return lines.join(QStringLiteral(" | "));
}

struct LocaleScope {
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

enum RunMode { Once = 0, Repeat = 1, Custom = 2 };

} // namespace

class TestSequencers : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layoutOfScanAndProgram();
    void scanBoxes_data();
    void scanBoxes();

    void scanRun_data();
    void scanRun();
    void scanReadsStepAndStopAtEveryTick();
    void zeroTimeHoldsTheStep_data();
    void zeroTimeHoldsTheStep();
    void badTimeRefusedBeforeAnything_data();
    void badTimeRefusedBeforeAnything();
    void programStopsOnTimeEditedBadDuringRun();
    void scanRefusesNegativeValues_data();
    void scanRefusesNegativeValues();

    void programRun_data();
    void programRun();
    void programTimeUnits_data();
    void programTimeUnits();
    void runCountChoices_data();
    void runCountChoices();

    void keyFilterInCellEditor_data();
    void keyFilterInCellEditor();
    void editCompletionClamps_data();
    void editCompletionClamps();
    void firstTimeCellFilled();
    void stepRows_data();
    void stepRows();

    void locking_data();
    void locking();

    void settingsRoundTrip_data();
    void settingsRoundTrip();

    void scanAgainstSimulatedSupply();

private:
    void makeWindow();
    void showWindow();
    QList<QByteArray> queue() const { return m_form->state().CommandQueue; }
    void setSteps(const QStringList& times);
    QLineEdit* openEditor(int row, int column);
    void typeIntoCell(int row, int column, const QString& typed, Qt::Key leaveBy = Qt::Key_Return);
    void verifyIdle();

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<TForm_Main> m_form;
    QStringList m_messages;
};

void TestSequencers::initTestCase()
{
    QLocale::setDefault(QLocale::c());
    setMessageHook([this](const QString& text) { m_messages << text; });
}

void TestSequencers::init()
{
    m_messages.clear();
    makeWindow();
}

void TestSequencers::cleanup()
{
    m_form.reset();
    m_folder.reset();
    QLocale::setDefault(QLocale::c());
}

// A window whose Config.dat names no port: no port is opened, so everything a
// sequencer queues stays in the command queue.
void TestSequencers::makeWindow()
{
    m_folder = std::make_unique<ProgramFolder>();
    QVERIFY(m_folder->isValid());
    m_folder->writeConfig(QString());
    QVERIFY(QFile::exists(m_folder->file(QStringLiteral("Config.dat"))));
    m_form = std::make_unique<TForm_Main>(m_folder->path());
    QVERIFY(m_form->state().portName().isEmpty());
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));
}

void TestSequencers::showWindow()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->activateWindow();
    QTest::qWait(20); // the first show's own handling
}

// Rows of voltage r, current r / 10 and the given times.
void TestSequencers::setSteps(const QStringList& times)
{
    StepGrid* grid = m_form->TeThemeStringGridList;
    while (grid->gridRowCount() - 1 < times.size())
        m_form->MenuListItemAppend->trigger();
    for (int r = 1; r <= times.size(); ++r) {
        grid->setCell(1, r, QString::number(r));
        grid->setCell(2, r, QStringLiteral("0.%1").arg(r));
        grid->setCell(3, r, times[r - 1]);
    }
}

QLineEdit* TestSequencers::openEditor(int row, int column)
{
    StepGrid* grid = m_form->TeThemeStringGridList;
    grid->setCurrentCell(row - 1, column);
    const QModelIndex index = grid->model()->index(row - 1, column);
    grid->edit(index);
    return qobject_cast<QLineEdit*>(grid->indexWidget(index));
}

// Types into a cell's editor, as the user does, and leaves it with a key.
void TestSequencers::typeIntoCell(int row, int column, const QString& typed, Qt::Key leaveBy)
{
    QLineEdit* editor = openEditor(row, column);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, typed);
    QTest::keyClick(editor, leaveBy);
    // The edit ends from the event loop.
    StepGrid* grid = m_form->TeThemeStringGridList;
    QTRY_VERIFY(!grid->indexWidget(grid->model()->index(row - 1, column)));
}

// Nothing runs and every control the sequencers lock is usable again.
void TestSequencers::verifyIdle()
{
    TForm_Main& f = *m_form;
    QVERIFY(!f.state().SequenceActive);
    QVERIFY(!f.Timer_VoltScan->isActive());
    QVERIFY(!f.Timer_RunProgram->isActive());
    QVERIFY(f.TeThemeButton_VoltScanRun->isEnabled());
    QVERIFY(!f.TeThemeButton_VoltScanStop->isEnabled());
    QVERIFY(f.TeThemeButton_RunPorgramRun->isEnabled());
    QVERIFY(!f.TeThemeButton_RunProgramStop->isEnabled());
    for (QWidget* w : std::initializer_list<QWidget*>{f.Panel_ScanVoltageCommandPanel, f.Panel_RunProgramPanel,
             f.Panel_GoNGRun, f.TeThemeGroupBox_ToolBar, f.TeThemeRadioGroupRun, f.TeThemeGroupBoxFastKey,
             f.iKnob_Voltage, f.iKnob_Current, f.TeThemeGroupBoxCtrl, f.TeThemeGroupBox_SetValue})
        QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
}

void TestSequencers::layoutOfScanAndProgram()
{
    showWindow();
    TForm_Main& f = *m_form;

    // The scan boxes: one decimal, no unit, the start-up values.
    const QList<QPair<NumericEdit*, double>> boxes{{f.iAnalogOutput_ScanVoltStart, 1}, {f.iAnalogOutput_ScanVoltStop, 6},
        {f.iAnalogOutput_ScanVoltStep, 1}, {f.iAnalogOutput_ScanVoltDelay, 1}};
    for (const auto& [box, value] : boxes) {
        QCOMPARE(box->parentWidget(), f.TeThemeGroupBox11);
        QCOMPARE(box->value(), value);
        QCOMPARE(box->text(), QString::number(value, 'f', 1));
        QVERIFY(!box->showUnit());
        QVERIFY(!box->hasLimits());
    }
    QVERIFY(f.TeThemeButton_VoltScanRun->isEnabled());
    QVERIFY(!f.TeThemeButton_VoltScanStop->isEnabled());
    QVERIFY(!f.Timer_VoltScan->isActive());

    // The step grid: four columns, a fixed step-number column, centred cells.
    f.TeThemePageControl1->setCurrentIndex(1);
    QTest::qWait(20);
    StepGrid* grid = f.TeThemeStringGridList;
    QCOMPARE(grid->columnCount(), 4);
    QCOMPARE(grid->gridRowCount(), 2);
    QCOMPARE(grid->horizontalHeader()->height(), 23);
    QCOMPARE(grid->rowHeight(0), 23);
    QCOMPARE(grid->horizontalHeaderItem(3)->text(), f.StaticText25->text()); // the same "Delay" text
    QCOMPARE(grid->columnWidth(0), 30);
    const int w = grid->columnWidth(1);
    QCOMPARE(grid->columnWidth(2), w);
    QCOMPARE(grid->columnWidth(3), w);
    const int room = grid->viewport()->width() - 30;
    QVERIFY2(3 * w <= room && 3 * (w + 1) > room, qPrintable(QStringLiteral("%1 for %2").arg(w).arg(room)));
    const QStringList firstRow{"1", "1", "1", "1"};
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(grid->cell(c, 1), firstRow[c]);
        QCOMPARE(grid->item(0, c)->textAlignment(), int(Qt::AlignCenter));
    }
    QVERIFY(!(grid->item(0, 0)->flags() & Qt::ItemIsEditable));
    QVERIFY(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
    QCOMPARE(f.state().ProgramSteps.size(), size_t(1));

    QCOMPARE(f.ComboBox_ProgramTimeUnits->count(), 3);
    QCOMPARE(f.ComboBox_ProgramTimeUnits->itemText(0), QStringLiteral("Second"));
    QCOMPARE(f.ComboBox_ProgramTimeUnits->itemText(1), QStringLiteral("Minute"));
    QCOMPARE(f.ComboBox_ProgramTimeUnits->itemText(2), QStringLiteral("Hour"));
    QCOMPARE(f.ComboBox_ProgramTimeUnits->currentIndex(), 0);
    QVERIFY(f.runTimesButtons[Once]->isChecked());
    QCOMPARE(f.TeThemeSpinEdit->minimum(), 2);
    QCOMPARE(f.TeThemeSpinEdit->maximum(), 10000);
    QCOMPARE(f.TeThemeSpinEdit->value(), 2);
    QVERIFY(f.TeThemeSpinEdit->isHidden());
    QVERIFY(f.Label_RunTimes->isHidden());
    QVERIFY(f.Panel_RunProgramPanel->isVisible());
    QVERIFY(!f.Panel_ScanVoltageCommandPanel->isVisible());

    // A few rows for the picture: alternating colours show from row 2 on.
    setSteps({"1", "2", "0.5"});
    QCOMPARE(grid->item(1, 1)->background().color(), QColor(206, 206, 206));
    QCOMPARE(grid->item(2, 1)->background().color(), QApplication::palette().color(QPalette::ToolTipBase));
    if (const QString dir = qEnvironmentVariable("KELVANE_GRAB_DIR"); !dir.isEmpty())
        f.grab().save(dir + QStringLiteral("/program-page.png"));
}

void TestSequencers::scanBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("identified");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");

    // The number reader knows no sign: digits after other characters are the fraction.
    QTest::newRow("no sign") << "Start" << false << "-3" << 0.3 << "0.3";
    QTest::newRow("one decimal shown, all kept") << "Delay" << false << "12.34" << 12.34 << "12.3";
    QTest::newRow("any value before identification") << "Stop" << false << "99" << 99.0 << "99.0";
    QTest::newRow("model maximum after identification") << "Stop" << true << "99" << 30.0 << "30.0";
    QTest::newRow("step within the maximum") << "Step" << true << "0.5" << 0.5 << "0.5";
    QTest::newRow("delay never limited") << "Delay" << true << "999999" << 999999.0 << "999999.0";
}

void TestSequencers::scanBoxes()
{
    QFETCH(QString, box);
    QFETCH(bool, identified);
    QFETCH(QString, typed);
    QFETCH(double, value);
    QFETCH(QString, shown);

    TForm_Main& f = *m_form;
    if (identified) {
        f.iAnalogOutput_ScanVoltStop->setValue(40);
        f.applyModelLimits(ModelLimits{30, 3});
        // The values held are brought within the limit at once.
        QCOMPARE(f.iAnalogOutput_ScanVoltStop->value(), 30.0);
        for (NumericEdit* b : {f.iAnalogOutput_ScanVoltStart, f.iAnalogOutput_ScanVoltStop, f.iAnalogOutput_ScanVoltStep})
            QCOMPARE(b->maximum(), 30.0);
        QVERIFY(!f.iAnalogOutput_ScanVoltDelay->hasLimits());
    }
    NumericEdit* edit = f.findChild<NumericEdit*>(QStringLiteral("iAnalogOutput_ScanVolt") + box);
    QVERIFY(edit);
    QLineEdit* line = edit->lineEdit();
    line->selectAll();
    QTest::keyClicks(line, typed);
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(edit->value(), value);
    QCOMPARE(edit->text(), shown);
}

void TestSequencers::scanRun_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("stop");
    QTest::addColumn<double>("step");
    QTest::addColumn<int>("stopAfterTicks"); // -1: the scan ends by itself
    QTest::addColumn<QList<QByteArray>>("expected");

    auto volts = [](std::initializer_list<const char*> numbers) {
        QList<QByteArray> lines;
        for (const char* n : numbers)
            lines << voltLine(n);
        return lines;
    };
    QTest::newRow("defaults 1..6") << 1.0 << 6.0 << 1.0 << -1 << volts({"1", "2", "3", "4", "5", "6"});
    QTest::newRow("start above stop") << 5.0 << 3.0 << 1.0 << -1 << volts({"5", "3"});
    QTest::newRow("start equals stop") << 3.0 << 3.0 << 1.0 << -1 << volts({"3", "3"});
    QTest::newRow("step 0 until Stop") << 1.0 << 6.0 << 0.0 << 3 << volts({"1", "1", "1", "1"});
    QTest::newRow("Stop before the first tick") << 1.0 << 6.0 << 1.0 << 0 << volts({"1"});
    // The running sum reaches 0.9999999999999999 (sent as "1") before Stop itself.
    QTest::newRow("0.1 steps to 1") << 0.0 << 1.0 << 0.1 << -1
                                    << volts({"0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1", "1"});
}

void TestSequencers::scanRun()
{
    QFETCH(double, start);
    QFETCH(double, stop);
    QFETCH(double, step);
    QFETCH(int, stopAfterTicks);
    QFETCH(QList<QByteArray>, expected);

    TForm_Main& f = *m_form;
    f.iAnalogOutput_ScanVoltStart->setValue(start);
    f.iAnalogOutput_ScanVoltStop->setValue(stop);
    f.iAnalogOutput_ScanVoltStep->setValue(step);
    f.iAnalogOutput_ScanVoltDelay->setValue(0.05); // shown as "0.1": the scan takes what the box shows
    QCOMPARE(f.iAnalogOutput_ScanVoltDelay->text(), QStringLiteral("0.1"));

    int ticks = 0;
    QElapsedTimer clock;
    connect(f.Timer_VoltScan, &StepTimer::timeout, m_form.get(), [&] { ++ticks; });
    clock.start();
    f.TeThemeButton_VoltScanRun->click();
    QCOMPARE(queue(), expected.mid(0, 1)); // Start is queued at once
    QVERIFY(f.state().SequenceActive);
    QCOMPARE(f.Timer_VoltScan->interval(), 100u);
    QVERIFY(f.Timer_VoltScan->isActive());

    if (stopAfterTicks < 0) {
        QTRY_VERIFY_WITH_TIMEOUT(!f.state().SequenceActive, 10000);
        // One tick per Delay, each measured from the one before.
        QVERIFY2(clock.elapsed() >= 100 * ticks - 20, qPrintable(QString::number(clock.elapsed())));
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(ticks, stopAfterTicks, 10000);
        f.TeThemeButton_VoltScanStop->click();
    }
    QTest::qWait(250); // nothing more after the end
    QVERIFY2(queue() == expected, qPrintable(queueText(queue())));
    QCOMPARE(ticks, int(expected.size()) - 1);
    verifyIdle();
    QVERIFY(m_messages.isEmpty());
    if (stopAfterTicks < 0)
        QCOMPARE(f.state().ScanVoltage, stop); // exactly the Stop value
    if (expected.size() > 1) {
        QCOMPARE(f.iSevenSegmentAnalog_SteupVoltage->value(), f.state().ScanVoltage);
        QCOMPARE(f.iSevenSegmentAnalog_EnterValue->value(), f.state().ScanVoltage); // "SET CV" is checked
    }
}

// Step and Stop are read at every tick; Start and Delay only at Run.
void TestSequencers::scanReadsStepAndStopAtEveryTick()
{
    TForm_Main& f = *m_form;
    f.iAnalogOutput_ScanVoltStart->setValue(1);
    f.iAnalogOutput_ScanVoltStop->setValue(10);
    f.iAnalogOutput_ScanVoltStep->setValue(1);
    f.iAnalogOutput_ScanVoltDelay->setValue(0.1);
    int ticks = 0;
    connect(f.Timer_VoltScan, &StepTimer::timeout, m_form.get(), [&] {
        if (++ticks == 1) { // after the tick that queued 2
            f.iAnalogOutput_ScanVoltStep->setValue(3);
            f.iAnalogOutput_ScanVoltStop->setValue(6);
            f.iAnalogOutput_ScanVoltStart->setValue(0);
            f.iAnalogOutput_ScanVoltDelay->setValue(30);
        }
    });
    QElapsedTimer clock;
    clock.start();
    f.TeThemeButton_VoltScanRun->click();
    QTRY_VERIFY_WITH_TIMEOUT(!f.state().SequenceActive, 10000);
    QVERIFY2(clock.elapsed() < 5000, "the Delay changed during the scan took effect");
    const QList<QByteArray> expected{voltLine("1"), voltLine("2"), voltLine("5"), voltLine("6")};
    QVERIFY2(queue() == expected, qPrintable(queueText(queue())));
    QCOMPARE(f.Timer_VoltScan->interval(), 100u);
}

void TestSequencers::zeroTimeHoldsTheStep_data()
{
    QTest::addColumn<bool>("scan");
    QTest::addColumn<int>("queued");
    QTest::newRow("scan Delay 0.04 s") << true << 1;
    QTest::newRow("program step time 0") << false << 2;
}

// A time that rounds to 0 ms keeps the sequencer on its step until Stop.
void TestSequencers::zeroTimeHoldsTheStep()
{
    QFETCH(bool, scan);
    QFETCH(int, queued);

    TForm_Main& f = *m_form;
    if (scan) {
        f.iAnalogOutput_ScanVoltDelay->setValue(0.04);
        f.TeThemeButton_VoltScanRun->click();
    } else {
        setSteps({"0", "1"});
        f.TeThemeButton_RunPorgramRun->click();
    }
    QVERIFY(f.state().SequenceActive);
    QTest::qWait(300);
    QCOMPARE(queue().size(), queued);
    QVERIFY(f.state().SequenceActive);
    QVERIFY(!f.Timer_VoltScan->isActive());
    QVERIFY(!f.Timer_RunProgram->isActive());
    QCOMPARE(f.state().StepIndex, 0);
    (scan ? f.TeThemeButton_VoltScanStop : f.TeThemeButton_RunProgramStop)->click();
    verifyIdle();
    QCOMPARE(queue().size(), queued);
}

void TestSequencers::badTimeRefusedBeforeAnything_data()
{
    QTest::addColumn<bool>("scan");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QStringList>("times"); // scan: the Delay box's text; program: the time cells
    QTest::addColumn<QString>("named");

    QTest::newRow("scan, negative Delay") << true << "C" << 0 << QStringList{"-1.0"} << "-1.0";
    QTest::newRow("scan, Delay of 2^32 ms or more") << true << "C" << 0 << QStringList{"4294968.0"} << "4294968.0";
    QTest::newRow("scan, Delay text not a number") << true << "C" << 0 << QStringList{"abc"} << "abc";
    QTest::newRow("scan, point in a comma locale") << true << "de_DE" << 0 << QStringList{"1.5"} << "1.5";
    QTest::newRow("program, letters") << false << "C" << 0 << QStringList{"abc"} << "abc";
    QTest::newRow("program, empty time in row 2") << false << "C" << 0 << QStringList{"1", ""} << "";
    QTest::newRow("program, negative") << false << "C" << 0 << QStringList{"1", "-1"} << "-1";
    QTest::newRow("program, too long") << false << "C" << 0 << QStringList{"5000000"} << "5000000";
    QTest::newRow("program, too long in minutes") << false << "C" << 1 << QStringList{"71583"} << "71583";
    QTest::newRow("program, point in a comma locale") << false << "de_DE" << 0 << QStringList{"1.5"} << "1.5";
}

// A Delay or step time that cannot be a timer interval: one message naming the text,
// nothing queued, nothing changed, every control usable.
void TestSequencers::badTimeRefusedBeforeAnything()
{
    QFETCH(bool, scan);
    QFETCH(QString, locale);
    QFETCH(int, unit);
    QFETCH(QStringList, times);
    QFETCH(QString, named);

    TForm_Main& f = *m_form;
    const LocaleScope scope{QLocale(locale)};
    if (scan) {
        // The text as the box would show it; a value that does not fit shows as such too.
        f.iAnalogOutput_ScanVoltDelay->lineEdit()->setText(times.first());
        f.TeThemeButton_VoltScanRun->click();
    } else {
        setSteps(times);
        f.ComboBox_ProgramTimeUnits->setCurrentIndex(unit);
        f.runTimesButtons[Custom]->click();
        f.TeThemeButton_RunPorgramRun->click();
    }
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(QLatin1Char('\'') + named + QLatin1Char('\'')), qPrintable(m_messages.first()));
    QVERIFY2(queue().isEmpty(), qPrintable(queueText(queue())));
    verifyIdle();
    QCOMPARE(f.state().StepIndex, 0);
    QCOMPARE(f.state().RunNumber, 0);
    QCOMPARE(f.state().StepCount, 0);
}

void TestSequencers::scanRefusesNegativeValues_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("Start") << "Start";
    QTest::newRow("Stop") << "Stop";
    QTest::newRow("Step") << "Step";
}

// Before identification the boxes hold what a settings file gives them; a negative
// voltage would be refused by the instrument and resent without end.
void TestSequencers::scanRefusesNegativeValues()
{
    QFETCH(QString, box);
    TForm_Main& f = *m_form;
    NumericEdit* edit = f.findChild<NumericEdit*>(QStringLiteral("iAnalogOutput_ScanVolt") + box);
    QVERIFY(edit);
    edit->setValue(-2);
    f.TeThemeButton_VoltScanRun->click();
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(QLatin1String("'-2.0'")), qPrintable(m_messages.first()));
    QVERIFY(queue().isEmpty());
    verifyIdle();
}

// A time made unusable during a run ends the run with a word instead of a hang.
void TestSequencers::programStopsOnTimeEditedBadDuringRun()
{
    TForm_Main& f = *m_form;
    setSteps({"0.1", "0.1"});
    f.TeThemeButton_RunPorgramRun->click();
    QVERIFY(f.state().SequenceActive);
    f.TeThemeStringGridList->setCell(3, 2, QStringLiteral("1x"));
    QTRY_VERIFY_WITH_TIMEOUT(!f.state().SequenceActive, 5000);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY2(m_messages.first().contains(QLatin1String("'1x'")), qPrintable(m_messages.first()));
    const QList<QByteArray> expected{voltLine("1"), currLine("0.1")};
    QVERIFY2(queue() == expected, qPrintable(queueText(queue())));
    verifyIdle();
}

void TestSequencers::programRun_data()
{
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("stopAfterTicks"); // -1: the run ends by itself
    QTest::addColumn<QList<int>>("rows");    // the rows queued, in order
    QTest::addColumn<QStringList>("labels"); // the counter after Run and after each tick; "" hidden
    QTest::addColumn<QList<int>>("tickMs");  // when the ticks come, from Run

    QTest::newRow("one step once") << QStringList{"0.1"} << int(Once) << 2 << -1 << QList<int>{1}
                                   << QStringList{"", ""} << QList<int>{100};
    // Each step lasts its own time from the moment it is queued.
    QTest::newRow("three steps 0.1 0.2 0.3 s once") << QStringList{"0.1", "0.2", "0.3"} << int(Once) << 2 << -1
                                                    << QList<int>{1, 2, 3} << QStringList{"", "", "", ""}
                                                    << QList<int>{100, 300, 600};
    QTest::newRow("custom 2") << QStringList{"0.1", "0.1"} << int(Custom) << 2 << -1 << QList<int>{1, 2, 1, 2}
                              << QStringList{":1", ":1", ":2", ":2", ":2"} << QList<int>{100, 200, 300, 400};
    QTest::newRow("custom 3, one step") << QStringList{"0.1"} << int(Custom) << 3 << -1 << QList<int>{1, 1, 1}
                                        << QStringList{":1", ":2", ":3", ":3"} << QList<int>{100, 200, 300};
    QTest::newRow("repeat until Stop") << QStringList{"0.1", "0.1"} << int(Repeat) << 2 << 5
                                       << QList<int>{1, 2, 1, 2, 1, 2}
                                       << QStringList{":1", ":1", ":2", ":2", ":3", ":3"} << QList<int>{};
    QTest::newRow("Stop in the first step") << QStringList{"0.3", "0.1"} << int(Once) << 2 << 0 << QList<int>{1}
                                            << QStringList{""} << QList<int>{};
}

void TestSequencers::programRun()
{
    QFETCH(QStringList, times);
    QFETCH(int, mode);
    QFETCH(int, count);
    QFETCH(int, stopAfterTicks);
    QFETCH(QList<int>, rows);
    QFETCH(QStringList, labels);
    QFETCH(QList<int>, tickMs);

    TForm_Main& f = *m_form;
    StepGrid* grid = f.TeThemeStringGridList;
    setSteps(times);
    f.runTimesButtons[mode]->click();
    f.TeThemeSpinEdit->setValue(count);

    auto label = [&] { return f.Label_RunTimes->isHidden() ? QString() : f.Label_RunTimes->text(); };
    const QString prefix = f.state().RunTimesText;
    auto expectedLabel = [&](const QString& l) { return l.isEmpty() ? l : prefix + l; };

    QElapsedTimer clock;
    QList<qint64> tickAt;
    QStringList seenLabels;
    QList<int> currentRows;
    connect(f.Timer_RunProgram, &StepTimer::timeout, m_form.get(), [&] {
        tickAt << clock.elapsed();
        seenLabels << label();
        currentRows << grid->currentGridRow();
    });
    clock.start();
    f.TeThemeButton_RunPorgramRun->click();
    seenLabels.prepend(label());
    QVERIFY(f.state().SequenceActive);
    QCOMPARE(f.state().StepCount, int(times.size()));
    QCOMPARE(f.state().RunNumber, 1);
    QCOMPARE(grid->currentGridRow(), 1);
    QCOMPARE(queue().size(), 2); // the first step at once

    if (stopAfterTicks < 0) {
        QTRY_VERIFY_WITH_TIMEOUT(!f.state().SequenceActive, 10000);
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(tickAt.size(), stopAfterTicks, 10000);
        f.TeThemeButton_RunProgramStop->click();
    }
    QTest::qWait(250); // nothing more after the end

    QList<QByteArray> expected;
    for (int r : rows) {
        expected << voltLine(QByteArray::number(r).constData());
        expected << currLine(("0." + QByteArray::number(r)).constData());
    }
    QVERIFY2(queue() == expected, qPrintable(queueText(queue())));
    QStringList wanted;
    for (const QString& l : labels)
        wanted << expectedLabel(l);
    QCOMPARE(seenLabels, wanted);
    // The grid's current row marks the step just queued.
    for (qsizetype k = 0; k < currentRows.size() && k + 1 < rows.size(); ++k)
        QCOMPARE(currentRows[k], rows[k + 1]);
    for (qsizetype k = 0; k < tickMs.size(); ++k)
        QVERIFY2(tickAt.value(k, -1) >= tickMs[k] - 15 && tickAt.value(k, -1) <= tickMs[k] + 500,
            qPrintable(QStringLiteral("tick %1 at %2 ms, wanted about %3").arg(k + 1).arg(tickAt.value(k, -1)).arg(tickMs[k])));
    verifyIdle();
    QVERIFY(m_messages.isEmpty());
}

void TestSequencers::programTimeUnits_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("time");
    QTest::addColumn<uint>("interval");

    QTest::newRow("0.5 minute") << "C" << 1 << "0.5" << 30000u;
    QTest::newRow("0,5 minute, comma locale") << "de_DE" << 1 << "0,5" << 30000u;
    QTest::newRow("0,001 hour, comma locale") << "de_DE" << 2 << "0,001" << 3600u;
    QTest::newRow("0.001 hour") << "C" << 2 << "0.001" << 3600u;
    QTest::newRow("1.5 second") << "C" << 0 << "1.5" << 1500u;
}

void TestSequencers::programTimeUnits()
{
    QFETCH(QString, locale);
    QFETCH(int, unit);
    QFETCH(QString, time);
    QFETCH(uint, interval);

    TForm_Main& f = *m_form;
    const LocaleScope scope{QLocale(locale)};
    setSteps({time});
    f.ComboBox_ProgramTimeUnits->setCurrentIndex(unit);
    f.TeThemeButton_RunPorgramRun->click();
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));
    QVERIFY(f.Timer_RunProgram->isActive());
    QCOMPARE(f.Timer_RunProgram->interval(), interval);
    f.TeThemeButton_RunProgramStop->click();
    verifyIdle();
}

void TestSequencers::runCountChoices_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("spinShown");
    QTest::addColumn<bool>("labelShown");
    QTest::newRow("Once") << int(Once) << false << false;
    QTest::newRow("Repeat") << int(Repeat) << false << true;
    QTest::newRow("Custom") << int(Custom) << true << true;
}

void TestSequencers::runCountChoices()
{
    QFETCH(int, mode);
    QFETCH(bool, spinShown);
    QFETCH(bool, labelShown);

    TForm_Main& f = *m_form;
    f.runTimesButtons[Custom]->click(); // from a state where both show
    f.runTimesButtons[mode]->click();
    QCOMPARE(!f.TeThemeSpinEdit->isHidden(), spinShown);
    QCOMPARE(!f.Label_RunTimes->isHidden(), labelShown);
}

void TestSequencers::keyFilterInCellEditor_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<double>("time");

    QTest::newRow("one separator kept") << "1.2.3" << "1.23" << 1.23;
    QTest::newRow("comma kept as typed") << "2a,5" << "2,5" << 2.5;
    QTest::newRow("minus discarded") << "-5" << "5" << 5.0;
    QTest::newRow("at most 9 characters") << "12345678901" << "123456789" << 123456789.0;
}

void TestSequencers::keyFilterInCellEditor()
{
    QFETCH(QString, typed);
    QFETCH(QString, cell);
    QFETCH(double, time);

    showWindow();
    m_form->TeThemePageControl1->setCurrentIndex(1);
    QLineEdit* editor = openEditor(1, 3);
    QVERIFY(editor);
    editor->selectAll();
    QTest::keyClicks(editor, typed);
    QCOMPARE(editor->text(), cell);
    QTest::keyClick(editor, Qt::Key_Return);
    StepGrid* grid = m_form->TeThemeStringGridList;
    QTRY_VERIFY(!grid->indexWidget(grid->model()->index(0, 3)));
    QCOMPARE(m_form->TeThemeStringGridList->cell(3, 1), cell); // kept as typed
    QCOMPARE(m_form->state().ProgramSteps[0].Time, time);
}

void TestSequencers::editCompletionClamps_data()
{
    QTest::addColumn<bool>("identified"); // a 30 V, 3 A model; else the knobs' start-up range
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("cell");
    QTest::addColumn<bool>("byTab"); // Tab moves on to the next cell before the edit ends

    QTest::newRow("99 V on a 30 V model") << true << 1 << "99" << "30" << false;
    QTest::newRow("99 V, left by Tab") << true << 1 << "99" << "30" << true;
    QTest::newRow("12.5 V kept") << true << 1 << "12.5" << "12.5" << false;
    QTest::newRow("99 V before identification") << false << 1 << "99" << "20" << false;
    QTest::newRow("5 A on a 3 A model") << true << 2 << "5" << "3" << false;
    QTest::newRow("5 A, left by Tab") << true << 2 << "5" << "3" << true;
    QTest::newRow("2,5 A kept as typed") << true << 2 << "2,5" << "2,5" << false;
    QTest::newRow("no lower limit") << true << 1 << "0" << "0" << false;
}

void TestSequencers::editCompletionClamps()
{
    QFETCH(bool, identified);
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, cell);
    QFETCH(bool, byTab);

    showWindow();
    m_form->TeThemePageControl1->setCurrentIndex(1);
    if (identified)
        m_form->applyModelLimits(ModelLimits{30, 3});
    m_form->MenuListItemAppend->trigger();
    typeIntoCell(2, column, typed, byTab ? Qt::Key_Tab : Qt::Key_Return);
    QCOMPARE(m_form->TeThemeStringGridList->cell(column, 2), cell);
    const ProgramStep& step = m_form->state().ProgramSteps.at(1);
    QCOMPARE(stepFieldText(column == 1 ? step.VoltageText : step.CurrentText), cell);
    // The other cells and step are untouched.
    QCOMPARE(m_form->TeThemeStringGridList->cell(column + 1, 2), QStringLiteral("1"));
    QCOMPARE(m_form->state().ProgramSteps.at(1).Time, 1.0);
    QCOMPARE(stepFieldText(m_form->state().ProgramSteps.at(0).VoltageText), QStringLiteral("1"));
}

// Row 1's time cell, when empty, becomes "1" once the time column is current.
void TestSequencers::firstTimeCellFilled()
{
    StepGrid* grid = m_form->TeThemeStringGridList;
    m_form->MenuListItemAppend->trigger();
    grid->setCell(3, 1, QString());
    grid->setCurrentCell(1, 1);
    QCOMPARE(grid->cell(3, 1), QString());
    grid->setCurrentCell(1, 3);
    QCOMPARE(grid->cell(3, 1), QStringLiteral("1"));
}

void TestSequencers::stepRows_data()
{
    QTest::addColumn<QStringList>("volts"); // the table before, one voltage per step
    QTest::addColumn<int>("currentRow");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("after"); // "1" is the new default step

    QTest::newRow("insert at row 2 of 3") << QStringList{"5", "6", "7"} << 2 << "insert" << QStringList{"5", "1", "6", "7"};
    QTest::newRow("insert at row 1") << QStringList{"5", "6"} << 1 << "insert" << QStringList{"1", "5", "6"};
    QTest::newRow("append") << QStringList{"5", "6"} << 1 << "append" << QStringList{"5", "6", "1"};
    QTest::newRow("delete row 2 of 3") << QStringList{"5", "6", "7"} << 2 << "delete" << QStringList{"5", "7"};
    QTest::newRow("delete the last row") << QStringList{"5", "6", "7"} << 3 << "delete" << QStringList{"5", "6"};
    QTest::newRow("the only step stays") << QStringList{"5"} << 1 << "delete" << QStringList{"5"};
}

// Appending, inserting and deleting keep ProgramSteps in step with the grid.
void TestSequencers::stepRows()
{
    QFETCH(QStringList, volts);
    QFETCH(int, currentRow);
    QFETCH(QString, action);
    QFETCH(QStringList, after);

    showWindow();
    TForm_Main& f = *m_form;
    f.TeThemePageControl1->setCurrentIndex(1);
    StepGrid* grid = f.TeThemeStringGridList;
    for (int r = 1; r <= volts.size(); ++r) {
        if (r > 1)
            f.MenuListItemAppend->trigger();
        typeIntoCell(r, 1, volts[r - 1]);
        typeIntoCell(r, 2, QStringLiteral("0.") + volts[r - 1]);
    }
    grid->setCurrentGridRow(currentRow);
    QAction* item = action == QLatin1String("insert") ? f.MenuListItemInsert
        : action == QLatin1String("append")           ? f.MenuListItemAppend
                                                      : f.MenuListItemDelete;
    item->trigger();

    const auto& steps = f.state().ProgramSteps;
    QCOMPARE(grid->gridRowCount(), int(after.size()) + 1);
    QCOMPARE(int(steps.size()), int(after.size()));
    for (int r = 1; r <= after.size(); ++r) {
        QCOMPARE(grid->cell(0, r), QString::number(r));
        QCOMPARE(grid->cell(1, r), after[r - 1]);
        QCOMPARE(stepFieldText(steps[r - 1].VoltageText), after[r - 1]);
        QCOMPARE(stepFieldText(steps[r - 1].CurrentText), grid->cell(2, r));
        QCOMPARE(ReadNumber(grid->cell(3, r)), steps[r - 1].Time);
        const QColor colour = r % 2 ? QApplication::palette().color(QPalette::ToolTipBase) : QColor(206, 206, 206);
        QCOMPARE(grid->item(r - 1, 1)->background().color(), colour);
    }
}

void TestSequencers::locking_data()
{
    QTest::addColumn<bool>("scan");
    QTest::newRow("scan") << true;
    QTest::newRow("list program") << false;
}

// While one sequencer runs, the others' buttons, the tool bar and the control groups are
// locked; the page control is not, and Stop gives everything back.
void TestSequencers::locking()
{
    QFETCH(bool, scan);
    TForm_Main& f = *m_form;
    verifyIdle();
    if (scan) {
        f.iAnalogOutput_ScanVoltDelay->setValue(100);
        f.TeThemeButton_VoltScanRun->click();
    } else {
        setSteps({"100"});
        f.TeThemeButton_RunPorgramRun->click();
    }
    QVERIFY(f.state().SequenceActive);
    QVERIFY(!f.TeThemeGroupBox_ToolBar->isEnabled());
    for (QWidget* w : std::initializer_list<QWidget*>{f.tbConfig, f.tbSave, f.tbOpen, f.tbHelp, f.TeThemeGroupBoxFastKey,
             f.iKnob_Voltage, f.iKnob_Current, f.TeThemeGroupBoxCtrl, f.TeThemeGroupBox_SetValue, f.TeThemeButton_GoNGRun})
        QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
    QVERIFY(f.TeThemePageControl1->isEnabled());
    QVERIFY(f.TeThemeStringGridList->isEnabled());
    QVERIFY(f.ComboBox_ProgramTimeUnits->isEnabled());
    QVERIFY(f.iAnalogOutput_ScanVoltStep->isEnabled());
    if (scan) {
        QVERIFY(!f.TeThemeButton_RunPorgramRun->isEnabled());
        QVERIFY(!f.TeThemeButton_VoltScanRun->isEnabled());
        QVERIFY(f.TeThemeButton_VoltScanStop->isEnabled());
        QVERIFY(f.TeThemeRadioGroupRun->isEnabled());
        // Another page hides the scan's buttons; the scan goes on and Stop is there on return.
        f.TeThemePageControl1->setCurrentIndex(1);
        QVERIFY(f.Panel_ScanVoltageCommandPanel->isHidden());
        QVERIFY(f.state().SequenceActive);
        f.TeThemePageControl1->setCurrentIndex(0);
        QVERIFY(!f.Panel_ScanVoltageCommandPanel->isHidden());
        QVERIFY(f.TeThemeButton_VoltScanStop->isEnabled());
        f.TeThemeButton_VoltScanStop->click();
    } else {
        QVERIFY(!f.TeThemeButton_VoltScanRun->isEnabled());
        QVERIFY(!f.TeThemeButton_RunPorgramRun->isEnabled());
        QVERIFY(f.TeThemeButton_RunProgramStop->isEnabled());
        QVERIFY(!f.TeThemeRadioGroupRun->isEnabled());
        QVERIFY(f.TeThemeSpinEdit->isEnabled());
        f.TeThemeButton_RunProgramStop->click();
    }
    verifyIdle();
}

void TestSequencers::settingsRoundTrip_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::newRow("settings file") << "Config.dat";
    QTest::newRow("parameter file") << "steps.Par";
}

// The scan values and the step table come back from the file as they were.
void TestSequencers::settingsRoundTrip()
{
    QFETCH(QString, fileName);
    showWindow();
    TForm_Main& f = *m_form;
    f.TeThemePageControl1->setCurrentIndex(1);
    f.iAnalogOutput_ScanVoltStart->setValue(2.5);
    f.iAnalogOutput_ScanVoltStop->setValue(7.25);
    f.iAnalogOutput_ScanVoltStep->setValue(0.1);
    f.iAnalogOutput_ScanVoltDelay->setValue(0.3);
    const QList<QStringList> rows{{"12.5", "0.75", "0,5"}, {"3", "1", "2"}, {"123456789", "2.5", "1.25"}};
    for (int r = 1; r <= rows.size(); ++r) {
        if (r > 1)
            f.MenuListItemAppend->trigger();
        for (int c = 1; c <= 3; ++c)
            typeIntoCell(r, c, rows[r - 1][c - 1]);
    }
    const std::vector<ProgramStep> saved = f.state().ProgramSteps;
    QCOMPARE(stepFieldText(saved[2].VoltageText), QStringLiteral("20")); // above the knob's 20 V
    QCOMPARE(saved[0].Time, 0.5);

    const QString path = m_folder->file(fileName);
    if (fileName == QLatin1String("Config.dat")) {
        f.close(); // saves Config.dat
        m_form = std::make_unique<TForm_Main>(m_folder->path());
    } else {
        f.SaveSettingsFile(path);
        QCOMPARE(QFile(path).size(), 1040 + 32 * 3 + 40);
        m_form = std::make_unique<TForm_Main>(m_folder->path());
        QCOMPARE(m_form->iAnalogOutput_ScanVoltStart->value(), 1.0); // Config.dat still has the defaults
        m_form->LoadSettingsFile(path);
    }
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));
    TForm_Main& g = *m_form;
    QCOMPARE(g.iAnalogOutput_ScanVoltStart->value(), 2.5);
    QCOMPARE(g.iAnalogOutput_ScanVoltStop->value(), 7.25);
    QVERIFY(g.iAnalogOutput_ScanVoltStep->value() == 0.1);
    QVERIFY(g.iAnalogOutput_ScanVoltDelay->value() == 0.3);
    const auto& loaded = g.state().ProgramSteps;
    QCOMPARE(loaded.size(), saved.size());
    StepGrid* grid = g.TeThemeStringGridList;
    QCOMPARE(grid->gridRowCount(), 4);
    for (size_t i = 0; i < saved.size(); ++i) {
        const int r = int(i) + 1;
        QCOMPARE(std::memcmp(loaded[i].VoltageText, saved[i].VoltageText, sizeof saved[i].VoltageText), 0);
        QCOMPARE(std::memcmp(loaded[i].CurrentText, saved[i].CurrentText, sizeof saved[i].CurrentText), 0);
        QCOMPARE(loaded[i].Time, saved[i].Time);
        QCOMPARE(grid->cell(0, r), QString::number(r));
        QCOMPARE(grid->cell(1, r), stepFieldText(saved[i].VoltageText));
        QCOMPARE(grid->cell(2, r), stepFieldText(saved[i].CurrentText));
        QCOMPARE(ReadNumber(grid->cell(3, r)), saved[i].Time);
    }
    QCOMPARE(grid->cell(3, 1), QStringLiteral("0.5"));
}

// The real serial path: the scan's voltage lines reach the supply in order, between the
// polls, and the trend plot's voltage channel climbs the staircase.
void TestSequencers::scanAgainstSimulatedSupply()
{
    QTemporaryDir logDir;
    const QString logPath = logDir.filePath(QStringLiteral("sim.log"));
    QProcess sim;
    sim.start(QStringLiteral(KELVANE_PROGRAM_DIR "/kelvane-sim"), {QStringLiteral("--log"), logPath});
    QVERIFY(sim.waitForStarted(5000));
    auto endSim = qScopeGuard([&] {
        sim.terminate();
        if (!sim.waitForFinished(3000))
            sim.kill();
    });
    QElapsedTimer clock;
    clock.start();
    while (!sim.canReadLine() && clock.elapsed() < 5000)
        sim.waitForReadyRead(100);
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY2(device.startsWith(QLatin1Char('/')), qPrintable(device));
    if (device.size() > 11 && !device.startsWith(QLatin1String("/dev/")))
        QSKIP("the terminal's path is longer than a port name can be");

    m_form.reset();
    m_folder->writeConfig(device);
    m_form = std::make_unique<TForm_Main>(m_folder->path());
    TForm_Main& f = *m_form;
    QVERIFY(!f.state().portName().isEmpty());
    showWindow();
    // The link is up and the instrument identified: its reply enabled the control groups.
    QTRY_VERIFY_WITH_TIMEOUT(!f.state().LinkSuspended && f.iKnob_Voltage->isEnabled(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!f.state().CommandQueue.contains(QByteArrayLiteral("*IDN?\n")), 10000);

    f.link().append(VoltCommand(1));
    f.link().append(OutputCommand(true));
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(f.iSevenSegmentAnalog_PresentVoltage->value() - 1) < 0.01, 10000);

    f.iAnalogOutput_ScanVoltStart->setValue(1);
    f.iAnalogOutput_ScanVoltStop->setValue(3);
    f.iAnalogOutput_ScanVoltStep->setValue(1);
    f.iAnalogOutput_ScanVoltDelay->setValue(0.3);
    const int firstPoint = f.iPlotVoltage_Current->graph(0)->dataCount();
    f.TeThemeButton_VoltScanRun->click();
    QVERIFY(!f.iKnob_Voltage->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!f.state().SequenceActive, 10000);
    QTRY_VERIFY_WITH_TIMEOUT(qAbs(f.iSevenSegmentAnalog_PresentVoltage->value() - 3) < 0.01, 10000);
    QTest::qWait(200); // a few more readings at 3 V
    QVERIFY(f.iKnob_Voltage->isEnabled());
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));

    // On the wire: 1, 2, 3 V in that order, each after polls.
    QFile log(logPath);
    QVERIFY(log.open(QIODevice::ReadOnly));
    QList<QByteArray> volts;
    QList<int> pollsBefore;
    int polls = 0;
    for (const QByteArray& line : log.readAll().split('\n')) {
        if (line.startsWith("MEAS:"))
            ++polls;
        else if (line.startsWith("VOLT ")) {
            volts << line;
            pollsBefore << polls;
            polls = 0;
        }
    }
    const QList<QByteArray> wanted{"VOLT 1;:SYST:ERR?", "VOLT 2;:SYST:ERR?", "VOLT 3;:SYST:ERR?"};
    QVERIFY2(volts.size() >= 4, qPrintable(QString::fromLatin1(volts.join(" | "))));
    QCOMPARE(volts.mid(volts.size() - 3), wanted);
    for (qsizetype k = volts.size() - 3; k < volts.size(); ++k)
        QVERIFY2(pollsBefore[k] >= 1, "a voltage line went out without polls before it");
    QVERIFY(polls >= 1);

    // On the plot: the voltage channel rises step by step to 3 V and never falls.
    QList<double> ys;
    const auto data = f.iPlotVoltage_Current->graph(0)->data();
    for (int i = firstPoint; i < data->size(); ++i)
        ys << (data->constBegin() + i)->value;
    QVERIFY(ys.size() >= 6);
    int atOne = 0, atTwo = 0, atThree = 0;
    for (qsizetype i = 0; i < ys.size(); ++i) {
        if (i > 0)
            QVERIFY2(ys[i] >= ys[i - 1] - 1e-9, qPrintable(QStringLiteral("fell at point %1").arg(i)));
        atOne += qAbs(ys[i] - 1) < 0.01;
        atTwo += qAbs(ys[i] - 2) < 0.01;
        atThree += qAbs(ys[i] - 3) < 0.01;
    }
    QVERIFY(atOne >= 2);
    QVERIFY(atTwo >= 2);
    QVERIFY(atThree >= 2);
    QVERIFY(qAbs(ys.first() - 1) < 0.01);
}

QTEST_MAIN(TestSequencers)
#include "tst_sequencers.moc"
