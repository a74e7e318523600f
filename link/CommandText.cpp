#include "link/CommandText.h"

#include <QLocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

QString FloatToText(double value)
{
    if (value == 0 || !std::isfinite(value))
        return QStringLiteral("0");

    // %.14e rounds to 15 significant digits, carries included: "d.dddddddddddddde+XX".
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(value));
    QByteArray digits;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits.append(*p);
    const int exponent = std::atoi(p + 1) + 1; // value = 0.d1d2... x 10^exponent
    while (digits.size() > 1 && digits.endsWith('0'))
        digits.chop(1);

    const QString sep = QLocale().decimalPoint();
    QString text = value < 0 ? QStringLiteral("-") : QString();
    const QString d = QString::fromLatin1(digits);
    if (exponent >= -3 && exponent <= 15) {
        if (exponent <= 0) {
            text += QLatin1Char('0') + sep + QString(-exponent, QLatin1Char('0')) + d;
        } else {
            text += d.left(exponent).leftJustified(exponent, QLatin1Char('0'));
            if (d.size() > exponent)
                text += sep + d.mid(exponent);
        }
    } else {
        text += d.left(1);
        if (d.size() > 1)
            text += sep + d.mid(1);
        text += QLatin1Char('E') + QString::number(exponent - 1);
    }
    return text;
}

QByteArray FloatText(double value)
{
    QString text = FloatToText(value);
    const qsizetype comma = text.indexOf(QLatin1Char(','));
    if (comma >= 0)
        text[comma] = QLatin1Char('.');
    return text.toLatin1();
}

QByteArray VoltCommand(double value)
{
    return "VOLT " + FloatText(value) + ";:Syst:Err?\n";
}

QByteArray CurrCommand(double value)
{
    return "Curr " + FloatText(value) + ";:Syst:Err?\n";
}

QByteArray OutputCommand(bool on)
{
    return on ? QByteArrayLiteral("OUTP 1;:Syst:Err?\n") : QByteArrayLiteral("OUTP 0;:Syst:Err?\n");
}

QByteArray SenseCommand(bool on)
{
    return on ? QByteArrayLiteral("SYST:SENS 1;:Syst:Err?\n") : QByteArrayLiteral("SYST:SENS 0;:Syst:Err?\n");
}
