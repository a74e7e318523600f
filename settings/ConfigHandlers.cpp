// The configuration exchange: the link is down while the user picks port, rate and steps.
#include "app/TForm_Main.h"

#include "panel/NumericEdit.h"
#include "settings/TForm_Config.h"

#include <QComboBox>

void TForm_Main::tbConfigClick()
{
    if (!m_configDialog)
        return;
    TForm_Config* dialog = m_configDialog;
    m_link->SuspendLink();
    m_link->closePort();
    dialog->ScanSerialPorts(m_state.portName());
    dialog->TeThemeComboBoxRaudRate->setCurrentIndex(m_state.BaudIndex >= 0 && m_state.BaudIndex < 4 ? m_state.BaudIndex : -1);
    const QString portName = m_state.portName();
    int selected = -1;
    for (int i = 0; i < dialog->TeThemeComboBoxComm->count(); ++i)
        if (!portName.isEmpty() && dialog->TeThemeComboBoxComm->itemText(i).compare(portName, Qt::CaseInsensitive) == 0) {
            selected = i;
            break;
        }
    dialog->TeThemeComboBoxComm->setCurrentIndex(selected);
    dialog->iAnalogOutputKA1->setValue(m_state.VoltArrowStep);
    dialog->iAnalogOutputKP1->setValue(m_state.VoltPageStep);
    dialog->iAnalogOutputMW1->setValue(m_state.VoltWheelStep);
    dialog->iAnalogOutputKA2->setValue(m_state.CurrArrowStep);
    dialog->iAnalogOutputKP2->setValue(m_state.CurrPageStep);
    dialog->iAnalogOutputMW2->setValue(m_state.CurrWheelStep);
    dialog->applyTexts([this](int index, const QString& builtIn) { return text(index, builtIn); });

    if (dialog->exec() == QDialog::Accepted) {
        if (dialog->TeThemeComboBoxComm->currentIndex() < 0)
            return; // nothing selected: nothing stored, the port stays closed
        m_state.BaudIndex = dialog->TeThemeComboBoxRaudRate->currentIndex();
        m_state.setPortName(dialog->TeThemeComboBoxComm->currentText());
        m_state.VoltArrowStep = dialog->iAnalogOutputKA1->value();
        m_state.VoltPageStep = dialog->iAnalogOutputKP1->value();
        m_state.VoltWheelStep = dialog->iAnalogOutputMW1->value();
        m_state.CurrArrowStep = dialog->iAnalogOutputKA2->value();
        m_state.CurrPageStep = dialog->iAnalogOutputKP2->value();
        m_state.CurrWheelStep = dialog->iAnalogOutputMW2->value();
        ApplyKnobSteps();
    }
    if (!m_state.portName().isEmpty())
        m_link->OpenLink();
}
