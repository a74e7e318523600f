#include "panel/Knob.h"
#include "panel/Led.h"
#include "panel/NumericEdit.h"
#include "panel/SevenSegmentReadout.h"
#include "panel/ToggleSwitch.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <QtMath>
#include <cmath>
#include <limits>

namespace {

// Records the knob's position at every finished change, as a handler queuing a command would.
struct FinishedLog {
    QList<double> positions;
    explicit FinishedLog(Knob& knob)
    {
        QObject::connect(&knob, &Knob::positionChangeFinished, &knob,
                         [this, &knob] { positions.append(knob.position()); });
    }
};

bool sameValues(const QList<double>& a, const QList<double>& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (std::abs(a[i] - b[i]) > 1e-9)
            return false;
    return true;
}

void sendWheel(QWidget& w, int delta)
{
    const QPointF at(w.width() / 2.0, w.height() / 2.0);
    QWheelEvent event(at, w.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&w, &event);
}

// A point on a circle around the knob's centre; degrees count counter-clockwise from 3 o'clock.
QPoint around(const Knob& knob, double degrees, double radius = 60)
{
    const QPointF c(knob.width() / 2.0, knob.height() / 2.0);
    const double a = qDegreesToRadians(degrees);
    return (c + QPointF(radius * std::cos(a), -radius * std::sin(a))).toPoint();
}

// Moves the held mouse around the centre in small steps, as a hand would.
void turn(Knob& knob, double fromDegrees, double toDegrees)
{
    const int steps = int(std::ceil(std::abs(toDegrees - fromDegrees) / 10.0));
    for (int i = 1; i <= steps; ++i)
        QTest::mouseMove(&knob, around(knob, fromDegrees + (toDegrees - fromDegrees) * i / steps));
}

} // namespace

class TestPanelWidgets : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void knobKeySteps_data();
    void knobKeySteps();
    void knobWheelNotches_data();
    void knobWheelNotches();
    void knobDragRaisesOneFinished();
    void knobDragStopsAtEndsWithoutWrapping();
    void knobClickWithoutMovementRaisesNothing();
    void knobCodeChangesRaiseNoFinished();
    void knobPaintsAtAnySizeAndRange_data();
    void knobPaintsAtAnySizeAndRange();

    void toggleChanged_data();
    void toggleChanged();

    void readoutKeepsExactValue_data();
    void readoutKeepsExactValue();
    void readoutRedrawsForNewWidth();

    void ledStates();

    void numericCommit_data();
    void numericCommit();
    void numericLimits();
    void numericDisplayInLocale_data();
    void numericDisplayInLocale();
    void numericPassingFocusKeepsExactValue();
    void numericCommitsOnFocusOut();
};

// ---- Knob ----

void TestPanelWidgets::knobKeySteps_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("expected");

    // Design steps until the window sets others: arrow 0.1, page 1.0; range 0..20.
    QTest::newRow("up") << int(Qt::Key_Up) << 5.0 << 5.1;
    QTest::newRow("right") << int(Qt::Key_Right) << 5.0 << 5.1;
    QTest::newRow("down") << int(Qt::Key_Down) << 5.0 << 4.9;
    QTest::newRow("left") << int(Qt::Key_Left) << 5.0 << 4.9;
    QTest::newRow("page up") << int(Qt::Key_PageUp) << 5.0 << 6.0;
    QTest::newRow("page down") << int(Qt::Key_PageDown) << 5.0 << 4.0;
    QTest::newRow("page up stops at maximum") << int(Qt::Key_PageUp) << 19.5 << 20.0;
    QTest::newRow("up at maximum") << int(Qt::Key_Up) << 20.0 << 20.0;
    QTest::newRow("down at zero") << int(Qt::Key_Down) << 0.0 << 0.0;
}

void TestPanelWidgets::knobKeySteps()
{
    QFETCH(int, key);
    QFETCH(double, start);
    QFETCH(double, expected);

    Knob knob;
    knob.setMaximum(20);
    knob.setPosition(start);
    QSignalSpy changed(&knob, &Knob::positionChanged);
    FinishedLog finished(knob);

    QTest::keyClick(&knob, Qt::Key(key));
    QVERIFY(sameValues(finished.positions, {expected}));
    QCOMPARE(changed.count(), start == expected ? 0 : 1);

    // Every further key step is its own finished change.
    QTest::keyClick(&knob, Qt::Key(key));
    QCOMPARE(finished.positions.size(), 2);
}

