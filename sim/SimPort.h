#pragma once
#include "link/PowerPort.h"
#include "sim/SimSupply.h"

#include <QElapsedTimer>
#include <QQueue>
#include <QTimer>
#include <functional>

/**
 * The built-in simulated supply behind the port interface, under the port name "SIM".
 *
 * Like the real instrument it takes one line at a time: a line is answered after the
 * time its bytes and its reply's bytes take on the line at the chosen baud rate
 * (10 bits a byte) plus a short processing delay; lines written meanwhile wait their
 * turn. Replies arrive through readyRead() from the event loop, never from inside write().
 */
class SimPort : public PowerPort {
    Q_OBJECT
public:
    static inline const QString PortName = QStringLiteral("SIM");

    explicit SimPort(QObject* parent = nullptr);
    ~SimPort() override;

    // True for "SIM", in any letter case, also behind the "//./" prefix.
    static bool isSimName(const QString& portName);

    // Succeeds for the simulated port's name only; other names fail with ENOENT.
    bool open(const QString& portName, qint32 baudRate) override;
    // Drops everything not yet answered or read; the supply keeps its state.
    void close() override;
    bool isOpen() const override { return m_open; }
    // Returns data.size(), or -1 when the port is closed.
    qint64 write(const QByteArray& data) override;
    qint64 bytesAvailable() const override { return m_rx.size(); }
    QByteArray read(qint64 maxBytes) override;
    int errorNumber() const override { return m_error; }

    // The rate used for timing; 0 or less means 9600.
    qint32 baudRate() const { return m_baud; }
    void setBaudRate(qint32 baud);
    // Time the instrument takes to act on a line, besides the line's transfer time.
    double processingDelayMs() const { return m_processingMs; }
    void setProcessingDelayMs(double ms);
    // Replies come on the next turn of the event loop (for benchmarks).
    bool noDelay() const { return m_noDelay; }
    void setNoDelay(bool on) { m_noDelay = on; }

    SimSupply& supply() { return m_supply; }
    const SimSupply& supply() const { return m_supply; }
    // Seconds on the supply's clock (it starts when the port is made).
    double now() const;

    // The supply's own answer to a line at this instant.
    QByteArray answer(const QByteArray& line);
    // Replaces how a line is answered (the stand-alone simulator injects line faults with
    // it); an empty reply means no reply. An empty function restores answer().
    using Responder = std::function<QByteArray(const QByteArray& line)>;
    void setResponder(Responder responder) { m_responder = std::move(responder); }

    // Lines received but not yet answered, the one being handled included.
    int pendingLines() const;

private:
    enum class Stage { Idle, Handling, Sending };
    void startNext();
    void onTimer();
    void schedule(double seconds);
    double byteTime(qsizetype bytes) const;

    SimSupply m_supply;
    QElapsedTimer m_clock;
    QTimer m_timer;
    Responder m_responder;
    bool m_open = false;
    int m_error = 0;
    qint32 m_baud = 9600;
    double m_processingMs = 2.0;
    bool m_noDelay = false;
    double m_due = 0.0;           // when the running stage ends, on the supply's clock

    QByteArray m_input;           // bytes of a line still without its line feed
    QQueue<QByteArray> m_lines;   // complete lines waiting their turn
    QByteArray m_current;         // the line being handled
    QByteArray m_reply;           // its reply, on its way
    Stage m_stage = Stage::Idle;
    QByteArray m_rx;              // received, not yet read
};
