#include "link/ModelTable.h"

#include "link/AnsiCodePage.h"
#include "link/ReadNumber.h"

#include <QBuffer>
#include <array>

namespace {

struct Translation {
    const char* code;
    const char* name;
};

// An entry that contains another one comes before it.
constexpr std::array<Translation, 5> Translations{{
    {"L325", "R525"},
    {"L32", "R505"},
    {"L31", "R515"},
    {"L335", "R535"},
    {"L33", "R540"},
}};

constexpr int FieldsPerRecord = 6;

} // namespace

QString translateModelCode(const QString& code)
{
    for (const Translation& entry : Translations) {
        if (code.contains(QLatin1String(entry.code)))
            return QLatin1String(entry.name);
    }
    return code;
}

QString modelCodeFromIdentity(const QString& idnReply)
{
    const qsizetype first = idnReply.indexOf(QLatin1Char(','));
    if (first < 0)
        return {};
    const qsizetype second = idnReply.indexOf(QLatin1Char(','), first + 1);
    if (second < 0)
        return {};
    return idnReply.mid(first + 1, second - first - 1);
}

ModelTableResult findModelLimits(const QByteArray& fileBytes, const QString& modelName)
{
    ModelTableResult result;
    if (fileBytes.size() < 4) {
        result.problem = QStringLiteral("The model table is shorter than its record count; no model limits "
                                        "were taken from it.");
        return result;
    }
    const int count = static_cast<unsigned char>(fileBytes[0]);
    if (count < 2)
        return result;

    QByteArray bytes = fileBytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    buffer.seek(4);

    const QString wanted = modelName.toUpper();
    std::optional<ModelLimits> found;
    QString problem;
    for (int record = 1; record < count; ++record) {
        std::array<QByteArray, FieldsPerRecord> fields;
        for (QByteArray& field : fields) {
            const std::optional<QByteArray> text = ReadCountedString(buffer);
            if (!text) {
                // A cut file is not trusted: what was read before the cut may be stale too.
                result.problem = QStringLiteral("The model table ends inside record %1 of %2; no model limits "
                                                "were taken from it.").arg(record).arg(count - 1);
                return result;
            }
            field = *text;
        }
        if (fromAnsi(fields[0]).toUpper() != wanted)
            continue;
        try {
            const ModelLimits limits{ReadNumber(fields[1]), ReadNumber(fields[2])};
            // A zero maximum would pin the knob at zero: such a record is unusable.
            if (limits.maxVoltage > 0 && limits.maxCurrent > 0) {
                found = limits;
                continue;
            }
        } catch (const ConversionError&) {
        }
        if (problem.isEmpty())
            problem = QStringLiteral("Record %1 of the model table gives unusable maxima for %2 (\"%3\", \"%4\"); "
                                     "it was skipped.")
                          .arg(record).arg(modelName, fromAnsi(fields[1]), fromAnsi(fields[2]));
    }
    result.limits = found;
    result.problem = problem;
    return result;
}
