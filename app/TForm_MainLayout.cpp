// The main window's controls, laid out at the design client size of 803 x 546; the
// layout scaler keeps them proportional when the window is resized.
#include "app/TForm_Main.h"

#include "app/LayoutScaler.h"
#include "app/TrendPlot.h"
#include "panel/Knob.h"
#include "panel/Led.h"
#include "panel/NumericEdit.h"
#include "panel/SevenSegmentReadout.h"
#include "panel/ToggleSwitch.h"
#include "sequencers/StepGrid.h"
#include "sequencers/StepTimer.h"

#include <QButtonGroup>
#include <array>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {

template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* label(const QString& text, const char* name = nullptr)
{
    auto* l = new QLabel(text);
    if (name)
        l->setObjectName(QString::fromLatin1(name));
    return l;
}

SevenSegmentReadout* readout(const char* name, int decimals)
{
    auto* r = named(new SevenSegmentReadout, name);
    r->setDigitCount(7);
    r->setDecimals(decimals);
    r->setValue(0);
    return r;
}

QGroupBox* group(const QString& title, const char* name)
{
    return named(new QGroupBox(title), name);
}

// The time-unit box of a step table (its entries are not localised).
QComboBox* timeUnitBox(const char* name)
{
    auto* box = named(new QComboBox, name);
    box->addItems({QStringLiteral("Second"), QStringLiteral("Minute"), QStringLiteral("Hour")});
    box->setToolTip(QStringLiteral("Time Unit"));
    return box;
}

// A step table's context menu: append, insert and delete a line.
QMenu* stepMenu(QWidget* owner, const char* name, std::array<QAction**, 3> actions, std::array<const char*, 3> actionNames)
{
    auto* menu = named(new QMenu(owner), name);
    const char* captions[] = {"AppendLine", "InsertLine", "DeleteLine"};
    for (int i = 0; i < 3; ++i)
        *actions[i] = named(menu->addAction(QString::fromLatin1(captions[i])), actionNames[i]);
    return menu;
}

} // namespace

QWidget* TForm_Main::place(QWidget* widget, QWidget* parent, int x, int y, int w, int h)
{
    widget->setParent(parent);
    m_scaler->record(widget, QRect(x, y, w, h));
    return widget;
}

void TForm_Main::buildControls()
{
    m_scaler = std::make_unique<LayoutScaler>(QSize(DesignWidth, DesignHeight), 8);
    QFont f = font();
    f.setPointSizeF(8);
    setFont(f);
    setWindowTitle(QStringLiteral("Kelvane"));

    buildToolBar();
    buildPlotGroup();
    buildVoltageGroup();
    buildCurrentGroup();
    buildControlGroup();
    buildPageControl();
    buildRunPanels();
    buildStatusBar();

    Timer_VoltScan = named(new StepTimer(this), "Timer_VoltScan");
    Timer_RunProgram = named(new StepTimer(this), "Timer_RunProgram");
    Timer_RunGoNG = named(new StepTimer(this), "Timer_RunGoNG");
}

void TForm_Main::buildToolBar()
{
    TeThemeGroupBox_ToolBar = group(QString(), "TeThemeGroupBox_ToolBar");
    TeThemeGroupBox_ToolBar->setFlat(true);
    place(TeThemeGroupBox_ToolBar, this, 0, 0, 803, 36);
    QWidget* bar = TeThemeGroupBox_ToolBar;
    tbConfig = named(new QPushButton(QStringLiteral("Config")), "tbConfig");
    tbSave = named(new QPushButton(QStringLiteral("Save")), "tbSave");
    tbOpen = named(new QPushButton(QStringLiteral("Open")), "tbOpen");
    tbHelp = named(new QPushButton(QStringLiteral("Help")), "tbHelp");
    const char* icons[] = {"preferences-system", "document-save", "document-open", "help-browser"};
    int x = 4;
    int i = 0;
    for (QPushButton* b : {tbConfig, tbSave, tbOpen, tbHelp}) {
        b->setIcon(QIcon::fromTheme(QString::fromLatin1(icons[i++])));
        place(b, bar, x, 4, 102, 28);
        x += 106;
    }
    place(label(QStringLiteral("DVM"), "Label_DVM"), bar, 576, 10, 34, 16);
    iSevenSegmentAnalog_DVM = readout("iSevenSegmentAnalog_DVM", 4);
    place(iSevenSegmentAnalog_DVM, bar, 612, 3, 160, 30);
    place(label(QStringLiteral("V"), "Label_DVMUnit"), bar, 778, 10, 20, 16);
}

