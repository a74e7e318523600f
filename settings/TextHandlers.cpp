// The main window's words from the language file of the user's language.
#include "app/TForm_Main.h"

#include "app/TrendPlot.h"
#include "sequencers/StepGrid.h"
#include "settings/TLoadSource.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

void TForm_Main::ApplyMainWindowTexts()
{
    if (!m_textSource)
        return;
    int missing = 0;
    // Assigns text index through setter, or keeps the built-in wording when the file lacks it.
    auto apply = [&](int index, const std::function<void(const QString&)>& setter) {
        if (m_textSource->hasText(index))
            setter(m_textSource->GetText(index));
        else
            ++missing;
    };
    auto setText = [&](int index, auto* widget) { apply(index, [widget](const QString& t) { widget->setText(t); }); };
    auto setTitle = [&](int index, QGroupBox* box) { apply(index, [box](const QString& t) { box->setTitle(t); }); };
    auto setTab = [&](int index, int tab) { apply(index, [this, tab](const QString& t) { TeThemePageControl1->setTabText(tab, t); }); };
    auto setHeading = [&](int index, StepGrid* grid, int column) {
        apply(index, [grid, column](const QString& t) {
            QTableWidgetItem* item = grid->horizontalHeaderItem(column);
            if (!item)
                grid->setHorizontalHeaderItem(column, item = new QTableWidgetItem);
            item->setText(t);
        });
    };

    apply(0, [this](const QString& t) { setWindowTitle(t); });
    setText(1, tbConfig);
    setText(2, tbSave);
    setText(3, tbOpen);
    setText(4, tbHelp);
    apply(5, [this](const QString& t) { iPlotVoltage_Current->setTitle(t); });
    apply(6, [this](const QString& t) { iPlotVoltage_Current->yAxis->setLabel(t); });
    apply(7, [this](const QString& t) { iPlotVoltage_Current->xAxis->setLabel(t); });
    setText(8, TeThemeLabel4);
    setText(8, TeThemeLabel12);
    setText(9, TeThemeLabel3);
    setText(9, TeThemeLabel11);
    setText(10, TeThemeLabel5);
    setText(10, TeThemeLabel15);
    setText(11, TeThemeLabel6);
    setText(12, TeThemeLabel8);
    setText(13, TeThemeLabel9);
    setText(14, TeThemeLabel10);
    setText(15, StaticText16);
    setTab(16, 0);
    setTitle(17, TeThemeGroupBoxFastKey);
    setTitle(18, TeThemeGroupBox11);
    setText(19, StaticText22);
    setText(20, StaticText23);
    setText(21, StaticText24);
    setText(22, StaticText25);
    setText(23, TeThemeButton_VoltScanRun);
    setText(23, TeThemeButton_GoNGRun);
    setText(23, TeThemeButton_RunPorgramRun);
    setText(24, TeThemeButton_VoltScanStop);
    setText(24, TeThemeButton_RunProgramStop);
    setText(24, TeThemeButton_GoNGStop);
    setTitle(25, TeThemeGroupBox_SetValue);
    setText(26, TeThemeRadioButton3);
    setText(27, TeThemeRadioButton4);
    setText(28, Button17);
    setText(29, Button26);
    setTab(30, 1);
    setText(31, StaticText27);
    setHeading(32, TeThemeStringGridList, 0);
    setHeading(33, TeThemeStringGridList, 1);
    setHeading(34, TeThemeStringGridList, 2);
    setHeading(22, TeThemeStringGridList, 3);
    setTitle(35, TeThemeRadioGroupRun);
    setText(36, runTimesButtons[0]);
    setText(37, runTimesButtons[1]);
    setText(38, runTimesButtons[2]);
    setText(35, Label_RunTimes);
    setText(39, MenuListItemAppend);
    setText(39, MenuItemGoNgAppend);
    setText(40, MenuListItemInsert);
    setText(40, MenuItemGoNgInsert);
    setText(41, MenuListItemDelete);
    setText(41, MenuItemGoNgDelete);
    setTab(42, 2);
    setHeading(32, TeThemeStringGridGoNg, 0);
    setHeading(26, TeThemeStringGridGoNg, 1);
    setHeading(45, TeThemeStringGridGoNg, 2);
    setHeading(43, TeThemeStringGridGoNg, 3);
    setHeading(44, TeThemeStringGridGoNg, 4);
    setHeading(22, TeThemeStringGridGoNg, 5);
    setHeading(46, TeThemeStringGridGoNg, 6);
    setText(48, TeThemeLabel16);
    setText(49, TeThemeButton_ReportOperation);
    setText(31, StaticText28);
    setText(60, statusPanels[1]);
    // The knob groups carry the words of the voltage and current columns.
    setTitle(33, TeThemeGroupBox6);
    setTitle(34, TeThemeGroupBox9);
    apply(35, [this](const QString& t) { m_state.RunTimesText = t; });

    // A file that loaded but holds too few texts is worth one word; a file that failed
    // to load has already said so.
    if (missing > 0 && m_textSource->problem().isEmpty() && m_textSource->textCount() > 0)
        reportProblem(tr("The language file \"%1\" holds %2 texts; the missing ones keep their English wording.")
                          .arg(m_textSource->SourceName)
                          .arg(m_textSource->textCount()));
}
