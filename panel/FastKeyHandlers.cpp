// The ten fast keys: a left press applies the preset, right or middle edits it.
#include "app/TForm_Main.h"

#include "link/CommandText.h"
#include "link/ReadNumber.h"
#include "panel/FastKeyPreset.h"
#include "panel/Knob.h"
#include "panel/NumericEdit.h"
#include "panel/SevenSegmentReadout.h"
#include "panel/TForm_FastKey.h"

#include <QToolButton>

void TForm_Main::tbFastKey1MouseDown(QToolButton* sender, Qt::MouseButton button)
{
    const QString caption = sender->text();
    if (button == Qt::LeftButton) {
        const FastKeyPreset preset = splitFastKeyCaption(caption);
        // Both numbers first: a caption that cannot be read must not move one knob alone.
        const double voltage = ReadNumber(preset.voltageText);
        const double current = ReadNumber(preset.currentText);
        iKnob_Voltage->setPosition(voltage);
        iKnob_Current->setPosition(current);
        iSevenSegmentAnalog_SteupVoltage->setValue(iKnob_Voltage->position());
        iSevenSegmentAnalog_SteupCurrent->setValue(iKnob_Current->position());
        m_link->append(VoltCommand(iKnob_Voltage->position()));
        m_link->append(CurrCommand(iKnob_Current->position()));
        return;
    }
    if (!m_fastKeyDialog)
        return;
    if (caption.contains(QLatin1Char('/'))) {
        const FastKeyPreset preset = splitFastKeyCaption(caption);
        const double voltage = ReadNumber(preset.voltageText);
        const double current = ReadNumber(preset.currentText);
        m_fastKeyDialog->iAnalogOutput_Ch1FastKeyV->setValue(voltage);
        m_fastKeyDialog->iAnalogOutput_Ch1FastKeyA->setValue(current);
    }
    m_fastKeyDialog->applyTexts([this](int index, const QString& builtIn) { return text(index, builtIn); });
    if (m_fastKeyDialog->exec() == QDialog::Accepted) {
        const QString text = fastKeyCaption(m_fastKeyDialog->iAnalogOutput_Ch1FastKeyV->value(),
            m_fastKeyDialog->iAnalogOutput_Ch1FastKeyA->value());
        sender->setText(text);
        sender->setToolTip(text);
    }
}
