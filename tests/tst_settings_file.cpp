#include "link/AnsiCodePage.h"
#include "settings/SettingsFile.h"

#include <QtEndian>
#include <QtTest>
#include <algorithm>
#include <cstring>

namespace {

QByteArray le32(qint32 value)
{
    QByteArray out(4, '\0');
    qToLittleEndian(value, out.data());
    return out;
}

QByteArray le64(double value)
{
    QByteArray out(8, '\0');
    qToLittleEndian(value, out.data());
    return out;
}

QByteArray field(const QByteArray& text, int size)
{
    return text + QByteArray(size - text.size(), '\0');
}

QByteArray programRecord(const QByteArray& volts, const QByteArray& amps, double time)
{
    return field(volts, 10) + field(amps, 10) + QByteArray(4, '\0') + le64(time);
}

QByteArray goNgRecord(const QByteArray& setting, const QByteArray& max, const QByteArray& min, double time)
{
    return field(setting, 10) + field(max, 10) + field(min, 10) + QByteArray(2, '\0') + le64(time);
}

// A settings file written out field by field, independent of the writer.
QByteArray handBuiltFile()
{
    QByteArray out = le32(3) + QByteArray("ttyUSB0_abc") + QByteArray(1, '\0'); // 11 characters, no NUL
    for (double step : {0.1, 0.5, 1.0, 0.002, 0.05, 0.25})
        out += le64(step);
    out += field("5V/1A", 100);
    out += QByteArray(100, 'x'); // a full field has no NUL
    for (int k = 3; k <= 10; ++k)
        out += field("Key " + QByteArray::number(k), 100);
    for (double value : {2.5, 12.0, 0.5, 3.0})
        out += le64(value);
    out += le32(2) + programRecord("1234567890", "1.5", 2.5) + programRecord("12", "0.25", 60);
    out += le32(3) + goNgRecord("5", "1.2", "0.8", 1) + goNgRecord("ABCDEFGHIJ", "2", "1", 0.5)
        + goNgRecord("7", "3", "0", 10);
    return out;
}

void setText(char (&field)[10], const QByteArray& text)
{
    std::memset(field, 0, sizeof field);
    std::memcpy(field, text.constData(), std::min<std::size_t>(text.size(), sizeof field));
}

// Sets the code page for one test and puts 1252 back however the test ends.
struct CodePageScope {
    explicit CodePageScope(int codePage) { setAnsiCodePage(codePage); }
    ~CodePageScope() { setAnsiCodePage(1252); }
};

QString text(const char (&bytes)[10])
{
    return QString::fromLatin1(bytes, qstrnlen(bytes, 10));
}

QString portName(const SettingsImage& image)
{
    return QString::fromLatin1(image.PortName, qstrnlen(image.PortName, sizeof image.PortName));
}

bool sameSteps(const std::vector<ProgramStep>& a, const std::vector<ProgramStep>& b, std::size_t count)
{
    return a.size() == count && b.size() >= count && std::memcmp(a.data(), b.data(), count * sizeof(ProgramStep)) == 0;
}

bool sameSteps(const std::vector<GoNgStep>& a, const std::vector<GoNgStep>& b, std::size_t count)
{
    return a.size() == count && b.size() >= count && std::memcmp(a.data(), b.data(), count * sizeof(GoNgStep)) == 0;
}

// An image whose every field differs from the defaults, for round trips and for
// telling which fields a read replaced.
SettingsImage distinctImage(int seed)
{
    SettingsImage image;
    image.BaudIndex = seed % 4;
    std::memset(image.PortName, 0, sizeof image.PortName);
    std::memcpy(image.PortName, seed % 2 ? "ttyS1" : "pts/12", seed % 2 ? 5 : 6);
    image.VoltArrowStep = 0.1 * seed;
    image.VoltPageStep = 0.2 * seed;
    image.VoltWheelStep = 0.3 * seed;
    image.CurrArrowStep = 0.4 * seed;
    image.CurrPageStep = 0.5 * seed;
    image.CurrWheelStep = 0.6 * seed;
    for (int k = 0; k < 10; ++k)
        image.FastKeyCaptions[k] = QStringLiteral("%1V/%2A").arg(seed * 10 + k).arg(seed);
    image.ScanStart = seed + 0.5;
    image.ScanStop = seed + 7;
    image.ScanStep = seed + 0.25;
    image.ScanDelay = seed + 2;
    image.ProgramSteps.assign(std::size_t(seed + 1), ProgramStep{});
    for (std::size_t i = 0; i < image.ProgramSteps.size(); ++i) {
        ProgramStep& step = image.ProgramSteps[i];
        setText(step.VoltageText, QByteArray::number(seed) + '.' + QByteArray::number(qulonglong(i)));
        step.Time = double(seed * 100 + int(i));
    }
    image.GoNgSteps.assign(std::size_t(seed + 2), GoNgStep{});
    for (std::size_t i = 0; i < image.GoNgSteps.size(); ++i) {
        GoNgStep& step = image.GoNgSteps[i];
        setText(step.MinText, "0." + QByteArray::number(seed) + QByteArray::number(qulonglong(i)));
        step.Time = double(seed + int(i)) / 4;
    }
    return image;
}

void compareImages(const SettingsImage& actual, const SettingsImage& expected, bool withHeader)
{
    if (withHeader) {
        QCOMPARE(actual.BaudIndex, expected.BaudIndex);
        QCOMPARE(QByteArray(actual.PortName, 11), QByteArray(expected.PortName, 11));
        QCOMPARE(actual.VoltArrowStep, expected.VoltArrowStep);
        QCOMPARE(actual.VoltPageStep, expected.VoltPageStep);
        QCOMPARE(actual.VoltWheelStep, expected.VoltWheelStep);
        QCOMPARE(actual.CurrArrowStep, expected.CurrArrowStep);
        QCOMPARE(actual.CurrPageStep, expected.CurrPageStep);
        QCOMPARE(actual.CurrWheelStep, expected.CurrWheelStep);
    }
    for (int k = 0; k < 10; ++k)
        QCOMPARE(actual.FastKeyCaptions[k], expected.FastKeyCaptions[k]);
    QCOMPARE(actual.ScanStart, expected.ScanStart);
    QCOMPARE(actual.ScanStop, expected.ScanStop);
    QCOMPARE(actual.ScanStep, expected.ScanStep);
    QCOMPARE(actual.ScanDelay, expected.ScanDelay);
    QVERIFY(sameSteps(actual.ProgramSteps, expected.ProgramSteps, expected.ProgramSteps.size()));
    QVERIFY(sameSteps(actual.GoNgSteps, expected.GoNgSteps, expected.GoNgSteps.size()));
}

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setAnsiCodePage(1252); }

    void writesDefaultFilesByteForByte()
    {
        const SettingsImage defaults;
        const QByteArray settings = writeSettings(defaults, false);
        const QByteArray parameters = writeSettings(defaults, true);
        QCOMPARE(settings.size(), 1176);
        QCOMPARE(parameters.size(), 1112);

        const QByteArray header = QByteArray::fromHex("01000000" "434F4D31" "00000000000000" "00")
            + QByteArray::fromHex("7B14AE47E17A843F").repeated(6);
        QCOMPARE(settings.left(64), header);

        QByteArray body;
        for (int k = 0; k < 10; ++k)
            body += field("0V/0A", 100);
        body += le64(1) + le64(6) + le64(1) + le64(1);
        body += le32(1) + programRecord("1", "1", 1.0);
        body += le32(1) + goNgRecord("1", "1", "0", 1.0);
        QCOMPARE(settings.mid(64), body);
        QCOMPARE(parameters, body);
    }

    void readsEveryFieldAtItsOffset()
    {
        SettingsImage image;
        const SettingsReadResult result = readSettings(handBuiltFile(), false, image);
        QVERIFY2(result.problem.isEmpty(), qPrintable(result.problem));
        QVERIFY(result.headerRead && result.programStepsRead && result.goNgStepsRead);

        QCOMPARE(image.BaudIndex, 3);
        QCOMPARE(portName(image), QStringLiteral("ttyUSB0_abc"));
        QCOMPARE(image.VoltArrowStep, 0.1);
        QCOMPARE(image.VoltPageStep, 0.5);
        QCOMPARE(image.VoltWheelStep, 1.0);
        QCOMPARE(image.CurrArrowStep, 0.002);
        QCOMPARE(image.CurrPageStep, 0.05);
        QCOMPARE(image.CurrWheelStep, 0.25);
        QCOMPARE(image.FastKeyCaptions[0], QStringLiteral("5V/1A"));
        QCOMPARE(image.FastKeyCaptions[1], QString(100, QLatin1Char('x')));
        QCOMPARE(image.FastKeyCaptions[9], QStringLiteral("Key 10"));
        QCOMPARE(image.ScanStart, 2.5);
        QCOMPARE(image.ScanStop, 12.0);
        QCOMPARE(image.ScanStep, 0.5);
        QCOMPARE(image.ScanDelay, 3.0);

        QCOMPARE(image.ProgramSteps.size(), std::size_t(2));
        QCOMPARE(text(image.ProgramSteps[0].VoltageText), QStringLiteral("1234567890")); // no NUL: whole
        QCOMPARE(text(image.ProgramSteps[0].CurrentText), QStringLiteral("1.5"));
        QCOMPARE(image.ProgramSteps[0].Time, 2.5);
        QCOMPARE(image.ProgramSteps[1].Time, 60.0);
        QCOMPARE(image.GoNgSteps.size(), std::size_t(3));
        QCOMPARE(text(image.GoNgSteps[1].SettingText), QStringLiteral("ABCDEFGHIJ"));
        QCOMPARE(text(image.GoNgSteps[0].MaxText), QStringLiteral("1.2"));
        QCOMPARE(text(image.GoNgSteps[0].MinText), QStringLiteral("0.8"));
        QCOMPARE(image.GoNgSteps[2].Time, 10.0);
    }

    void parameterFileLeavesHeaderAlone()
    {
        SettingsImage image = distinctImage(3);
        const SettingsImage before = image;
        const QByteArray parameters = handBuiltFile().mid(64);
        const SettingsReadResult result = readSettings(parameters, true, image);
        QVERIFY2(result.problem.isEmpty(), qPrintable(result.problem));
        QVERIFY(!result.headerRead);
        QCOMPARE(image.BaudIndex, before.BaudIndex);
        QCOMPARE(QByteArray(image.PortName, 11), QByteArray(before.PortName, 11));
        QCOMPARE(image.VoltArrowStep, before.VoltArrowStep);
        QCOMPARE(image.CurrWheelStep, before.CurrWheelStep);
        QCOMPARE(image.FastKeyCaptions[0], QStringLiteral("5V/1A"));
        QCOMPARE(image.ScanStop, 12.0);
        QCOMPARE(image.GoNgSteps.size(), std::size_t(3));
    }

    void zeroCountKeepsThatTable_data()
    {
        QTest::addColumn<bool>("zeroProgram");
        QTest::newRow("list program count 0") << true;
        QTest::newRow("GO/NG count 0") << false;
    }
    void zeroCountKeepsThatTable()
    {
        QFETCH(bool, zeroProgram);
        SettingsImage source = distinctImage(2);
        if (zeroProgram)
            source.ProgramSteps.clear();
        else
            source.GoNgSteps.clear();
        const QByteArray bytes = writeSettings(source, true);

        SettingsImage image = distinctImage(5);
        const SettingsImage before = image;
        const SettingsReadResult result = readSettings(bytes, true, image);
        QVERIFY2(result.problem.isEmpty(), qPrintable(result.problem));
        QCOMPARE(result.programStepsRead, !zeroProgram);
        QCOMPARE(result.goNgStepsRead, zeroProgram);
        if (zeroProgram) {
            QVERIFY(sameSteps(image.ProgramSteps, before.ProgramSteps, before.ProgramSteps.size()));
            QVERIFY(sameSteps(image.GoNgSteps, source.GoNgSteps, source.GoNgSteps.size()));
        } else {
            QVERIFY(sameSteps(image.ProgramSteps, source.ProgramSteps, source.ProgramSteps.size()));
            QVERIFY(sameSteps(image.GoNgSteps, before.GoNgSteps, before.GoNgSteps.size()));
        }
    }

    void roundTrip_data()
    {
        QTest::addColumn<bool>("parameterKind");
        QTest::addColumn<int>("codePage");
        QTest::addColumn<QString>("caption");
        QTest::newRow("settings, 1252") << false << 1252 << QStringLiteral("Über 5V/1A ±");
        QTest::newRow("parameters, 1252") << true << 1252 << QStringLiteral("5,5V/0,5A");
        QTest::newRow("settings, 936") << false << 936 << QStringLiteral("电压 12V/3A");
    }
    void roundTrip()
    {
        QFETCH(bool, parameterKind);
        QFETCH(int, codePage);
        QFETCH(QString, caption);
        const CodePageScope scope(codePage);
        SettingsImage source = distinctImage(4);
        source.FastKeyCaptions[4] = caption;
        std::memcpy(source.PortName, "ttyUSB10abc", 11); // a full name has no NUL

        const QByteArray bytes = writeSettings(source, parameterKind);
        QCOMPARE(bytes.size(), (parameterKind ? 1040 : 1104) + 32 * 5 + 40 * 6);
        SettingsImage image;
        const SettingsReadResult result = readSettings(bytes, parameterKind, image);
        QVERIFY2(result.problem.isEmpty(), qPrintable(result.problem));
        compareImages(image, source, !parameterKind);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(writeSettings(image, parameterKind), bytes);
    }

    void writerCutsAndZeroes()
    {
        SettingsImage image;
        // Bytes after the port name's NUL and record padding are not carried over.
        std::memcpy(image.PortName, "COM1\0junkjk", 11);
        std::memset(image.ProgramSteps[0].Padding, 0x55, 4);
        std::memset(image.GoNgSteps[0].Padding, 0x55, 2);
        image.FastKeyCaptions[0] = QString(150, QLatin1Char('a'));
        const QByteArray bytes = writeSettings(image, false);

        QCOMPARE(bytes.mid(4, 12), QByteArray("COM1") + QByteArray(8, '\0'));
        QCOMPARE(bytes.mid(64, 100), QByteArray(99, 'a') + '\0');
        QCOMPARE(bytes.mid(164, 5), QByteArray("0V/0A")); // the next caption is where it belongs
        QCOMPARE(bytes.mid(1100 + 20, 4), QByteArray(4, '\0'));
        QCOMPARE(bytes.mid(1136 + 30, 2), QByteArray(2, '\0'));
    }

    void longCaptionCutAtCharacterBoundary()
    {
        // 60 double-byte characters are 120 bytes; a cut at 99 would split one.
        const CodePageScope scope(936);
        SettingsImage image;
        image.FastKeyCaptions[0] = QString(60, QChar(0x7535));
        const QByteArray bytes = writeSettings(image, true);
        SettingsImage read;
        readSettings(bytes, true, read);
        QCOMPARE(bytes.mid(98, 2), QByteArray(2, '\0'));
        QCOMPARE(read.FastKeyCaptions[0], QString(49, QChar(0x7535)));
    }

    void parameterFileName_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "test" << "test.PAR";
        QTest::newRow(".PAR") << "test.PAR" << "test.PAR";
        QTest::newRow(".par") << "test.par" << "test.par.PAR";
        QTest::newRow(".Par") << "test.Par" << "test.Par.PAR";
        QTest::newRow(".PAR in a folder") << "/home/u/x.PARTS/test" << "/home/u/x.PARTS/test";
    }
    void parameterFileName()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        QCOMPARE(::parameterFileName(chosen), saved);
    }

    void isParameterPath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("parameter");
        QTest::newRow("settings file") << "/opt/kelvane/Config.dat" << false;
        QTest::newRow(".Par") << "/home/u/set1.Par" << true;
        QTest::newRow(".par") << "/home/u/set1.par" << true;
        QTest::newRow("folder tools.parts") << "/home/u/tools.parts/Config.dat" << true;
        QTest::newRow("PAR without dot") << "/home/u/PARAM/Config.dat" << false;
        QTest::newRow("other extension") << "/home/u/set1.dat" << false;
    }
    void isParameterPath()
    {
        QFETCH(QString, path);
        QFETCH(bool, parameter);
        QCOMPARE(::isParameterPath(path), parameter);
    }

    void corruptFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("parameterKind");
        QTest::addColumn<int>("headerFields"); // BaudIndex, PortName, six steps: how many the file replaced
        QTest::addColumn<int>("captions");
        QTest::addColumn<int>("scanValues");
        QTest::addColumn<int>("programSteps"); // records taken from the file, -1: table kept
        QTest::addColumn<int>("goNgSteps");

        // The file holds 2 list-program steps and 3 GO/NG steps.
        const QByteArray full = writeSettings(distinctImage(1), false);
        const int program = 1100, goNg = 1100 + 64 + 4;
        QTest::newRow("empty") << QByteArray() << false << 0 << 0 << 0 << -1 << -1;
        QTest::newRow("empty parameter file") << QByteArray() << true << 0 << 0 << 0 << -1 << -1;
        QTest::newRow("cut in the port name") << full.left(10) << false << 1 << 0 << 0 << -1 << -1;
        QTest::newRow("cut in the steps") << full.left(30) << false << 3 << 0 << 0 << -1 << -1;
        QTest::newRow("cut in the captions") << full.left(64 + 250) << false << 8 << 2 << 0 << -1 << -1;
        QTest::newRow("cut in the scan values") << full.left(1064 + 20) << false << 8 << 10 << 2 << -1 << -1;
        QTest::newRow("cut in a count") << full.left(1098) << false << 8 << 10 << 4 << -1 << -1;
        QTest::newRow("huge count") << full.left(1096) + le32(0x7fffffff) << false << 8 << 10 << 4 << -1 << -1;
        QTest::newRow("count beyond the records")
            << full.left(1096) + le32(5) + full.mid(program, 64) << false << 8 << 10 << 4 << 2 << -1;
        QTest::newRow("cut inside a record") << full.left(program + 32 + 20) << false << 8 << 10 << 4 << 1 << -1;
        QTest::newRow("cut inside a GO/NG record") << full.left(goNg + 90) << false << 8 << 10 << 4 << 2 << 2;
        QTest::newRow("negative count")
            << full.left(1096) + le32(-3) + full.mid(goNg - 4) << false << 8 << 10 << 4 << -1 << 3;
        QTest::newRow("negative GO/NG count") << full.left(goNg - 4) + le32(-1) << false << 8 << 10 << 4 << 2 << -1;
        QTest::newRow("parameter file with huge GO/NG count")
            << full.mid(64, goNg - 64 - 4) + le32(0x10000000) + full.mid(goNg, 40) << true << 0 << 10 << 4 << 2 << 1;
    }
    void corruptFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, parameterKind);
        QFETCH(int, headerFields);
        QFETCH(int, captions);
        QFETCH(int, scanValues);
        QFETCH(int, programSteps);
        QFETCH(int, goNgSteps);

        const SettingsImage file = distinctImage(1);
        const SettingsImage before = distinctImage(6);
        SettingsImage image = before;
        const SettingsReadResult result = readSettings(bytes, parameterKind, image);
        QVERIFY(!result.problem.isEmpty());
        QCOMPARE(result.headerRead, headerFields == 8);
        QCOMPARE(result.programStepsRead, programSteps >= 0);
        QCOMPARE(result.goNgStepsRead, goNgSteps >= 0);

        const auto pick = [](bool fromFile, const SettingsImage& a, const SettingsImage& b) -> const SettingsImage& {
            return fromFile ? a : b;
        };
        QCOMPARE(image.BaudIndex, pick(headerFields > 0, file, before).BaudIndex);
        QCOMPARE(portName(image), portName(pick(headerFields > 1, file, before)));
        const double SettingsImage::*steps[] = {&SettingsImage::VoltArrowStep, &SettingsImage::VoltPageStep,
                                                &SettingsImage::VoltWheelStep, &SettingsImage::CurrArrowStep,
                                                &SettingsImage::CurrPageStep,  &SettingsImage::CurrWheelStep};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(image.*steps[i], pick(headerFields > 2 + i, file, before).*steps[i]);
        for (int k = 0; k < 10; ++k)
            QCOMPARE(image.FastKeyCaptions[k], pick(k < captions, file, before).FastKeyCaptions[k]);
        const double SettingsImage::*scan[] = {&SettingsImage::ScanStart, &SettingsImage::ScanStop,
                                               &SettingsImage::ScanStep, &SettingsImage::ScanDelay};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(image.*scan[i], pick(i < scanValues, file, before).*scan[i]);
        if (programSteps < 0)
            QVERIFY(sameSteps(image.ProgramSteps, before.ProgramSteps, before.ProgramSteps.size()));
        else
            QVERIFY(sameSteps(image.ProgramSteps, file.ProgramSteps, std::size_t(programSteps)));
        if (goNgSteps < 0)
            QVERIFY(sameSteps(image.GoNgSteps, before.GoNgSteps, before.GoNgSteps.size()));
        else
            QVERIFY(sameSteps(image.GoNgSteps, file.GoNgSteps, std::size_t(goNgSteps)));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settings_file.moc"
