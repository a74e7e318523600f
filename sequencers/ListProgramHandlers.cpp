// The list program: a table of voltage, current and time steps run once, N times or endlessly.
#include "app/TForm_Main.h"

#include "link/CommandText.h"
#include "link/ReadNumber.h"
#include "panel/Knob.h"
#include "sequencers/StepGrid.h"
#include "sequencers/StepInterval.h"
#include "sequencers/StepText.h"
#include "sequencers/StepTimer.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

namespace {
enum RunTimes { Once = 0, Repeat = 1, Custom = 2 };

void queueProgramStep(PowerLink& link, const StepGrid* grid, int row)
{
    link.append(VoltCommand(ReadNumber(grid->cell(1, row))));
    link.append(CurrCommand(ReadNumber(grid->cell(2, row))));
}
} // namespace

void TForm_Main::TeThemeButton_RunPorgramRunClick()
{
    StepGrid* grid = TeThemeStringGridList;
    if (grid->gridRowCount() < 2)
        return;
    // Every step time is checked first: a table that cannot run leaves everything as it was.
    for (int r = 1; r < grid->gridRowCount(); ++r) {
        const StepTime t = StepInterval(grid->cell(3, r), ComboBox_ProgramTimeUnits);
        if (!t.milliseconds) {
            reportProblem(tr("The program cannot start: step %1. %2").arg(r).arg(t.problem));
            return;
        }
        ReadNumber(grid->cell(1, r)); // a number too long for a cell fails here, before anything is queued
        ReadNumber(grid->cell(2, r));
    }
    queueProgramStep(*m_link, grid, 1);
    m_state.StepIndex = 0;
    m_state.StepCount = grid->gridRowCount() - 1;
    m_state.RunNumber = 1;
    m_state.SequenceActive = true;
    Timer_RunProgram->start(*StepInterval(grid->cell(3, 1), ComboBox_ProgramTimeUnits).milliseconds);
    SetControlGroupsEnabled(false);
    TeThemeButton_RunPorgramRun->setEnabled(false);
    TeThemeButton_RunProgramStop->setEnabled(true);
    grid->setCurrentGridRow(1);
    if (runTimesGroup->checkedId() == Once || runTimesGroup->checkedId() < 0) {
        Label_RunTimes->hide();
    } else {
        Label_RunTimes->setText(m_state.RunTimesText + QStringLiteral(":1"));
        Label_RunTimes->show();
    }
    Panel_ScanVoltageCommandPanel->setEnabled(false);
    Panel_GoNGRun->setEnabled(false);
    TeThemeGroupBox_ToolBar->setEnabled(false);
    TeThemeRadioGroupRun->setEnabled(false);
}

void TForm_Main::Timer_RunProgramTimer()
{
    StepGrid* grid = TeThemeStringGridList;
    m_state.StepIndex += 1;
    m_state.StepCount = qMin(m_state.StepCount, grid->gridRowCount() - 1); // rows deleted during the run
    if (m_state.StepIndex >= m_state.StepCount) {
        const int mode = runTimesGroup->checkedId();
        if (mode == Once || mode < 0 || (mode == Custom && m_state.RunNumber >= TeThemeSpinEdit->value())) {
            TeThemeButton_RunProgramStopClick();
            return;
        }
        m_state.StepIndex = 0;
        m_state.RunNumber += 1;
        Label_RunTimes->setText(m_state.RunTimesText + QLatin1Char(':') + QString::number(m_state.RunNumber));
    }
    const int row = m_state.StepIndex + 1;
    grid->setCurrentGridRow(row);
    // A time edited into something unusable during the run ends it with a word, not a hang.
    const StepTime t = StepInterval(grid->cell(3, row), ComboBox_ProgramTimeUnits);
    if (!t.milliseconds) {
        TeThemeButton_RunProgramStopClick();
        reportProblem(tr("The program stopped at step %1. %2").arg(row).arg(t.problem));
        return;
    }
    Timer_RunProgram->start(*t.milliseconds);
    queueProgramStep(*m_link, grid, row);
}

void TForm_Main::TeThemeButton_RunProgramStopClick()
{
    m_state.SequenceActive = false;
    Timer_RunProgram->stop();
    SetControlGroupsEnabled(true);
    TeThemeButton_RunPorgramRun->setEnabled(true);
    TeThemeButton_RunProgramStop->setEnabled(false);
    Panel_ScanVoltageCommandPanel->setEnabled(true);
    Panel_GoNGRun->setEnabled(true);
    TeThemeGroupBox_ToolBar->setEnabled(true);
    TeThemeRadioGroupRun->setEnabled(true);
}

void TForm_Main::TeThemeRadioGroupRunClick()
{
    TeThemeSpinEdit->hide();
    Label_RunTimes->show();
    if (runTimesGroup->checkedId() == Custom)
        TeThemeSpinEdit->show();
    else if (runTimesGroup->checkedId() == Once)
        Label_RunTimes->hide();
}

void TForm_Main::TeThemeStringGridListEditingDone(int row, int column)
{
    StepGrid* grid = TeThemeStringGridList;
    if (row < 1 || row > int(m_state.ProgramSteps.size()))
        return;
    ProgramStep& step = m_state.ProgramSteps[row - 1];
    if (column == 1)
        setStepFieldText(step.VoltageText, grid->clampCell(column, row, iKnob_Voltage->maximum()));
    else if (column == 2)
        setStepFieldText(step.CurrentText, grid->clampCell(column, row, iKnob_Current->maximum()));
    else if (column == 3)
        step.Time = tryReadNumber(grid->cell(column, row)).value_or(step.Time);
}

void TForm_Main::MenuListItemAppendClick()
{
    TeThemeStringGridList->appendStep({{1, QStringLiteral("1")}, {2, QStringLiteral("1")}, {3, QStringLiteral("1")}});
    m_state.ProgramSteps.push_back(ProgramStep{});
}

void TForm_Main::MenuListItemInsertClick()
{
    const int row = TeThemeStringGridList->insertStep({{1, QStringLiteral("1")}, {2, QStringLiteral("1")}, {3, QStringLiteral("1")}});
    m_state.ProgramSteps.insert(m_state.ProgramSteps.begin() + (row - 1), ProgramStep{});
}

void TForm_Main::MenuListItemDeleteClick()
{
    StepGrid* grid = TeThemeStringGridList;
    const int row = grid->currentGridRow();
    // The last step stays: a table without steps cannot run.
    if (row < 1 || grid->gridRowCount() <= 2 || row > int(m_state.ProgramSteps.size()))
        return;
    m_state.ProgramSteps.erase(m_state.ProgramSteps.begin() + (row - 1));
    grid->removeGridRow(row);
    grid->numberSteps();
}

void TForm_Main::NumberProgramSteps() { TeThemeStringGridList->numberSteps(); }