void TForm_Main::buildPlotGroup()
{
    TeThemeGroupBox16 = group(QString(), "TeThemeGroupBox16");
    place(TeThemeGroupBox16, this, 2, 38, 566, 246);
    iPlotVoltage_Current = named(new TrendPlot, "iPlotVoltage_Current");
    place(iPlotVoltage_Current, TeThemeGroupBox16, 3, 3, 560, 240);
}

// The voltage and the current group: a knob with its present and setup readouts.
struct SetpointGroupParts {
    QGroupBox** group;
    const char* groupName;
    const char* title;
    int x, width;
    Knob** knob;
    const char* knobName;
    const char* unit;
    double maximum, wheelStep;
    QLabel** presentLabel;
    const char* presentLabelName;
    SevenSegmentReadout** present;
    const char* presentName;
    int presentDecimals;
    QLabel** setupLabel;
    const char* setupLabelName;
    SevenSegmentReadout** setup;
    const char* setupName;
    QLabel** note;
    const char* noteName;
};

void TForm_Main::buildSetpointGroup(const SetpointGroupParts& p)
{
    QGroupBox* g = *p.group = group(QString::fromLatin1(p.title), p.groupName);
    place(g, this, p.x, 286, p.width, 150);
    Knob* knob = *p.knob = named(new Knob, p.knobName);
    knob->setUnit(QString::fromLatin1(p.unit));
    knob->setDecimals(2);
    knob->setTickLabelDecimals(1);
    knob->setMaximum(p.maximum);
    knob->setArrowStep(0.1);
    knob->setPageStep(1.0);
    knob->setWheelStep(p.wheelStep);
    place(knob, g, 4, 16, 134, 130);
    const int left = 140, readoutWidth = p.width - 170, unitX = left + readoutWidth + 3;
    *p.presentLabel = label(QStringLiteral("Present Value"), p.presentLabelName);
    place(*p.presentLabel, g, left, 14, 130, 14);
    *p.present = readout(p.presentName, p.presentDecimals);
    place(*p.present, g, left, 28, readoutWidth, 26);
    place(label(QString::fromLatin1(p.unit)), g, unitX, 33, 16, 16);
    *p.setupLabel = label(QStringLiteral("Setup Value"), p.setupLabelName);
    place(*p.setupLabel, g, left, 56, 130, 14);
    *p.setup = readout(p.setupName, 4);
    place(*p.setup, g, left, 70, readoutWidth, 26);
    place(label(QString::fromLatin1(p.unit)), g, unitX, 75, 16, 16);
    *p.note = label(QStringLiteral("You can use the Mouse wheel ,Arrow or Page Up/Down key to change the setup value."), p.noteName);
    (*p.note)->setWordWrap(true);
    place(*p.note, g, left, 97, p.width - left - 4, 52);
}

void TForm_Main::buildVoltageGroup()
{
    buildSetpointGroup({&TeThemeGroupBox6, "TeThemeGroupBox6", "Voltage", 2, 286, &iKnob_Voltage, "iKnob_Voltage", "V", 20, 0.1,
        &TeThemeLabel4, "TeThemeLabel4", &iSevenSegmentAnalog_PresentVoltage, "iSevenSegmentAnalog_PresentVoltage", 4,
        &TeThemeLabel3, "TeThemeLabel3", &iSevenSegmentAnalog_SteupVoltage, "iSevenSegmentAnalog_SteupVoltage",
        &TeThemeLabel5, "TeThemeLabel5"});
}

