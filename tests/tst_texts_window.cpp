// The windows' words in the user's language, and what happens when the language
// files are missing or short.
#include "app/ErrorDisplay.h"
#include "app/TForm_Main.h"
#include "app/TrendPlot.h"
#include "panel/TForm_FastKey.h"
#include "sequencers/StepGrid.h"
#include "settings/TForm_Config.h"
#include "settings/TLoadSource.h"
#include "support/ProgramFolder.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

class TestTextsWindow : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_messages.clear();
        setMessageHook([this](const QString& text) { m_messages << text; });
    }

    void germanWindow()
    {
        ProgramFolder folder;
        TForm_Main form(folder.path());
        QVERIFY(m_messages.isEmpty());
        QCOMPARE(form.tbConfig->text(), QStringLiteral("Einstellungen"));
        QCOMPARE(form.TeThemePageControl1->tabText(1), QStringLiteral("Programm"));
        QCOMPARE(form.iPlotVoltage_Current->title(), QStringLiteral("Spannung/Strom/DVM"));
        QCOMPARE(form.state().RunTimesText, form.textSource()->GetText(35));
        QCOMPARE(form.TeThemeStringGridGoNg->horizontalHeaderItem(6)->text(), form.textSource()->GetText(46));
        QCOMPARE(form.statusPanelText(1), form.textSource()->GetText(60));
        // The keypad's ESC/Enter and the fast-key dialog's Cancel/OK are different words.
        TForm_FastKey dialog;
        dialog.applyTexts([&](int index, const QString& builtIn) { return form.text(index, builtIn); });
        QVERIFY(dialog.TeThemeButton2->text() != form.Button17->text());
        QCOMPARE(dialog.TeThemeButton2->text(), form.textSource()->GetText(72));
        TForm_Config config;
        config.applyTexts([&](int index, const QString& builtIn) { return form.text(index, builtIn); });
        QCOMPARE(config.windowTitle(), form.textSource()->GetText(62));
    }

    void missingIndexKeepsBuiltInTextsAndStillLoadsSettings()
    {
        ProgramFolder folder;
        QFile::remove(folder.file("CountryName.Txt"));
        QFile::remove(folder.file("English (United States)"));
        folder.writeConfig(QStringLiteral("ttyUSB7"));
        TForm_Main form(folder.path());
        QCOMPARE(m_messages.size(), 1);
        QVERIFY(m_messages.first().contains(QStringLiteral("CountryName.Txt")));
        QCOMPARE(form.tbConfig->text(), QStringLiteral("Config"));
        QCOMPARE(form.state().portName(), QStringLiteral("ttyUSB7"));
        // Later lookups still work: the identification shows the built-in words.
        form.showModel(QStringLiteral("R525"));
        QVERIFY(form.statusPanelText(0).endsWith(QStringLiteral(" R525 ")));
    }

    void shortLanguageFileFillsWhatItHas()
    {
        ProgramFolder folder;
        // A German file with texts 0 to 2 only.
        QByteArray bytes("\x04\x00", 2);
        for (const char* t : {"Kelvane", "Konfig", "Sichern"}) {
            const quint16 n = quint16(qstrlen(t));
            bytes.append(char(n & 0xff)).append(char(n >> 8)).append(t);
        }
        QFile file(folder.file("German (Germany)"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        TForm_Main form(folder.path());
        QCOMPARE(form.tbConfig->text(), QStringLiteral("Konfig"));
        QCOMPARE(form.tbOpen->text(), QStringLiteral("Open"));
        QCOMPARE(m_messages.size(), 1);
        form.showModel(QStringLiteral("R505"));
        QVERIFY(form.statusPanelText(0).contains(QStringLiteral("R505")));
    }

private:
    QStringList m_messages;
};

int main(int argc, char* argv[])
{
    // The language follows the locale the program starts in.
    qputenv("LC_ALL", "de_DE.UTF-8");
    qputenv("LANG", "de_DE.UTF-8");
    QApplication app(argc, argv);
    TestTextsWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_texts_window.moc"
