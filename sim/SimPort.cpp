#include "sim/SimPort.h"

#include <algorithm>
#include <cerrno>
#include <cmath>

namespace {
constexpr qint32 DefaultBaud = 9600;
// An instrument's input buffer is small; a "line" longer than this is noise and is dropped.
constexpr qsizetype MaxLineBytes = 4096;
} // namespace

SimPort::SimPort(QObject* parent)
    : PowerPort(parent)
{
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SimPort::onTimer);
}

SimPort::~SimPort() = default;

bool SimPort::isSimName(const QString& portName)
{
    QString name = portName.trimmed();
    if (name.startsWith(QLatin1String("//./")))
        name.remove(0, 4);
    return name.compare(PortName, Qt::CaseInsensitive) == 0;
}

bool SimPort::open(const QString& portName, qint32 baudRate)
{
    if (!isSimName(portName)) {
        m_error = ENOENT;
        return false;
    }
    close();
    setBaudRate(baudRate);
    m_error = 0;
    m_open = true;
    return true;
}

void SimPort::close()
{
    m_timer.stop();
    m_open = false;
    m_input.clear();
    m_lines.clear();
    m_current.clear();
    m_reply.clear();
    m_rx.clear();
    m_stage = Stage::Idle;
}

void SimPort::setBaudRate(qint32 baud)
{
    m_baud = baud > 0 ? baud : DefaultBaud;
}

void SimPort::setProcessingDelayMs(double ms)
{
    m_processingMs = std::isfinite(ms) ? std::max(0.0, ms) : 0.0;
}

double SimPort::now() const
{
    return double(m_clock.nsecsElapsed()) / 1e9;
}

double SimPort::byteTime(qsizetype bytes) const
{
    return double(bytes) * 10.0 / double(m_baud);
}

QByteArray SimPort::answer(const QByteArray& line)
{
    return m_supply.handleLine(line, now());
}

int SimPort::pendingLines() const
{
    return int(m_lines.size()) + (m_stage == Stage::Idle ? 0 : 1);
}

qint64 SimPort::write(const QByteArray& data)
{
    if (!m_open)
        return -1;
    m_input += data;
    qsizetype nl;
    while ((nl = m_input.indexOf('\n')) >= 0) {
        m_lines.enqueue(m_input.left(nl));
        m_input.remove(0, nl + 1);
    }
    if (m_input.size() > MaxLineBytes)
        m_input.clear();
    startNext();
    return data.size();
}

QByteArray SimPort::read(qint64 maxBytes)
{
    if (maxBytes <= 0)
        return {};
    const QByteArray out = m_rx.left(maxBytes);
    m_rx.remove(0, out.size());
    return out;
}

void SimPort::schedule(double seconds)
{
    if (m_noDelay) {
        m_timer.start(0);
        return;
    }
    // Stages are chained on due times, so the timers' millisecond rounding does not add up.
    m_due = (m_stage == Stage::Sending ? m_due : now()) + seconds;
    m_timer.start(std::max(0, int(std::ceil((m_due - now()) * 1000.0))));
}

void SimPort::startNext()
{
    if (m_stage != Stage::Idle || m_lines.isEmpty() || !m_open)
        return;
    m_current = m_lines.dequeue();
    m_stage = Stage::Handling;
    // The line's bytes (with its line feed) cross the wire, then the instrument thinks.
    schedule(byteTime(m_current.size() + 1) + m_processingMs / 1000.0);
}

void SimPort::onTimer()
{
    if (m_stage == Stage::Handling) {
        m_reply = m_responder ? m_responder(m_current) : answer(m_current);
        m_current.clear();
        if (m_reply.isEmpty()) {
            m_stage = Stage::Idle;
            startNext();
            return;
        }
        m_stage = Stage::Sending;
        if (!m_noDelay) {
            schedule(byteTime(m_reply.size()));
            return;
        }
    }
    if (m_stage != Stage::Sending)
        return;
    m_rx += m_reply;
    m_reply.clear();
    m_stage = Stage::Idle;
    emit readyRead();
    // The reader may have written the next line already, or closed the port.
    startNext();
}
