#pragma once
#include <QByteArray>
#include <QString>

// The fixed query lines of the instrument link.
namespace Query {
inline const QByteArray Identify = QByteArrayLiteral("*IDN?\n");
inline const QByteArray Output = QByteArrayLiteral("OUTP?\n");
inline const QByteArray Voltage = QByteArrayLiteral("VOLT?\n");
inline const QByteArray Current = QByteArrayLiteral("CURR?\n");
inline const QByteArray MeasVolt = QByteArrayLiteral("Meas:Volt?\n");
inline const QByteArray MeasCurr = QByteArrayLiteral("Meas:CURR?\n");
inline const QByteArray MeasDvm = QByteArrayLiteral("Meas:DVM?\n");
}

// The platform's general float-to-text: at most 15 significant digits, no trailing
// zeros, fixed notation for decimal exponents -3..15, else the "1.5E-5" form; the
// decimal separator is the user's locale's. Used for captions, grid cells and commands.
QString FloatToText(double value);

// FloatToText with its first comma turned into a point, so commands always carry a point.
QByteArray FloatText(double value);

QByteArray VoltCommand(double value);
QByteArray CurrCommand(double value);
QByteArray OutputCommand(bool on);
QByteArray SenseCommand(bool on);
