#include "settings/TLoadSource.h"

#include "link/AnsiCodePage.h"
#include "settings/LanguageId.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

// Why a file could not be opened, in words a user understands.
QString openFailure(const QFile& file)
{
    if (!QFileInfo::exists(file.fileName()))
        return QStringLiteral("the file was not found");
    return file.errorString();
}

// Reads exactly size bytes; false when the file ends (or fails) first.
bool readExactly(QFile& file, qint64 size, QByteArray& out)
{
    out = file.read(size);
    return out.size() == size;
}

quint16 littleEndian16(const QByteArray& two)
{
    return quint16(quint8(two[0]) | (quint8(two[1]) << 8));
}

} // namespace

TLoadSource::TLoadSource(const QString& programDir, quint16 languageId, int codePage)
    : m_programDir(programDir)
    , m_languageCode(languageCode(languageId))
    , m_codePage(codePage)
{
    SourceName = SelectLanguage();
}

QString TLoadSource::SelectLanguage()
{
    Found = false;
    m_selectProblem.clear();

    QFile index(m_programDir + QLatin1Char('/') + IndexFileName);
    if (!index.open(QIODevice::ReadOnly)) {
        m_selectProblem = QStringLiteral("The language index \"%1\" could not be opened: %2.")
                              .arg(index.fileName(), openFailure(index));
        return {};
    }

    bool matched = false;
    while (!index.atEnd()) {
        QByteArray raw = index.readLine();
        if (raw.isEmpty() && index.error() != QFileDevice::NoError)
            break;
        if (raw.endsWith('\n'))
            raw.chop(1);
        if (raw.endsWith('\r'))
            raw.chop(1);
        // File names are written as the file system spells them.
        const QString line = QFile::decodeName(raw);
        if (line.size() < 8)
            continue;
        Country.Code = line.left(6);
        Country.Name = line.mid(7);
        if (Country.Code == m_languageCode) {
            matched = true;
            break;
        }
    }
    if (index.error() != QFileDevice::NoError) {
        m_selectProblem = QStringLiteral("The language index \"%1\" could not be read: %2.")
                              .arg(index.fileName(), index.errorString());
        return {};
    }
    if (!matched)
        return {};

    Found = QFileInfo(m_programDir + QLatin1Char('/') + Country.Name).isFile();
    return Country.Name;
}

void TLoadSource::LoadTexts()
{
    Texts.clear();
    m_loadProblem.clear();
    if (!Found)
        SourceName = FallbackName;

    QFile file(m_programDir + QLatin1Char('/') + SourceName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_loadProblem = QStringLiteral("The language file \"%1\" could not be opened: %2.")
                            .arg(file.fileName(), openFailure(file));
        return;
    }

    QByteArray field;
    if (!readExactly(file, 2, field)) {
        m_loadProblem = QStringLiteral("The language file \"%1\" is too short to hold a text count.")
                            .arg(file.fileName());
        return;
    }
    // Only the low byte counts; it is the number of texts plus one.
    const int countByte = quint8(field[0]);
    if (countByte <= 1) {
        m_loadProblem = QStringLiteral("The language file \"%1\" holds no texts (its count byte is %2).")
                            .arg(file.fileName())
                            .arg(countByte);
        return;
    }

    for (int k = 0; k < countByte - 1; ++k) {
        QByteArray text;
        if (!readExactly(file, 2, field) || !readExactly(file, littleEndian16(field), text)) {
            m_loadProblem = k == 0
                ? QStringLiteral("The language file \"%1\" ends before text 0 is complete, so none of its texts could be read.")
                      .arg(file.fileName())
                : QStringLiteral("The language file \"%1\" ends before text %2 is complete; only texts 0 to %3 were read.")
                      .arg(file.fileName())
                      .arg(k)
                      .arg(k - 1);
            return;
        }
        Texts.append(fromAnsi(text, m_codePage));
    }
}

QString TLoadSource::GetText(int index) const
{
    if (!hasText(index)) {
        const std::string message = QStringLiteral("Text %1 is not in the language file \"%2\" (it holds %3 texts).")
                                        .arg(index)
                                        .arg(SourceName)
                                        .arg(Texts.size())
                                        .toStdString();
        throw std::out_of_range(message);
    }
    return Texts.at(index);
}

bool TLoadSource::hasText(int index) const
{
    return index >= 0 && index < Texts.size();
}

int TLoadSource::textCount() const
{
    return int(Texts.size());
}

QString TLoadSource::problem() const
{
    return m_selectProblem.isEmpty() ? m_loadProblem : m_selectProblem;
}
