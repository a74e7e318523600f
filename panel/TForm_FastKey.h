#pragma once
#include <QDialog>
#include <functional>

class NumericEdit;
class QLabel;
class QPushButton;

// The fast-key dialog: edits one voltage/current preset.
class TForm_FastKey : public QDialog {
    Q_OBJECT
public:
    explicit TForm_FastKey(QWidget* parent = nullptr);

    // The model's maxima; the fields keep their values within them from now on.
    void setLimits(double maxVoltage, double maxCurrent);
    // Takes the window's words from the language texts: text(index, builtIn).
    void applyTexts(const std::function<QString(int, const QString&)>& text);

    QLabel* Label_Ch1FastKeyV;
    NumericEdit* iAnalogOutput_Ch1FastKeyV;
    QLabel* Label_Ch1FastKeyA;
    NumericEdit* iAnalogOutput_Ch1FastKeyA;
    QPushButton* TeThemeButton1;
    QPushButton* TeThemeButton2;

private:
    void fitSize();
};
