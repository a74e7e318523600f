#include "settings/SettingsFile.h"

#include "link/AnsiCodePage.h"

#include <QtEndian>
#include <cstring>

namespace {

constexpr int ProgramStepSize = 32;
constexpr int GoNgStepSize = 40;
static_assert(sizeof(ProgramStep) == ProgramStepSize && sizeof(GoNgStep) == GoNgStepSize);

// Walks the bytes front to back; every take* fails, leaving its target alone,
// when the bytes end before the field does.
class Reader {
public:
    explicit Reader(const QByteArray& bytes) : m_bytes(bytes) {}

    qsizetype remaining() const { return m_bytes.size() - m_pos; }

    bool takeInt(qint32& value)
    {
        if (remaining() < 4)
            return false;
        value = qFromLittleEndian<qint32>(m_bytes.constData() + m_pos);
        m_pos += 4;
        return true;
    }
    bool takeDouble(double& value)
    {
        if (remaining() < 8)
            return false;
        value = qFromLittleEndian<double>(m_bytes.constData() + m_pos);
        m_pos += 8;
        return true;
    }
    bool takeBytes(char* target, qsizetype size)
    {
        if (remaining() < size)
            return false;
        std::memcpy(target, m_bytes.constData() + m_pos, size);
        m_pos += size;
        return true;
    }
    bool skip(qsizetype size)
    {
        if (remaining() < size)
            return false;
        m_pos += size;
        return true;
    }
    const char* current() const { return m_bytes.constData() + m_pos; }

private:
    const QByteArray& m_bytes;
    qsizetype m_pos = 0;
};

ProgramStep programStepFrom(const char* bytes)
{
    ProgramStep step;
    std::memcpy(step.VoltageText, bytes, 10);
    std::memcpy(step.CurrentText, bytes + 10, 10);
    std::memcpy(step.Padding, bytes + 20, 4);
    step.Time = qFromLittleEndian<double>(bytes + 24);
    return step;
}

GoNgStep goNgStepFrom(const char* bytes)
{
    GoNgStep step;
    std::memcpy(step.SettingText, bytes, 10);
    std::memcpy(step.MaxText, bytes + 10, 10);
    std::memcpy(step.MinText, bytes + 20, 10);
    std::memcpy(step.Padding, bytes + 30, 2);
    step.Time = qFromLittleEndian<double>(bytes + 32);
    return step;
}

struct TableOutcome {
    bool replaced = false; // the table now holds records from the file
    bool stop = false;     // the file ended: nothing after the table is reached
};

// Reads one step table: its count, then that many records. The count is checked
// against the bytes left before anything is allocated; 0 or less keeps the table.
template <typename Step>
TableOutcome readTable(Reader& in, std::vector<Step>& steps, int recordSize, Step (*decode)(const char*),
                       const QString& tableName, QString& problem)
{
    TableOutcome outcome;
    qint32 count = 0;
    if (!in.takeInt(count)) {
        problem = QStringLiteral("The file ends before the number of %1 steps; the settings from there on "
                                 "were left unchanged.").arg(tableName);
        outcome.stop = true;
        return outcome;
    }
    if (count < 0) {
        problem = QStringLiteral("The file gives a negative number of %1 steps (%2); that table was left "
                                 "unchanged.").arg(tableName).arg(count);
        return outcome;
    }
    if (count == 0)
        return outcome;

    const qsizetype loaded = qMin<qsizetype>(count, in.remaining() / recordSize);
    if (loaded > 0) {
        std::vector<Step> read;
        read.reserve(std::size_t(loaded));
        for (qsizetype i = 0; i < loaded; ++i) {
            read.push_back(decode(in.current()));
            in.skip(recordSize);
        }
        steps = std::move(read);
        outcome.replaced = true;
    }
    if (loaded < count) {
        problem = loaded > 0
            ? QStringLiteral("The file announces %1 %2 steps but holds only %3 complete ones; those were "
                             "loaded and the settings after them were left unchanged.")
                  .arg(count).arg(tableName).arg(loaded)
            : QStringLiteral("The file announces %1 %2 steps but holds none; that table and the settings "
                             "after it were left unchanged.").arg(count).arg(tableName);
        outcome.stop = true;
    }
    return outcome;
}

void putInt(QByteArray& out, qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void putDouble(QByteArray& out, double value)
{
    char bytes[8];
    qToLittleEndian(value, bytes);
    out.append(bytes, 8);
}

// A text field: the bytes up to the first NUL (or the whole field), zero-filled after.
void putText(QByteArray& out, const char* field, qsizetype size)
{
    const qsizetype length = qstrnlen(field, size);
    out.append(field, length);
    out.append(size - length, '\0');
}

// The ANSI bytes of a caption, cut at a character boundary so that at most
// maxBytes remain: a half of a double-byte character would garble the reading.
QByteArray captionBytes(const QString& caption, qsizetype maxBytes)
{
    QByteArray bytes = toAnsi(caption);
    if (bytes.size() <= maxBytes)
        return bytes;
    QString text = caption;
    while (!text.isEmpty()) {
        text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
        bytes = toAnsi(text);
        if (bytes.size() <= maxBytes)
            return bytes;
    }
    return {};
}

} // namespace

bool isParameterPath(const QString& path)
{
    return path.toUpper().contains(QLatin1String(".PAR"));
}

QString parameterFileName(const QString& chosen)
{
    if (chosen.contains(QLatin1String(".PAR"), Qt::CaseSensitive))
        return chosen;
    return chosen + QLatin1String(".PAR");
}

SettingsReadResult readSettings(const QByteArray& bytes, bool parameterKind, SettingsImage& image)
{
    SettingsReadResult result;
    Reader in(bytes);
    const auto cut = [&](const QString& where) {
        result.problem = QStringLiteral("The file ends inside %1; the settings after that point were left "
                                        "unchanged.").arg(where);
        return result;
    };

    if (bytes.isEmpty()) {
        result.problem = QStringLiteral("The file is empty; nothing was loaded from it.");
        return result;
    }

    if (!parameterKind) {
        if (!in.takeInt(image.BaudIndex) || !in.takeBytes(image.PortName, sizeof image.PortName)
            || !in.skip(1)) // padding
            return cut(QStringLiteral("the settings header"));
        for (double* step : {&image.VoltArrowStep, &image.VoltPageStep, &image.VoltWheelStep,
                             &image.CurrArrowStep, &image.CurrPageStep, &image.CurrWheelStep}) {
            if (!in.takeDouble(*step))
                return cut(QStringLiteral("the settings header"));
        }
        result.headerRead = true;
    }

    for (QString& caption : image.FastKeyCaptions) {
        char field[FastKeyCaptionSize];
        if (!in.takeBytes(field, FastKeyCaptionSize))
            return cut(QStringLiteral("the fast-key captions"));
        caption = fromAnsi(QByteArray(field, qstrnlen(field, FastKeyCaptionSize)));
    }

    for (double* value : {&image.ScanStart, &image.ScanStop, &image.ScanStep, &image.ScanDelay}) {
        if (!in.takeDouble(*value))
            return cut(QStringLiteral("the voltage-scan values"));
    }

    const TableOutcome program = readTable(in, image.ProgramSteps, ProgramStepSize, &programStepFrom,
                                           QStringLiteral("list-program"), result.problem);
    result.programStepsRead = program.replaced;
    if (program.stop)
        return result;

    QString goNgProblem;
    const TableOutcome goNg = readTable(in, image.GoNgSteps, GoNgStepSize, &goNgStepFrom,
                                        QStringLiteral("GO/NG"), goNgProblem);
    result.goNgStepsRead = goNg.replaced;
    if (result.problem.isEmpty())
        result.problem = goNgProblem;
    return result;
}

QByteArray writeSettings(const SettingsImage& image, bool parameterKind)
{
    QByteArray out;
    out.reserve(SettingsHeaderSize + 10 * FastKeyCaptionSize + 40
                + qsizetype(image.ProgramSteps.size()) * ProgramStepSize
                + qsizetype(image.GoNgSteps.size()) * GoNgStepSize);

    if (!parameterKind) {
        putInt(out, image.BaudIndex);
        putText(out, image.PortName, sizeof image.PortName);
        out.append('\0'); // padding
        for (double step : {image.VoltArrowStep, image.VoltPageStep, image.VoltWheelStep,
                            image.CurrArrowStep, image.CurrPageStep, image.CurrWheelStep})
            putDouble(out, step);
    }

    for (const QString& caption : image.FastKeyCaptions) {
        const QByteArray text = captionBytes(caption, FastKeyCaptionSize - 1);
        out.append(text);
        out.append(FastKeyCaptionSize - text.size(), '\0');
    }

    for (double value : {image.ScanStart, image.ScanStop, image.ScanStep, image.ScanDelay})
        putDouble(out, value);

    putInt(out, qint32(image.ProgramSteps.size()));
    for (const ProgramStep& step : image.ProgramSteps) {
        out.append(step.VoltageText, 10);
        out.append(step.CurrentText, 10);
        out.append(4, '\0');
        putDouble(out, step.Time);
    }

    putInt(out, qint32(image.GoNgSteps.size()));
    for (const GoNgStep& step : image.GoNgSteps) {
        out.append(step.SettingText, 10);
        out.append(step.MaxText, 10);
        out.append(step.MinText, 10);
        out.append(2, '\0');
        putDouble(out, step.Time);
    }
    return out;
}
