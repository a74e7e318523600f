#pragma once

// One GO/NG step exactly as it is stored in the settings file (40 bytes).
struct GoNgStep {
    char SettingText[10] = {'1'};
    char MaxText[10] = {'1'};
    char MinText[10] = {'0'};
    char Padding[2] = {};
    double Time = 1.0;
};
static_assert(sizeof(GoNgStep) == 40, "GoNgStep is stored byte for byte");
