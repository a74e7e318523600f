// The front panel of the main window, driven through its controls: knobs, readouts,
// switches, keypad and fast keys, with the link closed (every command stays in the
// queue), and once end to end against the simulated supply on a pseudo-terminal.
#include "app/ErrorDisplay.h"
#include "app/TForm_Main.h"
#include "link/CommandText.h"
#include "link/ModelTable.h"
#include "panel/Knob.h"
#include "panel/NumericEdit.h"
#include "panel/SevenSegmentReadout.h"
#include "panel/TForm_FastKey.h"
#include "panel/ToggleSwitch.h"
#include "settings/SettingsFile.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>
#include <QtMath>
#include <cmath>
#include <cstring>
#include <memory>
#include <unistd.h>

using Lines = QList<QByteArray>;
using Values = QList<double>;

namespace {

const Lines Polls{QByteArrayLiteral("Meas:Volt?\n"), QByteArrayLiteral("Meas:CURR?\n"), QByteArrayLiteral("Meas:DVM?\n")};

// Knob steps in the test's Config.dat, all different from the design steps, so a step
// shows which set the knob uses.
struct ConfigSteps {
    double voltArrow = 0.5, voltPage = 2, voltWheel = 0.2;
    double currArrow = 0.05, currPage = 0.5, currWheel = 0.01;
};

void writeConfig(const QString& path, const QString& port)
{
    SettingsImage image;
    const QByteArray name = port.toLocal8Bit();
    std::memset(image.PortName, 0, sizeof image.PortName);
    std::memcpy(image.PortName, name.constData(), std::min<size_t>(name.size(), sizeof image.PortName));
    const ConfigSteps steps;
    image.VoltArrowStep = steps.voltArrow;
    image.VoltPageStep = steps.voltPage;
    image.VoltWheelStep = steps.voltWheel;
    image.CurrArrowStep = steps.currArrow;
    image.CurrPageStep = steps.currPage;
    image.CurrWheelStep = steps.currWheel;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(writeSettings(image, false)) > 0);
}

bool near(double a, double b) { return std::abs(a - b) < 1e-9; }

QByteArray describe(const Lines& lines)
{
    QByteArray out;
    for (const QByteArray& l : lines)
        out += '[' + QByteArray(l).replace('\n', "\\n") + ']';
    return out;
}

void sendWheel(QWidget* w, int delta)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(w, &event);
}

// A point on a circle around the knob's centre; degrees count counter-clockwise from 3 o'clock.
QPoint around(const QWidget* knob, double degrees)
{
    const QPointF c(knob->width() / 2.0, knob->height() / 2.0);
    const double r = std::min(knob->width(), knob->height()) * 0.4;
    const double a = qDegreesToRadians(degrees);
    return (c + QPointF(r * std::cos(a), -r * std::sin(a))).toPoint();
}

// Presses at one angle, moves around the centre in small steps as a hand would, releases.
void drag(QWidget* knob, double fromDegrees, double toDegrees)
{
    QTest::mousePress(knob, Qt::LeftButton, Qt::NoModifier, around(knob, fromDegrees));
    const int steps = int(std::ceil(std::abs(toDegrees - fromDegrees) / 10.0));
    for (int i = 1; i <= steps; ++i)
        QTest::mouseMove(knob, around(knob, fromDegrees + (toDegrees - fromDegrees) * i / steps));
    QTest::mouseRelease(knob, Qt::LeftButton, Qt::NoModifier, around(knob, toDegrees));
}

// The keypad button for one character of a key sequence: digits, "." , X for ESC, E for Enter.
const char* keypadButton(QChar key)
{
    switch (key.toLatin1()) {
    case '1': return "Button14";
    case '2': return "Button15";
    case '3': return "Button16";
    case 'X': return "Button17";
    case '4': return "Button18";
    case '5': return "Button19";
    case '6': return "Button20";
    case '0': return "Button21";
    case '7': return "Button22";
    case '8': return "Button23";
    case '9': return "Button24";
    case '.': return "Button25";
    case 'E': return "Button26";
    }
    return "";
}

// Runs once the next modal dialog is up (from inside its exec()). The watch ends with
// its owner if no dialog comes.
void whenDialogShows(QObject* owner, std::function<void(TForm_FastKey*)> act)
{
    auto* poll = new QTimer(owner);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        if (auto* dialog = qobject_cast<TForm_FastKey*>(QApplication::activeModalWidget())) {
            poll->stop();
            poll->deleteLater();
            act(dialog);
        }
    });
    poll->start();
}

void typeInto(NumericEdit* box, const QString& text)
{
    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), text);
}

bool waitFor(const std::function<bool()>& condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

} // namespace

class TestFrontPanel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void knobUserSteps_data();
    void knobUserSteps();
    void knobDrag_data();
    void knobDrag();
    void programPositionsRaiseNoChange_data();
    void programPositionsRaiseNoChange();
    void keypadMirrorsChosenKnob_data();
    void keypadMirrorsChosenKnob();
    void readoutDecimals_data();
    void readoutDecimals();
    void toggles_data();
    void toggles();
    void keypadButtons_data();
    void keypadButtons();
    void keypadSequences_data();
    void keypadSequences();
    void fastKeysLatchInFiveRowsOfTwo();
    void fastKeyApply_data();
    void fastKeyApply();
    void fastKeyUnreadableCaption_data();
    void fastKeyUnreadableCaption();
    void fastKeyEdit_data();
    void fastKeyEdit();
    void fastKeyEditStartsFromCaption();
    void modelLimitsClampKnobs();
    void layoutFits_data();
    void layoutFits();
    void endToEndOnPseudoTerminal();

private:
    // A window whose Config.dat (when there is one) names the given port; shown, with
    // the control groups enabled as after the instrument's first reply.
    void makeForm(bool withConfig, const QString& port = {});
    Lines& queue() { return m_form->state().CommandQueue; }
    template <typename W>
    W* child(const char* name)
    {
        W* w = m_form->findChild<W*>(QString::fromLatin1(name));
        if (!w)
            qWarning("no control named %s", name);
        return w;
    }

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<TForm_Main> m_form;
    TForm_FastKey* m_dialog = nullptr;
    QStringList m_messages;
};

void TestFrontPanel::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    setMessageHook([this](const QString& text) { m_messages << text; });
}

void TestFrontPanel::init()
{
    m_messages.clear();
    makeForm(true);
}

