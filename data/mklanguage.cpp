// Builds a binary language file from its readable source.
//
//   kelvane-mklanguage <source.txt> <output file>
//
// Source (UTF-8): a first line "codepage: 1252" (or 936, ...), then one line per text,
// "N<TAB>text", numbered from 0 without gaps; blank lines and lines starting with '#'
// are skipped. Output: uint16 count (number of texts + 1), then for each text a uint16
// length and the text's bytes in that code page, all little-endian.

#include "link/AnsiCodePage.h"

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

// The main window and the other windows look up texts 0 to 88.
constexpr int kRequiredTexts = 89;
// The count field's low byte is the number of texts plus one.
constexpr int kMaxTexts = 254;

const int kCodePages[] = { 874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258 };

struct SourceText {
    int line = 0;
    QByteArray bytes;
};

class Builder {
public:
    explicit Builder(QString sourceName) : m_sourceName(std::move(sourceName)) { }

    bool parse(const QByteArray& data);
    QByteArray output() const;
    const QStringList& errors() const { return m_errors; }

private:
    void fail(int line, const QString& message)
    {
        m_errors << (line > 0 ? QStringLiteral("%1:%2: %3").arg(m_sourceName).arg(line).arg(message)
                              : QStringLiteral("%1: %2").arg(m_sourceName, message));
    }
    bool parseCodePage(int line, const QString& text);
    void addText(int line, int number, const QString& text);

    QString m_sourceName;
    QStringList m_errors;
    int m_codePage = 0;
    QMap<int, SourceText> m_texts;
};

bool Builder::parseCodePage(int line, const QString& text)
{
    static const QRegularExpression header(QStringLiteral("^codepage\\s*:\\s*(\\d+)\\s*$"),
                                           QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = header.match(text);
    if (!match.hasMatch()) {
        fail(line, QStringLiteral("the first line must name the code page, for example \"codepage: 1252\""));
        return false;
    }
    const int codePage = match.captured(1).toInt();
    if (std::find(std::begin(kCodePages), std::end(kCodePages), codePage) == std::end(kCodePages)) {
        fail(line, QStringLiteral("code page %1 is not one of the supported Windows code pages").arg(codePage));
        return false;
    }
    m_codePage = codePage;
    return true;
}

void Builder::addText(int line, int number, const QString& text)
{
    if (number > kMaxTexts - 1) {
        fail(line, QStringLiteral("text number %1 is too high; a language file holds texts 0 to %2")
                       .arg(number)
                       .arg(kMaxTexts - 1));
        return;
    }
    if (m_texts.contains(number)) {
        fail(line, QStringLiteral("text %1 is given twice (first on line %2)").arg(number).arg(m_texts[number].line));
        return;
    }
    // toAnsi puts '?' where the code page has no character, so check each one by a round trip.
    const QByteArray bytes = toAnsi(text, m_codePage);
    if (fromAnsi(bytes, m_codePage) != text) {
        for (const char32_t c : text.toUcs4()) {
            const QString one = QString::fromUcs4(&c, 1);
            if (fromAnsi(toAnsi(one, m_codePage), m_codePage) != one) {
                fail(line, QStringLiteral("text %1: the character \"%2\" (U+%3) cannot be written in code page %4")
                               .arg(number)
                               .arg(one)
                               .arg(QString::number(uint(c), 16).toUpper().rightJustified(4, QLatin1Char('0')))
                               .arg(m_codePage));
                return;
            }
        }
        fail(line, QStringLiteral("text %1 cannot be written in code page %2").arg(number).arg(m_codePage));
        return;
    }
    if (bytes.size() > 0xFFFF) {
        fail(line, QStringLiteral("text %1 is longer than 65535 bytes").arg(number));
        return;
    }
    m_texts.insert(number, SourceText { line, bytes });
}

bool Builder::parse(const QByteArray& data)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString content = decoder(data);
    if (decoder.hasError()) {
        fail(0, QStringLiteral("the file is not valid UTF-8"));
        return false;
    }
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);

    static const QRegularExpression textLine(QStringLiteral("^(\\d+)\\t(.*)$"));
    const QStringList lines = content.split(QLatin1Char('\n'));
    bool haveCodePage = false;
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (!haveCodePage) {
            if (!parseCodePage(lineNumber, line))
                return false;
            haveCodePage = true;
            continue;
        }
        const QRegularExpressionMatch match = textLine.match(line);
        bool ok = false;
        const int number = match.hasMatch() ? match.captured(1).toInt(&ok) : -1;
        if (!ok) {
            fail(lineNumber, QStringLiteral("expected a text number, a tab and the text"));
            continue;
        }
        addText(lineNumber, number, match.captured(2));
    }
    if (!haveCodePage) {
        fail(0, QStringLiteral("the file names no code page (a first line such as \"codepage: 1252\")"));
        return false;
    }

    int expected = 0;
    for (auto it = m_texts.cbegin(); it != m_texts.cend(); ++it, ++expected) {
        if (it.key() != expected) {
            fail(it.value().line, QStringLiteral("text %1 is missing before text %2; texts are numbered without gaps")
                                      .arg(expected)
                                      .arg(it.key()));
            break;
        }
    }
    if (m_errors.isEmpty() && m_texts.size() < kRequiredTexts)
        fail(0, QStringLiteral("texts 0 to %1 are required, but the last one given is %2")
                    .arg(kRequiredTexts - 1)
                    .arg(m_texts.size() - 1));
    return m_errors.isEmpty();
}

QByteArray Builder::output() const
{
    QByteArray out;
    auto put16 = [&out](int value) {
        out.append(char(value & 0xFF));
        out.append(char((value >> 8) & 0xFF));
    };
    put16(int(m_texts.size()) + 1);
    for (const SourceText& text : m_texts) {
        put16(int(text.bytes.size()));
        out.append(text.bytes);
    }
    return out;
}

void report(const QString& message)
{
    std::fprintf(stderr, "kelvane-mklanguage: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: kelvane-mklanguage <source.txt> <output file>\n");
        return 2;
    }
    const QString sourceName = QFile::decodeName(argv[1]);
    const QString outputName = QFile::decodeName(argv[2]);

    QFile source(sourceName);
    if (!source.open(QIODevice::ReadOnly)) {
        report(QStringLiteral("cannot open %1: %2").arg(sourceName, source.errorString()));
        return 1;
    }
    Builder builder(sourceName);
    const bool ok = builder.parse(source.readAll());
    if (!ok) {
        for (const QString& error : builder.errors())
            report(error);
        return 1;
    }

    // Written whole or not at all, so a failed build leaves no half file behind.
    QSaveFile output(outputName);
    if (!output.open(QIODevice::WriteOnly) || output.write(builder.output()) < 0 || !output.commit()) {
        report(QStringLiteral("cannot write %1: %2").arg(outputName, output.errorString()));
        return 1;
    }
    return 0;
}