void TForm_Main::buildCurrentGroup()
{
    buildSetpointGroup({&TeThemeGroupBox9, "TeThemeGroupBox9", "Current", 290, 278, &iKnob_Current, "iKnob_Current", "A", 1.2, 0.01,
        &TeThemeLabel12, "TeThemeLabel12", &iSevenSegmentAnalog_PresentCurrent, "iSevenSegmentAnalog_PresentCurrent", 5,
        &TeThemeLabel11, "TeThemeLabel11", &iSevenSegmentAnalog_SteupCurrent, "iSevenSegmentAnalog_SteupCurrent",
        &TeThemeLabel15, "TeThemeLabel15"});
}

void TForm_Main::buildControlGroup()
{
    TeThemeGroupBoxCtrl = group(QString(), "TeThemeGroupBoxCtrl");
    place(TeThemeGroupBoxCtrl, this, 2, 438, 566, 81);
    QWidget* g = TeThemeGroupBoxCtrl;
    iSwitchToggle_OutputOnOff = named(new ToggleSwitch, "iSwitchToggle_OutputOnOff");
    place(iSwitchToggle_OutputOnOff, g, 10, 6, 36, 70);
    TeThemeLabel6 = label(QStringLiteral("Output On"), "TeThemeLabel6");
    place(TeThemeLabel6, g, 50, 12, 90, 16);
    TeThemeLabel8 = label(QStringLiteral("Output Off"), "TeThemeLabel8");
    place(TeThemeLabel8, g, 50, 54, 90, 16);
    iSwitchToggle_SensOnOff = named(new ToggleSwitch, "iSwitchToggle_SensOnOff");
    place(iSwitchToggle_SensOnOff, g, 148, 6, 36, 70);
    TeThemeLabel9 = label(QStringLiteral("Sense On"), "TeThemeLabel9");
    place(TeThemeLabel9, g, 188, 12, 90, 16);
    TeThemeLabel10 = label(QStringLiteral("Sense Off"), "TeThemeLabel10");
    place(TeThemeLabel10, g, 188, 54, 90, 16);
    iLedRectangleRx = named(new Led, "iLedRectangleRx");
    iLedRectangleRx->setColor(QColor(0, 230, 0));
    place(iLedRectangleRx, g, 290, 18, 34, 16);
    place(label(QStringLiteral("RX"), "Label_RX"), g, 330, 18, 24, 16);
    iLedRectangleTx = named(new Led, "iLedRectangleTx");
    iLedRectangleTx->setColor(QColor(255, 60, 40));
    place(iLedRectangleTx, g, 290, 48, 34, 16);
    place(label(QStringLiteral("TX"), "Label_TX"), g, 330, 48, 24, 16);
    StaticText16 = label(QStringLiteral("All control options must be on PC control mode"), "StaticText16");
    StaticText16->setWordWrap(true);
    QPalette warning = StaticText16->palette();
    warning.setColor(QPalette::WindowText, QColor(160, 0, 0));
    StaticText16->setPalette(warning);
    place(StaticText16, g, 370, 14, 190, 56);
}

void TForm_Main::buildPageControl()
{
    TeThemePageControl1 = named(new QTabWidget, "TeThemePageControl1");
    place(TeThemePageControl1, this, 571, 38, 231, 479);
    const char* pages[] = {"QuickSet", "Program", "GO/NG"};
    const char* names[] = {"TabSheet_QuickSet", "TabSheet_Program", "TabSheet_GoNG"};
    QWidget* w[3];
    for (int i = 0; i < 3; ++i) {
        w[i] = named(new QWidget, names[i]);
        TeThemePageControl1->addTab(w[i], QString::fromLatin1(pages[i]));
    }
    buildQuickSetPage(w[0]);
    buildProgramPage(w[1]);
    buildGoNgPage(w[2]);
}