void TestFrontPanel::cleanup()
{
    m_form.reset();
    m_folder.reset();
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestFrontPanel::makeForm(bool withConfig, const QString& port)
{
    m_form.reset();
    m_folder = std::make_unique<ProgramFolder>();
    QVERIFY(m_folder->isValid());
    if (withConfig)
        writeConfig(m_folder->file(QStringLiteral("Config.dat")), port);
    m_form = std::make_unique<TForm_Main>(m_folder->path());
    m_dialog = new TForm_FastKey(m_form.get());
    m_form->setFastKeyDialog(m_dialog);
    if (!withConfig) {
        // The design port (COM1) does not exist here; no window, so the link stays shut.
        return;
    }
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QCoreApplication::processEvents(); // the first show's queued start
    if (port.isEmpty()) {
        m_form->SetControlGroupsEnabled(true);
        queue().clear();
    }
}

// ---- Knobs ----

void TestFrontPanel::knobUserSteps_data()
{
    QTest::addColumn<bool>("withConfig");
    QTest::addColumn<QString>("knob");
    QTest::addColumn<double>("start");
    QTest::addColumn<QString>("action"); // a key name or "wheel"
    QTest::addColumn<int>("count");       // key presses, or notches (negative: down)
    QTest::addColumn<Values>("positions"); // at each finished change

    // Steps from Config.dat (ApplyKnobSteps after loading it).
    QTest::newRow("volt up") << true << "V" << 0.0 << "Up" << 1 << Values{0.5};
    QTest::newRow("volt right twice") << true << "V" << 1.0 << "Right" << 2 << Values{1.5, 2.0};
    QTest::newRow("volt down clamps at 0") << true << "V" << 0.3 << "Down" << 1 << Values{0.0};
    QTest::newRow("volt page up") << true << "V" << 1.0 << "PageUp" << 2 << Values{3.0, 5.0};
    QTest::newRow("volt page up stops at max") << true << "V" << 19.0 << "PageUp" << 1 << Values{20.0};
    QTest::newRow("volt wheel") << true << "V" << 1.0 << "wheel" << 2 << Values{1.2, 1.4};
    QTest::newRow("curr three quick notches") << true << "I" << 0.5 << "wheel" << 3 << Values{0.51, 0.52, 0.53};
    QTest::newRow("curr notches down") << true << "I" << 0.5 << "wheel" << -2 << Values{0.49, 0.48};
    QTest::newRow("curr left") << true << "I" << 0.5 << "Left" << 1 << Values{0.45};
    QTest::newRow("curr page down") << true << "I" << 1.0 << "PageDown" << 1 << Values{0.5};
    // Before any settings file the knobs keep their design steps.
    QTest::newRow("design volt arrow") << false << "V" << 0.0 << "Up" << 1 << Values{0.1};
    QTest::newRow("design volt page") << false << "V" << 0.0 << "PageUp" << 1 << Values{1.0};
    QTest::newRow("design volt wheel") << false << "V" << 0.0 << "wheel" << 1 << Values{0.1};
    QTest::newRow("design curr arrow") << false << "I" << 0.0 << "Up" << 1 << Values{0.1};
    QTest::newRow("design curr page") << false << "I" << 0.0 << "PageUp" << 1 << Values{1.0};
    QTest::newRow("design curr wheel") << false << "I" << 0.0 << "wheel" << 1 << Values{0.01};
}

void TestFrontPanel::knobUserSteps()
{
    QFETCH(bool, withConfig);
    QFETCH(QString, knob);
    QFETCH(double, start);
    QFETCH(QString, action);
    QFETCH(int, count);
    QFETCH(Values, positions);

    if (!withConfig) {
        makeForm(false);
        queue().clear();
    }
    const bool volt = knob == QLatin1String("V");
    auto* k = child<Knob>(volt ? "iKnob_Voltage" : "iKnob_Current");
    auto* setup = child<SevenSegmentReadout>(volt ? "iSevenSegmentAnalog_SteupVoltage" : "iSevenSegmentAnalog_SteupCurrent");
    QVERIFY(k && setup);
    k->setPosition(start);
    QCOMPARE(queue().size(), 0); // a position set by code sends nothing

    const QMap<QString, Qt::Key> keys{{"Up", Qt::Key_Up}, {"Down", Qt::Key_Down}, {"Left", Qt::Key_Left},
        {"Right", Qt::Key_Right}, {"PageUp", Qt::Key_PageUp}, {"PageDown", Qt::Key_PageDown}};
    for (int i = 0; i < std::abs(count); ++i) {
        if (action == QLatin1String("wheel"))
            sendWheel(k, count > 0 ? 120 : -120);
        else
            QTest::keyClick(k, keys.value(action));
    }

    Lines expected;
    for (double p : positions)
        expected << (volt ? VoltCommand(p) : CurrCommand(p));
    QVERIFY2(queue() == expected, describe(queue()).constData());
    QVERIFY(near(k->position(), positions.last()));
    QVERIFY(near(setup->value(), positions.last()));
}

void TestFrontPanel::knobDrag_data()
{
    QTest::addColumn<QString>("knob");
    QTest::addColumn<double>("maxVoltage"); // 0: the design range
    QTest::addColumn<double>("fromDegrees");
    QTest::addColumn<double>("toDegrees");
    QTest::addColumn<double>("minimum"); // the position must end at least here ...
    QTest::addColumn<double>("maximum"); // ... and at most here; no line when both are 0

    // Clockwise (falling angle) turns up; a quarter turn is a third of the 270 degree sweep.
    QTest::newRow("voltage quarter turn") << "V" << 0.0 << 90.0 << 0.0 << 6.0 << 7.5;
    QTest::newRow("current quarter turn") << "I" << 0.0 << 90.0 << 0.0 << 0.35 << 0.45;
    QTest::newRow("past the model maximum") << "V" << 10.0 << 90.0 << -250.0 << 10.0 << 10.0;
    QTest::newRow("back below zero") << "V" << 0.0 << 0.0 << 200.0 << 0.0 << 0.0;
    QTest::newRow("press and release in place") << "V" << 0.0 << 45.0 << 45.0 << 0.0 << 0.0;
}

void TestFrontPanel::knobDrag()
{
    QFETCH(QString, knob);
    QFETCH(double, maxVoltage);
    QFETCH(double, fromDegrees);
    QFETCH(double, toDegrees);
    QFETCH(double, minimum);
    QFETCH(double, maximum);

    if (maxVoltage > 0)
        m_form->applyModelLimits(ModelLimits{maxVoltage, 1.2});
    const bool volt = knob == QLatin1String("V");
    auto* k = child<Knob>(volt ? "iKnob_Voltage" : "iKnob_Current");
    QVERIFY(k);
    const bool moves = !(minimum == 0 && maximum == 0);
    QSignalSpy finished(k, &Knob::positionChangeFinished);

    drag(k, fromDegrees, toDegrees);

    if (!moves) {
        QCOMPARE(finished.count(), 0);
        QCOMPARE(queue(), Lines{});
        return;
    }
    QCOMPARE(finished.count(), 1);
    QVERIFY2(k->position() >= minimum - 1e-9 && k->position() <= maximum + 1e-9, qPrintable(QString::number(k->position())));
    const QByteArray line = volt ? VoltCommand(k->position()) : CurrCommand(k->position());
    QCOMPARE(queue(), Lines{line});
    if (maxVoltage > 0)
        QCOMPARE(line, QByteArrayLiteral("VOLT 10;:Syst:Err?\n"));
}

void TestFrontPanel::programPositionsRaiseNoChange_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<bool>("setCC");
    QTest::addColumn<double>("knobV");
    QTest::addColumn<double>("knobI");
    QTest::addColumn<double>("setupV");
    QTest::addColumn<double>("setupI");
    QTest::addColumn<double>("keypad");
    QTest::addColumn<Lines>("lines");

    // The keypad readout starts at 7 in every row.
    QTest::newRow("VOLT? reply, SET CV") << "VOLT? 12.5" << false << 12.5 << 0.0 << 12.5 << 0.0 << 12.5 << Polls;
    QTest::newRow("VOLT? reply, SET CC") << "VOLT? 12.5" << true << 12.5 << 0.0 << 12.5 << 0.0 << 7.0 << Polls;
    // The readout shows the reply; the knob, and so the keypad mirror, stop at the maximum.
    QTest::newRow("VOLT? reply above range") << "VOLT? 25" << false << 20.0 << 0.0 << 25.0 << 0.0 << 20.0 << Polls;
    QTest::newRow("CURR? reply, SET CC") << "CURR? 0.75" << true << 0.0 << 0.75 << 0.0 << 0.75 << 0.75 << Polls;
    QTest::newRow("CURR? reply, SET CV") << "CURR? 0.75" << false << 0.0 << 0.75 << 0.0 << 0.75 << 7.0 << Polls;
    QTest::newRow("garbled VOLT? reply") << "VOLT? ###" << false << 0.0 << 0.0 << 0.0 << 0.0 << 0.0 << Polls;
    QTest::newRow("keypad Enter") << "keypad" << false << 7.0 << 0.0 << 7.0 << 0.0 << 7.0 << Lines{VoltCommand(7)};
    QTest::newRow("fast key") << "fastkey" << false << 3.0 << 0.5 << 3.0 << 0.5 << 7.0
                              << Lines{VoltCommand(3), CurrCommand(0.5)};
    QTest::newRow("model limits") << "limits" << false << 5.0 << 0.25 << 0.0 << 0.0 << 7.0 << Lines{};
}

