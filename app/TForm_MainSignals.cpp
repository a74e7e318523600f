// Which control event runs which handler of the main window.
#include "app/TForm_Main.h"

#include "app/ErrorDisplay.h"
#include "app/TrendPlot.h"
#include "panel/Knob.h"
#include "panel/ToggleSwitch.h"
#include "sequencers/StepGrid.h"
#include "sequencers/StepTimer.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {

// Mouse-down on the fast keys: a left press applies, right or middle edits.
class FastKeyMouseFilter : public QObject {
public:
    FastKeyMouseFilter(TForm_Main* form)
        : QObject(form)
        , m_form(form)
    {
    }
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::MouseButtonPress)
            return false;
        auto* key = static_cast<QToolButton*>(watched);
        const Qt::MouseButton button = static_cast<QMouseEvent*>(event)->button();
        if (!key->isEnabled())
            return false;
        runGuarded(m_form, [&] { m_form->tbFastKey1MouseDown(key, button); });
        return button != Qt::LeftButton; // the left press still latches the key
    }

private:
    TForm_Main* m_form;
};

} // namespace

void TForm_Main::connectHandlers()
{
    auto guarded = [this](auto handler) {
        return [this, handler] { runGuarded(this, [this, handler] { (this->*handler)(); }); };
    };

    connect(TeThemePageControl1, &QTabWidget::currentChanged, this, &TForm_Main::TeThemePageControl1Change);
    connect(tbSave, &QPushButton::clicked, this, guarded(&TForm_Main::tbSaveClick));
    connect(tbOpen, &QPushButton::clicked, this, guarded(&TForm_Main::tbOpenClick));
    connect(tbConfig, &QPushButton::clicked, this, guarded(&TForm_Main::tbConfigClick));

    connect(iKnob_Voltage, &Knob::positionChangeFinished, this, guarded(&TForm_Main::iKnob_VoltagePositionChangeFinished));
    connect(iKnob_Current, &Knob::positionChangeFinished, this, guarded(&TForm_Main::iKnob_CurrentPositionChangeFinished));
    connect(iSwitchToggle_OutputOnOff, &ToggleSwitch::changed, this, guarded(&TForm_Main::iSwitchToggle_OutputOnOffChange));
    connect(iSwitchToggle_SensOnOff, &ToggleSwitch::changed, this, guarded(&TForm_Main::iSwitchToggle_SensOnOffChange));

    for (QPushButton* b : TeThemeGroupBox_SetValue->findChildren<QPushButton*>()) {
        const int digit = b->property("tag").toInt();
        if (b == Button17)
            connect(b, &QPushButton::clicked, this, guarded(&TForm_Main::Button17Click));
        else if (b == Button25)
            connect(b, &QPushButton::clicked, this, guarded(&TForm_Main::Button25Click));
        else if (b == Button26)
            connect(b, &QPushButton::clicked, this, guarded(&TForm_Main::Button26Click));
        else
            connect(b, &QPushButton::clicked, this, [this, digit] { runGuarded(this, [&] { Button14Click(digit); }); });
    }

    auto* filter = new FastKeyMouseFilter(this);
    for (QToolButton* key : tbFastKey)
        key->installEventFilter(filter);
    // Latching keys: pressing one releases the others.
    connect(fastKeyGroup, &QButtonGroup::idClicked, this, [this](int id) {
        for (int k = 0; k < 10; ++k)
            if (k != id)
                tbFastKey[k]->setChecked(false);
    });

    connect(TeThemeButton_VoltScanRun, &QPushButton::clicked, this, guarded(&TForm_Main::TeThemeButton_VoltScanRunClick));
    connect(TeThemeButton_VoltScanStop, &QPushButton::clicked, this, guarded(&TForm_Main::TeThemeButton_VoltScanStopClick));
    connect(Timer_VoltScan, &StepTimer::timeout, this, guarded(&TForm_Main::Timer_VoltScanTimer));
    connect(TeThemeButton_RunPorgramRun, &QPushButton::clicked, this, guarded(&TForm_Main::TeThemeButton_RunPorgramRunClick));
    connect(TeThemeButton_RunProgramStop, &QPushButton::clicked, this, guarded(&TForm_Main::TeThemeButton_RunProgramStopClick));
    connect(Timer_RunProgram, &StepTimer::timeout, this, guarded(&TForm_Main::Timer_RunProgramTimer));
    connect(runTimesGroup, &QButtonGroup::idClicked, this, guarded(&TForm_Main::TeThemeRadioGroupRunClick));

    connect(TeThemeStringGridList, &StepGrid::editingDone, this, [this](int row, int column) {
        runGuarded(this, [&] { TeThemeStringGridListEditingDone(row, column); });
    });
    connect(TeThemeStringGridGoNg, &StepGrid::editingDone, this, [this](int row, int column) {
        runGuarded(this, [&] { TeThemeStringGridGoNgEditingDone(row, column); });
    });
    // Row 1's empty time cell is filled as soon as the time column becomes current.
    connect(TeThemeStringGridList, &QTableWidget::currentCellChanged, this, [this] { TeThemeStringGridList->fillFirstTimeCell(3); });
    connect(TeThemeStringGridGoNg, &QTableWidget::currentCellChanged, this, [this] { TeThemeStringGridGoNg->fillFirstTimeCell(5); });
    connect(TeThemeStringGridList, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenuList->popup(TeThemeStringGridList->viewport()->mapToGlobal(pos));
    });
    connect(TeThemeStringGridGoNg, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        PopupMenuGoNg->popup(TeThemeStringGridGoNg->viewport()->mapToGlobal(pos));
    });
    connect(MenuListItemAppend, &QAction::triggered, this, guarded(&TForm_Main::MenuListItemAppendClick));
    connect(MenuListItemInsert, &QAction::triggered, this, guarded(&TForm_Main::MenuListItemInsertClick));
    connect(MenuListItemDelete, &QAction::triggered, this, guarded(&TForm_Main::MenuListItemDeleteClick));
    connect(MenuItemGoNgAppend, &QAction::triggered, this, guarded(&TForm_Main::MenuItemGoNgAppendClick));
    connect(MenuItemGoNgInsert, &QAction::triggered, this, guarded(&TForm_Main::MenuItemGoNgInsertClick));
    connect(MenuItemGoNgDelete, &QAction::triggered, this, guarded(&TForm_Main::MenuItemGoNgDeleteClick));
}
