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
#include <QPushButton>
#include <QRadioButton>

void TForm_Main::TeThemeButton_VoltScanRunClick()
{
    // The Delay is checked before anything is queued, so a bad one leaves the scan idle.
    const StepTime delay = timeTextToMilliseconds(iAnalogOutput_ScanVoltDelay->text(), 1000.0);
    if (!delay.milliseconds) {
        reportProblem(tr("The scan cannot start. %1").arg(delay.problem));
        return;
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
    const bool reachedStop = advanceScan(m_state.ScanVoltage, iAnalogOutput_ScanVoltStep->value(),
        iAnalogOutput_ScanVoltStop->value());
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