void TestFrontPanel::programPositionsRaiseNoChange()
{
    QFETCH(QString, source);
    QFETCH(bool, setCC);
    QFETCH(double, knobV);
    QFETCH(double, knobI);
    QFETCH(double, setupV);
    QFETCH(double, setupI);
    QFETCH(double, keypad);
    QFETCH(Lines, lines);

    QSignalSpy finishedV(m_form->iKnob_Voltage, &Knob::positionChangeFinished);
    QSignalSpy finishedI(m_form->iKnob_Current, &Knob::positionChangeFinished);
    child<QRadioButton>(setCC ? "TeThemeRadioButton4" : "TeThemeRadioButton3")->setChecked(true);
    m_form->iSevenSegmentAnalog_EnterValue->setValue(7);

    if (source.startsWith(QLatin1String("VOLT?")) || source.startsWith(QLatin1String("CURR?"))) {
        queue() << source.left(5).toLatin1() + '\n';
        m_form->link().HandleResponse(source.mid(6).toLatin1());
        m_form->link().Timer_OverTime().stop();
    } else if (source == QLatin1String("keypad")) {
        QTest::mouseClick(child<QPushButton>("Button26"), Qt::LeftButton);
    } else if (source == QLatin1String("fastkey")) {
        m_form->tbFastKey[4]->setText(QStringLiteral("3V/0.5A"));
        QTest::mouseClick(m_form->tbFastKey[4], Qt::LeftButton);
    } else {
        m_form->iKnob_Voltage->setPosition(9);
        m_form->iKnob_Current->setPosition(1.0);
        m_form->applyModelLimits(ModelLimits{5, 0.25});
    }

    QCOMPARE(finishedV.count(), 0);
    QCOMPARE(finishedI.count(), 0);
    QVERIFY2(queue() == lines, describe(queue()).constData());
    QVERIFY(near(m_form->iKnob_Voltage->position(), knobV));
    QVERIFY(near(m_form->iKnob_Current->position(), knobI));
    QVERIFY(near(m_form->iSevenSegmentAnalog_SteupVoltage->value(), setupV));
    QVERIFY(near(m_form->iSevenSegmentAnalog_SteupCurrent->value(), setupI));
    QVERIFY(near(m_form->iSevenSegmentAnalog_EnterValue->value(), keypad));
    QVERIFY(m_messages.isEmpty());
}

void TestFrontPanel::keypadMirrorsChosenKnob_data()
{
    QTest::addColumn<bool>("setCC");
    QTest::addColumn<bool>("turnCurrent");
    QTest::addColumn<double>("keypad");

    // The keypad readout starts at 7; the voltage knob goes to 0.5, the current knob to 0.05.
    QTest::newRow("SET CV, voltage knob") << false << false << 0.5;
    QTest::newRow("SET CV, current knob") << false << true << 7.0;
    QTest::newRow("SET CC, current knob") << true << true << 0.05;
    QTest::newRow("SET CC, voltage knob") << true << false << 7.0;
}

void TestFrontPanel::keypadMirrorsChosenKnob()
{
    QFETCH(bool, setCC);
    QFETCH(bool, turnCurrent);
    QFETCH(double, keypad);

    child<QRadioButton>(setCC ? "TeThemeRadioButton4" : "TeThemeRadioButton3")->setChecked(true);
    m_form->Button14Click(3); // a digit typed before the turn ...
    m_form->iSevenSegmentAnalog_EnterValue->setValue(7);
    QTest::keyClick(turnCurrent ? m_form->iKnob_Current : m_form->iKnob_Voltage, Qt::Key_Up);
    QVERIFY(near(m_form->iSevenSegmentAnalog_EnterValue->value(), keypad));
    // ... and the text it started goes on after it.
    QCOMPARE(m_form->state().EntryText, QStringLiteral("03"));
    QCOMPARE(queue().size(), 1);
}

// ---- Readouts and switches ----

void TestFrontPanel::readoutDecimals_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");

    QTest::newRow("present voltage") << "iSevenSegmentAnalog_PresentVoltage" << 12.5 << "12.5000";
    QTest::newRow("setup voltage") << "iSevenSegmentAnalog_SteupVoltage" << 12.5 << "12.5000";
    QTest::newRow("present current") << "iSevenSegmentAnalog_PresentCurrent" << 0.8 << "0.80000";
    QTest::newRow("setup current") << "iSevenSegmentAnalog_SteupCurrent" << 0.8 << "0.8000";
    QTest::newRow("keypad") << "iSevenSegmentAnalog_EnterValue" << 1.25 << "1.2500";
    QTest::newRow("voltmeter") << "iSevenSegmentAnalog_DVM" << 3.7 << "3.7000";
}

void TestFrontPanel::readoutDecimals()
{
    QFETCH(QString, name);
    QFETCH(double, value);
    QFETCH(QString, shown);

    auto* r = m_form->findChild<SevenSegmentReadout*>(name);
    QVERIFY(r);
    QCOMPARE(r->digitCount(), 7);
    QCOMPARE(r->value(), 0.0);
    r->setValue(value);
    QCOMPARE(r->displayText(), shown);
}

