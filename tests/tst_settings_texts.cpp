#include "settings/LanguageId.h"
#include "settings/TLoadSource.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

namespace {

const QString kEnglish = QStringLiteral("English (United States)");

void writeFile(const QString& dir, const QString& name, const QByteArray& bytes)
{
    QFile file(dir + QLatin1Char('/') + name);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.errorString()));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A well-formed language file holding the given texts (ASCII or already encoded bytes).
QByteArray languageFile(const QList<QByteArray>& texts)
{
    QByteArray out;
    auto put16 = [&out](int v) {
        out.append(char(v & 0xFF));
        out.append(char(v >> 8));
    };
    put16(int(texts.size()) + 1);
    for (const QByteArray& text : texts) {
        put16(int(text.size()));
        out.append(text);
    }
    return out;
}

} // namespace

class TestSettingsTexts : public QObject {
    Q_OBJECT

private slots:
    void selectLanguage_data();
    void selectLanguage();
    void missingIndexFallsBackToEnglish();
    void missingLanguageFileIsReported();
    void languageFileLayout_data();
    void languageFileLayout();
    void codePageDecoding_data();
    void codePageDecoding();
    void getTextBeyondLoadedTexts();
    void shippedLanguageFiles_data();
    void shippedLanguageFiles();
    void languageTool_data();
    void languageTool();
    void languageIdForLocale_data();
    void languageIdForLocale();
};

void TestSettingsTexts::selectLanguage_data()
{
    QTest::addColumn<QByteArray>("index");
    QTest::addColumn<QStringList>("files"); // each file holds one text: its own name
    QTest::addColumn<int>("languageId");
    QTest::addColumn<QString>("selected");  // SelectLanguage's result
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("loaded");    // text 0 after LoadTexts

    const QStringList both { kEnglish, QStringLiteral("Deutsch") };
    QTest::newRow("matching code")
        << QByteArray("0x0409 English (United States)\n0x0407 Deutsch\n") << both << 0x0407
        << "Deutsch" << true << "Deutsch";
    QTest::newRow("no entry gives English")
        << QByteArray("0x0409 English (United States)\n0x0407 Deutsch\n") << both << 0x040C
        << "" << false << kEnglish;
    QTest::newRow("lower-case hex never matches")
        << QByteArray("0x040c Francais\n") << QStringList { kEnglish, QStringLiteral("Francais") } << 0x040C
        << "" << false << kEnglish;
    QTest::newRow("first of two equal codes wins")
        << QByteArray("0x0407 Erste\n0x0407 Zweite\n")
        << QStringList { kEnglish, QStringLiteral("Erste"), QStringLiteral("Zweite") } << 0x0407
        << "Erste" << true << "Erste";
    QTest::newRow("entry naming a missing file gives English")
        << QByteArray("0x0407 Fehlt\n") << QStringList { kEnglish } << 0x0407
        << "Fehlt" << false << kEnglish;
    QTest::newRow("CRLF line ends")
        << QByteArray("0x0409 English (United States)\r\n0x0407 Deutsch\r\n") << both << 0x0407
        << "Deutsch" << true << "Deutsch";
    QTest::newRow("short lines skipped, separator not read")
        << QByteArray("0x0407\n0x0407 \n\n0x0407-D\n") << QStringList { kEnglish, QStringLiteral("D") } << 0x0407
        << "D" << true << "D";
    QTest::newRow("no final line feed")
        << QByteArray("0x0804 Chinese (Simplified)") << QStringList { kEnglish, QStringLiteral("Chinese (Simplified)") }
        << 0x0804 << "Chinese (Simplified)" << true << "Chinese (Simplified)";
}

