#pragma once
#include <cstring>

// One list-program step exactly as it is stored in the settings file (32 bytes).
struct ProgramStep {
    char VoltageText[10] = {'1'};
    char CurrentText[10] = {'1'};
    char Padding[4] = {};
    double Time = 1.0;
};
static_assert(sizeof(ProgramStep) == 32, "ProgramStep is stored byte for byte");
