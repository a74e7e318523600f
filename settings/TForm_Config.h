#pragma once
#include <QDialog>
#include <QStringList>
#include <functional>

class NumericEdit;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

// The configuration dialog: serial port, baud rate and the knobs' step sizes.
class TForm_Config : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Config(QWidget* parent = nullptr);

    // Refills the port list with the ports that can be opened exclusively now, in
    // natural order, then "SIM". extraCandidate (the program's own port when it is a
    // path such as a pseudo-terminal, which the system's port list leaves out) is tried too.
    void ScanSerialPorts(const QString& extraCandidate = QString());
    void applyTexts(const std::function<QString(int, const QString&)>& text);

    // Ports the system knows of, before the exclusive-open test (names as stored, e.g. "ttyUSB0").
    static QStringList candidatePorts();
    static bool canOpenExclusively(const QString& portName);
    // Natural ascending order: ttyS2 before ttyS10.
    static QStringList naturalOrder(QStringList names);

    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLabel* Label2;
    QComboBox* TeThemeComboBoxRaudRate;
    QComboBox* TeThemeComboBoxComm;
    QGroupBox* GroupBox3;
    QGroupBox* GroupBox2;
    QLabel* StaticText1;
    QLabel* StaticText2;
    QLabel* StaticText3;
    QLabel* StaticText4;
    QLabel* StaticText5;
    QLabel* StaticText6;
    NumericEdit* iAnalogOutputKA1;
    NumericEdit* iAnalogOutputKP1;
    NumericEdit* iAnalogOutputMW1;
    NumericEdit* iAnalogOutputKA2;
    NumericEdit* iAnalogOutputKP2;
    NumericEdit* iAnalogOutputMW2;
    QPushButton* TeThemeButton2;
    QPushButton* TeThemeButton1;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