void TestSettingsTexts::selectLanguage()
{
    QFETCH(QByteArray, index);
    QFETCH(QStringList, files);
    QFETCH(int, languageId);
    QFETCH(QString, selected);
    QFETCH(bool, found);
    QFETCH(QString, loaded);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.path(), TLoadSource::IndexFileName, index);
    for (const QString& name : files)
        writeFile(dir.path(), name, languageFile({ name.toLatin1() }));

    TLoadSource source(dir.path(), quint16(languageId), 1252);
    QCOMPARE(source.SourceName, selected);
    QCOMPARE(source.Found, found);
    source.LoadTexts();
    QCOMPARE(source.textCount(), 1);
    QCOMPARE(source.GetText(0), loaded);
    QCOMPARE(source.problem(), QString());
}

void TestSettingsTexts::missingIndexFallsBackToEnglish()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.path(), kEnglish, languageFile({ "Kelvane" }));

    TLoadSource source(dir.path(), 0x0407, 1252);
    QVERIFY(!source.Found);
    QVERIFY(source.SourceName.isEmpty());
    QVERIFY(source.problem().contains(TLoadSource::IndexFileName));
    QVERIFY(source.problem().contains(QStringLiteral("not found")));

    // The English texts still serve, and the index failure stays the reported problem.
    source.LoadTexts();
    QCOMPARE(source.SourceName, kEnglish);
    QCOMPARE(source.GetText(0), QStringLiteral("Kelvane"));
    QVERIFY(source.problem().contains(TLoadSource::IndexFileName));
}

void TestSettingsTexts::missingLanguageFileIsReported()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.path(), TLoadSource::IndexFileName, "0x0407 Deutsch\n");

    TLoadSource source(dir.path(), 0x0407, 1252);
    QCOMPARE(source.problem(), QString());
    source.LoadTexts();
    QCOMPARE(source.textCount(), 0);
    QVERIFY(!source.hasText(0));
    QVERIFY2(source.problem().contains(kEnglish), qPrintable(source.problem()));
}

void TestSettingsTexts::languageFileLayout_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("problem"); // part of the expected problem, or empty for none

    QTest::newRow("two texts A and BC") << QByteArray::fromHex("030001004102004243")
                                        << QStringList { "A", "BC" } << "";
    QTest::newRow("high byte of the count ignored") << QByteArray::fromHex("037F01004102004243")
                                                    << QStringList { "A", "BC" } << "";
    QTest::newRow("bytes after the last entry ignored") << QByteArray::fromHex("02000100415A5A")
                                                        << QStringList { "A" } << "";
    QTest::newRow("zero-length text") << QByteArray::fromHex("03000000010041")
                                      << QStringList { "", "A" } << "";
    QTest::newRow("count byte 1") << QByteArray::fromHex("0100") << QStringList {} << "count byte is 1";
    QTest::newRow("count byte 0") << QByteArray::fromHex("0000010041") << QStringList {} << "count byte is 0";
    QTest::newRow("empty file") << QByteArray() << QStringList {} << "too short";
    QTest::newRow("ends inside the text of entry 1") << QByteArray::fromHex("040001004105004243")
                                                     << QStringList { "A" } << "text 1";
    QTest::newRow("ends inside the length of entry 2") << QByteArray::fromHex("04000100410100420100")
                                                       << QStringList { "A", "B" } << "text 2";
    QTest::newRow("ends before entry 0") << QByteArray::fromHex("0300") << QStringList {} << "text 0";
}

void TestSettingsTexts::languageFileLayout()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, texts);
    QFETCH(QString, problem);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.path(), TLoadSource::IndexFileName, "0x0409 English (United States)\n");
    writeFile(dir.path(), kEnglish, bytes);

    TLoadSource source(dir.path(), 0x0409, 1252);
    source.LoadTexts();
    QCOMPARE(source.Texts, texts);
    QCOMPARE(source.textCount(), texts.size());
    if (problem.isEmpty()) {
        QCOMPARE(source.problem(), QString());
    } else {
        QVERIFY2(source.problem().contains(problem), qPrintable(source.problem()));
        QVERIFY2(source.problem().contains(kEnglish), qPrintable(source.problem()));
    }
}

