// The main window on a real serial line: the settings name a pseudo-terminal, the
// window opens it when first shown, and the test plays the instrument on the master.
#include "app/ErrorDisplay.h"
#include "app/TForm_Main.h"
#include "app/TrendPlot.h"
#include "panel/Knob.h"
#include "panel/SevenSegmentReadout.h"
#include "panel/ToggleSwitch.h"
#include "support/ProgramFolder.h"
#include "support/PtyPair.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QRandomGenerator>
#include <QtTest>

#include <climits>
#include <cmath>

namespace {

QString portNameFor(const QString& slavePath)
{
    return slavePath.size() <= 11 ? slavePath : QDir(QStringLiteral("/dev")).relativeFilePath(slavePath);
}

} // namespace

class TestMainWindowLink : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        m_messages.clear();
        setMessageHook([this](const QString& text) { m_messages << text; });
    }

    void cleanup() { setMessageHook({}); }

    // From the first showing to a polling cycle: identification, knob limits, readouts
    // and plot; a silent instrument then disables the control groups; closing stops the link.
    void followsTheInstrument()
    {
        PtyPair pty;
        QVERIFY(pty.isValid());
        ProgramFolder folder;
        folder.writeConfig(portNameFor(pty.slavePath()));
        QVERIFY(QFile::exists(folder.file(QStringLiteral("Config.dat"))));

        TForm_Main form(folder.path());
        QCOMPARE(form.state().portName(), portNameFor(pty.slavePath()));
        form.show();
        QCOMPARE(pty.readLine(10000), QByteArray("*IDN?\n"));
        QVERIFY(!form.iKnob_Voltage->isEnabled());
        QVERIFY(!form.TeThemeGroupBoxFastKey->isEnabled());

        const QList<std::pair<QByteArray, QByteArray>> exchange = {
            {"*IDN?\n", "KELVANE,L3250-SIM,000001,1.05\n"},
            {"OUTP?\n", "0\n"},
            {"VOLT?\n", "12.5\n"},
            {"CURR?\n", "1.25\n"},
            {"MEAS:DVM?\n", "3.3\n"},
            {"Meas:Volt?\n", "12.49\n"},
            {"MEAS:CURR?\n", "0.5\n"},
        };
        pty.write(exchange.first().second);
        for (qsizetype i = 1; i < exchange.size(); ++i) {
            QCOMPARE(pty.readLine(5000), exchange[i].first);
            pty.write(exchange[i].second);
        }
        QCOMPARE(pty.readLine(5000), QByteArray("MEAS:DVM?\n"));

        QVERIFY2(form.statusPanelText(0).contains(QStringLiteral(" R525 ")), qPrintable(form.statusPanelText(0)));
        QCOMPARE(form.iKnob_Voltage->maximum(), 32.0);
        QCOMPARE(form.iKnob_Current->maximum(), 5.0);
        QVERIFY(form.iKnob_Voltage->isEnabled());
        QVERIFY(form.TeThemeGroupBoxCtrl->isEnabled());
        QVERIFY(!form.iSwitchToggle_OutputOnOff->isActive());
        QCOMPARE(form.iSevenSegmentAnalog_SteupVoltage->value(), 12.5);
        QCOMPARE(form.iKnob_Voltage->position(), 12.5);
        QCOMPARE(form.iSevenSegmentAnalog_SteupCurrent->value(), 1.25);
        QCOMPARE(form.iKnob_Current->position(), 1.25);
        QCOMPARE(form.iSevenSegmentAnalog_DVM->value(), 3.3);
        QCOMPARE(form.iSevenSegmentAnalog_PresentVoltage->value(), 12.49);
        QCOMPARE(form.iSevenSegmentAnalog_PresentCurrent->value(), 0.5);
        for (int channel = 0; channel < 3; ++channel)
            QCOMPARE(form.iPlotVoltage_Current->channel(channel)->dataCount(), 3);

        // The instrument falls silent: the same query again after the time-out, groups off.
        QElapsedTimer silence;
        silence.start();
        // A re-sent line goes out as stored.
        QCOMPARE(pty.readLine(15000), QByteArray("Meas:DVM?\n"));
        QVERIFY(silence.elapsed() >= 4000);
        QVERIFY(!form.iKnob_Voltage->isEnabled());
        QVERIFY(!form.TeThemeGroupBox_SetValue->isEnabled());
        pty.write("3.3\n");
        QCOMPARE(pty.readLine(5000), QByteArray("Meas:Volt?\n"));
        QVERIFY(form.iKnob_Voltage->isEnabled());

        form.close();
        QVERIFY(form.state().Closing);
        QVERIFY(form.state().LinkSuspended);
        QVERIFY(!form.link().isPortOpen());
        QVERIFY(QFile::exists(folder.file(QStringLiteral("Config.dat"))));
        QVERIFY2(m_messages.isEmpty(), qPrintable(m_messages.join(QLatin1Char('\n'))));
    }

    // A port that does not exist: the message once, nothing queued, the groups stay off.
    void missingPort()
    {
        ProgramFolder folder;
        folder.writeConfig(QStringLiteral("ttyNOPE9"));
        TForm_Main form(folder.path());
        form.show();
        QTRY_VERIFY_WITH_TIMEOUT(!m_messages.isEmpty(), 10000);
        QCOMPARE(m_messages, QStringList{QStringLiteral("Unable to open com port (win error code: 2)")});
        QVERIFY(form.state().LinkSuspended);
        QVERIFY(form.state().CommandQueue.isEmpty());
        QVERIFY(!form.iKnob_Voltage->isEnabled());
        form.close();
    }

    void trendPlotShowsEveryExtreme_data()
    {
        QTest::addColumn<int>("points");
        QTest::addColumn<QString>("shape");
        QTest::newRow("sine, 20000 points in view") << 20000 << "sine";
        QTest::newRow("one spike up among 300000") << 300000 << "spike up";
        QTest::newRow("one spike down among 300000") << 300000 << "spike down";
        QTest::newRow("noise, 300000 points") << 300000 << "noise";
        QTest::newRow("sine, crowded at the start") << 300000 << "uneven sine";
    }

    // With many points to a pixel the plot draws each column from the channel's minimum
    // and maximum; the picture must cover what drawing every point covers.
    void trendPlotShowsEveryExtreme()
    {
        QFETCH(int, points);
        QFETCH(QString, shape);
        TrendPlot plot;
        plot.resize(1000, 600);
        QRandomGenerator random(7);
        for (int i = 0; i < points; ++i) {
            const double share = double(i) / points;
            // Uneven: readings crowd at the start, as after a pause the polling catches up.
            const double seconds = TrendPlot::XSpan * (shape.startsWith(QLatin1String("uneven")) ? share * share : share);
            double v = 7.0;
            if (shape == QLatin1String("sine"))
                v += 2.0 * std::sin(i * 0.002);
            else if (shape == QLatin1String("uneven sine"))
                v += 2.0 * std::sin(seconds * 0.3);
            else if (shape == QLatin1String("spike up") && i == points / 3)
                v = 10.0;
            else if (shape == QLatin1String("spike down") && i == points / 3)
                v = 4.0;
            else if (shape == QLatin1String("noise"))
                v += random.bounded(3.0) - 1.5;
            // The other channels stay flat at 0, well below the voltage trace.
            plot.addPoint(seconds, v, 0, 0);
        }
        plot.redrawNow();
        const QRect area = plot.axisRect()->rect();

        // Topmost and lowest red (voltage) pixel of each column of the data area.
        const auto extents = [&](bool sampled) {
            for (int g = 0; g < 3; ++g)
                plot.channel(g)->setAdaptiveSampling(sampled);
            const QImage image = plot.toPixmap(plot.width(), plot.height()).toImage();
            QList<std::pair<int, int>> columns;
            for (int x = area.left() + 1; x < area.right(); ++x) {
                int top = -1, bottom = -1;
                for (int y = area.top(); y <= area.bottom(); ++y) {
                    const QColor c = image.pixelColor(x, y);
                    if (c.red() > 90 && c.green() < 50 && c.blue() < 50) {
                        if (top < 0)
                            top = y;
                        bottom = y;
                    }
                }
                columns.append({top, bottom});
            }
            return columns;
        };
        const auto every = extents(false);
        const auto sampled = extents(true);
        QCOMPARE(sampled.size(), every.size());
        // Each column must cover what every point covers (1 pixel of rounding allowed) and
        // reach at most 3 pixels further, on steep slopes.
        int differing = 0;
        for (qsizetype x = 0; x < every.size(); ++x) {
            const auto [top, bottom] = every[x];
            const auto [sTop, sBottom] = sampled[x];
            const bool covers = sTop <= top + 1 && sBottom >= bottom - 1;
            const bool close = sTop >= top - 3 && sBottom <= bottom + 3;
            if ((top < 0) != (sTop < 0) || !covers || !close)
                ++differing;
        }
        QVERIFY2(differing <= 2, qPrintable(QStringLiteral("%1 of %2 columns differ").arg(differing).arg(every.size())));
        const auto topmost = [](const QList<std::pair<int, int>>& cs) {
            int top = INT_MAX, bottom = -1;
            for (const auto& c : cs)
                if (c.first >= 0) {
                    top = qMin(top, c.first);
                    bottom = qMax(bottom, c.second);
                }
            return std::pair<int, int>(top, bottom);
        };
        QCOMPARE(topmost(sampled), topmost(every));
    }

private:
    QStringList m_messages;
};

QTEST_MAIN(TestMainWindowLink)
#include "tst_mainwindow_link.moc"