void TestFrontPanel::toggles_data()
{
    QTest::addColumn<QString>("toggle");
    QTest::addColumn<bool>("startOn");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("action"); // "click", or a reply to OUTP?
    QTest::addColumn<bool>("endOn");
    QTest::addColumn<Lines>("lines");

    const QByteArray on = OutputCommand(true), off = OutputCommand(false);
    QTest::newRow("output clicked on") << "Output" << false << true << "click" << true << Lines{on};
    QTest::newRow("output clicked off") << "Output" << true << true << "click" << false << Lines{off};
    QTest::newRow("sense clicked on") << "Sense" << false << true << "click" << true << Lines{SenseCommand(true)};
    QTest::newRow("sense clicked off") << "Sense" << true << true << "click" << false << Lines{SenseCommand(false)};
    QTest::newRow("output click while disabled") << "Output" << false << false << "click" << false << Lines{};
    // The reply's change runs the handler; the queued command is the next line written.
    QTest::newRow("reply 1 while off") << "Output" << false << true << "1" << true << Lines{on};
    QTest::newRow("reply 1 while on") << "Output" << true << true << "1" << true << Polls;
    QTest::newRow("reply 0 while on") << "Output" << true << true << "0" << false << Lines{off};
    QTest::newRow("reply 1 with CR reads off") << "Output" << true << true << "1\r" << false << Lines{off};
    QTest::newRow("reply 1 while disabled") << "Output" << false << false << "1" << true << Lines{on};
    QTest::newRow("reply 0 while disabled") << "Output" << true << false << "0" << false << Lines{off};
}

void TestFrontPanel::toggles()
{
    QFETCH(QString, toggle);
    QFETCH(bool, startOn);
    QFETCH(bool, enabled);
    QFETCH(QString, action);
    QFETCH(bool, endOn);
    QFETCH(Lines, lines);

    auto* t = m_form->findChild<ToggleSwitch*>(QStringLiteral("iSwitchToggle_%1OnOff").arg(toggle == QLatin1String("Sense") ? QStringLiteral("Sens") : toggle));
    QVERIFY(t);
    QVERIFY(!t->isActive()); // off at start
    t->setActive(startOn);
    queue().clear();
    m_form->SetControlGroupsEnabled(enabled);

    if (action == QLatin1String("click")) {
        QTest::mouseClick(t, Qt::LeftButton);
    } else {
        queue() << QByteArrayLiteral("OUTP?\n");
        m_form->link().HandleResponse(action.toLatin1());
        m_form->link().Timer_OverTime().stop();
    }
    QCOMPARE(t->isActive(), endOn);
    QVERIFY2(queue() == lines, describe(queue()).constData());
}

// ---- Keypad ----

void TestFrontPanel::keypadButtons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("digit"); // -1: not a digit

    QTest::newRow("1") << "Button14" << "1" << 0 << 0 << 1;
    QTest::newRow("2") << "Button15" << "2" << 0 << 1 << 2;
    QTest::newRow("3") << "Button16" << "3" << 0 << 2 << 3;
    QTest::newRow("ESC") << "Button17" << "ESC" << 0 << 3 << -1;
    QTest::newRow("4") << "Button18" << "4" << 1 << 0 << 4;
    QTest::newRow("5") << "Button19" << "5" << 1 << 1 << 5;
    QTest::newRow("6") << "Button20" << "6" << 1 << 2 << 6;
    QTest::newRow("0") << "Button21" << "0" << 1 << 3 << 0;
    QTest::newRow("7") << "Button22" << "7" << 2 << 0 << 7;
    QTest::newRow("8") << "Button23" << "8" << 2 << 1 << 8;
    QTest::newRow("9") << "Button24" << "9" << 2 << 2 << 9;
    QTest::newRow(".") << "Button25" << "." << 2 << 3 << -1;
}

void TestFrontPanel::keypadButtons()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, digit);

    auto* b = m_form->TeThemeGroupBox_SetValue->findChild<QPushButton*>(name);
    QVERIFY(b);
    QCOMPARE(b->text(), caption);
    // Three rows of four: the "1" key is the grid's origin.
    auto* origin = child<QPushButton>("Button14");
    const QPoint step(child<QPushButton>("Button15")->x() - origin->x(), child<QPushButton>("Button18")->y() - origin->y());
    QVERIFY(step.x() > 0 && step.y() > 0);
    QCOMPARE(b->x() - origin->x(), column * step.x());
    QCOMPARE(b->y() - origin->y(), row * step.y());
    // Enter stands to the right of the digits, as tall as the three rows.
    auto* enter = child<QPushButton>("Button26");
    QVERIFY(enter->geometry().left() > b->geometry().right());
    QVERIFY(enter->geometry().top() <= b->geometry().top() && enter->geometry().bottom() >= b->geometry().bottom());

    if (digit >= 0) {
        QTest::mouseClick(b, Qt::LeftButton);
        QCOMPARE(m_form->state().EntryText, QStringLiteral("0") + QString::number(digit));
        QCOMPARE(m_form->iSevenSegmentAnalog_EnterValue->value(), double(digit));
    }
}

void TestFrontPanel::keypadSequences_data()
{
    QTest::addColumn<bool>("setCC");
    QTest::addColumn<QString>("keys");      // digits, ".", X = ESC, E = Enter
    QTest::addColumn<Values>("readouts");    // the keypad readout after each key
    QTest::addColumn<QString>("entryText");
    QTest::addColumn<bool>("entryDone");
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<double>("knob");        // the chosen knob at the end

    QTest::newRow("1.25 Enter, SET CV") << false << "1.25E" << Values{1, 1, 1.2, 1.25, 1.25} << "" << true
                                        << Lines{VoltCommand(1.25)} << 1.25;
    QTest::newRow("30 Enter clamps to the voltage maximum") << false << "30E" << Values{3, 30, 20} << "" << true
                                                            << Lines{VoltCommand(20)} << 20.0;
    QTest::newRow("1.5 Enter clamps to the current maximum") << true << "1.5E" << Values{1, 1, 1.5, 1.2} << ""
                                                             << true << Lines{CurrCommand(1.2)} << 1.2;
    QTest::newRow("two points read as one") << false << "..5" << Values{0, 0, 0.5} << "0..5" << false << Lines{} << 0.0;
    QTest::newRow("seventh decimal ignored") << false << ".1234567"
                                             << Values{0, 0.1, 0.12, 0.123, 0.1234, 0.12345, 0.123456, 0.123456}
                                             << "0.1234567" << false << Lines{} << 0.0;
    QTest::newRow("Enter ESC 7") << false << "EX7" << Values{0, 0, 7} << "07" << false << Lines{VoltCommand(0)} << 0.0;
    QTest::newRow("first digits append to 0") << false << "52" << Values{5, 52} << "052" << false << Lines{} << 0.0;
    QTest::newRow("after Enter a digit starts anew") << false << "12E34" << Values{1, 12, 12, 3, 34} << "34" << false
                                                     << Lines{VoltCommand(12)} << 12.0;
    QTest::newRow("ESC keeps typing from 0") << false << "12X3" << Values{1, 12, 0, 3} << "03" << false << Lines{}
                                             << 0.0;
    QTest::newRow("Enter twice sends twice") << true << "1E" "E" << Values{1, 1, 1} << "" << true
                                             << Lines{CurrCommand(1), CurrCommand(1)} << 1.0;
    QTest::newRow("Enter with nothing typed") << true << "E" << Values{0} << "" << true << Lines{CurrCommand(0)} << 0.0;
    // A whole part too long for a number leaves the readout at the last number.
    QTest::newRow("whole part too long") << false << "12345678901E"
                                         << Values{1, 12, 123, 1234, 12345, 123456, 1234567, 12345678, 123456789,
                                                   1234567890, 1234567890, 20}
                                         << "" << true << Lines{VoltCommand(20)} << 20.0;
}

