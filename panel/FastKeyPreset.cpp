#include "panel/FastKeyPreset.h"

#include "link/CommandText.h"

FastKeyPreset splitFastKeyCaption(const QString& caption)
{
    const qsizetype slash = caption.indexOf(QLatin1Char('/'));
    const QString voltagePart = slash >= 0 ? caption.left(slash) : caption;
    // Without a "/" there is no current part: the current reads as 0.
    const QString currentPart = slash >= 0 ? caption.mid(slash + 1) : QString();
    FastKeyPreset preset;
    preset.voltageText = voltagePart.left(voltagePart.indexOf(QLatin1Char('V')));
    preset.currentText = currentPart.left(currentPart.indexOf(QLatin1Char('A')));
    return preset;
}

QString fastKeyCaption(double voltage, double current)
{
    return FloatToText(voltage) + QLatin1Char('V') + QLatin1Char('/') + FloatToText(current) + QLatin1Char('A');
}
