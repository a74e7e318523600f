#include "sequencers/StepInterval.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLocale>
#include <cfenv>
#include <cmath>

StepTime timeTextToMilliseconds(const QString& text, double unitMilliseconds)
{
    StepTime result;
    QLocale locale;
    locale.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        result.problem = QCoreApplication::translate("StepInterval", "'%1' is not a valid time.").arg(text);
        return result;
    }
    std::fesetround(FE_TONEAREST);
    const double ms = std::nearbyint(value * unitMilliseconds); // halves go to the even neighbour
    if (ms < 0) {
        result.problem = QCoreApplication::translate("StepInterval", "The time '%1' is negative.").arg(text);
        return result;
    }
    if (ms >= 4294967296.0) {
        result.problem = QCoreApplication::translate("StepInterval", "The time '%1' is too long (at most about 49.7 days).").arg(text);
        return result;
    }
    result.milliseconds = quint32(ms);
    return result;
}

StepTime StepInterval(const QString& timeText, int unitIndex)
{
    const double unit = unitIndex == 0 ? 1000.0 : unitIndex == 1 ? 1000.0 * 60 : 1000.0 * 60 * 60;
    return timeTextToMilliseconds(timeText, unit);
}

StepTime StepInterval(const QString& timeText, const QComboBox* unitBox)
{
    return StepInterval(timeText, unitBox ? unitBox->currentIndex() : 0);
}
