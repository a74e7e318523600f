// The main window's life: creation, showing, resizing, closing, and the state that
// the rest of the program reads through it.
#include "app/TForm_Main.h"

#include "app/ErrorDisplay.h"
#include "app/LayoutScaler.h"
#include "app/PortFactory.h"
#include "app/TrendPlot.h"
#include "link/AnsiCodePage.h"
#include "link/CommandText.h"
#include "link/ModelTable.h"
#include "link/ReadNumber.h"
#include "panel/Knob.h"
#include "panel/Led.h"
#include "panel/NumericEdit.h"
#include "panel/SevenSegmentReadout.h"
#include "panel/TForm_FastKey.h"
#include "panel/ToggleSwitch.h"
#include "sequencers/StepGrid.h"
#include "sequencers/StepTimer.h"
#include "settings/LanguageId.h"
#include "settings/TLoadSource.h"

#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

TForm_Main::TForm_Main(const QString& programDir, PowerLink::PortFactory portFactory, QWidget* parent)
    : QWidget(parent)
    , m_programDir(programDir)
{
    setObjectName(QStringLiteral("Form_Main"));
    m_link = std::make_unique<PowerLink>(m_state, *this, portFactory ? std::move(portFactory) : defaultPortFactory());
    m_link->setProgramDir(programDir);
    m_plotClock.start();

    buildControls();
    InitState();
    connectHandlers();

    m_textSource = std::make_unique<TLoadSource>(programDir, languageIdForLocale(QLocale::system()), ansiCodePage());
    m_textSource->LoadTexts();
    ApplyMainWindowTexts();
    if (!m_textSource->problem().isEmpty())
        reportProblem(m_textSource->problem());

    runGuarded(this, [this] { LoadSettingsFile(settingsPath()); });
    resize(DesignWidth, DesignHeight);
}

TForm_Main::~TForm_Main() = default;

QString TForm_Main::settingsPath() const { return QDir(m_programDir).filePath(QStringLiteral("Config.dat")); }

QString TForm_Main::text(int index, const QString& builtIn) const
{
    return m_textSource && m_textSource->hasText(index) ? m_textSource->GetText(index) : builtIn;
}

QString TForm_Main::statusPanelText(int panel) const
{
    return panel >= 0 && panel < 2 ? statusPanels[panel]->text() : QString();
}

void TForm_Main::InitState()
{
    m_state = TMainState{};
    TeThemeStringGridList->setGridRowCount(2);
    fillProgramGrid();
    TeThemeStringGridGoNg->setGridRowCount(2);
    fillGoNgGrid();
    iAnalogOutput_ScanVoltStart->setValue(1);
    iAnalogOutput_ScanVoltStop->setValue(6);
    iAnalogOutput_ScanVoltStep->setValue(1);
    iAnalogOutput_ScanVoltDelay->setValue(1);
}

void TForm_Main::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        // Opening the link waits with events running; let the window finish appearing first.
        QTimer::singleShot(0, this, [this] { FormShow(); });
    }
}

void TForm_Main::FormShow()
{
    SetControlGroupsEnabled(false);
    if (!m_state.portName().isEmpty() && !m_state.Closing)
        m_link->OpenLink();
}

void TForm_Main::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm_Main::FormResize()
{
    m_scaler->scaleTo(size());
    QFont f = font();
    if (qAbs(f.pointSizeF() - m_scaler->scaledPointSize()) > 0.05) {
        f.setPointSizeF(m_scaler->scaledPointSize());
        setFont(f);
    }
    TeThemeStringGridList->setRowHeightPx(qMax(16, qRound(23 * m_scaler->ratioY())));
    TeThemeStringGridGoNg->setRowHeightPx(qMax(16, qRound(21 * m_scaler->ratioY())));
    TeThemeStringGridList->spreadColumns();
    for (QWidget* panel : {Panel_ScanVoltageCommandPanel, Panel_RunProgramPanel, Panel_GoNGRun})
        panel->raise();
}

void TForm_Main::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
}

void TForm_Main::FormClose()
{
    if (m_state.Closing)
        return;
    m_state.Closing = true;
    for (StepTimer* t : {Timer_VoltScan, Timer_RunProgram, Timer_RunGoNG})
        t->stop();
    m_link->SuspendLink();
    m_link->closePort();
    runGuarded(this, [this] { SaveSettingsFile(settingsPath()); });
    m_state.ProgramSteps.clear();
    m_state.GoNgSteps.clear();
}

