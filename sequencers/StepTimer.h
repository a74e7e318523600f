#pragma once
#include <QObject>
#include <QTimer>

// A sequencer's step timer: fires every interval milliseconds, measured from when it
// was (re)started. Takes the full unsigned 32-bit range of step times (QTimer stops at
// 2^31 - 1 ms), and an interval of 0 means no ticks at all rather than a busy loop.
class StepTimer : public QObject {
    Q_OBJECT
public:
    explicit StepTimer(QObject* parent = nullptr);

    // Sets the interval and (re)starts counting from now; 0 stops the ticks.
    void start(quint32 milliseconds);
    void stop();
    bool isActive() const { return m_active; }
    quint32 interval() const { return m_interval; }

signals:
    void timeout();

private:
    void arm();

    QTimer m_timer;
    quint32 m_interval = 0;
    quint64 m_remaining = 0;
    bool m_active = false;
};
