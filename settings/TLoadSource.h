#pragma once
#include <QString>
#include <QStringList>

/// One entry of the language index "CountryName.Txt".
struct TCountryRecord {
    QString Code; ///< six-character language code, "0x" and four upper-case hex digits
    QString Name; ///< language file name in the program folder, used as written
};

/// The program's one text loader: picks the language file for the user's language from
/// "CountryName.Txt" beside the program, reads its numbered texts and hands them out.
///
/// Nothing here throws on bad or missing files: whatever could be read is kept, and
/// problem() holds one sentence for the user. The caller keeps its built-in texts for
/// every number that hasText() denies.
class TLoadSource {
public:
    /// Selects the language file at once (result in SourceName); LoadTexts() reads it.
    TLoadSource(const QString& programDir, quint16 languageId, int codePage);
    virtual ~TLoadSource() = default;

    TCountryRecord Country; ///< the index entry read last
    QString SourceName;     ///< name of the language file to load
    bool Found = false;     ///< a matching entry was found and its file exists
    QStringList Texts;      ///< position k holds text k

    /// Looks up the language code in the index; returns the file name of the first
    /// matching entry, or an empty string (Found false) when there is none.
    QString SelectLanguage();
    /// Reads the texts of SourceName, or of "English (United States)" when !Found.
    void LoadTexts();

    /// Text number index. Throws std::out_of_range naming the index when it is not loaded.
    QString GetText(int index) const;
    bool hasText(int index) const;
    int textCount() const;

    /// Empty, or one sentence saying what went wrong while selecting or loading.
    QString problem() const;

    static inline const QString IndexFileName = QStringLiteral("CountryName.Txt");
    static inline const QString FallbackName = QStringLiteral("English (United States)");

private:
    QString m_programDir;
    QString m_languageCode;
    int m_codePage;
    QString m_selectProblem;
    QString m_loadProblem;
};
