#pragma once
#include <QString>
#include <optional>

class QComboBox;

// A step time as the sequencer timers take it: whole milliseconds in 32 bits.
struct StepTime {
    std::optional<quint32> milliseconds; // nothing when the text is not a usable time
    QString problem;                     // why not, naming the text
};

// Converts a time text, a decimal number in the user's locale, in units of
// unitMilliseconds, to whole milliseconds rounded to the nearest, halves to even.
// Texts that do not convert, negative times and times of 2^32 ms or more are refused.
StepTime timeTextToMilliseconds(const QString& text, double unitMilliseconds);

// The step-time conversion of the step tables: unit 0 second, 1 minute, any other hour.
StepTime StepInterval(const QString& timeText, int unitIndex);
StepTime StepInterval(const QString& timeText, const QComboBox* unitBox);