void TestFrontPanel::keypadSequences()
{
    QFETCH(bool, setCC);
    QFETCH(QString, keys);
    QFETCH(Values, readouts);
    QFETCH(QString, entryText);
    QFETCH(bool, entryDone);
    QFETCH(Lines, lines);
    QFETCH(double, knob);

    QCOMPARE(m_form->state().EntryText, QStringLiteral("0"));
    QCOMPARE(m_form->state().EntryDone, false);
    QVERIFY(child<QRadioButton>("TeThemeRadioButton3")->isChecked()); // SET CV at start
    if (setCC)
        QTest::mouseClick(child<QRadioButton>("TeThemeRadioButton4"), Qt::LeftButton);
    QCOMPARE(child<QRadioButton>("TeThemeRadioButton3")->isChecked(), !setCC);
    QSignalSpy finishedV(m_form->iKnob_Voltage, &Knob::positionChangeFinished);
    QSignalSpy finishedI(m_form->iKnob_Current, &Knob::positionChangeFinished);

    QCOMPARE(keys.size(), readouts.size());
    for (qsizetype i = 0; i < keys.size(); ++i) {
        QTest::mouseClick(child<QPushButton>(keypadButton(keys[i])), Qt::LeftButton);
        const double shown = m_form->iSevenSegmentAnalog_EnterValue->value();
        QVERIFY2(near(shown, readouts[i]), qPrintable(QStringLiteral("after key %1: %2").arg(i).arg(shown, 0, 'g', 12)));
    }
    QCOMPARE(m_form->state().EntryText, entryText);
    QCOMPARE(m_form->state().EntryDone, entryDone);
    QVERIFY2(queue() == lines, describe(queue()).constData());
    Knob* chosen = setCC ? m_form->iKnob_Current : m_form->iKnob_Voltage;
    QVERIFY(near(chosen->position(), knob));
    if (!lines.isEmpty()) {
        auto* setup = setCC ? m_form->iSevenSegmentAnalog_SteupCurrent : m_form->iSevenSegmentAnalog_SteupVoltage;
        QVERIFY(near(setup->value(), knob));
    }
    QCOMPARE(finishedV.count() + finishedI.count(), 0);
    QVERIFY(m_messages.isEmpty());
}

// ---- Fast keys ----

void TestFrontPanel::fastKeysLatchInFiveRowsOfTwo()
{
    QToolButton* keys[10];
    for (int k = 0; k < 10; ++k) {
        keys[k] = m_form->TeThemeGroupBoxFastKey->findChild<QToolButton*>(QStringLiteral("tbFastKey%1").arg(k + 1));
        QVERIFY(keys[k]);
        QCOMPARE(keys[k]->text(), QStringLiteral("0V/0A"));
    }
    for (int row = 0; row < 5; ++row) {
        QToolButton* left = keys[2 * row];
        QToolButton* right = keys[2 * row + 1];
        QCOMPARE(left->y(), right->y());
        QVERIFY(left->geometry().right() < right->geometry().left());
        if (row > 0) {
            QCOMPARE(left->x(), keys[2 * row - 2]->x());
            QVERIFY(left->geometry().top() > keys[2 * row - 2]->geometry().bottom());
        }
    }

    auto down = [&] {
        QList<int> d;
        for (int k = 0; k < 10; ++k)
            if (keys[k]->isChecked())
                d << k + 1;
        return d;
    };
    QTest::mouseClick(keys[0], Qt::LeftButton);
    QCOMPARE(down(), QList<int>{1});
    QTest::mouseClick(keys[7], Qt::LeftButton);
    QCOMPARE(down(), QList<int>{8});
    QTest::mouseClick(keys[7], Qt::LeftButton);
    QCOMPARE(down(), QList<int>{});
    // Each left press applied its preset, voltage line first.
    const Lines zero{VoltCommand(0), CurrCommand(0)};
    QCOMPARE(queue(), zero + zero + zero);
    // A right press edits, it does not latch.
    whenDialogShows(m_form.get(), [](TForm_FastKey* d) { QTest::mouseClick(d->TeThemeButton2, Qt::LeftButton); });
    QTest::mouseClick(keys[2], Qt::RightButton);
    QCOMPARE(down(), QList<int>{});
    QCOMPARE(queue().size(), 6);
}

void TestFrontPanel::fastKeyApply_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<double>("maxVoltage"); // 0: the design range
    QTest::addColumn<double>("maxCurrent");
    QTest::addColumn<double>("voltage");
    QTest::addColumn<double>("current");
    QTest::addColumn<QByteArray>("voltLine");
    QTest::addColumn<QByteArray>("currLine");

    QTest::newRow("start caption") << "en" << "0V/0A" << 0.0 << 0.0 << 0.0 << 0.0 << QByteArray("VOLT 0;:Syst:Err?\n")
                                   << QByteArray("Curr 0;:Syst:Err?\n");
    QTest::newRow("point") << "en" << "12.5V/0.8A" << 0.0 << 0.0 << 12.5 << 0.8 << QByteArray("VOLT 12.5;:Syst:Err?\n")
                           << QByteArray("Curr 0.8;:Syst:Err?\n");
    QTest::newRow("comma caption, comma locale") << "de" << "12,5V/0,8A" << 0.0 << 0.0 << 12.5 << 0.8
                                                 << QByteArray("VOLT 12.5;:Syst:Err?\n")
                                                 << QByteArray("Curr 0.8;:Syst:Err?\n");
    QTest::newRow("point caption, comma locale") << "de" << "1.25V/0.5A" << 0.0 << 0.0 << 1.25 << 0.5
                                                 << QByteArray("VOLT 1.25;:Syst:Err?\n")
                                                 << QByteArray("Curr 0.5;:Syst:Err?\n");
    QTest::newRow("comma caption, point locale") << "en" << "1,25V/0,5A" << 0.0 << 0.0 << 1.25 << 0.5
                                                 << QByteArray("VOLT 1.25;:Syst:Err?\n")
                                                 << QByteArray("Curr 0.5;:Syst:Err?\n");
    QTest::newRow("above the model maxima") << "en" << "12.5V/3A" << 10.0 << 1.0 << 10.0 << 1.0
                                            << QByteArray("VOLT 10;:Syst:Err?\n") << QByteArray("Curr 1;:Syst:Err?\n");
    QTest::newRow("above the design maxima") << "en" << "25V/2A" << 0.0 << 0.0 << 20.0 << 1.2
                                             << QByteArray("VOLT 20;:Syst:Err?\n")
                                             << QByteArray("Curr 1.2;:Syst:Err?\n");
}