void TestPanelWidgets::knobWheelNotches_data()
{
    QTest::addColumn<QList<int>>("deltas");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("step");
    QTest::addColumn<QList<double>>("finishedAt");

    QTest::newRow("one notch up") << QList<int>{120} << 5.0 << 0.1 << QList<double>{5.1};
    QTest::newRow("one notch down") << QList<int>{-120} << 5.0 << 0.1 << QList<double>{4.9};
    QTest::newRow("three quick notches") << QList<int>{120, 120, 120} << 0.5 << 0.01
                                         << QList<double>{0.51, 0.52, 0.53};
    QTest::newRow("two notches in one event") << QList<int>{240} << 1.0 << 0.1 << QList<double>{1.1, 1.2};
    QTest::newRow("fine deltas add up") << QList<int>{30, 30, 30, 30, 30} << 1.0 << 0.1 << QList<double>{1.1};
    QTest::newRow("less than a notch") << QList<int>{60} << 1.0 << 0.1 << QList<double>{};
    QTest::newRow("reversing drops the part notch") << QList<int>{60, -120} << 1.0 << 0.1 << QList<double>{0.9};
    QTest::newRow("at maximum still finishes") << QList<int>{120} << 20.0 << 0.1 << QList<double>{20.0};
}

void TestPanelWidgets::knobWheelNotches()
{
    QFETCH(QList<int>, deltas);
    QFETCH(double, start);
    QFETCH(double, step);
    QFETCH(QList<double>, finishedAt);

    Knob knob;
    knob.setMaximum(20);
    knob.setWheelStep(step);
    knob.setPosition(start);
    knob.resize(138, 130);
    FinishedLog finished(knob);

    for (int delta : deltas)
        sendWheel(knob, delta);
    QVERIFY2(sameValues(finished.positions, finishedAt),
             qPrintable(QStringLiteral("finished %1 times, at %2").arg(finished.positions.size()).arg(knob.position())));
}

void TestPanelWidgets::knobDragRaisesOneFinished()
{
    Knob knob;
    knob.resize(200, 200);
    knob.setMaximum(20);
    knob.setPosition(10); // pointer straight up
    QSignalSpy changed(&knob, &Knob::positionChanged);
    FinishedLog finished(knob);

    // A quarter turn clockwise is a third of the sweep: 10 + 20 / 3, at the shown resolution.
    QTest::mousePress(&knob, Qt::LeftButton, {}, around(knob, 90));
    turn(knob, 90, 0);
    QVERIFY(changed.count() > 1);
    QVERIFY(finished.positions.isEmpty());
    QTest::mouseRelease(&knob, Qt::LeftButton, {}, around(knob, 0));

    QVERIFY(sameValues(finished.positions, {16.67}));
    QCOMPARE(knob.position(), 16.67);
    QCOMPARE(knob.positionText(), QStringLiteral("16.67"));
}

void TestPanelWidgets::knobDragStopsAtEndsWithoutWrapping()
{
    Knob knob;
    knob.resize(200, 200);
    knob.setMaximum(20);
    knob.setPosition(10);
    QList<double> seen;
    connect(&knob, &Knob::positionChanged, &knob, [&seen](double v) { seen.append(v); });
    FinishedLog finished(knob);

    // Turn clockwise past the maximum, through the dead zone and on up the far side.
    QTest::mousePress(&knob, Qt::LeftButton, {}, around(knob, 90));
    turn(knob, 90, -210);
    QCOMPARE(knob.position(), 20.0);
    for (qsizetype i = 1; i < seen.size(); ++i)
        QVERIFY2(seen[i] >= seen[i - 1], "the pointer jumped back over the dead zone");

    // Turning back picks the knob up again well before a full turn has been unwound.
    turn(knob, -210, -120);
    QVERIFY(knob.position() < 20.0);
    QVERIFY(knob.position() > 15.0);
    QTest::mouseRelease(&knob, Qt::LeftButton, {}, around(knob, -120));
    QCOMPARE(finished.positions.size(), 1);

    // The same at the bottom end.
    QTest::mousePress(&knob, Qt::LeftButton, {}, around(knob, 90));
    turn(knob, 90, 400);
    QCOMPARE(knob.position(), 0.0);
    QTest::mouseRelease(&knob, Qt::LeftButton, {}, around(knob, 400));
    QCOMPARE(finished.positions.size(), 2);
}

