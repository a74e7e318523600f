#pragma once
#include <QString>

struct ModelLimits;

// What the instrument link needs of the front panel: a narrow view, so that the link,
// the reply handling and the polling can run without a window.
class LinkView {
public:
    virtual ~LinkView() = default;

    virtual void SetControlGroupsEnabled(bool enabled) = 0;
    // The voltage knob serves as the sign that the control groups are off.
    virtual bool voltageKnobEnabled() const = 0;
    virtual void flipTxLed() = 0;
    virtual void flipRxLed() = 0;

    virtual void showPresentVoltage(double value) = 0;
    virtual void showPresentCurrent(double value) = 0;
    virtual void showDvm(double value) = 0;
    virtual void PlotReadings() = 0;
    // Setpoints read back from the instrument: setup readout, knob and keypad mirror.
    virtual void readBackVoltage(double value) = 0;
    virtual void readBackCurrent(double value) = 0;
    // A setting line is being written: its setup readout shows the new setpoint.
    virtual void showSetupVoltage(double value) = 0;
    virtual void showSetupCurrent(double value) = 0;
    virtual void setOutputToggle(bool on) = 0;
    // GO/NG grading of a measured current while a GO/NG run is active.
    virtual void gradeCurrent(double current) = 0;

    virtual void showModel(const QString& modelName) = 0;
    virtual void applyModelLimits(const ModelLimits& limits) = 0;
    // A message for the user that must not stop the link (shown without blocking it).
    virtual void reportProblem(const QString& message) = 0;
};