void TestFrontPanel::fastKeyApply()
{
    QFETCH(QString, locale);
    QFETCH(QString, caption);
    QFETCH(double, maxVoltage);
    QFETCH(double, maxCurrent);
    QFETCH(double, voltage);
    QFETCH(double, current);
    QFETCH(QByteArray, voltLine);
    QFETCH(QByteArray, currLine);

    if (locale == QLatin1String("de"))
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (maxVoltage > 0)
        m_form->applyModelLimits(ModelLimits{maxVoltage, maxCurrent});
    m_form->iKnob_Voltage->setPosition(5);
    m_form->iKnob_Current->setPosition(0.3);
    m_form->iSevenSegmentAnalog_EnterValue->setValue(7);
    QSignalSpy finishedV(m_form->iKnob_Voltage, &Knob::positionChangeFinished);
    QSignalSpy finishedI(m_form->iKnob_Current, &Knob::positionChangeFinished);
    queue() = Polls; // the setting goes behind the polls already queued

    QToolButton* key = m_form->tbFastKey[9];
    key->setText(caption);
    QTest::mouseClick(key, Qt::LeftButton);

    QVERIFY2(queue() == (Polls + Lines{voltLine, currLine}), describe(queue()).constData());
    QVERIFY(near(m_form->iKnob_Voltage->position(), voltage));
    QVERIFY(near(m_form->iKnob_Current->position(), current));
    QVERIFY(near(m_form->iSevenSegmentAnalog_SteupVoltage->value(), voltage));
    QVERIFY(near(m_form->iSevenSegmentAnalog_SteupCurrent->value(), current));
    QCOMPARE(m_form->iSevenSegmentAnalog_EnterValue->value(), 7.0);
    QCOMPARE(finishedV.count() + finishedI.count(), 0);
    QCOMPARE(key->text(), caption);
    QVERIFY(m_messages.isEmpty());
}

void TestFrontPanel::fastKeyUnreadableCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("button");

    // A settings file may carry any caption; a number too large to read is reported.
    QTest::newRow("voltage, apply") << "99999999999V/1A" << int(Qt::LeftButton);
    QTest::newRow("current, apply") << "5V/99999999999A" << int(Qt::LeftButton);
    QTest::newRow("current, edit") << "5V/99999999999A" << int(Qt::RightButton);
}

void TestFrontPanel::fastKeyUnreadableCaption()
{
    QFETCH(QString, caption);
    QFETCH(int, button);

    m_form->iKnob_Voltage->setPosition(1);
    m_form->iKnob_Current->setPosition(0.2);
    m_dialog->iAnalogOutput_Ch1FastKeyV->setValue(2);
    QToolButton* key = m_form->tbFastKey[6];
    key->setText(caption);
    auto dialogShown = std::make_shared<bool>(false);
    whenDialogShows(m_form.get(), [dialogShown](TForm_FastKey* d) {
        *dialogShown = true;
        d->reject();
    });
    QTest::mouseClick(key, Qt::MouseButton(button));

    QCOMPARE(m_messages.size(), 1);
    QVERIFY(!*dialogShown);
    // Nothing moved and nothing was sent: the knobs still match the instrument.
    QCOMPARE(queue(), Lines{});
    QCOMPARE(m_form->iKnob_Voltage->position(), 1.0);
    QCOMPARE(m_form->iKnob_Current->position(), 0.2);
    QCOMPARE(m_dialog->iAnalogOutput_Ch1FastKeyV->value(), 2.0);
    QCOMPARE(key->text(), caption);
}

void TestFrontPanel::fastKeyEdit_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("button"); // Qt::MouseButton
    QTest::addColumn<double>("maxVoltage"); // 0: no model identified
    QTest::addColumn<QString>("typedV");
    QTest::addColumn<QString>("typedA");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<Lines>("applied"); // a left press afterwards

    const int right = Qt::RightButton, middle = Qt::MiddleButton;
    QTest::newRow("right, OK") << "en" << right << 0.0 << "12.5" << "0.8" << true << "12.5V/0.8A"
                               << Lines{VoltCommand(12.5), CurrCommand(0.8)};
    QTest::newRow("middle, OK") << "en" << middle << 0.0 << "3" << "0.125" << true << "3V/0.125A"
                                << Lines{VoltCommand(3), CurrCommand(0.125)};
    QTest::newRow("comma locale") << "de" << right << 0.0 << "12,5" << "0,8" << true << "12,5V/0,8A"
                                  << Lines{"VOLT 12.5;:Syst:Err?\n", "Curr 0.8;:Syst:Err?\n"};
    QTest::newRow("Cancel") << "en" << right << 0.0 << "12.5" << "0.8" << false << "0V/0A"
                            << Lines{VoltCommand(0), CurrCommand(0)};
    QTest::newRow("fields stop at the model maxima") << "en" << right << 10.0 << "12.5" << "3" << true << "10V/1A"
                                                     << Lines{VoltCommand(10), CurrCommand(1)};
    // Unlimited before a model is known (the caption then applies within the knobs' range).
    QTest::newRow("no limit before a model") << "en" << right << 0.0 << "150" << "2" << true << "150V/2A"
                                             << Lines{VoltCommand(20), CurrCommand(1.2)};
    QTest::newRow("tiny value keeps fixed notation") << "en" << right << 0.0 << "0.00001" << "0.5" << true
                                                     << "0.00001V/0.5A" << Lines{VoltCommand(0.00001), CurrCommand(0.5)};
}

