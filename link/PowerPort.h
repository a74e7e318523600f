#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>

// The one serial port of the instrument link. The real line (QSerialPort) and the
// built-in simulated supply both stand behind this, so the link cannot tell them apart.
class PowerPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~PowerPort() override = default;

    // Opens the named port at the given rate, 8N1, DTR on, RTS off, no flow control.
    // On failure returns false and errorNumber() holds the system's error number.
    virtual bool open(const QString& portName, qint32 baudRate) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual qint64 write(const QByteArray& data) = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual QByteArray read(qint64 maxBytes) = 0;
    virtual int errorNumber() const = 0;

signals:
    // Bytes are waiting; bytesAvailable() tells how many.
    void readyRead();
    // The device went away or failed while open (an unplugged adapter).
    void portFailed(const QString& message);
};
