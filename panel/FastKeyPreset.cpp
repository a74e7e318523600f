#include "panel/FastKeyPreset.h"

#include "link/CommandText.h"

#include <QLocale>

namespace {

// FloatToText writes values below 0.001 in exponent form ("1E-5"), which the number
// reader would take back as 1.5: such values are written in fixed notation instead,
// to the six decimals the reader keeps.
QString presetNumber(double value)
{
    const QString text = FloatToText(value);
    if (!text.contains(QLatin1Char('E')))
        return text;
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    QString fixed = locale.toString(value, 'f', 6);
    while (fixed.endsWith(QLatin1Char('0')))
        fixed.chop(1);
    if (fixed.endsWith(locale.decimalPoint()))
        fixed.chop(locale.decimalPoint().size());
    return fixed;
}

} // namespace

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
    return presetNumber(voltage) + QLatin1Char('V') + QLatin1Char('/') + presetNumber(current) + QLatin1Char('A');
}
