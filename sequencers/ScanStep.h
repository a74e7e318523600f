#pragma once

// One scan tick: the voltage advances by repeated addition (the k-th point is the
// running sum, not Start + k * Step). Returns true when it reached Stop, where it
// is then held.
inline bool advanceScan(double& scanVoltage, double step, double stop)
{
    scanVoltage += step;
    if (scanVoltage >= stop) {
        scanVoltage = stop;
        return true;
    }
    return false;
}
