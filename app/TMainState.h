#pragma once
#include "sequencers/GoNgStep.h"
#include "sequencers/ProgramStep.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstring>
#include <vector>

// The main window's state beside its controls. The block from BaudIndex to
// CurrWheelStep is the settings file's 64-byte header image.
struct TMainState {
    qint32 StepCount = 0;
    qint32 StepIndex = 0;
    qint32 RunNumber = 0;
    bool Closing = false;
    bool LinkSuspended = true;
    bool SequenceActive = false;
    bool GoNgActive = false;
    QByteArray RxBuffer;

    qint32 BaudIndex = 1;
    char PortName[11] = {'C', 'O', 'M', '1'};
    double VoltArrowStep = 0.01;
    double VoltPageStep = 0.01;
    double VoltWheelStep = 0.01;
    double CurrArrowStep = 0.01;
    double CurrPageStep = 0.01;
    double CurrWheelStep = 0.01;

    std::vector<ProgramStep> ProgramSteps{ProgramStep{}};
    std::vector<GoNgStep> GoNgSteps{GoNgStep{}};
    QList<QByteArray> CommandQueue;
    double ScanVoltage = 0;
    bool EntryDone = false;
    QString EntryText = QStringLiteral("0");
    QString RunTimesText = QStringLiteral("Run Times");

    // PortName up to its first NUL.
    QString portName() const { return QString::fromLatin1(PortName, qstrnlen(PortName, sizeof PortName)); }
    // Stores a port name, cut to the 11 bytes of the field. A device path too long for
    // the field is kept by its name under /dev ("/dev/pts/123" as "pts/123"), which names the same device.
    void setPortName(const QString& name)
    {
        QByteArray bytes = name.toLocal8Bit();
        if (bytes.size() > qsizetype(sizeof PortName) && bytes.startsWith("/dev/"))
            bytes = bytes.mid(5);
        bytes = bytes.left(sizeof PortName);
        std::memset(PortName, 0, sizeof PortName);
        std::memcpy(PortName, bytes.constData(), bytes.size());
    }
};