void TestPanelWidgets::knobClickWithoutMovementRaisesNothing()
{
    Knob knob;
    knob.resize(200, 200);
    knob.setPosition(3);
    QSignalSpy changed(&knob, &Knob::positionChanged);
    QSignalSpy finished(&knob, &Knob::positionChangeFinished);

    // Clicking anywhere on the dial must not make the setpoint jump there.
    QTest::mouseClick(&knob, Qt::LeftButton, {}, around(knob, -30));
    QTest::mousePress(&knob, Qt::LeftButton, {}, around(knob, 150));
    QTest::mouseMove(&knob, around(knob, 150));
    QTest::mouseRelease(&knob, Qt::LeftButton, {}, around(knob, 150));
    QCOMPARE(knob.position(), 3.0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(finished.count(), 0);
}

void TestPanelWidgets::knobCodeChangesRaiseNoFinished()
{
    Knob knob;
    knob.setMaximum(20);
    QSignalSpy changed(&knob, &Knob::positionChanged);
    QSignalSpy finished(&knob, &Knob::positionChangeFinished);

    knob.setPosition(15);
    QCOMPARE(changed.count(), 1);
    knob.setPosition(25);
    QCOMPARE(knob.position(), 20.0);
    knob.setPosition(-1);
    QCOMPARE(knob.position(), 0.0);
    knob.setPosition(std::numeric_limits<double>::quiet_NaN());
    QCOMPARE(knob.position(), 0.0);
    QCOMPARE(changed.count(), 3);

    // A smaller model maximum pulls the knob down silently.
    knob.setPosition(15);
    changed.clear();
    knob.setMaximum(10);
    QCOMPARE(knob.maximum(), 10.0);
    QCOMPARE(knob.position(), 10.0);
    knob.setMaximum(30);
    QCOMPARE(knob.position(), 10.0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(finished.count(), 0);

    knob.setMaximum(-5);
    QCOMPARE(knob.maximum(), 0.0);
    QCOMPARE(knob.position(), 0.0);
}

void TestPanelWidgets::knobPaintsAtAnySizeAndRange_data()
{
    QTest::addColumn<int>("side");
    QTest::addColumn<double>("maximum");
    QTest::addColumn<bool>("enabled");

    QTest::newRow("design size") << 130 << 20.0 << true;
    QTest::newRow("large, disabled") << 400 << 1.2 << false;
    QTest::newRow("empty range") << 130 << 0.0 << true;
    QTest::newRow("tiny range") << 200 << 1e-9 << true;
    QTest::newRow("huge range") << 200 << 1e15 << true;
    QTest::newRow("too small to draw well") << 12 << 20.0 << true;
}

void TestPanelWidgets::knobPaintsAtAnySizeAndRange()
{
    QFETCH(int, side);
    QFETCH(double, maximum);
    QFETCH(bool, enabled);

    Knob knob;
    knob.resize(side, side);
    knob.setMaximum(maximum);
    knob.setPosition(maximum / 2);
    knob.setUnit(QStringLiteral("V"));
    knob.setEnabled(enabled);
    const QImage image = knob.grab().toImage();
    QCOMPARE(image.size(), QSize(side, side));
}

// ---- Toggle switch ----

void TestPanelWidgets::toggleChanged_data()
{
    QTest::addColumn<bool>("initial");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("expected");
    QTest::addColumn<int>("emitted");

    QTest::newRow("click turns on") << false << true << "click" << true << 1;
    QTest::newRow("click turns off") << true << true << "click" << false << 1;
    QTest::newRow("space turns on") << false << true << "space" << true << 1;
    QTest::newRow("code turns on") << false << true << "on" << true << 1;
    QTest::newRow("code turns off") << true << true << "off" << false << 1;
    QTest::newRow("code, same state") << true << true << "on" << true << 0;
    QTest::newRow("code while disabled") << false << false << "on" << true << 1;
    QTest::newRow("click while disabled") << false << false << "click" << false << 0;
    QTest::newRow("space while disabled") << true << false << "space" << true << 0;
}

void TestPanelWidgets::toggleChanged()
{
    QFETCH(bool, initial);
    QFETCH(bool, enabled);
    QFETCH(QString, action);
    QFETCH(bool, expected);
    QFETCH(int, emitted);

    ToggleSwitch toggle;
    toggle.resize(40, 60);
    toggle.setActive(initial);
    toggle.setEnabled(enabled);
    QSignalSpy changed(&toggle, &ToggleSwitch::changed);

    if (action == QLatin1String("click"))
        QTest::mouseClick(&toggle, Qt::LeftButton);
    else if (action == QLatin1String("space"))
        QTest::keyClick(&toggle, Qt::Key_Space);
    else
        toggle.setActive(action == QLatin1String("on"));

    QCOMPARE(toggle.isActive(), expected);
    QCOMPARE(changed.count(), emitted);
    if (emitted)
        QCOMPARE(changed.first().first().toBool(), expected);
}

// ---- Seven-segment readout ----

void TestPanelWidgets::readoutKeepsExactValue_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");

    QTest::newRow("four decimals") << 12.5 << 4 << "12.5000";
    QTest::newRow("rounded text") << 12.345678 << 4 << "12.3457";
    QTest::newRow("five decimals") << 0.123456 << 5 << "0.12346";
    QTest::newRow("negative") << -1.5 << 4 << "-1.5000";
    QTest::newRow("no minus on a zero") << -0.00001 << 4 << "0.0000";
    QTest::newRow("just fits") << 999.9999 << 4 << "999.9999";
    QTest::newRow("too wide") << 1234.5678 << 4 << "OL";
    QTest::newRow("rounds up past the width") << 999.99996 << 4 << "OL";
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 4 << "OL";
}

void TestPanelWidgets::readoutKeepsExactValue()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);

    SevenSegmentReadout readout;
    readout.setDigitCount(7);
    readout.setDecimals(decimals);
    QSignalSpy overflow(&readout, &QLCDNumber::overflow);
    readout.setValue(value);

    QCOMPARE(readout.displayText(), text);
    QCOMPARE(readout.isOverflowing(), text == QLatin1String("OL"));
    QCOMPARE(overflow.isEmpty(), !readout.isOverflowing());
    if (std::isnan(value))
        QVERIFY(std::isnan(readout.value()));
    else
        QVERIFY(readout.value() == value); // bit for bit, not the rounded text
}

