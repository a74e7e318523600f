#include "panel/TForm_FastKey.h"

#include "panel/NumericEdit.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

TForm_FastKey::TForm_FastKey(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form_FastKey"));
    setWindowTitle(QStringLiteral("HotKey"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);

    Label_Ch1FastKeyV = new QLabel(QStringLiteral("Voltage"));
    Label_Ch1FastKeyV->setObjectName(QStringLiteral("Label_Ch1FastKeyV"));
    iAnalogOutput_Ch1FastKeyV = new NumericEdit;
    iAnalogOutput_Ch1FastKeyV->setObjectName(QStringLiteral("iAnalogOutput_Ch1FastKeyV"));
    iAnalogOutput_Ch1FastKeyV->setDecimals(3);
    iAnalogOutput_Ch1FastKeyV->setUnitText(QStringLiteral("V"));
    Label_Ch1FastKeyA = new QLabel(QStringLiteral("Current"));
    Label_Ch1FastKeyA->setObjectName(QStringLiteral("Label_Ch1FastKeyA"));
    iAnalogOutput_Ch1FastKeyA = new NumericEdit;
    iAnalogOutput_Ch1FastKeyA->setObjectName(QStringLiteral("iAnalogOutput_Ch1FastKeyA"));
    iAnalogOutput_Ch1FastKeyA->setDecimals(3);
    iAnalogOutput_Ch1FastKeyA->setUnitText(QStringLiteral("A"));
    TeThemeButton1 = new QPushButton(QStringLiteral("OK"));
    TeThemeButton1->setObjectName(QStringLiteral("TeThemeButton1"));
    TeThemeButton1->setDefault(true);
    TeThemeButton2 = new QPushButton(QStringLiteral("Cancel"));
    TeThemeButton2->setObjectName(QStringLiteral("TeThemeButton2"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label_Ch1FastKeyV, 0, 0);
    grid->addWidget(iAnalogOutput_Ch1FastKeyV, 0, 1);
    grid->addWidget(TeThemeButton1, 0, 2);
    grid->addWidget(Label_Ch1FastKeyA, 1, 0);
    grid->addWidget(iAnalogOutput_Ch1FastKeyA, 1, 1);
    grid->addWidget(TeThemeButton2, 1, 2);
    grid->setColumnStretch(1, 1);
    connect(TeThemeButton1, &QPushButton::clicked, this, [this] {
        // A value still being typed counts as entered.
        iAnalogOutput_Ch1FastKeyV->commit();
        iAnalogOutput_Ch1FastKeyA->commit();
        accept();
    });
    connect(TeThemeButton2, &QPushButton::clicked, this, &QDialog::reject);
    fitSize();
}

void TForm_FastKey::fitSize()
{
    // A fixed size, at least the design's 290 x 81, grown to whatever the words need.
    setFixedSize(layout()->sizeHint().expandedTo(QSize(290, 81)));
}

void TForm_FastKey::setLimits(double maxVoltage, double maxCurrent)
{
    iAnalogOutput_Ch1FastKeyV->setMaximum(maxVoltage);
    iAnalogOutput_Ch1FastKeyA->setMaximum(maxCurrent);
}

void TForm_FastKey::applyTexts(const std::function<QString(int, const QString&)>& text)
{
    // The grid headings name voltage and current; OK and Cancel come from the
    // configuration dialog's words, since the keypad's texts read "Enter" and "ESC".
    Label_Ch1FastKeyV->setText(text(33, QStringLiteral("Voltage")));
    Label_Ch1FastKeyA->setText(text(34, QStringLiteral("Current")));
    TeThemeButton1->setText(text(71, QStringLiteral("OK")));
    TeThemeButton2->setText(text(72, QStringLiteral("Cancel")));
    fitSize();
}
