// The main window's life: start, show, resize, page switching, close, and the
// settings it keeps on the way.
#include "app/ErrorDisplay.h"
#include "app/TForm_Main.h"
#include "link/CommandText.h"
#include "panel/Knob.h"
#include "panel/NumericEdit.h"
#include "panel/SevenSegmentReadout.h"
#include "sequencers/StepGrid.h"
#include "settings/SettingsFile.h"
#include "support/ProgramFolder.h"
#include "support/PtyPair.h"

#include <QGroupBox>
#include <QProcess>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include <csignal>

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_messages.clear();
        setMessageHook([this](const QString& text) { m_messages << text; });
    }

    void noPortNameOpensNothingAndCloseSaves()
    {
        ProgramFolder folder;
        folder.writeConfig(QString());
        TForm_Main form(folder.path());
        form.show();
        QTest::qWait(50);
        QVERIFY(!form.link().isPortOpen());
        QVERIFY(form.state().LinkSuspended);
        QVERIFY(!form.iKnob_Voltage->isEnabled());
        QVERIFY(!form.TeThemeGroupBoxFastKey->isEnabled());
        QFile::remove(folder.file("Config.dat"));
        form.close();
        QFile saved(folder.file("Config.dat"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.size(), 1176);
        QVERIFY(m_messages.isEmpty());
    }

    void firstStartWithoutSettingsKeepsDefaults()
    {
        ProgramFolder folder;
        TForm_Main form(folder.path());
        QCOMPARE(form.state().portName(), QStringLiteral("COM1"));
        QCOMPARE(form.iAnalogOutput_ScanVoltStop->value(), 6.0);
        QCOMPARE(form.tbFastKey[9]->text(), QStringLiteral("0V/0A"));
        QCOMPARE(form.TeThemeStringGridList->gridRowCount(), 2);
        QCOMPARE(form.TeThemeStringGridGoNg->cell(4, 1), QStringLiteral("0"));
        // Design steps until a settings file is loaded.
        QCOMPARE(form.iKnob_Voltage->arrowStep(), 0.1);
        QCOMPARE(form.iKnob_Current->wheelStep(), 0.01);
    }

    void pageChangeShowsOnePanel_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("shown");
        QTest::newRow("QuickSet") << 0 << "Panel_ScanVoltageCommandPanel";
        QTest::newRow("Program") << 1 << "Panel_RunProgramPanel";
        QTest::newRow("GO/NG") << 2 << "Panel_GoNGRun";
    }
    void pageChangeShowsOnePanel()
    {
        QFETCH(int, page);
        QFETCH(QString, shown);
        ProgramFolder folder;
        folder.writeConfig(QString());
        TForm_Main form(folder.path());
        form.show();
        form.TeThemePageControl1->setCurrentIndex((page + 1) % 3);
        form.TeThemePageControl1->setCurrentIndex(page);
        for (const char* name : {"Panel_ScanVoltageCommandPanel", "Panel_RunProgramPanel", "Panel_GoNGRun"}) {
            auto* panel = form.findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY(panel);
            QCOMPARE(panel->isVisible(), shown == QLatin1String(name));
        }
    }

    void controlGroupsAreExactlyTheFive()
    {
        ProgramFolder folder;
        TForm_Main form(folder.path());
        form.SetControlGroupsEnabled(false);
        for (const char* name : {"TeThemeGroupBoxFastKey", "iKnob_Voltage", "iKnob_Current", "TeThemeGroupBoxCtrl", "TeThemeGroupBox_SetValue"})
            QVERIFY2(!form.findChild<QWidget*>(QString::fromLatin1(name))->isEnabled(), name);
        for (const char* name : {"TeThemeGroupBox6", "TeThemeGroupBox11", "TeThemeGroupBox_ToolBar", "TeThemePageControl1", "Panel_ScanVoltageCommandPanel"})
            QVERIFY2(form.findChild<QWidget*>(QString::fromLatin1(name))->isEnabled(), name);
        form.SetControlGroupsEnabled(true);
        QVERIFY(form.TeThemeGroupBox_SetValue->isEnabled());
    }

    void resizeScalesProportionallyWithinFontBounds_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("minPoint");
        QTest::addColumn<double>("maxPoint");
        QTest::newRow("design") << QSize(803, 546) << 8.0 << 8.0;
        QTest::newRow("1024x600") << QSize(1024, 600) << 8.0 << 9.0;
        QTest::newRow("full HD") << QSize(1920, 1080) << 15.0 << 16.5;
        QTest::newRow("tiny keeps 8") << QSize(400, 300) << 8.0 << 8.0;
        QTest::newRow("huge keeps 48") << QSize(8030, 5460) << 48.0 << 48.0;
    }
    void resizeScalesProportionallyWithinFontBounds()
    {
        QFETCH(QSize, size);
        QFETCH(double, minPoint);
        QFETCH(double, maxPoint);
        ProgramFolder folder;
        TForm_Main form(folder.path());
        form.resize(size);
        form.FormResize();
        QVERIFY(form.font().pointSizeF() >= minPoint && form.font().pointSizeF() <= maxPoint);
        // The page control keeps its design share of the width.
        const double share = double(form.TeThemePageControl1->width()) / size.width();
        QVERIFY(qAbs(share - 231.0 / 803.0) < 0.01);
    }

    void closeWhileReplyArrivingIgnoresItAndEmptiesQueue()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        ProgramFolder folder;
        folder.writeConfig(pty.slavePath());
        TForm_Main form(folder.path());
        form.show();
        QCOMPARE(pty.readLine(5000), QByteArray("*IDN?\n"));
        form.close();
        pty.write("KELVANE,L3250-SIM,1,1\n");
        QTest::qWait(50);
        QVERIFY(form.state().Closing);
        QVERIFY(form.state().CommandQueue.isEmpty());
        QVERIFY(form.statusPanelText(0).isEmpty());
    }

    void terminationSignalClosesAndSaves()
    {
        // The program looks for its files beside the executable: run a copy there.
        ProgramFolder folder;
        folder.writeConfig(QString());
        const QString exe = folder.file("kelvane");
        QVERIFY(QFile::copy(QStringLiteral(KELVANE_PROGRAM_DIR "/kelvane"), exe));
        QFile::remove(folder.file("Config.dat"));
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        program.setProcessEnvironment(env);
        program.start(exe, {});
        QVERIFY(program.waitForStarted(10000));
        QTest::qWait(1500);
        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(15000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY(QFileInfo::exists(folder.file("Config.dat")));
    }

    void parameterFileRoundTripKeepsHeader()
    {
        ProgramFolder folder;
        folder.writeConfig(QString());
        TForm_Main form(folder.path());
        form.tbFastKey[2]->setText(QStringLiteral("12.5V/0.8A"));
        form.iAnalogOutput_ScanVoltDelay->setValue(2.5);
        form.MenuListItemAppendClick();
        form.TeThemeStringGridList->setCell(1, 2, QStringLiteral("7.5"));
        form.TeThemeStringGridListEditingDone(2, 1);
        const QString par = folder.file("set.PAR");
        form.SaveSettingsFile(par);
        QCOMPARE(QFileInfo(par).size(), 1040 + 2 * 32 + 40);

        TForm_Main other(folder.path());
        other.state().BaudIndex = 3;
        other.LoadSettingsFile(par);
        QCOMPARE(other.state().BaudIndex, 3);
        QCOMPARE(other.tbFastKey[2]->text(), QStringLiteral("12.5V/0.8A"));
        QCOMPARE(other.iAnalogOutput_ScanVoltDelay->value(), 2.5);
        QCOMPARE(other.TeThemeStringGridList->gridRowCount(), 3);
        QCOMPARE(other.TeThemeStringGridList->cell(1, 2), QStringLiteral("7.5"));
        QCOMPARE(other.TeThemeStringGridList->cell(0, 2), QStringLiteral("2"));
        QCOMPARE(other.state().ProgramSteps.size(), size_t(2));
    }

    void settingsFileAppliesKnobSteps()
    {
        ProgramFolder folder;
        SettingsImage image;
        image.VoltArrowStep = 0.5;
        image.CurrWheelStep = 0.002;
        QFile file(folder.file("Config.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(writeSettings(image, false));
        file.close();
        TForm_Main form(folder.path());
        QCOMPARE(form.iKnob_Voltage->arrowStep(), 0.5);
        QCOMPARE(form.iKnob_Current->wheelStep(), 0.002);
    }

    void corruptSettingsFileStartsWithOneMessage()
    {
        ProgramFolder folder;
        QFile file(folder.file("Config.dat"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray bytes = writeSettings(SettingsImage{}, false);
        bytes.truncate(1200 - 100); // cut inside the step tables
        bytes[1096] = char(0x7f);   // and a list count far beyond the file
        file.write(bytes);
        file.close();
        TForm_Main form(folder.path());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().contains(QStringLiteral("Config.dat")));
        QCOMPARE(form.TeThemeStringGridList->gridRowCount(), 2);
    }

    void unwritableSettingsStillCloses()
    {
        ProgramFolder folder;
        folder.writeConfig(QString());
        TForm_Main form(folder.path());
        QFile::remove(folder.file("Config.dat"));
        QDir(folder.path()).mkdir(QStringLiteral("Config.dat")); // a folder where the file should go
        form.show();
        form.close();
        QVERIFY(form.state().Closing);
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().contains(QStringLiteral("Config.dat")));
    }

    void setupReadoutShowsTinySetpointAsWritten()
    {
        // A setpoint below 0.001 goes out in the exponent form; the readout must not show 1.5.
        ProgramFolder folder;
        folder.writeConfig(QString());
        TForm_Main form(folder.path());
        form.state().CommandQueue = {QByteArrayLiteral("Meas:Volt?\n"), VoltCommand(0.00005), CurrCommand(0.25)};
        QCOMPARE(form.state().CommandQueue.at(1), QByteArray("VOLT 5E-5;:Syst:Err?\n"));
        form.link().AdvanceQueue();
        QCOMPARE(form.iSevenSegmentAnalog_SteupVoltage->value(), 0.00005);
        form.link().AdvanceQueue();
        QCOMPARE(form.iSevenSegmentAnalog_SteupCurrent->value(), 0.25);
    }

private:
    QStringList m_messages;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
