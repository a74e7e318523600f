#pragma once
#include "app/TMainState.h"
#include "link/LinkView.h"
#include "link/PowerLink.h"

#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <memory>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTimer;
class StepTimer;
class QToolButton;
class Knob;
class Led;
class NumericEdit;
class SevenSegmentReadout;
class StepGrid;
class TForm_Config;
class TForm_FastKey;
class TLoadSource;
class ToggleSwitch;
class TrendPlot;
class LayoutScaler;

// The main window: the front panel of the power supply, its link and its sequencers.
class TForm_Main : public QWidget, public LinkView {
    Q_OBJECT
public:
    // programDir is the folder of the program's files (Config.dat, PowerType.dat, texts).
    explicit TForm_Main(const QString& programDir, PowerLink::PortFactory portFactory = {}, QWidget* parent = nullptr);
    ~TForm_Main() override;

    static constexpr int DesignWidth = 803;
    static constexpr int DesignHeight = 546;

    TMainState& state() { return m_state; }
    PowerLink& link() { return *m_link; }
    QString programDir() const { return m_programDir; }
    QString settingsPath() const;
    TLoadSource* textSource() const { return m_textSource.get(); }
    QString statusPanelText(int panel) const;
    void setFastKeyDialog(TForm_FastKey* dialog) { m_fastKeyDialog = dialog; }
    void setConfigDialog(TForm_Config* dialog) { m_configDialog = dialog; }
    // The plot window's plot, fed with every reading while it shows.
    using PlotFeed = std::function<void(double seconds, double voltage, double current, double dvm)>;
    void setPlotFeed(PlotFeed feed) { m_plotFeed = std::move(feed); }
    // A localised text, or the built-in one where the language file has none.
    QString text(int index, const QString& builtIn) const;

    // Start-up, layout and shutdown.
    void InitState();
    void FormShow();
    void FormResize();
    void FormClose();
    void TeThemePageControl1Change(int page);
    void SetControlGroupsEnabled(bool enabled) override;

    // Settings and parameter files.
    void LoadSettingsFile(const QString& path);
    void SaveSettingsFile(const QString& path);
    void tbSaveClick();
    void tbOpenClick();
    void tbConfigClick();
    void ApplyKnobSteps();
    void ApplyMainWindowTexts();

    // Front panel.
    void iKnob_VoltagePositionChangeFinished();
    void iKnob_CurrentPositionChangeFinished();
    void iSwitchToggle_OutputOnOffChange();
    void iSwitchToggle_SensOnOffChange();
    void Button14Click(int digit);
    void Button25Click();
    void Button17Click();
    void Button26Click();
    void tbFastKey1MouseDown(QToolButton* sender, Qt::MouseButton button);

    // Sequencers.
    void TeThemeButton_VoltScanRunClick();
    void Timer_VoltScanTimer();
    void TeThemeButton_VoltScanStopClick();
    void TeThemeButton_RunPorgramRunClick();
    void Timer_RunProgramTimer();
    void TeThemeButton_RunProgramStopClick();
    void TeThemeRadioGroupRunClick();
    void TeThemeStringGridListEditingDone(int row, int column);
    void MenuListItemAppendClick();
    void MenuListItemInsertClick();
    void MenuListItemDeleteClick();
    void NumberProgramSteps();
    void TeThemeStringGridGoNgEditingDone(int row, int column);
    void MenuItemGoNgAppendClick();
    void MenuItemGoNgInsertClick();
    void MenuItemGoNgDeleteClick();
    void NumberGoNgSteps();

