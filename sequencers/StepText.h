#pragma once
#include <QByteArray>
#include <QString>
#include <cstddef>

// Fixed-size text fields of the step records: ended by the first NUL, or the whole field.
QString stepFieldText(const char* field, std::size_t size);
// Writes text into a field, cut to size - 1 bytes so that a NUL always follows.
void setStepFieldText(char* field, std::size_t size, const QString& text);

template <std::size_t N> QString stepFieldText(const char (&field)[N]) { return stepFieldText(field, N); }
template <std::size_t N> void setStepFieldText(char (&field)[N], const QString& text) { setStepFieldText(field, N, text); }