void TestSettingsTexts::codePageDecoding_data()
{
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    QTest::newRow("GBK 936") << 936 << QByteArray::fromHex("B5E7D1B9283129") << QStringLiteral("电压(1)");
    QTest::newRow("Western 1252") << 1252 << QByteArray("\xD6" "ffnen")
                                  << QStringLiteral("Öffnen");
}

void TestSettingsTexts::codePageDecoding()
{
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.path(), TLoadSource::IndexFileName, "0x0804 Texts\n");
    writeFile(dir.path(), "Texts", languageFile({ bytes }));

    TLoadSource source(dir.path(), 0x0804, codePage);
    source.LoadTexts();
    QCOMPARE(source.GetText(0), text);
}

void TestSettingsTexts::getTextBeyondLoadedTexts()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.path(), TLoadSource::IndexFileName, "0x0409 English (United States)\n");
    writeFile(dir.path(), kEnglish, languageFile({ "A", "B" }));

    TLoadSource source(dir.path(), 0x0409, 1252);
    QVERIFY_THROWS_EXCEPTION(std::out_of_range, source.GetText(0)); // nothing loaded yet
    source.LoadTexts();
    QCOMPARE(source.GetText(1), QStringLiteral("B"));
    QVERIFY(!source.hasText(2));
    QVERIFY(!source.hasText(-1));
    for (int index : { 2, 61, -1 }) {
        try {
            source.GetText(index);
            QFAIL("GetText did not throw");
        } catch (const std::out_of_range& e) {
            const QString message = QString::fromStdString(e.what());
            QVERIFY2(message.contains(QStringLiteral("Text %1 ").arg(index)), qPrintable(message));
        }
    }
}

void TestSettingsTexts::shippedLanguageFiles_data()
{
    QTest::addColumn<int>("languageId");
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("sampleIndex");
    QTest::addColumn<QString>("sample");

    QTest::newRow("English") << 0x0409 << 1252 << kEnglish << 5 << "Voltage/Current/DVM";
    QTest::newRow("English for British users") << 0x0809 << 1252 << kEnglish << 77 << "Zoom rectange";
    QTest::newRow("German") << 0x0407 << 1252 << "German (Germany)" << 3 << QStringLiteral("Öffnen");
    QTest::newRow("German for Austria") << 0x0C07 << 1252 << "German (Germany)" << 88 << QStringLiteral("Schließen");
    QTest::newRow("Chinese") << 0x0804 << 936 << "Chinese (Simplified)" << 33 << QStringLiteral("电压(V)");
}

void TestSettingsTexts::shippedLanguageFiles()
{
    QFETCH(int, languageId);
    QFETCH(int, codePage);
    QFETCH(QString, file);
    QFETCH(int, sampleIndex);
    QFETCH(QString, sample);

    const QString programDir = QStringLiteral(KELVANE_PROGRAM_DIR);
    if (!QFile::exists(programDir + QLatin1Char('/') + TLoadSource::IndexFileName)
        || !QFile::exists(programDir + QLatin1Char('/') + file))
        QSKIP("the language files have not been generated in the program folder");

    TLoadSource source(programDir, quint16(languageId), codePage);
    QVERIFY(source.Found);
    QCOMPARE(source.SourceName, file);
    source.LoadTexts();
    QCOMPARE(source.problem(), QString());
    QCOMPARE(source.textCount(), 89);
    for (int i = 0; i < source.textCount(); ++i) {
        QVERIFY2(!source.GetText(i).isEmpty(), qPrintable(QString::number(i)));
        QVERIFY2(!source.GetText(i).contains(QChar::ReplacementCharacter), qPrintable(QString::number(i)));
    }
    QCOMPARE(source.GetText(sampleIndex), sample);
}

