// Setpoint knobs and the output and sense switches of the main window.
#include "app/TForm_Main.h"

#include "link/CommandText.h"
#include "panel/Knob.h"
#include "panel/SevenSegmentReadout.h"
#include "panel/ToggleSwitch.h"

#include <QRadioButton>

void TForm_Main::iKnob_VoltagePositionChangeFinished()
{
    const QByteArray line = VoltCommand(iKnob_Voltage->position());
    iSevenSegmentAnalog_SteupVoltage->setValue(iKnob_Voltage->position());
    if (TeThemeRadioButton3->isChecked())
        iSevenSegmentAnalog_EnterValue->setValue(iSevenSegmentAnalog_SteupVoltage->value());
    m_link->append(line);
}

void TForm_Main::iKnob_CurrentPositionChangeFinished()
{
    const QByteArray line = CurrCommand(iKnob_Current->position());
    iSevenSegmentAnalog_SteupCurrent->setValue(iKnob_Current->position());
    if (TeThemeRadioButton4->isChecked())
        iSevenSegmentAnalog_EnterValue->setValue(iSevenSegmentAnalog_SteupCurrent->value());
    m_link->append(line);
}

void TForm_Main::iSwitchToggle_OutputOnOffChange()
{
    m_link->append(OutputCommand(iSwitchToggle_OutputOnOff->isActive()));
}

void TForm_Main::iSwitchToggle_SensOnOffChange()
{
    m_link->append(SenseCommand(iSwitchToggle_SensOnOff->isActive()));
}

void TForm_Main::ApplyKnobSteps()
{
    iKnob_Voltage->setArrowStep(m_state.VoltArrowStep);
    iKnob_Voltage->setPageStep(m_state.VoltPageStep);
    iKnob_Voltage->setWheelStep(m_state.VoltWheelStep);
    iKnob_Current->setArrowStep(m_state.CurrArrowStep);
    iKnob_Current->setPageStep(m_state.CurrPageStep);
    iKnob_Current->setWheelStep(m_state.CurrWheelStep);
}