void TForm_Main::TeThemePageControl1Change(int page)
{
    if (!Panel_ScanVoltageCommandPanel || !Panel_RunProgramPanel || !Panel_GoNGRun)
        return;
    Panel_ScanVoltageCommandPanel->hide();
    Panel_RunProgramPanel->hide();
    Panel_GoNGRun->hide();
    QWidget* shown = page == 0 ? Panel_ScanVoltageCommandPanel : page == 1 ? Panel_RunProgramPanel : Panel_GoNGRun;
    shown->show();
    shown->raise();
}

void TForm_Main::SetControlGroupsEnabled(bool enabled)
{
    TeThemeGroupBoxFastKey->setEnabled(enabled);
    iKnob_Voltage->setEnabled(enabled);
    iKnob_Current->setEnabled(enabled);
    TeThemeGroupBoxCtrl->setEnabled(enabled);
    TeThemeGroupBox_SetValue->setEnabled(enabled);
}

// ---- What the link shows ----

bool TForm_Main::voltageKnobEnabled() const { return iKnob_Voltage->isEnabled(); }
void TForm_Main::flipTxLed() { iLedRectangleTx->toggle(); }
void TForm_Main::flipRxLed() { iLedRectangleRx->toggle(); }
void TForm_Main::showPresentVoltage(double value) { iSevenSegmentAnalog_PresentVoltage->setValue(value); }
void TForm_Main::showPresentCurrent(double value) { iSevenSegmentAnalog_PresentCurrent->setValue(value); }
void TForm_Main::showDvm(double value) { iSevenSegmentAnalog_DVM->setValue(value); }
void TForm_Main::showSetupVoltage(double value) { iSevenSegmentAnalog_SteupVoltage->setValue(value); }
void TForm_Main::showSetupCurrent(double value) { iSevenSegmentAnalog_SteupCurrent->setValue(value); }

void TForm_Main::PlotReadings()
{
    const double seconds = m_plotClock.nsecsElapsed() / 1e9;
    iPlotVoltage_Current->addPoint(seconds, iSevenSegmentAnalog_PresentVoltage->value(),
        iSevenSegmentAnalog_PresentCurrent->value(), iSevenSegmentAnalog_DVM->value());
    if (m_plotFeed)
        m_plotFeed(seconds, iSevenSegmentAnalog_PresentVoltage->value(), iSevenSegmentAnalog_PresentCurrent->value(),
            iSevenSegmentAnalog_DVM->value());
}

void TForm_Main::readBackVoltage(double value)
{
    iSevenSegmentAnalog_SteupVoltage->setValue(value);
    iKnob_Voltage->setPosition(value);
    if (TeThemeRadioButton3->isChecked())
        iSevenSegmentAnalog_EnterValue->setValue(iKnob_Voltage->position());
}

void TForm_Main::readBackCurrent(double value)
{
    iSevenSegmentAnalog_SteupCurrent->setValue(value);
    iKnob_Current->setPosition(value);
    if (TeThemeRadioButton4->isChecked())
        iSevenSegmentAnalog_EnterValue->setValue(iKnob_Current->position());
}

void TForm_Main::setOutputToggle(bool on) { iSwitchToggle_OutputOnOff->setActive(on); }

void TForm_Main::gradeCurrent(double current)
{
    const int row = m_state.StepIndex + 1;
    if (row < 1 || row >= TeThemeStringGridGoNg->gridRowCount())
        return;
    TeThemeStringGridGoNg->setCell(2, row, FloatToText(current));
    const double upper = tryReadNumber(TeThemeStringGridGoNg->cell(3, row)).value_or(0);
    const double lower = tryReadNumber(TeThemeStringGridGoNg->cell(4, row)).value_or(0);
    TeThemeStringGridGoNg->setCell(6, row, upper >= current && lower <= current ? QStringLiteral("Pass") : QStringLiteral("NoPass"));
}

void TForm_Main::showModel(const QString& modelName)
{
    statusPanels[0]->setText(text(58, QStringLiteral("Connected model:")) + QLatin1Char(' ') + modelName + QLatin1Char(' '));
    statusPanels[1]->setText(text(59, QStringLiteral("Instrument identified")));
}

void TForm_Main::applyModelLimits(const ModelLimits& limits)
{
    iKnob_Voltage->setMaximum(limits.maxVoltage);
    for (NumericEdit* box : {iAnalogOutput_ScanVoltStart, iAnalogOutput_ScanVoltStop, iAnalogOutput_ScanVoltStep})
        box->setMaximum(iKnob_Voltage->maximum());
    iKnob_Current->setMaximum(limits.maxCurrent);
    if (m_fastKeyDialog)
        m_fastKeyDialog->setLimits(iKnob_Voltage->maximum(), iKnob_Current->maximum());
}

void TForm_Main::reportProblem(const QString& message) { showErrorMessage(this, message); }