void TestFrontPanel::fastKeyEdit()
{
    QFETCH(QString, locale);
    QFETCH(int, button);
    QFETCH(double, maxVoltage);
    QFETCH(QString, typedV);
    QFETCH(QString, typedA);
    QFETCH(bool, ok);
    QFETCH(QString, caption);
    QFETCH(Lines, applied);

    if (locale == QLatin1String("de"))
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    if (maxVoltage > 0)
        m_form->applyModelLimits(ModelLimits{maxVoltage, 1.0});
    QToolButton* key = m_form->tbFastKey[3];
    const QString hintBefore = key->toolTip();
    // Only look inside the dialog here: a failed check there would leave it open.
    struct Seen {
        bool shown = false;
        QString name, unitV, unitA;
        int decimalsV = 0, decimalsA = 0;
        bool limited = false;
        QSize minimum, maximum;
    } seen;
    whenDialogShows(m_form.get(), [&](TForm_FastKey* d) {
        seen = {true, d->objectName(), d->iAnalogOutput_Ch1FastKeyV->unitText(), d->iAnalogOutput_Ch1FastKeyA->unitText(),
                d->iAnalogOutput_Ch1FastKeyV->decimals(), d->iAnalogOutput_Ch1FastKeyA->decimals(),
                d->iAnalogOutput_Ch1FastKeyV->hasLimits(), d->minimumSize(), d->maximumSize()};
        typeInto(d->iAnalogOutput_Ch1FastKeyV, typedV);
        typeInto(d->iAnalogOutput_Ch1FastKeyA, typedA);
        QTest::mouseClick(ok ? d->TeThemeButton1 : d->TeThemeButton2, Qt::LeftButton);
    });
    QTest::mouseClick(key, Qt::MouseButton(button));
    QVERIFY(seen.shown);
    QCOMPARE(seen.name, QStringLiteral("Form_FastKey"));
    QCOMPARE(seen.unitV, QStringLiteral("V"));
    QCOMPARE(seen.unitA, QStringLiteral("A"));
    QCOMPARE(seen.decimalsV, 3);
    QCOMPARE(seen.decimalsA, 3);
    QCOMPARE(seen.limited, maxVoltage > 0);
    QCOMPARE(seen.minimum, seen.maximum); // fixed size
    QVERIFY(seen.minimum.width() >= 290 && seen.minimum.height() >= 81);
    QVERIFY(!m_dialog->isVisible());
    QCOMPARE(key->text(), caption);
    QCOMPARE(key->toolTip(), ok ? caption : hintBefore);
    QCOMPARE(queue(), Lines{}); // editing sends nothing

    QTest::mouseClick(key, Qt::LeftButton);
    QVERIFY2(queue() == applied, describe(queue()).constData());
    QVERIFY(m_messages.isEmpty());
}

void TestFrontPanel::fastKeyEditStartsFromCaption()
{
    QList<double> seen;
    const auto openAndCancel = [&](QToolButton* key) {
        whenDialogShows(m_form.get(), [&](TForm_FastKey* d) {
            seen << d->iAnalogOutput_Ch1FastKeyV->value() << d->iAnalogOutput_Ch1FastKeyA->value();
            QTest::mouseClick(d->TeThemeButton2, Qt::LeftButton);
        });
        QTest::mouseClick(key, Qt::RightButton);
    };
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    m_form->tbFastKey[0]->setText(QStringLiteral("3,5V/0,25A"));
    m_form->tbFastKey[1]->setText(QStringLiteral("no preset"));
    m_form->tbFastKey[2]->setText(QStringLiteral("1.5V/2A"));
    openAndCancel(m_form->tbFastKey[0]);
    openAndCancel(m_form->tbFastKey[1]); // no "/": the fields keep the last values
    m_form->applyModelLimits(ModelLimits{10, 1});
    openAndCancel(m_form->tbFastKey[2]); // within the model's maxima
    QCOMPARE(seen, (QList<double>{3.5, 0.25, 3.5, 0.25, 1.5, 1.0}));
    QCOMPARE(m_form->tbFastKey[1]->text(), QStringLiteral("no preset"));
    QCOMPARE(queue(), Lines{});
}

// ---- Model limits ----

void TestFrontPanel::modelLimitsClampKnobs()
{
    m_form->iKnob_Voltage->setPosition(18);
    m_form->iKnob_Current->setPosition(1.1);
    m_form->applyModelLimits(ModelLimits{10, 0.5});
    QCOMPARE(m_form->iKnob_Voltage->maximum(), 10.0);
    QCOMPARE(m_form->iKnob_Voltage->position(), 10.0);
    QCOMPARE(m_form->iKnob_Current->position(), 0.5);
    QCOMPARE(queue(), Lines{}); // no command for a limit
    QCOMPARE(m_dialog->iAnalogOutput_Ch1FastKeyV->maximum(), 10.0);
    QCOMPARE(m_dialog->iAnalogOutput_Ch1FastKeyA->maximum(), 0.5);

    // The user then turns the knob against the new top.
    QTest::keyClick(m_form->iKnob_Voltage, Qt::Key_PageUp);
    QCOMPARE(queue(), Lines{VoltCommand(10)});
    // Keypad Enter clamps to the same maximum.
    for (const char* key : {"Button14", "Button19", "Button26"})
        QTest::mouseClick(child<QPushButton>(key), Qt::LeftButton);
    QCOMPARE(m_form->iSevenSegmentAnalog_EnterValue->value(), 10.0);
    QCOMPARE(queue(), (Lines{VoltCommand(10), VoltCommand(10)}));
}

// ---- Layout ----

void TestFrontPanel::layoutFits_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("1024 x 600") << QSize(1024, 600);
    QTest::newRow("full HD") << QSize(1920, 1080);
}

void TestFrontPanel::layoutFits()
{
    QFETCH(QSize, size);
    m_form->resize(size);
    QCoreApplication::processEvents();
    QCOMPARE(m_form->size(), size);
    if (!qEnvironmentVariableIsEmpty("KELVANE_SCREENSHOTS"))
        m_form->grab().save(QDir(qEnvironmentVariable("KELVANE_SCREENSHOTS"))
                                .filePath(QStringLiteral("frontpanel-%1x%2.png").arg(size.width()).arg(size.height())));

    QStringList problems;
    const QRect window = m_form->rect();
    auto inWindow = [&](const QWidget* w) { return QRect(w->mapTo(m_form.get(), QPoint(0, 0)), w->size()); };
    for (QGroupBox* group : {m_form->TeThemeGroupBox6, m_form->TeThemeGroupBox9, m_form->TeThemeGroupBoxCtrl,
                             m_form->TeThemeGroupBoxFastKey, m_form->TeThemeGroupBox_SetValue}) {
        if (!window.contains(inWindow(group)))
            problems << group->objectName() + QStringLiteral(" leaves the window");
        QList<QWidget*> controls;
        for (QWidget* w : group->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->isVisible())
                controls << w;
        for (qsizetype i = 0; i < controls.size(); ++i) {
            QWidget* w = controls[i];
            const QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
            if (!group->rect().contains(w->geometry()))
                problems << name + QStringLiteral(" leaves ") + group->objectName();
            for (qsizetype j = i + 1; j < controls.size(); ++j)
                if (w->geometry().intersects(controls[j]->geometry()))
                    problems << name + QStringLiteral(" overlaps ") + controls[j]->objectName();
            // Texts are shown whole: one line within the width, wrapped text within the height.
            const QFontMetrics fm(w->font());
            QString text;
            int room = w->width();
            if (auto* l = qobject_cast<QLabel*>(w)) {
                if (l->wordWrap()) {
                    if (l->heightForWidth(l->width()) > l->height())
                        problems << name + QStringLiteral(" wraps below its height");
                    continue;
                }
                text = l->text();
            } else if (auto* b = qobject_cast<QAbstractButton*>(w)) {
                text = b->text();
                room -= qobject_cast<QRadioButton*>(w) ? 20 : 6; // indicator, frame
            }
            if (!text.isEmpty() && fm.horizontalAdvance(text) > room)
                problems << name + QStringLiteral(" cuts \"%1\"").arg(text);
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));

    // The scan's Run/Stop panel lies on the window above the QuickSet page, inside the scan
    // group, although the tab bar does not grow in proportion.
    QVERIFY(inWindow(m_form->TeThemeGroupBox11).contains(inWindow(m_form->Panel_ScanVoltageCommandPanel)));
}