void TestPanelWidgets::readoutRedrawsForNewWidth()
{
    SevenSegmentReadout readout;
    readout.setDigitCount(7);
    readout.setDecimals(4);
    readout.setValue(1234.5678);
    QCOMPARE(readout.displayText(), QStringLiteral("OL"));
    readout.setDigitCount(8);
    QCOMPARE(readout.displayText(), QStringLiteral("1234.5678"));
    readout.setDecimals(2);
    QCOMPARE(readout.displayText(), QStringLiteral("1234.57"));
}

// ---- LED ----

void TestPanelWidgets::ledStates()
{
    Led led;
    led.resize(22, 12);
    QVERIFY(!led.isActive());
    const QImage dark = led.grab().toImage();
    led.toggle();
    QVERIFY(led.isActive());
    QVERIFY(led.grab().toImage() != dark);
    led.setActive(true);
    QVERIFY(led.isActive());
    led.toggle();
    QVERIFY(!led.isActive());
    QCOMPARE(led.grab().toImage(), dark);
}

// ---- Numeric entry box ----

void TestPanelWidgets::numericCommit_data()
{
    QTest::addColumn<double>("maximum"); // negative: no limits
    QTest::addColumn<double>("start");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("expected");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("changes");
    QTest::addColumn<bool>("invalid");

    QTest::newRow("plain") << -1.0 << 0.0 << "12.5" << 12.5 << "12.500" << 1 << false;
    QTest::newRow("comma") << 20.0 << 0.0 << "12,5" << 12.5 << "12.500" << 1 << false;
    QTest::newRow("above maximum") << 20.0 << 0.0 << "30" << 20.0 << "20.000" << 1 << false;
    QTest::newRow("no limits, no clamp") << -1.0 << 0.0 << "30" << 30.0 << "30.000" << 1 << false;
    QTest::newRow("more than six decimals") << -1.0 << 0.0 << "1.23456789" << 1.234567 << "1.235" << 1 << false;
    QTest::newRow("no digits") << 20.0 << 3.0 << "abc" << 0.0 << "0.000" << 1 << false;
    QTest::newRow("same value") << 20.0 << 12.5 << "12.5" << 12.5 << "12.500" << 0 << false;
    QTest::newRow("whole part too long") << 20.0 << 3.0 << "99999999999" << 3.0 << "3.000" << 0 << true;
    QTest::newRow("too long without limits") << -1.0 << 3.0 << "2147483648.5" << 3.0 << "3.000" << 0 << true;
}

