// Editing the GO/NG step table.
#include "app/TForm_Main.h"

#include "link/ReadNumber.h"
#include "panel/Knob.h"
#include "sequencers/StepGrid.h"
#include "sequencers/StepText.h"

namespace {
const StepGrid::Cells newGoNgRow = {{1, QStringLiteral("1")}, {3, QStringLiteral("1")}, {4, QStringLiteral("0")}, {5, QStringLiteral("1")}};
}

void TForm_Main::TeThemeStringGridGoNgEditingDone(int row, int column)
{
    StepGrid* grid = TeThemeStringGridGoNg;
    if (row < 1 || row > int(m_state.GoNgSteps.size()))
        return;
    GoNgStep& step = m_state.GoNgSteps[row - 1];
    if (column == 1)
        setStepFieldText(step.SettingText, grid->clampCell(column, row, iKnob_Voltage->maximum()));
    else if (column == 3)
        setStepFieldText(step.MaxText, grid->clampCell(column, row, iKnob_Current->maximum()));
    else if (column == 4)
        setStepFieldText(step.MinText, grid->clampCell(column, row, iKnob_Current->maximum()));
    else if (column == 5)
        step.Time = tryReadNumber(grid->cell(column, row)).value_or(step.Time);
}

void TForm_Main::MenuItemGoNgAppendClick()
{
    TeThemeStringGridGoNg->appendStep(newGoNgRow);
    m_state.GoNgSteps.push_back(GoNgStep{});
}

void TForm_Main::MenuItemGoNgInsertClick()
{
    const int row = TeThemeStringGridGoNg->insertStep(newGoNgRow);
    m_state.GoNgSteps.insert(m_state.GoNgSteps.begin() + (row - 1), GoNgStep{});
}

void TForm_Main::MenuItemGoNgDeleteClick()
{
    StepGrid* grid = TeThemeStringGridGoNg;
    const int row = grid->currentGridRow();
    if (row < 1 || grid->gridRowCount() <= 2 || row > int(m_state.GoNgSteps.size()))
        return;
    m_state.GoNgSteps.erase(m_state.GoNgSteps.begin() + (row - 1));
    grid->removeGridRow(row);
    grid->numberSteps();
}

void TForm_Main::NumberGoNgSteps() { TeThemeStringGridGoNg->numberSteps(); }