void TestSettingsTexts::languageTool_data()
{
    QTest::addColumn<QByteArray>("body"); // lines after the code page line
    QTest::addColumn<QString>("error");   // expected part of the message, empty for success

    QByteArray complete;
    for (int i = 0; i <= 88; ++i)
        complete += QByteArray::number(i) + "\tText " + QByteArray::number(i) + "\n";

    QTest::newRow("complete, with comments and CRLF")
        << QByteArray("# comment\r\n\r\n") + complete << "";
    QTest::newRow("gap") << QByteArray(complete).replace("7\tText 7\n", "") << ":9: text 7 is missing";
    QTest::newRow("duplicate") << complete + "5\tAgain\n" << "text 5 is given twice";
    QTest::newRow("bad line") << complete + "89 no tab\n" << ":91: expected a text number";
    QTest::newRow("character outside the code page") << complete + "89\t\xE4\xB8\xAD\n" << "U+4E2D";
    QTest::newRow("incomplete") << QByteArray("0\tA\n") << "texts 0 to 88 are required";
}

void TestSettingsTexts::languageTool()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, error);

    const QString tool = QStringLiteral(KELVANE_PROGRAM_DIR "/data/kelvane-mklanguage");
    if (!QFile::exists(tool))
        QSKIP("kelvane-mklanguage has not been built");

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.path(), "Test.txt", "codepage: 1252\n" + body);
    const QString output = dir.filePath(QStringLiteral("Test"));

    QProcess process;
    process.start(tool, { dir.filePath(QStringLiteral("Test.txt")), output });
    QVERIFY(process.waitForFinished(30000));
    const QString stderrText = QString::fromUtf8(process.readAllStandardError());

    if (!error.isEmpty()) {
        QVERIFY(process.exitCode() != 0);
        QVERIFY2(stderrText.contains(error), qPrintable(stderrText));
        QVERIFY(!QFile::exists(output));
        return;
    }
    QVERIFY2(process.exitCode() == 0, qPrintable(stderrText));
    QFile file(output);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QCOMPARE(bytes.left(12), QByteArray::fromHex("5A0006005465787420300600"));

    writeFile(dir.path(), TLoadSource::IndexFileName, "0x0409 Test\n");
    TLoadSource source(dir.path(), 0x0409, 1252);
    source.LoadTexts();
    QCOMPARE(source.textCount(), 89);
    QCOMPARE(source.GetText(88), QStringLiteral("Text 88"));
}

void TestSettingsTexts::languageIdForLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("code");

    QTest::newRow("en_US") << "en_US" << 0x0409 << "0x0409";
    QTest::newRow("en_GB") << "en_GB" << 0x0809 << "0x0809";
    QTest::newRow("de_DE") << "de_DE" << 0x0407 << "0x0407";
    QTest::newRow("de_AT") << "de_AT" << 0x0C07 << "0x0C07";
    QTest::newRow("de_CH") << "de_CH" << 0x0807 << "0x0807";
    QTest::newRow("de_BE unlisted") << "de_BE" << 0x0407 << "0x0407";
    QTest::newRow("fr_FR") << "fr_FR" << 0x040C << "0x040C";
    QTest::newRow("es_ES") << "es_ES" << 0x0C0A << "0x0C0A";
    QTest::newRow("ja_JP") << "ja_JP" << 0x0411 << "0x0411";
    QTest::newRow("zh_CN") << "zh_CN" << 0x0804 << "0x0804";
    QTest::newRow("zh_TW") << "zh_TW" << 0x0404 << "0x0404";
    QTest::newRow("ru_RU") << "ru_RU" << 0x0419 << "0x0419";
    QTest::newRow("C") << "C" << 0x0409 << "0x0409";
}

void TestSettingsTexts::languageIdForLocale()
{
    QFETCH(QString, locale);
    QFETCH(int, id);
    QFETCH(QString, code);

    const quint16 actual = ::languageIdForLocale(QLocale(locale));
    QCOMPARE(int(actual), id);
    QCOMPARE(languageCode(actual), code);
}

QTEST_GUILESS_MAIN(TestSettingsTexts)
#include "tst_settings_texts.moc"
