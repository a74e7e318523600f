#pragma once
#include "app/TMainState.h"
#include "link/PowerPort.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class LinkView;

// The serial link to the instrument: one command line in flight (the head of
// CommandQueue), a 5000 ms response time-out that re-sends it, line assembly, the
// reply handling and the endless polling cycle.
class PowerLink : public QObject {
    Q_OBJECT
public:
    using PortFactory = std::function<std::unique_ptr<PowerPort>(const QString& portName)>;

    PowerLink(TMainState& state, LinkView& view, PortFactory factory, QObject* parent = nullptr);
    ~PowerLink() override;

    static constexpr int ResponseTimeoutMs = 5000;
    static constexpr qsizetype MaxPendingBytes = 4096;
    // The baud rate for an index of the settings, or 0 for an index outside 0..3.
    static qint32 baudRateForIndex(qint32 index);

    void OpenLink();
    void SuspendLink();
    void SendHead();
    void closePort();
    bool isPortOpen() const;

    void PowerComPortRxChar(qint64 byteCount);
    void Timer_OverTimeTimer();
    void HandleResponse(const QByteArray& line);
    void AdvanceQueue();
    void IdentifyModel(const QByteArray& line);
    void LoadModelLimits(const QString& modelName);

    // Every part that wants something from the instrument appends here.
    void append(const QByteArray& line) { m_state.CommandQueue.append(line); }

    // Where "PowerType.dat" is found.
    void setProgramDir(const QString& dir) { m_programDir = dir; }
    qint32 baudRate() const { return m_baudRate; }
    QTimer& Timer_OverTime() { return m_overTime; }
    PowerPort* port() const { return m_port.get(); }

signals:
    // The line just written to the port, for observers such as benchmarks.
    void lineWritten(const QByteArray& line);

private:
    void writeLine(const QByteArray& line);

    TMainState& m_state;
    LinkView& m_view;
    PortFactory m_factory;
    std::unique_ptr<PowerPort> m_port;
    QTimer m_overTime;
    qint32 m_baudRate = 9600;
    QString m_programDir;
};