void TestPanelWidgets::numericCommit()
{
    QFETCH(double, maximum);
    QFETCH(double, start);
    QFETCH(QString, typed);
    QFETCH(double, expected);
    QFETCH(QString, shown);
    QFETCH(int, changes);
    QFETCH(bool, invalid);

    NumericEdit edit;
    edit.setObjectName(QStringLiteral("iAnalogOutput_Ch1FastKeyV"));
    edit.setDecimals(3);
    edit.setUnitText(QStringLiteral("V"));
    if (maximum >= 0)
        edit.setMaximum(maximum);
    edit.setValue(start);
    QSignalSpy changed(&edit, &NumericEdit::valueChanged);
    QSignalSpy rejected(&edit, &NumericEdit::invalidEntry);

    auto* box = edit.findChild<QLineEdit*>(QStringLiteral("iAnalogOutput_Ch1FastKeyV_edit"));
    QVERIFY(box);
    box->selectAll();
    QTest::keyClicks(box, typed);
    QTest::keyClick(box, Qt::Key_Return);

    QCOMPARE(edit.value(), expected);
    QCOMPARE(edit.text(), shown);
    QCOMPARE(changed.count(), changes);
    QCOMPARE(rejected.count(), invalid ? 1 : 0);
    if (invalid)
        QCOMPARE(rejected.first().first().toString(), typed);
}

void TestPanelWidgets::numericLimits()
{
    NumericEdit edit;
    edit.setDecimals(3);
    QVERIFY(!edit.hasLimits());
    edit.setValue(-3);
    QCOMPARE(edit.value(), -3.0);
    edit.setValue(15);

    QSignalSpy changed(&edit, &NumericEdit::valueChanged);
    edit.setMaximum(10);
    QVERIFY(edit.hasLimits());
    QCOMPARE(edit.maximum(), 10.0);
    QCOMPARE(edit.value(), 10.0);
    QCOMPARE(edit.text(), QStringLiteral("10.000"));
    QCOMPARE(changed.count(), 1);

    edit.setValue(-3);
    QCOMPARE(edit.value(), 0.0);
    edit.setValue(25);
    QCOMPARE(edit.value(), 10.0);
    edit.setValue(std::numeric_limits<double>::infinity());
    QCOMPARE(edit.value(), 10.0);

    edit.clearLimits();
    QVERIFY(!edit.hasLimits());
    QVERIFY(std::isinf(edit.maximum()));
    edit.setValue(25);
    QCOMPARE(edit.value(), 25.0);
}

void TestPanelWidgets::numericDisplayInLocale_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("read");

    // Thousands are shown without separators, so the shown text reads back as the same number.
    QTest::newRow("en_US thousands") << QLocale(QLocale::English, QLocale::UnitedStates) << 1234.5 << "1234.500"
                                     << "1234.6" << 1234.6;
    QTest::newRow("de_DE comma") << QLocale(QLocale::German, QLocale::Germany) << 12.5 << "12,500" << "12,75" << 12.75;
    QTest::newRow("de_DE thousands") << QLocale(QLocale::German, QLocale::Germany) << 1234.5 << "1234,500"
                                     << "1234,600" << 1234.6;
}

void TestPanelWidgets::numericDisplayInLocale()
{
    QFETCH(QLocale, locale);
    QFETCH(double, value);
    QFETCH(QString, shown);
    QFETCH(QString, typed);
    QFETCH(double, read);

    QLocale::setDefault(locale);
    NumericEdit edit;
    edit.setDecimals(3);
    edit.setValue(value);
    QCOMPARE(edit.text(), shown);

    edit.lineEdit()->selectAll();
    QTest::keyClicks(edit.lineEdit(), typed);
    QTest::keyClick(edit.lineEdit(), Qt::Key_Return);
    QCOMPARE(edit.value(), read);
}

void TestPanelWidgets::numericPassingFocusKeepsExactValue()
{
    NumericEdit edit;
    edit.setDecimals(3);
    edit.setValue(12.34567);
    QSignalSpy changed(&edit, &NumericEdit::valueChanged);

    // Leaving the box without typing must not round the value to the shown decimals.
    emit edit.lineEdit()->editingFinished();
    QTest::keyClick(edit.lineEdit(), Qt::Key_Return);
    QCOMPARE(edit.value(), 12.34567);
    QCOMPARE(changed.count(), 0);
}

void TestPanelWidgets::numericCommitsOnFocusOut()
{
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    auto* edit = new NumericEdit;
    auto* other = new QLineEdit;
    layout->addWidget(edit);
    layout->addWidget(other);
    edit->setDecimals(3);
    edit->setMaximum(20);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        QSKIP("the platform does not activate windows, so focus cannot move");

    edit->setFocus();
    QTRY_VERIFY(edit->lineEdit()->hasFocus());
    edit->lineEdit()->selectAll();
    QTest::keyClicks(edit->lineEdit(), QStringLiteral("25"));
    other->setFocus();
    QTRY_COMPARE(edit->value(), 20.0);
    QCOMPARE(edit->text(), QStringLiteral("20.000"));
}

QTEST_MAIN(TestPanelWidgets)
#include "tst_panel_widgets.moc"