// ---- End to end ----

void TestFrontPanel::endToEndOnPseudoTerminal()
{
    QTemporaryDir scratch;
    const QString logPath = scratch.filePath(QStringLiteral("sim.log"));
    QProcess sim;
    sim.start(QStringLiteral(KELVANE_PROGRAM_DIR "/kelvane-sim"), {QStringLiteral("--log"), logPath});
    QVERIFY2(sim.waitForStarted(5000), qPrintable(sim.errorString()));
    const auto stopSim = qScopeGuard([&] {
        sim.terminate();
        if (!sim.waitForFinished(3000))
            sim.kill();
    });
    QVERIFY(waitFor([&] { return sim.canReadLine(); }, 5000));
    QString port = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY(port.startsWith(QLatin1Char('/')));
    // The settings file holds at most 11 bytes of port name.
    QString link;
    if (port.size() > 11) {
        link = QStringLiteral("/tmp/kv%1").arg(::getpid() % 10000);
        QFile::remove(link);
        QVERIFY(QFile::link(port, link));
        port = link;
    }
    const auto removeLink = qScopeGuard([&] {
        if (!link.isEmpty())
            QFile::remove(link);
    });

    makeForm(true, port);
    TForm_Main& form = *m_form;
    // The link is up when the start-up queries are answered and the polling runs.
    QVERIFY2(waitFor([&] { return form.iKnob_Voltage->isEnabled() && queue().size() == 3 && queue().first() == Polls[0]
                                  && form.iKnob_Voltage->maximum() == 32; },
                     15000),
        describe(queue()).constData());

    QFile log(logPath);
    auto logLines = [&]() -> QList<QByteArray> {
        if (!log.open(QIODevice::ReadOnly))
            return {};
        const QByteArray all = log.readAll();
        log.close();
        QList<QByteArray> lines = all.split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    };
    auto isPoll = [](const QByteArray& line) {
        const QByteArray u = line.toUpper();
        return u == "MEAS:VOLT?" || u == "MEAS:CURR?" || u == "MEAS:DVM?";
    };
    QByteArrayList written;
    connect(&form.link(), &PowerLink::lineWritten, this, [&](const QByteArray& line) {
        written << line;
        if (line.startsWith("VOLT "))
            written << "setup " + QByteArray::number(form.iSevenSegmentAnalog_SteupVoltage->value());
        if (line.startsWith("CURR "))
            written << "setup " + QByteArray::number(form.iSevenSegmentAnalog_SteupCurrent->value());
    });

    // A key step on the voltage knob: the line goes behind the polls already queued.
    // The knob stands where the supply's answer to VOLT? put it.
    const double before = form.iKnob_Voltage->position();
    QCOMPARE(form.iSevenSegmentAnalog_SteupVoltage->value(), before);
    form.iKnob_Voltage->setFocus();
    QTest::keyClick(form.iKnob_Voltage, Qt::Key_Up);
    const double target = before + ConfigSteps().voltArrow;
    QVERIFY(near(form.iKnob_Voltage->position(), target));
    const QByteArray voltLine = VoltCommand(target);
    const qsizetype ahead = queue().indexOf(voltLine);
    QVERIFY2(ahead >= 1 && ahead <= 3, describe(queue()).constData());
    QCOMPARE(form.iSevenSegmentAnalog_SteupVoltage->value(), target);
    form.iSevenSegmentAnalog_SteupVoltage->setValue(99); // shows whether writing the line sets it again
    QVERIFY(waitFor([&] { return written.contains(voltLine.toUpper()); }, 5000));
    const qsizetype at = written.indexOf(voltLine.toUpper());
    QCOMPARE(written.value(at + 1), "setup " + QByteArray::number(target));
    QCOMPARE(at, ahead - 1); // every line ahead of it was written first, the one in flight before we looked
    for (qsizetype i = 0; i < at; ++i)
        QVERIFY2(isPoll(written[i].trimmed()), written[i].constData());

    // A fast key: its voltage line, then its current line, again behind the polls.
    QVERIFY(waitFor([&] { return queue().size() == 3 && queue().first() == Polls[0]; }, 5000));
    written.clear();
    form.tbFastKey[2]->setText(QStringLiteral("2.5V/0.3A"));
    QTest::mouseClick(form.tbFastKey[2], Qt::LeftButton);
    QCOMPARE(queue().mid(queue().size() - 2), (Lines{VoltCommand(2.5), CurrCommand(0.3)}));
    QVERIFY(waitFor([&] { return written.contains(CurrCommand(0.3).toUpper()); }, 5000));
    const qsizetype v = written.indexOf(VoltCommand(2.5).toUpper());
    QVERIFY(v >= 0);
    QCOMPARE(written.value(v + 1), QByteArray("setup 2.5"));
    QCOMPARE(written.value(v + 2), CurrCommand(0.3).toUpper());
    QCOMPARE(written.value(v + 3), QByteArray("setup 0.3"));

    // The instrument took both: its log holds the lines as written, in that order.
    QVERIFY(waitFor([&] {
        const auto lines = logLines();
        return lines.contains("CURR 0.3;:SYST:ERR?");
    }, 5000));
    const QList<QByteArray> lines = logLines();
    const qsizetype knobAt = lines.indexOf(voltLine.toUpper().trimmed());
    const qsizetype keyV = lines.indexOf("VOLT 2.5;:SYST:ERR?");
    const qsizetype keyI = lines.indexOf("CURR 0.3;:SYST:ERR?");
    QVERIFY(knobAt >= 0);
    QCOMPARE(lines.mid(0, 5), (QList<QByteArray>{"*IDN?", "OUTP?", "VOLT?", "CURR?", "MEAS:DVM?"}));
    QVERIFY(knobAt < keyV);
    QCOMPARE(keyI, keyV + 1);
    for (qsizetype i = 5; i < lines.size(); ++i)
        if (i != knobAt && i != keyV && i != keyI)
            QVERIFY2(isPoll(lines[i]), lines[i].constData());
    // The setup readouts show the preset, as written.
    QVERIFY(near(form.iSevenSegmentAnalog_SteupVoltage->value(), 2.5));
    QVERIFY(near(form.iSevenSegmentAnalog_SteupCurrent->value(), 0.3));
    QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));

    form.close();
    QVERIFY(!form.link().isPortOpen());
}

QTEST_MAIN(TestFrontPanel)
#include "tst_frontpanel.moc"
