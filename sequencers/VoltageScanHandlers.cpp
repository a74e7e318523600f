// The voltage scan: Start to Stop in equal steps, one step per Delay.
#include "app/TForm_Main.h"

#include "app/ErrorDisplay.h"
#include "link/CommandText.h"
#include "panel/NumericEdit.h"
#include "panel/SevenSegmentReadout.h"
#include "sequencers/ScanStep.h"
#include "sequencers/StepInterval.h"
#include "sequencers/StepTimer.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>

void TForm_Main::TeThemeButton_VoltScanRunClick()
{
    // The Delay is checked before anything is queued, so a bad one leaves the scan idle.
    const StepTime delay = timeTextToMilliseconds(iAnalogOutput_ScanVoltDelay->text(), 1000.0);
    if (!delay.milliseconds) {
        reportProblem(tr("The scan cannot start. %1").arg(delay.problem));
        return;
    }
    // Before the model is known the boxes take any value (a settings file may hold one below
    // 0); the instrument refuses a negative voltage and the link would resend it without end.
    const QList<QPair<const QLabel*, const NumericEdit*>> values{{StaticText22, iAnalogOutput_ScanVoltStart},
        {StaticText23, iAnalogOutput_ScanVoltStop}, {StaticText24, iAnalogOutput_ScanVoltStep}};
    for (const auto& [label, box] : values) {
        if (box->value() < 0) {
            reportProblem(tr("The scan cannot start: %1 '%2' is negative.").arg(label->text(), box->text()));
            return;
        }
    }
    m_state.ScanVoltage = iAnalogOutput_ScanVoltStart->value();
    m_link->append(VoltCommand(m_state.ScanVoltage));
    m_state.SequenceActive = true;
    Timer_VoltScan->start(*delay.milliseconds);
    SetControlGroupsEnabled(false);
    TeThemeButton_VoltScanRun->setEnabled(false);
    TeThemeButton_VoltScanStop->setEnabled(true);
    Panel_GoNGRun->setEnabled(false);
    Panel_RunProgramPanel->setEnabled(false);
    TeThemeGroupBox_ToolBar->setEnabled(false);
}

void TForm_Main::Timer_VoltScanTimer()
{
    // Step and Stop may be changed during the scan; it never runs downwards nor below 0.
    const bool reachedStop = advanceScan(m_state.ScanVoltage, std::max(0.0, iAnalogOutput_ScanVoltStep->value()),
        std::max(0.0, iAnalogOutput_ScanVoltStop->value()));
    if (reachedStop)
        TeThemeButton_VoltScanStopClick();
    iSevenSegmentAnalog_SteupVoltage->setValue(m_state.ScanVoltage);
    if (TeThemeRadioButton3->isChecked())
        iSevenSegmentAnalog_EnterValue->setValue(m_state.ScanVoltage);
    m_link->append(VoltCommand(m_state.ScanVoltage));
}

void TForm_Main::TeThemeButton_VoltScanStopClick()
{
    m_state.SequenceActive = false;
    Timer_VoltScan->stop();
    SetControlGroupsEnabled(true);
    TeThemeButton_VoltScanRun->setEnabled(true);
    TeThemeButton_VoltScanStop->setEnabled(false);
    Panel_GoNGRun->setEnabled(true);
    Panel_RunProgramPanel->setEnabled(true);
    TeThemeGroupBox_ToolBar->setEnabled(true);
}
