#pragma once
#include "link/PowerPort.h"

#include <QSerialPort>

// The real serial line.
class QtSerialPowerPort : public PowerPort {
    Q_OBJECT
public:
    explicit QtSerialPowerPort(QObject* parent = nullptr);

    // "ttyUSB0" names /dev/ttyUSB0; a name starting with "/" is a path.
    static QString devicePath(const QString& portName);

    bool open(const QString& portName, qint32 baudRate) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    qint64 write(const QByteArray& data) override;
    qint64 bytesAvailable() const override { return m_port.bytesAvailable(); }
    QByteArray read(qint64 maxBytes) override { return m_port.read(maxBytes); }
    int errorNumber() const override { return m_errorNumber; }

private:
    QSerialPort m_port;
    int m_errorNumber = 0;
};