void TForm_Main::buildQuickSetPage(QWidget* page)
{
    TeThemeGroupBoxFastKey = group(QStringLiteral("HotKey"), "TeThemeGroupBoxFastKey");
    place(TeThemeGroupBoxFastKey, page, 2, 2, 221, 130);
    fastKeyGroup = new QButtonGroup(this);
    fastKeyGroup->setExclusive(false); // a latched key is released by clicking it again
    for (int k = 0; k < 10; ++k) {
        auto* key = new QToolButton;
        key->setObjectName(QStringLiteral("tbFastKey%1").arg(k + 1));
        key->setText(QStringLiteral("0V/0A"));
        key->setCheckable(true);
        key->setContextMenuPolicy(Qt::PreventContextMenu);
        const int row = k / 2, col = k % 2;
        place(key, TeThemeGroupBoxFastKey, 6 + col * 106, 18 + row * 22, 102, 20);
        tbFastKey[k] = key;
        fastKeyGroup->addButton(key, k);
    }

    TeThemeGroupBox11 = group(QStringLiteral("VoltageScan"), "TeThemeGroupBox11");
    place(TeThemeGroupBox11, page, 2, 134, 221, 184);
    QWidget* g = TeThemeGroupBox11;
    struct Row { QLabel** label; const char* labelName; const char* text; NumericEdit** edit; const char* editName; const char* unit; double value; };
    const Row rows[] = {
        {&StaticText22, "StaticText22", "StartValue", &iAnalogOutput_ScanVoltStart, "iAnalogOutput_ScanVoltStart", "V", 1},
        {&StaticText23, "StaticText23", "StopValue", &iAnalogOutput_ScanVoltStop, "iAnalogOutput_ScanVoltStop", "V", 6},
        {&StaticText24, "StaticText24", "VoltageStep", &iAnalogOutput_ScanVoltStep, "iAnalogOutput_ScanVoltStep", "V", 1},
        {&StaticText25, "StaticText25", "Delay", &iAnalogOutput_ScanVoltDelay, "iAnalogOutput_ScanVoltDelay", "S", 1},
    };
    int y = 22;
    for (const Row& r : rows) {
        *r.label = label(QString::fromLatin1(r.text), r.labelName);
        place(*r.label, g, 8, y + 2, 84, 18);
        *r.edit = named(new NumericEdit, r.editName);
        (*r.edit)->setDecimals(1);
        (*r.edit)->setShowUnit(false);
        (*r.edit)->setValue(r.value);
        place(*r.edit, g, 94, y, 96, 22);
        place(label(QString::fromLatin1(r.unit)), g, 195, y + 2, 16, 18);
        y += 30;
    }

    TeThemeGroupBox_SetValue = group(QStringLiteral("SetValue"), "TeThemeGroupBox_SetValue");
    place(TeThemeGroupBox_SetValue, page, 2, 320, 221, 131);
    g = TeThemeGroupBox_SetValue;
    iSevenSegmentAnalog_EnterValue = readout("iSevenSegmentAnalog_EnterValue", 4);
    place(iSevenSegmentAnalog_EnterValue, g, 6, 16, 118, 30);
    TeThemeRadioButton3 = named(new QRadioButton(QStringLiteral("SET CV")), "TeThemeRadioButton3");
    TeThemeRadioButton4 = named(new QRadioButton(QStringLiteral("SET CC")), "TeThemeRadioButton4");
    TeThemeRadioButton3->setChecked(true);
    place(TeThemeRadioButton3, g, 130, 14, 86, 17);
    place(TeThemeRadioButton4, g, 130, 31, 86, 17);
    auto* radios = new QButtonGroup(g);
    radios->addButton(TeThemeRadioButton3);
    radios->addButton(TeThemeRadioButton4);

    // Three rows of four: 1 2 3 ESC / 4 5 6 0 / 7 8 9 .
    const struct { const char* name; const char* caption; int digit; } keys[] = {
        {"Button14", "1", 1}, {"Button15", "2", 2}, {"Button16", "3", 3}, {"Button17", "ESC", -1},
        {"Button18", "4", 4}, {"Button19", "5", 5}, {"Button20", "6", 6}, {"Button21", "0", 0},
        {"Button22", "7", 7}, {"Button23", "8", 8}, {"Button24", "9", 9}, {"Button25", ".", -1},
    };
    for (int i = 0; i < 12; ++i) {
        auto* b = named(new QPushButton(QString::fromLatin1(keys[i].caption)), keys[i].name);
        b->setProperty("tag", keys[i].digit);
        b->setFocusPolicy(Qt::NoFocus);
        place(b, g, 6 + (i % 4) * 40, 50 + (i / 4) * 26, 38, 24);
        if (i == 0)
            Button14 = b;
        else if (i == 3)
            Button17 = b;
        else if (i == 11)
            Button25 = b;
    }
    Button26 = named(new QPushButton(QStringLiteral("Enter")), "Button26");
    Button26->setFocusPolicy(Qt::NoFocus);
    place(Button26, g, 168, 50, 48, 76);
}

