#pragma once
#include <QLocale>
#include <QString>

// The Windows language identifier that the language index is keyed by, for a locale.
// A territory that the table does not list gets its language's primary identifier;
// an unknown language, and the C/POSIX locale, get 0x0409 (English, United States).
quint16 languageIdForLocale(const QLocale& locale);

// The language code of an index line: "0x" and four upper-case hexadecimal digits.
QString languageCode(quint16 id);
