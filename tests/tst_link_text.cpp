// Command texts and the number reader, under a decimal-point and a decimal-comma locale.
#include "link/CommandText.h"
#include "link/ReadNumber.h"

#include <QBuffer>
#include <QLocale>
#include <QtTest>

namespace {

// Sets the default locale for one scope and puts the previous one back.
class LocaleScope {
public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(m_previous); }

private:
    QLocale m_previous;
};

const QLocale pointLocale(QLocale::English, QLocale::UnitedStates);
const QLocale commaLocale(QLocale::German, QLocale::Germany);

} // namespace

class TestLinkText : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The comma locale must really use a comma, or the tests below prove nothing.
        QCOMPARE(commaLocale.decimalPoint(), QStringLiteral(","));
        QCOMPARE(pointLocale.decimalPoint(), QStringLiteral("."));
    }

    // The general format, written here with a point; the comma locale must show the
    // same text with its first point as a comma, and commands must carry a point always.
    void floatText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("1.5") << 1.5 << "1.5";
        QTest::newRow("whole number") << 12.0 << "12";
        QTest::newRow("0.1") << 0.1 << "0.1";
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("negative zero") << -0.0 << "0";
        QTest::newRow("negative") << -1.25 << "-1.25";
        QTest::newRow("exponent -4 takes the E form") << 0.00005 << "5E-5";
        QTest::newRow("negative E form") << -0.00005 << "-5E-5";
        QTest::newRow("exponent -3 stays fixed") << 0.0005 << "0.0005";
        QTest::newRow("E form with fraction digits") << 0.0000123 << "1.23E-5";
        QTest::newRow("15 digits stay fixed") << 999999999999999.0 << "999999999999999";
        QTest::newRow("16 digits take the E form") << 1e15 << "1E15";
        QTest::newRow("large E form") << 1.23e20 << "1.23E20";
        QTest::newRow("trailing zeros padded") << 1200.0 << "1200";
        QTest::newRow("rounded to 15 digits") << 0.1 + 0.2 << "0.3";
        QTest::newRow("15 significant digits") << 1.0 / 3.0 << "0.333333333333333";
        QTest::newRow("rounding carries") << 9.999999999999998 << "10";
        QTest::newRow("rounding carries a digit") << 99999999999999.99 << "100000000000000";
        QTest::newRow("typical setpoint") << 12.345 << "12.345";
    }

    void floatText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        {
            LocaleScope scope(pointLocale);
            QCOMPARE(FloatToText(value), text);
            QCOMPARE(FloatText(value), text.toLatin1());
        }
        {
            LocaleScope scope(commaLocale);
            QString shown = text;
            shown.replace(QLatin1Char('.'), QLatin1Char(','));
            QCOMPARE(FloatToText(value), shown);
            QCOMPARE(FloatText(value), text.toLatin1());
        }
    }

    void commandLines_data()
    {
        QTest::addColumn<QString>("builder");
        QTest::addColumn<double>("value");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("VOLT 0") << "volt" << 0.0 << QByteArray("VOLT 0;:Syst:Err?\n");
        QTest::newRow("VOLT 20") << "volt" << 20.0 << QByteArray("VOLT 20;:Syst:Err?\n");
        QTest::newRow("VOLT 12.345") << "volt" << 12.345 << QByteArray("VOLT 12.345;:Syst:Err?\n");
        QTest::newRow("VOLT tiny") << "volt" << 0.00005 << QByteArray("VOLT 5E-5;:Syst:Err?\n");
        QTest::newRow("Curr 1.25") << "curr" << 1.25 << QByteArray("Curr 1.25;:Syst:Err?\n");
        QTest::newRow("Curr 0") << "curr" << 0.0 << QByteArray("Curr 0;:Syst:Err?\n");
        QTest::newRow("output on") << "outp" << 1.0 << QByteArray("OUTP 1;:Syst:Err?\n");
        QTest::newRow("output off") << "outp" << 0.0 << QByteArray("OUTP 0;:Syst:Err?\n");
        QTest::newRow("sense on") << "sense" << 1.0 << QByteArray("SYST:SENS 1;:Syst:Err?\n");
        QTest::newRow("sense off") << "sense" << 0.0 << QByteArray("SYST:SENS 0;:Syst:Err?\n");
    }

    // The lines are built in each locale; what goes on the line never changes.
    void commandLines()
    {
        QFETCH(QString, builder);
        QFETCH(double, value);
        QFETCH(QByteArray, expected);
        for (const QLocale& locale : {pointLocale, commaLocale}) {
            LocaleScope scope(locale);
            QByteArray built;
            if (builder == QLatin1String("volt"))
                built = VoltCommand(value);
            else if (builder == QLatin1String("curr"))
                built = CurrCommand(value);
            else if (builder == QLatin1String("outp"))
                built = OutputCommand(value != 0);
            else
                built = SenseCommand(value != 0);
            QVERIFY2(built == expected, qPrintable(locale.name() + QStringLiteral(": ") + QString::fromLatin1(built)));
        }
    }

    void readNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("overflows");
        QTest::newRow("12.5") << "12.5" << 12.5 << false;
        QTest::newRow("blanks and carriage return") << " 5 \r" << 5.0 << false;
        QTest::newRow("control characters trimmed") << "\t\n7\n\x01" << 7.0 << false;
        QTest::newRow("seventh fraction digit dropped") << "0.1234567" << 0.123456 << false;
        QTest::newRow("not rounded up") << "1.9999999" << 1.999999 << false;
        QTest::newRow("smallest fraction") << "0.000001" << 0.000001 << false;
        QTest::newRow("no whole part") << ".5" << 0.5 << false;
        QTest::newRow("decimal comma") << "1,5" << 1.5 << false;
        QTest::newRow("unit after number") << "12V" << 12.0 << false;
        QTest::newRow("unit after blank") << "12 V" << 12.0 << false;
        QTest::newRow("minus sign ends the whole part") << "-1.5" << 0.15 << false;
        QTest::newRow("minus before a reply") << "-0.5" << 0.05 << false;
        QTest::newRow("exponent digits join the fraction") << "1.5E-3" << 1.53 << false;
        QTest::newRow("second point skipped") << "1.2.3" << 1.23 << false;
        QTest::newRow("leading zeros") << "000000000012.5" << 12.5 << false;
        QTest::newRow("largest whole part") << "2147483647" << 2147483647.0 << false;
        QTest::newRow("non-ASCII digit is no digit") << QString::fromUtf8("12\u00b73") << 12.3 << false;
        QTest::newRow("empty") << "" << 0.0 << false;
        QTest::newRow("no digits") << "ERR" << 0.0 << false;
        QTest::newRow("sign keeps a long number in range") << "-2147483648" << 0.214748 << false;
        QTest::newRow("whole part one too large") << "2147483648" << 0.0 << true;
        QTest::newRow("whole part far too large") << "99999999999999999999.5" << 0.0 << true;
    }

    void readNumber()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(bool, overflows);
        for (const QLocale& locale : {pointLocale, commaLocale}) {
            LocaleScope scope(locale);
            if (overflows) {
                QVERIFY_THROWS_EXCEPTION(ConversionError, ReadNumber(text));
                QVERIFY_THROWS_EXCEPTION(ConversionError, ReadNumber(text.toUtf8()));
                QVERIFY(!tryReadNumber(text).has_value());
            } else {
                QCOMPARE(ReadNumber(text), value);
                QCOMPARE(ReadNumber(text.toUtf8()), value);
                QCOMPARE(tryReadNumber(text).value_or(-1), value);
            }
        }
    }

    void readCountedString_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint64>("position");
        QTest::newRow("field and its spare byte") << QByteArray("\x04\x00R525\x00next", 11) << true << QByteArray("R525") << qint64(7);
        QTest::newRow("empty field takes 3 bytes") << QByteArray("\x00\x00\x00\x02\x00", 5) << true << QByteArray() << qint64(3);
        QTest::newRow("ends inside the text") << QByteArray("\x09\x00R5", 4) << false << QByteArray() << qint64(-1);
        QTest::newRow("spare byte missing") << QByteArray("\x02\x00R5", 4) << false << QByteArray() << qint64(-1);
        QTest::newRow("length cut short") << QByteArray("\x02", 1) << false << QByteArray() << qint64(-1);
    }

    void readCountedString()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, complete);
        QFETCH(QByteArray, text);
        QFETCH(qint64, position);
        QBuffer buffer(&bytes);
        QVERIFY(buffer.open(QIODevice::ReadOnly));
        const std::optional<QByteArray> field = ReadCountedString(buffer);
        QCOMPARE(field.has_value(), complete);
        if (complete) {
            QCOMPARE(*field, text);
            QCOMPARE(buffer.pos(), position);
        }
    }
};

QTEST_GUILESS_MAIN(TestLinkText)
#include "tst_link_text.moc"