    // LinkView
    bool voltageKnobEnabled() const override;
    void flipTxLed() override;
    void flipRxLed() override;
    void showPresentVoltage(double value) override;
    void showPresentCurrent(double value) override;
    void showDvm(double value) override;
    void PlotReadings() override;
    void readBackVoltage(double value) override;
    void readBackCurrent(double value) override;
    void showSetupVoltage(double value) override;
    void showSetupCurrent(double value) override;
    void setOutputToggle(bool on) override;
    void gradeCurrent(double current) override;
    void showModel(const QString& modelName) override;
    void applyModelLimits(const ModelLimits& limits) override;
    void reportProblem(const QString& message) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildControls();
    void buildToolBar();
    void buildPlotGroup();
    void buildVoltageGroup();
    void buildCurrentGroup();
    void buildSetpointGroup(const struct SetpointGroupParts& parts);
    void buildControlGroup();
    void buildPageControl();
    void buildQuickSetPage(QWidget* page);
    void buildProgramPage(QWidget* page);
    void buildGoNgPage(QWidget* page);
    void buildRunPanels();
    void buildStatusBar();
    void connectHandlers();
    struct SettingsImage settingsImage() const;
    void fillProgramGrid();
    void fillGoNgGrid();
    QWidget* place(QWidget* widget, QWidget* parent, int x, int y, int w, int h);

public:
    // Controls, named as the program's documentation names them.
    QGroupBox* TeThemeGroupBox_ToolBar = nullptr;
    QPushButton* tbConfig = nullptr;
    QPushButton* tbSave = nullptr;
    QPushButton* tbOpen = nullptr;
    QPushButton* tbHelp = nullptr;
    SevenSegmentReadout* iSevenSegmentAnalog_DVM = nullptr;
    QGroupBox* TeThemeGroupBox16 = nullptr;
    TrendPlot* iPlotVoltage_Current = nullptr;
    QGroupBox* TeThemeGroupBox6 = nullptr;
    Knob* iKnob_Voltage = nullptr;
    SevenSegmentReadout* iSevenSegmentAnalog_PresentVoltage = nullptr;
    SevenSegmentReadout* iSevenSegmentAnalog_SteupVoltage = nullptr;
    QLabel* TeThemeLabel3 = nullptr;
    QLabel* TeThemeLabel4 = nullptr;
    QLabel* TeThemeLabel5 = nullptr;
    QGroupBox* TeThemeGroupBox9 = nullptr;
    Knob* iKnob_Current = nullptr;
    SevenSegmentReadout* iSevenSegmentAnalog_PresentCurrent = nullptr;
    SevenSegmentReadout* iSevenSegmentAnalog_SteupCurrent = nullptr;
    QLabel* TeThemeLabel11 = nullptr;
    QLabel* TeThemeLabel12 = nullptr;
    QLabel* TeThemeLabel15 = nullptr;
    QGroupBox* TeThemeGroupBoxCtrl = nullptr;
    ToggleSwitch* iSwitchToggle_OutputOnOff = nullptr;
    ToggleSwitch* iSwitchToggle_SensOnOff = nullptr;
    QLabel* TeThemeLabel6 = nullptr;
    QLabel* TeThemeLabel8 = nullptr;
    QLabel* TeThemeLabel9 = nullptr;
    QLabel* TeThemeLabel10 = nullptr;
    Led* iLedRectangleRx = nullptr;
    Led* iLedRectangleTx = nullptr;
    QLabel* StaticText16 = nullptr;
    QTabWidget* TeThemePageControl1 = nullptr;
    QGroupBox* TeThemeGroupBoxFastKey = nullptr;
    QToolButton* tbFastKey[10] = {};
    QButtonGroup* fastKeyGroup = nullptr;
    QGroupBox* TeThemeGroupBox11 = nullptr;
    QLabel* StaticText22 = nullptr;
    QLabel* StaticText23 = nullptr;
    QLabel* StaticText24 = nullptr;
    QLabel* StaticText25 = nullptr;
    NumericEdit* iAnalogOutput_ScanVoltStart = nullptr;
    NumericEdit* iAnalogOutput_ScanVoltStop = nullptr;
    NumericEdit* iAnalogOutput_ScanVoltStep = nullptr;
    NumericEdit* iAnalogOutput_ScanVoltDelay = nullptr;
    QGroupBox* TeThemeGroupBox_SetValue = nullptr;
    SevenSegmentReadout* iSevenSegmentAnalog_EnterValue = nullptr;
    QRadioButton* TeThemeRadioButton3 = nullptr;
    QRadioButton* TeThemeRadioButton4 = nullptr;
    QPushButton* Button14 = nullptr; // digit buttons share one handler; the digit is the tag
    QPushButton* Button17 = nullptr;
    QPushButton* Button25 = nullptr;
    QPushButton* Button26 = nullptr;
    QLabel* StaticText27 = nullptr;
    QComboBox* ComboBox_ProgramTimeUnits = nullptr;
    StepGrid* TeThemeStringGridList = nullptr;
    QMenu* PopupMenuList = nullptr;
    QAction* MenuListItemAppend = nullptr;
    QAction* MenuListItemInsert = nullptr;
    QAction* MenuListItemDelete = nullptr;
    QGroupBox* TeThemeRadioGroupRun = nullptr;
    QButtonGroup* runTimesGroup = nullptr;
    QRadioButton* runTimesButtons[3] = {};
    QSpinBox* TeThemeSpinEdit = nullptr;
    QLabel* StaticText28 = nullptr;
    QComboBox* ComboBox_GoNGTimeUnits = nullptr;
    StepGrid* TeThemeStringGridGoNg = nullptr;
    QMenu* PopupMenuGoNg = nullptr;
    QAction* MenuItemGoNgAppend = nullptr;
    QAction* MenuItemGoNgInsert = nullptr;
    QAction* MenuItemGoNgDelete = nullptr;
    QLabel* TeThemeLabel16 = nullptr;
    QLineEdit* TeThemeEdit2 = nullptr;
    QWidget* Panel_ScanVoltageCommandPanel = nullptr;
    QPushButton* TeThemeButton_VoltScanRun = nullptr;
    QPushButton* TeThemeButton_VoltScanStop = nullptr;
    QWidget* Panel_RunProgramPanel = nullptr;
    QLabel* Label_RunTimes = nullptr;
    QPushButton* TeThemeButton_RunPorgramRun = nullptr;
    QPushButton* TeThemeButton_RunProgramStop = nullptr;
    QWidget* Panel_GoNGRun = nullptr;
    QPushButton* TeThemeButton_GoNGRun = nullptr;
    QPushButton* TeThemeButton_GoNGStop = nullptr;
    QPushButton* TeThemeButton_ReportOperation = nullptr;
    QWidget* TeThemeStatusBar = nullptr;
    QLabel* statusPanels[2] = {};
    StepTimer* Timer_VoltScan = nullptr;
    StepTimer* Timer_RunProgram = nullptr;
    StepTimer* Timer_RunGoNG = nullptr;

private:
    TMainState m_state;
    QString m_programDir;
    std::unique_ptr<PowerLink> m_link;
    std::unique_ptr<TLoadSource> m_textSource;
    std::unique_ptr<LayoutScaler> m_scaler;
    TForm_FastKey* m_fastKeyDialog = nullptr;
    TForm_Config* m_configDialog = nullptr;
    PlotFeed m_plotFeed;
    QElapsedTimer m_plotClock;
    bool m_shownOnce = false;
};
