#pragma once
#include <cstring>
#include "sequencers/GoNgStep.h"
#include "sequencers/ProgramStep.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <vector>

/// Everything "Config.dat" and the parameter files carry. A parameter file is a
/// settings file without its 64-byte header (BaudIndex to CurrWheelStep).
struct SettingsImage {
    qint32 BaudIndex = 1;
    char PortName[11] = {'C', 'O', 'M', '1'};
    double VoltArrowStep = 0.01, VoltPageStep = 0.01, VoltWheelStep = 0.01,
           CurrArrowStep = 0.01, CurrPageStep = 0.01, CurrWheelStep = 0.01;
    QString FastKeyCaptions[10] = {
        QStringLiteral("0V/0A"), QStringLiteral("0V/0A"), QStringLiteral("0V/0A"), QStringLiteral("0V/0A"),
        QStringLiteral("0V/0A"), QStringLiteral("0V/0A"), QStringLiteral("0V/0A"), QStringLiteral("0V/0A"),
        QStringLiteral("0V/0A"), QStringLiteral("0V/0A")};
    double ScanStart = 1, ScanStop = 6, ScanStep = 1, ScanDelay = 1;
    std::vector<ProgramStep> ProgramSteps{ProgramStep{}};
    std::vector<GoNgStep> GoNgSteps{GoNgStep{}};
};

/// Byte sizes of the stored layout.
inline constexpr int SettingsHeaderSize = 64;
inline constexpr int FastKeyCaptionSize = 100;

/// A path names a parameter file when, upper-cased as a whole, it contains ".PAR"
/// anywhere (the folder part included); every other path is a settings file.
bool isParameterPath(const QString& path);

struct SettingsReadResult {
    bool headerRead = false;       ///< all 64 header bytes were there (settings kind only)
    bool programStepsRead = false; ///< a positive count and its records replaced ProgramSteps
    bool goNgStepsRead = false;    ///< the same for GoNgSteps
    QString problem;               ///< empty, or one sentence about a short or corrupt file
};

/// Reads a settings file (parameterKind false) or a parameter file over image.
/// Every field the bytes fully hold is replaced; the fields the bytes do not reach
/// keep their values. A step count of 0 or less keeps that table. A count larger
/// than the records present loads the complete records there are (if any), reports
/// a problem and stops, so the fields after it keep their values.
SettingsReadResult readSettings(const QByteArray& bytes, bool parameterKind, SettingsImage& image);

/// The file image of a settings file (with header) or a parameter file (without).
/// Captions are cut to 99 bytes at a character boundary; padding and the bytes after
/// a text's NUL are written as zero; step records are written as held, padding zeroed.
QByteArray writeSettings(const SettingsImage& image, bool parameterKind);

/// The save dialog's naming rule: ".PAR" is appended unless the name already
/// contains ".PAR" exactly (case-sensitive), so "test.par" becomes "test.par.PAR".
QString parameterFileName(const QString& chosen);

// Copies the header fields (port settings and knob steps) between records that carry
// them under the same names: the main window's state and a settings image.
template <typename From, typename To>
void copySettingsHeader(const From& from, To& to)
{
    static_assert(sizeof from.PortName == sizeof to.PortName, "both port name fields hold 11 bytes");
    to.BaudIndex = from.BaudIndex;
    std::memcpy(to.PortName, from.PortName, sizeof to.PortName);
    to.VoltArrowStep = from.VoltArrowStep;
    to.VoltPageStep = from.VoltPageStep;
    to.VoltWheelStep = from.VoltWheelStep;
    to.CurrArrowStep = from.CurrArrowStep;
    to.CurrPageStep = from.CurrPageStep;
    to.CurrWheelStep = from.CurrWheelStep;
}
