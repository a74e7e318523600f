#include "link/QtSerialPowerPort.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

QtSerialPowerPort::QtSerialPowerPort(QObject* parent)
    : PowerPort(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &PowerPort::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError error) {
        // Modem-line controls fail on pseudo-terminals; only a lost device matters here.
        if (error == QSerialPort::ResourceError && m_port.isOpen())
            emit portFailed(m_port.errorString());
    });
}

QString QtSerialPowerPort::devicePath(const QString& portName)
{
    return portName.startsWith(QLatin1Char('/')) ? portName : QStringLiteral("/dev/") + portName;
}

bool QtSerialPowerPort::open(const QString& portName, qint32 baudRate)
{
    m_errorNumber = 0;
    const QString path = devicePath(portName);
    m_port.setPortName(path);
    m_port.setBaudRate(baudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        // QSerialPort keeps no system error number; ask the system the same question.
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd < 0) {
            m_errorNumber = errno;
        } else {
            ::close(fd);
            m_errorNumber = EBUSY; // it exists but is locked by another program
        }
        return false;
    }
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(false);
    m_port.clearError();
    return true;
}

void QtSerialPowerPort::close()
{
    if (m_port.isOpen())
        m_port.close();
}

qint64 QtSerialPowerPort::write(const QByteArray& data)
{
    return m_port.isOpen() ? m_port.write(data) : -1;
}
