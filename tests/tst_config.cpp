// The configuration dialog around the link: suspend, choose, reopen.
#include "app/ErrorDisplay.h"
#include "app/TForm_Main.h"
#include "panel/Knob.h"
#include "panel/NumericEdit.h"
#include "settings/TForm_Config.h"
#include "support/ProgramFolder.h"
#include "support/PtyPair.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {

// Waits for the modal configuration dialog, lets fill() set it up, then presses a button.
void answerDialog(std::function<void(TForm_Config*)> fill, const char* button)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, fill, button] {
        auto* dialog = qobject_cast<TForm_Config*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll->stop();
        poll->deleteLater();
        if (fill)
            fill(dialog);
        dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    });
    poll->start(20);
}

} // namespace

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_messages.clear();
        setMessageHook([this](const QString& text) { m_messages << text; });
    }

    void naturalOrder()
    {
        QCOMPARE(TForm_Config::naturalOrder({"ttyS10", "ttyUSB0", "ttyS2", "ttyACM1", "ttyS1"}),
            QStringList({"ttyACM1", "ttyS1", "ttyS2", "ttyS10", "ttyUSB0"}));
    }

    void scanListsOwnPortThenSim()
    {
        PtyPair pty;
        TForm_Config dialog;
        dialog.ScanSerialPorts(pty.slavePath());
        QComboBox* list = dialog.TeThemeComboBoxComm;
        QVERIFY(list->count() >= 2);
        QCOMPARE(list->itemText(list->count() - 1), QStringLiteral("SIM"));
        QVERIFY(list->findText(pty.slavePath()) >= 0);
        QCOMPARE(list->currentIndex(), -1);
        // A name that cannot be opened is not offered.
        dialog.ScanSerialPorts(QStringLiteral("/dev/kelvane-no-such-port"));
        QCOMPARE(dialog.TeThemeComboBoxComm->findText(QStringLiteral("/dev/kelvane-no-such-port")), -1);
    }

    void okWithNewPortBaudAndSteps()
    {
        PtyPair first, second;
        ProgramFolder folder;
        folder.writeConfig(first.slavePath());
        TForm_Main form(folder.path());
        TForm_Config dialog(&form);
        form.setConfigDialog(&dialog);
        form.show();
        QCOMPARE(first.readLine(5000), QByteArray("*IDN?\n"));
        QCOMPARE(form.link().baudRate(), 9600);

        answerDialog([&](TForm_Config* d) {
            // The program's own port is offered and selected, the baud rate shown.
            QCOMPARE(d->TeThemeComboBoxComm->currentText(), first.slavePath());
            QCOMPARE(d->TeThemeComboBoxRaudRate->currentIndex(), 1);
            d->TeThemeComboBoxRaudRate->setCurrentIndex(2);
            d->TeThemeComboBoxComm->setEditText(second.slavePath()); // typed, not yet entered
            d->iAnalogOutputKA1->setValue(0.25);
            d->iAnalogOutputMW2->setValue(0.05);
        }, "TeThemeButton2");
        form.tbConfigClick();

        TMainState expected;
        expected.setPortName(second.slavePath());
        QCOMPARE(form.state().portName(), expected.portName());
        QCOMPARE(form.state().BaudIndex, 2);
        QCOMPARE(form.iKnob_Voltage->arrowStep(), 0.25);
        QCOMPARE(form.iKnob_Current->wheelStep(), 0.05);
        QCOMPARE(form.state().VoltArrowStep, 0.25);
        QCOMPARE(second.readLine(5000), QByteArray("*IDN?\n"));
        QCOMPARE(form.link().baudRate(), 19200);
        first.readAvailable(200);
        QVERIFY(first.readAvailable(300).isEmpty());
    }

    void cancelKeepsEverythingAndReopens()
    {
        PtyPair pty;
        ProgramFolder folder;
        folder.writeConfig(pty.slavePath());
        TForm_Main form(folder.path());
        TForm_Config dialog(&form);
        form.setConfigDialog(&dialog);
        form.show();
        QCOMPARE(pty.readLine(5000), QByteArray("*IDN?\n"));
        const double arrow = form.iKnob_Voltage->arrowStep();
        answerDialog([](TForm_Config* d) {
            d->TeThemeComboBoxRaudRate->setCurrentIndex(3);
            d->iAnalogOutputKA1->setValue(0.7);
            d->TeThemeComboBoxComm->setCurrentIndex(d->TeThemeComboBoxComm->count() - 1);
        }, "TeThemeButton1");
        form.tbConfigClick();
        QCOMPARE(form.state().BaudIndex, 1);
        TMainState expected;
        expected.setPortName(pty.slavePath());
        QCOMPARE(form.state().portName(), expected.portName());
        QCOMPARE(form.iKnob_Voltage->arrowStep(), arrow);
        // The previous port is opened again and the exchange starts over.
        QCOMPARE(pty.readLine(5000), QByteArray("*IDN?\n"));
        QVERIFY(form.link().isPortOpen());
    }

    void okWithNothingSelectedLeavesThePortClosed()
    {
        PtyPair pty;
        ProgramFolder folder;
        folder.writeConfig(pty.slavePath());
        TForm_Main form(folder.path());
        TForm_Config dialog(&form);
        form.setConfigDialog(&dialog);
        form.show();
        QCOMPARE(pty.readLine(5000), QByteArray("*IDN?\n"));
        answerDialog([](TForm_Config* d) {
            d->TeThemeComboBoxComm->setCurrentIndex(-1);
            d->TeThemeComboBoxComm->setEditText(QString());
            d->iAnalogOutputKA1->setValue(0.9);
        }, "TeThemeButton2");
        form.tbConfigClick();
        QVERIFY(!form.link().isPortOpen());
        QVERIFY(form.state().LinkSuspended);
        QCOMPARE(form.state().VoltArrowStep, 0.01); // nothing stored
        QVERIFY(pty.readAvailable(1500).isEmpty());
    }

private:
    QStringList m_messages;
};

QTEST_MAIN(TestConfig)
#include "tst_config.moc"
