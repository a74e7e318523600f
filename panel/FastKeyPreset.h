#pragma once
#include <QString>

// A fast key's preset lives in its caption: voltage text, "V", "/", current text, "A".
struct FastKeyPreset {
    QString voltageText; // before the first "V" of the part before the first "/"
    QString currentText; // before the first "A" of the part after the first "/"
};
FastKeyPreset splitFastKeyCaption(const QString& caption);
// The caption for a preset, numbers in the user's locale ("12,5V/0,8A" with a decimal comma).
QString fastKeyCaption(double voltage, double current);
