#include "link/PowerLink.h"

#include "link/CommandText.h"
#include "link/LinkView.h"
#include "link/WaitWithEvents.h"

PowerLink::PowerLink(TMainState& state, LinkView& view, PortFactory factory, QObject* parent)
    : QObject(parent)
    , m_state(state)
    , m_view(view)
    , m_factory(std::move(factory))
{
    m_overTime.setObjectName(QStringLiteral("Timer_OverTime"));
    m_overTime.setInterval(ResponseTimeoutMs);
    connect(&m_overTime, &QTimer::timeout, this, &PowerLink::Timer_OverTimeTimer);
}

PowerLink::~PowerLink() = default;

qint32 PowerLink::baudRateForIndex(qint32 index)
{
    switch (index) {
    case 0: return 4800;
    case 1: return 9600;
    case 2: return 19200;
    case 3: return 38400;
    default: return 0;
    }
}

bool PowerLink::isPortOpen() const { return m_port && m_port->isOpen(); }

void PowerLink::closePort()
{
    if (m_port)
        m_port->close();
}

void PowerLink::OpenLink()
{
    closePort();
    WaitWithEvents(1000);
    if (const qint32 rate = baudRateForIndex(m_state.BaudIndex))
        m_baudRate = rate;

    const QString name = m_state.portName();
    // A fresh port object each time: the name decides between the real line and the built-in supply.
    if (m_port)
        m_port.release()->deleteLater();
    m_port = m_factory(name);
    if (m_port) {
        connect(m_port.get(), &PowerPort::readyRead, this, [this] {
            PowerComPortRxChar(m_port->bytesAvailable());
        });
        connect(m_port.get(), &PowerPort::portFailed, this, [this](const QString& message) {
            m_view.reportProblem(tr("The serial port %1 stopped working: %2").arg(m_state.portName(), message));
            closePort();
        });
    }
    if (!m_port || !m_port->open(name, m_baudRate)) {
        const int code = m_port ? m_port->errorNumber() : 0;
        m_view.reportProblem(QStringLiteral("Unable to open com port (win error code: %1)").arg(code));
    } else {
        WaitWithEvents(300);
        m_state.CommandQueue.clear();
        for (const QByteArray& query : {Query::Identify, Query::Output, Query::Voltage, Query::Current, Query::MeasDvm})
            m_state.CommandQueue.append(query);
        m_state.LinkSuspended = false;
        writeLine(m_state.CommandQueue.first());
    }
    m_overTime.start();
}

void PowerLink::SuspendLink()
{
    m_overTime.stop();
    m_state.LinkSuspended = true;
    WaitWithEvents(1000);
    m_state.CommandQueue.clear();
}

void PowerLink::SendHead()
{
    if (m_state.CommandQueue.isEmpty())
        return;
    m_view.flipTxLed();
    writeLine(m_state.CommandQueue.first());
    m_overTime.start();
}

void PowerLink::writeLine(const QByteArray& line)
{
    if (m_port && m_port->isOpen())
        m_port->write(line);
    emit lineWritten(line);
}

void PowerLink::PowerComPortRxChar(qint64 byteCount)
{
    if (m_state.Closing || m_state.LinkSuspended)
        return;
    m_view.flipRxLed();
    m_overTime.stop();
    if (!m_view.voltageKnobEnabled() && !m_state.SequenceActive)
        m_view.SetControlGroupsEnabled(true);
    if (m_port)
        m_state.RxBuffer.append(m_port->read(byteCount));
    // A line that never ends (noise on the line) must not grow without bound.
    if (m_state.RxBuffer.size() > MaxPendingBytes && !m_state.RxBuffer.contains('\n'))
        m_state.RxBuffer = m_state.RxBuffer.right(MaxPendingBytes);

    const qsizetype lineFeed = m_state.RxBuffer.indexOf('\n');
    if (lineFeed < 0)
        return;
    const QByteArray line = m_state.RxBuffer.left(lineFeed);
    const QByteArray remainder = m_state.RxBuffer.mid(lineFeed + 1);
    HandleResponse(line);
    m_state.RxBuffer = remainder;
}

void PowerLink::Timer_OverTimeTimer()
{
    m_overTime.stop();
    m_view.SetControlGroupsEnabled(false);
    SendHead();
}
