#pragma once
#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <optional>
#include <stdexcept>

// Raised when a number's whole part does not fit a signed 32-bit integer.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The program's number reader: leading digits form the whole part, every later digit
// (at most six used) the fraction; signs, exponents and other characters are skipped.
// A text without digits reads as 0. Throws ConversionError when the whole part overflows.
double ReadNumber(const QString& text);
double ReadNumber(const QByteArray& text);

// ReadNumber without the exception: nothing when the whole part overflows.
std::optional<double> tryReadNumber(const QString& text);

// One counted text field: 2-byte little-endian length L, L bytes, one ignored byte.
// Nothing when the stream ends inside the field.
std::optional<QByteArray> ReadCountedString(QIODevice& stream);
