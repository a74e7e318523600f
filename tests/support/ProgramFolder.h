#pragma once
#include <QString>
#include <QTemporaryDir>

// A throw-away program folder holding copies of the built data files (PowerType.dat,
// CountryName.Txt and the language files), so a test can start the main window
// against files it may change or remove without touching the build folder.
class ProgramFolder {
public:
    // Copies every data file; without withTexts only PowerType.dat.
    explicit ProgramFolder(bool withTexts = true);

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // Writes a default Config.dat naming the given port (empty: no port).
    void writeConfig(const QString& portName) const;
    bool isValid() const { return m_dir.isValid(); }

private:
    QTemporaryDir m_dir;
};
