#include "link/ReadNumber.h"

#include <QtEndian>
#include <limits>

double ReadNumber(const QByteArray& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;

    QByteArray whole, fraction;
    bool inWhole = true;
    for (qsizetype i = begin; i < end; ++i) {
        const char c = text[i];
        const bool digit = c >= '0' && c <= '9';
        if (!digit)
            inWhole = false;
        else if (inWhole)
            whole.append(c);
        else
            fraction.append(c);
    }

    double result = 0;
    if (!whole.isEmpty()) {
        qsizetype first = 0;
        while (first < whole.size() - 1 && whole[first] == '0')
            ++first;
        const QByteArray significant = whole.mid(first);
        bool ok = significant.size() <= 10;
        const qint64 w = ok ? significant.toLongLong(&ok) : 0;
        if (!ok || w > std::numeric_limits<qint32>::max())
            throw ConversionError("'" + whole.toStdString() + "' is not a valid integer value");
        result = double(w);
    }
    if (!fraction.isEmpty()) {
        const QByteArray kept = fraction.left(6);
        double scale = 1;
        for (qsizetype i = 0; i < kept.size(); ++i)
            scale *= 10;
        result += double(kept.toLongLong()) / scale;
    }
    return result;
}

double ReadNumber(const QString& text)
{
    // Only ASCII digits count; anything else only has to stay a non-digit (or a blank).
    QByteArray bytes(text.size(), '\x7f');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 128)
            bytes[i] = char(u);
    }
    return ReadNumber(bytes);
}

std::optional<double> tryReadNumber(const QString& text)
{
    try {
        return ReadNumber(text);
    } catch (const ConversionError&) {
        return std::nullopt;
    }
}

std::optional<QByteArray> ReadCountedString(QIODevice& stream)
{
    const QByteArray lengthBytes = stream.read(2);
    if (lengthBytes.size() != 2)
        return std::nullopt;
    const quint16 length = qFromLittleEndian<quint16>(lengthBytes.constData());
    QByteArray text = stream.read(length);
    if (text.size() != length)
        return std::nullopt;
    if (stream.read(1).size() != 1)
        return std::nullopt;
    return text;
}
