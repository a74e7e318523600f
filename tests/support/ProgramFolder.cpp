#include "support/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QProcess>

ProgramFolder::ProgramFolder(bool withTexts)
{
    const QDir build(QStringLiteral(KELVANE_PROGRAM_DIR));
    QStringList names{QStringLiteral("PowerType.dat")};
    if (withTexts)
        names << QStringLiteral("CountryName.Txt") << QStringLiteral("English (United States)")
              << QStringLiteral("German (Germany)") << QStringLiteral("Chinese (Simplified)");
    for (const QString& name : std::as_const(names))
        QFile::copy(build.filePath(name), m_dir.filePath(name));
}

void ProgramFolder::writeConfig(const QString& portName) const
{
    QProcess::execute(QStringLiteral(KELVANE_PROGRAM_DIR "/data/kelvane-mkconfig"),
        {m_dir.filePath(QStringLiteral("Config.dat")), portName});
}