void TForm_Main::buildProgramPage(QWidget* page)
{
    StaticText27 = label(QStringLiteral("Time Units"), "StaticText27");
    place(StaticText27, page, 6, 9, 74, 18);
    ComboBox_ProgramTimeUnits = timeUnitBox("ComboBox_ProgramTimeUnits");
    place(ComboBox_ProgramTimeUnits, page, 84, 6, 110, 22);

    TeThemeStringGridList = named(new StepGrid(4), "TeThemeStringGridList");
    TeThemeStringGridList->setRowHeightPx(23);
    place(TeThemeStringGridList, page, 2, 34, 221, 252);

    PopupMenuList = stepMenu(this, "PopupMenuList", {&MenuListItemAppend, &MenuListItemInsert, &MenuListItemDelete},
        {"MenuListItemAppend", "MenuListItemInsert", "MenuListItemDelete"});

    TeThemeRadioGroupRun = group(QStringLiteral("RunTimes"), "TeThemeRadioGroupRun");
    place(TeThemeRadioGroupRun, page, 2, 292, 221, 46);
    runTimesGroup = new QButtonGroup(this);
    const char* items[] = {"Once", "Repeat", "Custom"};
    for (int i = 0; i < 3; ++i) {
        runTimesButtons[i] = new QRadioButton(QString::fromLatin1(items[i]));
        runTimesButtons[i]->setObjectName(QStringLiteral("TeThemeRadioGroupRun_%1").arg(QString::fromLatin1(items[i])));
        place(runTimesButtons[i], TeThemeRadioGroupRun, 6 + i * 72, 20, 70, 20);
        runTimesGroup->addButton(runTimesButtons[i], i);
    }
    runTimesButtons[0]->setChecked(true);
    TeThemeSpinEdit = named(new QSpinBox, "TeThemeSpinEdit");
    TeThemeSpinEdit->setRange(2, 10000);
    TeThemeSpinEdit->setValue(2);
    TeThemeSpinEdit->hide();
    place(TeThemeSpinEdit, page, 120, 342, 100, 22);
}

void TForm_Main::buildGoNgPage(QWidget* page)
{
    StaticText28 = label(QStringLiteral("Time Units"), "StaticText28");
    place(StaticText28, page, 6, 9, 74, 18);
    ComboBox_GoNGTimeUnits = timeUnitBox("ComboBox_GoNGTimeUnits");
    place(ComboBox_GoNGTimeUnits, page, 84, 6, 110, 22);

    TeThemeStringGridGoNg = named(new StepGrid(7), "TeThemeStringGridGoNg");
    TeThemeStringGridGoNg->setSpreadColumns(false);
    TeThemeStringGridGoNg->setRowHeightPx(21);
    place(TeThemeStringGridGoNg, page, 2, 34, 221, 236);

    PopupMenuGoNg = stepMenu(this, "PopupMenuGoNg", {&MenuItemGoNgAppend, &MenuItemGoNgInsert, &MenuItemGoNgDelete},
        {"MenuItemGoNgAppend", "MenuItemGoNgInsert", "MenuItemGoNgDelete"});

    TeThemeLabel16 = label(QStringLiteral("Current GoNG Recorder Name"), "TeThemeLabel16");
    place(TeThemeLabel16, page, 4, 276, 219, 18);
    TeThemeEdit2 = named(new QLineEdit(QStringLiteral("GoNG")), "TeThemeEdit2");
    place(TeThemeEdit2, page, 4, 296, 217, 22);
}

