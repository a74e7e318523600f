#include "settings/TForm_Config.h"

#include "link/QtSerialPowerPort.h"
#include "panel/NumericEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace {

NumericEdit* stepBox(const char* name, const char* unit)
{
    auto* box = new NumericEdit;
    box->setObjectName(QString::fromLatin1(name));
    box->setDecimals(2);
    box->setUnitText(QString::fromLatin1(unit));
    box->setValue(0.01);
    return box;
}

QLabel* namedLabel(const char* text, const char* name)
{
    auto* l = new QLabel(QString::fromLatin1(text));
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

QGroupBox* stepGroup(const char* title, const char* name, QLabel* labels[3], NumericEdit* boxes[3])
{
    auto* group = new QGroupBox(QString::fromLatin1(title));
    group->setObjectName(QString::fromLatin1(name));
    auto* grid = new QGridLayout(group);
    for (int i = 0; i < 3; ++i) {
        grid->addWidget(labels[i], i, 0);
        grid->addWidget(boxes[i], i, 1);
    }
    return group;
}

} // namespace

TForm_Config::TForm_Config(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_Config"));
    setWindowTitle(QStringLiteral("Config"));
    setWindowFlags(Qt::Dialog | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

    GroupBox1 = new QGroupBox(QStringLiteral("Comm"));
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    Label2 = namedLabel("BaudRate", "Label2");
    TeThemeComboBoxRaudRate = new QComboBox;
    TeThemeComboBoxRaudRate->setObjectName(QStringLiteral("TeThemeComboBoxRaudRate"));
    TeThemeComboBoxRaudRate->setEditable(true);
    TeThemeComboBoxRaudRate->setInsertPolicy(QComboBox::NoInsert);
    TeThemeComboBoxRaudRate->addItems({QStringLiteral("4800"), QStringLiteral("9600"), QStringLiteral("19200"), QStringLiteral("38400")});
    TeThemeComboBoxRaudRate->setMaxVisibleItems(4);
    TeThemeComboBoxRaudRate->setCurrentIndex(1);
    Label1 = namedLabel("CommPort", "Label1");
    TeThemeComboBoxComm = new QComboBox;
    TeThemeComboBoxComm->setObjectName(QStringLiteral("TeThemeComboBoxComm"));
    TeThemeComboBoxComm->setEditable(true);
    TeThemeComboBoxComm->setEditText(QStringLiteral("Com1"));
    auto* comm = new QVBoxLayout(GroupBox1);
    comm->addWidget(Label2);
    comm->addWidget(TeThemeComboBoxRaudRate);
    comm->addSpacing(8);
    comm->addWidget(Label1);
    comm->addWidget(TeThemeComboBoxComm);
    comm->addStretch();

    StaticText1 = namedLabel("Key--Arrow", "StaticText1");
    StaticText2 = namedLabel("Key--Page", "StaticText2");
    StaticText3 = namedLabel("Mouse--wheel", "StaticText3");
    StaticText4 = namedLabel("Key--Arrow", "StaticText4");
    StaticText5 = namedLabel("Key--Page", "StaticText5");
    StaticText6 = namedLabel("Mouse--wheel", "StaticText6");
    iAnalogOutputKA1 = stepBox("iAnalogOutputKA1", "V");
    iAnalogOutputKP1 = stepBox("iAnalogOutputKP1", "V");
    iAnalogOutputMW1 = stepBox("iAnalogOutputMW1", "V");
    iAnalogOutputKA2 = stepBox("iAnalogOutputKA2", "A");
    iAnalogOutputKP2 = stepBox("iAnalogOutputKP2", "A");
    iAnalogOutputMW2 = stepBox("iAnalogOutputMW2", "A");
    QLabel* voltLabels[3] = {StaticText1, StaticText2, StaticText3};
    NumericEdit* voltBoxes[3] = {iAnalogOutputKA1, iAnalogOutputKP1, iAnalogOutputMW1};
    QLabel* currLabels[3] = {StaticText4, StaticText5, StaticText6};
    NumericEdit* currBoxes[3] = {iAnalogOutputKA2, iAnalogOutputKP2, iAnalogOutputMW2};
    GroupBox3 = stepGroup("VoltageStep", "GroupBox3", voltLabels, voltBoxes);
    GroupBox2 = stepGroup("CurrentStep", "GroupBox2", currLabels, currBoxes);

    TeThemeButton2 = new QPushButton(QStringLiteral("Ok"));
    TeThemeButton2->setObjectName(QStringLiteral("TeThemeButton2"));
    TeThemeButton2->setDefault(true);
    TeThemeButton1 = new QPushButton(QStringLiteral("Cancel"));
    TeThemeButton1->setObjectName(QStringLiteral("TeThemeButton1"));
    connect(TeThemeButton2, &QPushButton::clicked, this, [this] {
        for (NumericEdit* box : findChildren<NumericEdit*>())
            box->commit();
        // A port name typed but not yet entered counts as chosen.
        const QString typed = TeThemeComboBoxComm->currentText().trimmed();
        if (!typed.isEmpty() && TeThemeComboBoxComm->itemText(TeThemeComboBoxComm->currentIndex()) != typed) {
            int i = TeThemeComboBoxComm->findText(typed, Qt::MatchFixedString);
            if (i < 0) {
                TeThemeComboBoxComm->addItem(typed);
                i = TeThemeComboBoxComm->count() - 1;
            }
            TeThemeComboBoxComm->setCurrentIndex(i);
        }
        accept();
    });
    connect(TeThemeButton1, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    grid->addWidget(GroupBox1, 0, 0, 2, 1);
    grid->addWidget(GroupBox3, 0, 1);
    grid->addWidget(GroupBox2, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(TeThemeButton2);
    buttons->addWidget(TeThemeButton1);
    grid->addLayout(buttons, 2, 0, 1, 2);
    resize(381, 259);
}

void TForm_Config::keyPressEvent(QKeyEvent* event)
{
    // Escape is not bound to Cancel here.
    if (event->key() == Qt::Key_Escape) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

QStringList TForm_Config::candidatePorts()
{
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        names << info.portName();
    return names;
}

bool TForm_Config::canOpenExclusively(const QString& portName)
{
    QSerialPort port;
    port.setPortName(QtSerialPowerPort::devicePath(portName));
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.close();
    return true;
}

namespace {

// Compares runs of digits by their value and the rest character by character.
bool naturalLess(const QString& a, const QString& b)
{
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i, ej = j;
            while (ei < a.size() && a[ei].isDigit())
                ++ei;
            while (ej < b.size() && b[ej].isDigit())
                ++ej;
            auto value = [](QStringView digits) {
                qsizetype k = 0;
                while (k < digits.size() - 1 && digits[k] == QLatin1Char('0'))
                    ++k;
                return digits.mid(k);
            };
            const QStringView ta = value(QStringView(a).mid(i, ei - i));
            const QStringView tb = value(QStringView(b).mid(j, ej - j));
            if (ta.size() != tb.size())
                return ta.size() < tb.size();
            if (ta != tb)
                return ta < tb;
            i = ei;
            j = ej;
        } else {
            if (a[i] != b[j])
                return a[i] < b[j];
            ++i;
            ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

} // namespace

QStringList TForm_Config::naturalOrder(QStringList names)
{
    std::sort(names.begin(), names.end(), naturalLess);
    return names;
}

void TForm_Config::ScanSerialPorts(const QString& extraCandidate)
{
    TeThemeComboBoxComm->clear();
    TeThemeComboBoxComm->setEditText(QString());
    QStringList names = candidatePorts();
    if (!extraCandidate.isEmpty() && extraCandidate.compare(QLatin1String("SIM"), Qt::CaseInsensitive) != 0
        && !names.contains(extraCandidate))
        names << extraCandidate;
    QStringList usable;
    for (const QString& name : std::as_const(names))
        if (canOpenExclusively(name))
            usable << name;
    usable = naturalOrder(usable);
    usable << QStringLiteral("SIM");
    TeThemeComboBoxComm->addItems(usable);
    TeThemeComboBoxComm->setCurrentIndex(-1);
    TeThemeComboBoxComm->setMaxVisibleItems(qMax(1, int(usable.size())));
}

void TForm_Config::applyTexts(const std::function<QString(int, const QString&)>& text)
{
    setWindowTitle(text(62, windowTitle()));
    GroupBox1->setTitle(text(63, GroupBox1->title()));
    Label1->setText(text(64, Label1->text()));
    Label2->setText(text(65, Label2->text()));
    GroupBox3->setTitle(text(66, GroupBox3->title()));
    GroupBox2->setTitle(text(67, GroupBox2->title()));
    for (QLabel* l : {StaticText1, StaticText4})
        l->setText(text(68, l->text()));
    for (QLabel* l : {StaticText2, StaticText5})
        l->setText(text(69, l->text()));
    for (QLabel* l : {StaticText3, StaticText6})
        l->setText(text(70, l->text()));
    TeThemeButton2->setText(text(71, TeThemeButton2->text()));
    TeThemeButton1->setText(text(72, TeThemeButton1->text()));
}
