#include "link/ModelTable.h"

#include <QFile>
#include <QtEndian>
#include <QtTest>

namespace {

using Record = QList<QByteArray>; // six fields

QByteArray counted(const QByteArray& text)
{
    QByteArray out(2, '\0');
    qToLittleEndian<quint16>(quint16(text.size()), out.data());
    return out + text + '\0';
}

QByteArray table(quint32 count, const QList<Record>& records)
{
    QByteArray out(4, '\0');
    qToLittleEndian<quint32>(count, out.data());
    for (const Record& record : records)
        for (const QByteArray& field : record)
            out += counted(field);
    return out;
}

Record model(const QByteArray& name, const QByteArray& volts, const QByteArray& amps)
{
    return {name, volts, amps, "Single output", "1", "RS-232"};
}

} // namespace

class TestModelTable : public QObject {
    Q_OBJECT

private slots:
    void translatesModelCodes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::newRow("L32") << "L32" << "R505";
        QTest::newRow("L325 before L32") << "L325" << "R525";
        QTest::newRow("L31") << "L31" << "R515";
        QTest::newRow("L335 before L33") << "L335" << "R535";
        QTest::newRow("L33") << "L33" << "R540";
        QTest::newRow("contained in a longer code") << "XL325-2" << "R525";
        QTest::newRow("listed name unchanged") << "R525" << "R525";
        QTest::newRow("unknown unchanged") << "PSU-9" << "PSU-9";
        QTest::newRow("empty") << "" << "";
    }
    void translatesModelCodes()
    {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QCOMPARE(translateModelCode(code), name);
    }

    void takesSecondFieldOfIdentity_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("code");
        QTest::newRow("four fields") << "KELVANE,L325,SN1234,1.0" << "L325";
        QTest::newRow("three fields") << "MAKER,R540,1" << "R540";
        QTest::newRow("one comma") << "MAKER,L32" << "";
        QTest::newRow("no comma") << "L32" << "";
        QTest::newRow("empty second field") << "MAKER,,1" << "";
        QTest::newRow("empty reply") << "" << "";
    }
    void takesSecondFieldOfIdentity()
    {
        QFETCH(QString, reply);
        QFETCH(QString, code);
        QCOMPARE(modelCodeFromIdentity(reply), code);
    }

    void findsLimits_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::addColumn<double>("maxVoltage");
        QTest::addColumn<double>("maxCurrent");
        QTest::addColumn<bool>("problem");

        const QList<Record> three{model("R505", "18", "5"), model("r525", "32", "5.5"), model("R540", "80", "2")};
        QTest::newRow("match") << table(4, three) << "R540" << true << 80.0 << 2.0 << false;
        QTest::newRow("letter case ignored") << table(4, three) << "R525" << true << 32.0 << 5.5 << false;
        QTest::newRow("whole name only") << table(4, three) << "R52" << false << 0.0 << 0.0 << false;
        QTest::newRow("no match") << table(4, three) << "X1" << false << 0.0 << 0.0 << false;
        QTest::newRow("last duplicate wins")
            << table(4, {model("R505", "18", "5"), model("X", "1", "1"), model("R505", "20", "3")})
            << "R505" << true << 20.0 << 3.0 << false;
        // Only the lowest byte counts: 0x103 is 3, so two records; the third is never read.
        QTest::newRow("count 3 examines two records")
            << table(0x103, {model("A", "1", "1"), model("B", "2", "2"), model("R505", "18", "5")}) << "R505"
            << false << 0.0 << 0.0 << false;
        QTest::newRow("bytes after the records unread")
            << table(3, {model("A", "1", "1"), model("R505", "18", "5")}) + QByteArray("\xff\xff", 2) << "R505"
            << true << 18.0 << 5.0 << false;
        QTest::newRow("count 1") << table(1, three) << "R505" << false << 0.0 << 0.0 << false;
        QTest::newRow("count 0") << table(0, three) << "R505" << false << 0.0 << 0.0 << false;
        QTest::newRow("shorter than the count") << QByteArray("\x04\x00", 2) << "R505" << false << 0.0 << 0.0 << true;
        QTest::newRow("empty file") << QByteArray() << "R505" << false << 0.0 << 0.0 << true;
        // A cut file gives nothing, even for a match read before the cut.
        QTest::newRow("ends inside a record")
            << table(4, three).chopped(7) << "R505" << false << 0.0 << 0.0 << true;
        QTest::newRow("count beyond the records") << table(9, three) << "R540" << false << 0.0 << 0.0 << true;
        QTest::newRow("overflowing maximum skipped, earlier match stands")
            << table(3, {model("R505", "18", "5"), model("R505", "99999999999", "5")}) << "R505" << true << 18.0
            << 5.0 << true;
        QTest::newRow("zero maximum unusable")
            << table(2, {model("R505", "", "5")}) << "R505" << false << 0.0 << 0.0 << true;
    }
    void findsLimits()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, name);
        QFETCH(bool, found);
        QFETCH(double, maxVoltage);
        QFETCH(double, maxCurrent);
        QFETCH(bool, problem);

        const ModelTableResult result = findModelLimits(file, name);
        QCOMPARE(result.limits.has_value(), found);
        if (found) {
            QCOMPARE(result.limits->maxVoltage, maxVoltage);
            QCOMPARE(result.limits->maxCurrent, maxCurrent);
        }
        QCOMPARE(!result.problem.isEmpty(), problem);
    }

    void generatedTableListsTheModels()
    {
        QFile file(QStringLiteral(KELVANE_PROGRAM_DIR "/PowerType.dat"));
        if (!file.open(QIODevice::ReadOnly))
            QSKIP("PowerType.dat has not been generated in the build folder");
        const QByteArray bytes = file.readAll();

        const ModelTableResult simulated = findModelLimits(bytes, translateModelCode(QStringLiteral("L325")));
        QVERIFY2(simulated.problem.isEmpty(), qPrintable(simulated.problem));
        QVERIFY(simulated.limits);
        QCOMPARE(simulated.limits->maxVoltage, 32.0);
        QCOMPARE(simulated.limits->maxCurrent, 5.0);
        for (const char* code : {"L32", "L31", "L335", "L33"}) {
            const ModelTableResult result = findModelLimits(bytes, translateModelCode(QLatin1String(code)));
            QVERIFY2(result.limits && result.problem.isEmpty(), code);
        }
    }
};

QTEST_GUILESS_MAIN(TestModelTable)
#include "tst_link_modeltable.moc"
