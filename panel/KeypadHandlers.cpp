// The on-screen keypad of the "SetValue" group.
#include "app/TForm_Main.h"

#include "link/CommandText.h"
#include "link/ReadNumber.h"
#include "panel/Knob.h"
#include "panel/SevenSegmentReadout.h"

#include <QRadioButton>

void TForm_Main::Button14Click(int digit)
{
    if (m_state.EntryDone) {
        m_state.EntryDone = false;
        iSevenSegmentAnalog_EnterValue->setValue(digit);
    }
    m_state.EntryText += QString::number(digit);
    // Too many digits for a number: the text keeps them, the readout its last value.
    if (const auto value = tryReadNumber(m_state.EntryText))
        iSevenSegmentAnalog_EnterValue->setValue(*value);
}

void TForm_Main::Button25Click()
{
    m_state.EntryText += QLatin1Char('.');
}

void TForm_Main::Button17Click()
{
    iSevenSegmentAnalog_EnterValue->setValue(0);
    m_state.EntryText = QStringLiteral("0");
}

void TForm_Main::Button26Click()
{
    m_state.EntryDone = true;
    m_state.EntryText.clear();
    SevenSegmentReadout* entry = iSevenSegmentAnalog_EnterValue;
    QByteArray line;
    if (TeThemeRadioButton3->isChecked()) {
        if (entry->value() > iKnob_Voltage->maximum())
            entry->setValue(iKnob_Voltage->maximum());
        iKnob_Voltage->setPosition(entry->value());
        iSevenSegmentAnalog_SteupVoltage->setValue(entry->value());
        line = VoltCommand(iKnob_Voltage->position());
    } else {
        if (entry->value() > iKnob_Current->maximum())
            entry->setValue(iKnob_Current->maximum());
        iKnob_Current->setPosition(entry->value());
        iSevenSegmentAnalog_SteupCurrent->setValue(entry->value());
        line = CurrCommand(iKnob_Current->position());
    }
    m_link->append(line);
}