void TForm_Main::buildRunPanels()
{
    auto panel = [this](const char* name, int x, int y, int w, int h) {
        auto* p = named(new QFrame, name);
        static_cast<QFrame*>(p)->setFrameShape(QFrame::StyledPanel);
        p->setAutoFillBackground(true);
        place(p, this, x, y, w, h);
        return p;
    };
    auto button = [this](QWidget* parent, const char* name, const char* text, int x, int y, int w, int h) {
        auto* b = named(new QPushButton(QString::fromLatin1(text)), name);
        place(b, parent, x, y, w, h);
        return b;
    };
    Panel_ScanVoltageCommandPanel = panel("Panel_ScanVoltageCommandPanel", 595, 339, 183, 32);
    TeThemeButton_VoltScanRun = button(Panel_ScanVoltageCommandPanel, "TeThemeButton_VoltScanRun", "Run", 3, 2, 87, 28);
    TeThemeButton_VoltScanStop = button(Panel_ScanVoltageCommandPanel, "TeThemeButton_VoltScanStop", "Stop", 93, 2, 87, 28);
    TeThemeButton_VoltScanStop->setEnabled(false);

    Panel_RunProgramPanel = panel("Panel_RunProgramPanel", 578, 461, 217, 49);
    Label_RunTimes = label(QStringLiteral("Run Times:"), "Label_RunTimes");
    QPalette blue = Label_RunTimes->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    Label_RunTimes->setPalette(blue);
    Label_RunTimes->hide();
    place(Label_RunTimes, Panel_RunProgramPanel, 6, 2, 205, 16);
    TeThemeButton_RunPorgramRun = button(Panel_RunProgramPanel, "TeThemeButton_RunPorgramRun", "Run", 4, 19, 102, 27);
    TeThemeButton_RunProgramStop = button(Panel_RunProgramPanel, "TeThemeButton_RunProgramStop", "Stop", 111, 19, 102, 27);
    TeThemeButton_RunProgramStop->setEnabled(false);
    Panel_RunProgramPanel->hide();

    Panel_GoNGRun = panel("Panel_GoNGRun", 578, 433, 217, 80);
    TeThemeButton_GoNGRun = button(Panel_GoNGRun, "TeThemeButton_GoNGRun", "Run", 4, 4, 102, 28);
    TeThemeButton_GoNGStop = button(Panel_GoNGRun, "TeThemeButton_GoNGStop", "Stop", 111, 4, 102, 28);
    TeThemeButton_GoNGStop->setEnabled(false);
    TeThemeButton_ReportOperation = button(Panel_GoNGRun, "TeThemeButton_ReportOperation", "Report Operation", 4, 40, 209, 32);
    Panel_GoNGRun->hide();
}

void TForm_Main::buildStatusBar()
{
    TeThemeStatusBar = named(new QFrame, "TeThemeStatusBar");
    static_cast<QFrame*>(TeThemeStatusBar)->setFrameShape(QFrame::NoFrame);
    place(TeThemeStatusBar, this, 0, 523, 803, 23);
    for (int i = 0; i < 2; ++i) {
        auto* p = new QLabel;
        p->setObjectName(QStringLiteral("TeThemeStatusBar_Panel%1").arg(i));
        p->setFrameShape(QFrame::Panel);
        p->setFrameShadow(QFrame::Sunken);
        statusPanels[i] = p;
    }
    place(statusPanels[0], TeThemeStatusBar, 0, 1, 500, 22);
    place(statusPanels[1], TeThemeStatusBar, 502, 1, 301, 22);
    statusPanels[1]->setText(QStringLiteral("Waiting for the instrument..."));
}
