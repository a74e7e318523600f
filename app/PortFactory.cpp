#include "app/PortFactory.h"

#include "link/QtSerialPowerPort.h"
#include "sim/SimPort.h"

PowerLink::PortFactory defaultPortFactory()
{
    return [](const QString& portName) -> std::unique_ptr<PowerPort> {
        if (portName.compare(QLatin1String("SIM"), Qt::CaseInsensitive) == 0)
            return std::make_unique<SimPort>();
        return std::make_unique<QtSerialPowerPort>();
    };
}
