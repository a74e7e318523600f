// Builds the binary model table "PowerType.dat" from its readable source.
//
//   kelvane-mkpowertype <source.txt> <PowerType.dat>
//
// Source: one model per line, "name | max V | max A | text | model number | text";
// blank lines and lines starting with '#' are skipped.
// Output: a 4-byte little-endian count (models + 1, since the reader examines
// count - 1 records), then per model six counted fields: 2-byte little-endian
// length, the bytes, one zero byte.

#include <QCoreApplication>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>
#include <QtEndian>

#include <cstdio>

namespace {

constexpr int FieldCount = 6;
constexpr int MaxRecords = 254; // the reader uses only the count's lowest byte

int fail(const QString& message)
{
    std::fprintf(stderr, "kelvane-mkpowertype: %s\n", qPrintable(message));
    return 1;
}

void appendCounted(QByteArray& out, const QByteArray& text)
{
    char length[2];
    qToLittleEndian<quint16>(quint16(text.size()), length);
    out.append(length, 2);
    out.append(text);
    out.append('\0');
}

// What went wrong with one line's fields, or an empty text.
QString checkFields(const QStringList& fields)
{
    if (fields.size() != FieldCount)
        return QStringLiteral("expected %1 fields separated by '|', found %2").arg(FieldCount).arg(fields.size());
    if (fields[0].isEmpty())
        return QStringLiteral("the model name is empty");
    static const QRegularExpression decimal(QStringLiteral("^(\\d+(\\.\\d*)?|\\.\\d+)$"));
    static const QRegularExpression integer(QStringLiteral("^\\d+$"));
    const char* names[] = {"maximum voltage", "maximum current"};
    for (int i = 1; i <= 2; ++i) {
        if (!decimal.match(fields[i]).hasMatch())
            return QStringLiteral("the %1 \"%2\" is not a plain decimal number").arg(names[i - 1], fields[i]);
        if (fields[i].toDouble() <= 0)
            return QStringLiteral("the %1 must be above zero").arg(names[i - 1]);
        if (fields[i].section(QLatin1Char('.'), 0, 0).size() > 9)
            return QStringLiteral("the %1 \"%2\" is too large").arg(names[i - 1], fields[i]);
    }
    if (!integer.match(fields[4]).hasMatch())
        return QStringLiteral("the model number \"%1\" is not a whole number").arg(fields[4]);
    for (const QString& field : fields) {
        for (QChar c : field)
            if (c.unicode() < 32 || c.unicode() > 126)
                return QStringLiteral("the field \"%1\" holds a character other than printable ASCII").arg(field);
    }
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3)
        return fail(QStringLiteral("usage: kelvane-mkpowertype <source.txt> <PowerType.dat>"));

    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(QStringLiteral("cannot read %1: %2").arg(args[1], source.errorString()));

    QByteArray records;
    int recordCount = 0;
    int lineNumber = 0;
    QTextStream in(&source);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        QStringList fields = line.split(QLatin1Char('|'));
        for (QString& field : fields)
            field = field.trimmed();
        const QString problem = checkFields(fields);
        if (!problem.isEmpty())
            return fail(QStringLiteral("%1:%2: %3").arg(args[1]).arg(lineNumber).arg(problem));
        if (++recordCount > MaxRecords)
            return fail(QStringLiteral("%1:%2: more than %3 models; the table holds at most %3")
                            .arg(args[1]).arg(lineNumber).arg(MaxRecords));
        for (const QString& field : fields)
            appendCounted(records, field.toLatin1());
    }

    QByteArray out;
    char count[4];
    qToLittleEndian<qint32>(recordCount + 1, count);
    out.append(count, 4);
    out.append(records);

    QSaveFile target(args[2]);
    if (!target.open(QIODevice::WriteOnly) || target.write(out) != out.size() || !target.commit())
        return fail(QStringLiteral("cannot write %1: %2").arg(args[2], target.errorString()));
    return 0;
}
