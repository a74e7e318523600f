// Reply handling and the polling cycle of the instrument link.
#include "link/PowerLink.h"

#include "link/CommandText.h"
#include "link/LinkView.h"
#include "link/ReadNumber.h"

#include <cstdio>

namespace {

bool isRejection(const QByteArray& line)
{
    const QByteArray upper = line.toUpper();
    return upper.contains("TOO") || (upper.contains("INVALID") && upper.contains("PARA")) || upper.contains("COMMAND");
}

} // namespace

void PowerLink::HandleResponse(const QByteArray& line)
{
    if (m_state.CommandQueue.isEmpty())
        return;
    const QByteArray head = m_state.CommandQueue.first();
    if (isRejection(line)) {
        SendHead();
        return;
    }

    try {
        if (head == Query::Identify) {
            IdentifyModel(line);
        } else if (head == Query::MeasVolt) {
            m_view.showPresentVoltage(ReadNumber(line));
            m_view.PlotReadings();
        } else if (head == Query::MeasDvm) {
            m_view.showDvm(ReadNumber(line));
            m_view.PlotReadings();
        } else if (head == Query::MeasCurr) {
            const double current = ReadNumber(line);
            m_view.showPresentCurrent(current);
            m_view.PlotReadings();
            if (m_state.GoNgActive)
                m_view.gradeCurrent(current);
        } else if (head == Query::Voltage) {
            m_view.readBackVoltage(ReadNumber(line));
        } else if (head == Query::Current) {
            m_view.readBackCurrent(ReadNumber(line));
        } else if (head == Query::Output) {
            m_view.setOutputToggle(line == "1");
        }
    } catch (const ConversionError& error) {
        // A number too large to read is not shown; the link goes on with the next line.
        std::fprintf(stderr, "kelvane: reply to %s ignored: %s\n", head.trimmed().constData(), error.what());
    }
    AdvanceQueue();
}

void PowerLink::AdvanceQueue()
{
    if (m_state.CommandQueue.isEmpty())
        return;
    m_view.flipTxLed();
    m_state.CommandQueue.removeFirst();

    QByteArray line;
    if (m_state.CommandQueue.isEmpty()) {
        m_state.CommandQueue << Query::MeasVolt << Query::MeasCurr << Query::MeasDvm;
        line = m_state.CommandQueue.first();
    } else {
        line = m_state.CommandQueue.first().toUpper();
        if (line.contains(";:SYST:ERR?")) {
            // The setup readout shows a new setpoint as soon as its command goes out.
            // Our own command texts may carry the exponent form ("1E-5") for tiny values,
            // which the reply reader would take for 1.5: read them as the numbers they are.
            const QByteArray number = line.mid(4, qMax<qsizetype>(0, line.size() - 16)).trimmed();
            bool ok = false;
            const double value = number.toDouble(&ok);
            if (ok && line.contains("VOLT"))
                m_view.showSetupVoltage(value);
            else if (ok && line.contains("CURR"))
                m_view.showSetupCurrent(value);
        }
    }
    writeLine(line);
    m_overTime.start();
}
