// Fast-key presets: splitting a caption into its voltage and current texts, and writing
// a caption in the user's locale that reads back as the same numbers.
#include "link/ReadNumber.h"
#include "panel/FastKeyPreset.h"

#include <QLocale>
#include <QTest>

namespace {

QLocale localeNamed(const QString& name)
{
    return name == QLatin1String("comma") ? QLocale(QLocale::German, QLocale::Germany)
                                          : QLocale(QLocale::English, QLocale::UnitedStates);
}

} // namespace

class TestPanelFastKey : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void splitCaption_data();
    void splitCaption();
    void captionInLocale_data();
    void captionInLocale();
};

void TestPanelFastKey::splitCaption_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("voltageText");
    QTest::addColumn<QString>("currentText");
    QTest::addColumn<double>("voltage");
    QTest::addColumn<double>("current");

    QTest::newRow("start caption") << "0V/0A" << "0" << "0" << 0.0 << 0.0;
    QTest::newRow("point") << "12.5V/0.8A" << "12.5" << "0.8" << 12.5 << 0.8;
    QTest::newRow("comma") << "12,5V/0,8A" << "12,5" << "0,8" << 12.5 << 0.8;
    QTest::newRow("mixed separators") << "1,25V/0.125A" << "1,25" << "0.125" << 1.25 << 0.125;
    // Only the first "/", the first "V" before it and the first "A" after it count.
    QTest::newRow("second slash") << "5V/1A/2A" << "5" << "1" << 5.0 << 1.0;
    QTest::newRow("letters after the unit") << "5VV/1AA" << "5" << "1" << 5.0 << 1.0;
    // Captions this program never writes still give numbers, never a failure.
    QTest::newRow("no V") << "7/0.5A" << "7" << "0.5" << 7.0 << 0.5;
    QTest::newRow("no A") << "7V/0.5" << "7" << "0.5" << 7.0 << 0.5;
    QTest::newRow("no slash: current reads 0") << "9V" << "9" << "" << 9.0 << 0.0;
    QTest::newRow("empty") << "" << "" << "" << 0.0 << 0.0;
    QTest::newRow("slash first") << "/2A" << "" << "2" << 0.0 << 2.0;
}

void TestPanelFastKey::splitCaption()
{
    QFETCH(QString, caption);
    QFETCH(QString, voltageText);
    QFETCH(QString, currentText);
    QFETCH(double, voltage);
    QFETCH(double, current);

    const FastKeyPreset preset = splitFastKeyCaption(caption);
    QCOMPARE(preset.voltageText, voltageText);
    QCOMPARE(preset.currentText, currentText);
    QCOMPARE(ReadNumber(preset.voltageText), voltage);
    QCOMPARE(ReadNumber(preset.currentText), current);
}

void TestPanelFastKey::captionInLocale_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<double>("voltage");
    QTest::addColumn<double>("current");
    QTest::addColumn<QString>("caption");

    for (const char* name : {"point", "comma"}) {
        const bool comma = QByteArray(name) == "comma";
        const auto row = [&](const char* what) -> QTestData& { return QTest::addRow("%s, %s", name, what); };
        row("zero") << name << 0.0 << 0.0 << "0V/0A";
        row("whole") << name << 12.0 << 3.0 << "12V/3A";
        row("fractions") << name << 12.5 << 0.8 << (comma ? "12,5V/0,8A" : "12.5V/0.8A");
        row("three decimals") << name << 1.234 << 0.005 << (comma ? "1,234V/0,005A" : "1.234V/0.005A");
        // No group separator: the reader would take "1,234" for 1.234.
        row("thousands") << name << 1234.5 << 1000.0 << (comma ? "1234,5V/1000A" : "1234.5V/1000A");
        // Below 0.001 the platform's float text turns to exponent form, which would read
        // back as another number; the caption keeps fixed notation.
        row("tiny") << name << 0.00001 << 0.0005 << (comma ? "0,00001V/0,0005A" : "0.00001V/0.0005A");
        row("below the reader's decimals") << name << 0.0000001 << 0.0 << "0V/0A";
    }
}

void TestPanelFastKey::captionInLocale()
{
    QFETCH(QString, locale);
    QFETCH(double, voltage);
    QFETCH(double, current);
    QFETCH(QString, caption);

    QLocale::setDefault(localeNamed(locale));
    QCOMPARE(fastKeyCaption(voltage, current), caption);

    // Read back, in either locale, the numbers come out as they went in (up to the six
    // decimals the reader keeps).
    for (const char* other : {"point", "comma"}) {
        QLocale::setDefault(localeNamed(QString::fromLatin1(other)));
        const FastKeyPreset preset = splitFastKeyCaption(caption);
        QVERIFY2(qAbs(ReadNumber(preset.voltageText) - voltage) < 1e-6, qPrintable(caption));
        QVERIFY2(qAbs(ReadNumber(preset.currentText) - current) < 1e-6, qPrintable(caption));
    }
}

QTEST_GUILESS_MAIN(TestPanelFastKey)
#include "tst_panel_fastkey.moc"
