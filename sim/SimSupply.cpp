#include "sim/SimSupply.h"

#include <QRegularExpression>
#include <algorithm>
#include <cctype>
#include <cmath>

const QByteArray SimSupply::NoError = QByteArrayLiteral("0,No error");
const QByteArray SimSupply::ErrorTooLarge = QByteArrayLiteral("-222,Data out of range; parameter TOO large");
const QByteArray SimSupply::ErrorTooSmall = QByteArrayLiteral("-222,Data out of range; parameter TOO small");
const QByteArray SimSupply::ErrorUndefinedHeader = QByteArrayLiteral("-113,Undefined header; Invalid COMMAND");
const QByteArray SimSupply::ErrorInvalidParameter = QByteArrayLiteral("-224,Invalid parameter value");
const QByteArray SimSupply::ErrorMissingParameter = QByteArrayLiteral("-109,Missing parameter; Invalid PARAMETER");
const QByteArray SimSupply::ErrorParameterNotAllowed =
    QByteArrayLiteral("-108,Parameter not allowed; Invalid PARAMETER");

namespace {

constexpr double MinLoad = 0.001;

// Header words may come in their short or long form, in any letter case.
QByteArray shortForm(const QByteArray& word)
{
    static const struct {
        const char* shortWord;
        const char* longWord;
    } forms[] = {
        {"VOLT", "VOLTAGE"}, {"CURR", "CURRENT"}, {"OUTP", "OUTPUT"}, {"MEAS", "MEASURE"},
        {"SYST", "SYSTEM"},  {"SENS", "SENSE"},   {"ERR", "ERROR"},   {"SOUR", "SOURCE"},
        {"STAT", "STATE"},   {"LEV", "LEVEL"},    {"IMM", "IMMEDIATE"},
    };
    for (const auto& f : forms)
        if (word == f.longWord)
            return f.shortWord;
    return word;
}

// "Sour:Volt:Lev:Imm" -> "VOLT"; unknown words stay, so the lookup below rejects them.
QByteArray canonicalHeader(const QByteArray& header)
{
    QList<QByteArray> words = header.toUpper().split(':');
    for (QByteArray& w : words)
        w = shortForm(w);
    if (words.size() > 1 && words.first() == "SOUR")
        words.removeFirst();
    if (!words.isEmpty() && (words.first() == "VOLT" || words.first() == "CURR")) {
        if (words.size() > 1 && words.at(1) == "LEV") {
            words.removeAt(1);
            if (words.size() > 1 && words.at(1) == "IMM")
                words.removeAt(1);
        }
    }
    if (words.size() == 2 && words.first() == "OUTP" && words.at(1) == "STAT")
        words.removeLast();
    return words.join(':');
}

QByteArray plain(double value, int decimals)
{
    // Replies are plain decimals: never a sign (not even "-0.000") and never an exponent.
    if (!std::isfinite(value) || value < 0)
        value = 0;
    return QByteArray::number(value, 'f', decimals);
}

bool parseBool(const QByteArray& param, bool& out)
{
    const QByteArray p = param.toUpper();
    if (p == "ON" || p == "1") {
        out = true;
        return true;
    }
    if (p == "OFF" || p == "0") {
        out = false;
        return true;
    }
    return false;
}

} // namespace

SimSupply::SimSupply() = default;

void SimSupply::reset()
{
    m_vSet = 5.0;
    m_iSet = 1.0;
    m_output = false;
    m_sense = false;
}

bool SimSupply::isSettingLine(const QByteArray& line)
{
    const QByteArray first = line.split(';').first();
    return !first.trimmed().isEmpty() && !first.contains('?');
}

double SimSupply::loadFactor() const
{
    // Without sensing the supply regulates at its terminals and the leads take their share.
    return m_sense ? 1.0 : m_load / (m_load + m_lead);
}

double SimSupply::target() const
{
    if (!m_output)
        return 0.0;
    return std::min(m_vSet * loadFactor(), m_iSet * m_load);
}

bool SimSupply::currentLimited() const
{
    return m_output && m_iSet * m_load < m_vSet * loadFactor();
}

void SimSupply::advanceTo(double nowSeconds)
{
    if (!std::isfinite(nowSeconds))
        return;
    if (!m_timeSet) {
        m_time = nowSeconds;
        m_timeSet = true;
    }
    if (nowSeconds <= m_time)
        return;
    const double goal = target();
    if (m_slew <= 0) {
        m_vLoad = goal;
    } else {
        const double step = m_slew * (nowSeconds - m_time);
        if (std::fabs(goal - m_vLoad) <= step)
            m_vLoad = goal;
        else
            m_vLoad += goal > m_vLoad ? step : -step;
    }
    m_time = nowSeconds;
}

double SimSupply::presentVoltage(double nowSeconds)
{
    advanceTo(nowSeconds);
    return m_vLoad;
}

double SimSupply::presentCurrent(double nowSeconds)
{
    advanceTo(nowSeconds);
    return m_vLoad / m_load;
}

void SimSupply::setVoltageSetpoint(double volts)
{
    if (std::isfinite(volts))
        m_vSet = std::max(0.0, volts);
}

void SimSupply::setCurrentSetpoint(double amps)
{
    if (std::isfinite(amps))
        m_iSet = std::max(0.0, amps);
}

void SimSupply::setOutput(bool on)
{
    m_output = on;
}

void SimSupply::setSense(bool on)
{
    m_sense = on;
}

void SimSupply::setMaxVoltage(double volts)
{
    if (std::isfinite(volts) && volts >= 0)
        m_vMax = volts;
}

void SimSupply::setMaxCurrent(double amps)
{
    if (std::isfinite(amps) && amps >= 0)
        m_iMax = amps;
}

void SimSupply::setLoad(double ohms)
{
    m_load = std::isfinite(ohms) ? std::max(MinLoad, ohms) : MinLoad;
}

void SimSupply::setLeadResistance(double ohms)
{
    m_lead = std::isfinite(ohms) ? std::max(0.0, ohms) : 0.0;
}

void SimSupply::setDvm(double volts)
{
    if (std::isfinite(volts))
        m_dvm = std::max(0.0, volts);
}

void SimSupply::setSlewRate(double voltsPerSecond)
{
    m_slew = std::isfinite(voltsPerSecond) ? voltsPerSecond : 0.0;
}

void SimSupply::setNoise(double volts, quint32 seed)
{
    m_noise = std::isfinite(volts) ? std::max(0.0, volts) : 0.0;
    m_random.seed(seed);
}

double SimSupply::noisy(double value, double scale)
{
    if (m_noise <= 0)
        return value;
    const double n = (m_random.generateDouble() * 2.0 - 1.0) * m_noise * scale;
    return std::max(0.0, value + n);
}

bool SimSupply::parseSetpoint(const QByteArray& param, Value which, double& out, QList<QByteArray>& errors) const
{
    const double max = which == Value::Voltage ? m_vMax : m_iMax;
    const QByteArray p = param.toUpper();
    if (p == "MAX" || p == "MAXIMUM") {
        out = max;
        return true;
    }
    if (p == "MIN" || p == "MINIMUM") {
        out = 0.0;
        return true;
    }
    if (p == "DEF" || p == "DEFAULT") {
        out = std::min(max, which == Value::Voltage ? 5.0 : 1.0);
        return true;
    }
    // A decimal in any of the usual forms (1, 1.5, .5, 5E-5), optionally with its unit.
    static const QRegularExpression number(
        QStringLiteral("^([+-]?(?:\\d+\\.?\\d*|\\.\\d+)(?:E[+-]?\\d+)?)\\s*(V|MV|A|MA)?$"));
    const QRegularExpressionMatch m = number.match(QString::fromLatin1(p));
    const QString unit = m.hasMatch() ? m.captured(2) : QString();
    const bool unitFits = unit.isEmpty() || (which == Value::Voltage ? unit.endsWith(QLatin1Char('V'))
                                                                     : unit.endsWith(QLatin1Char('A')));
    if (!m.hasMatch() || !unitFits) {
        errors << ErrorInvalidParameter;
        return false;
    }
    bool ok = false;
    double value = m.captured(1).toDouble(&ok);
    if (unit.startsWith(QLatin1Char('M')))
        value /= 1000.0;
    if (!ok || !std::isfinite(value) || value > max) {
        errors << ErrorTooLarge;
        return false;
    }
    if (value < 0) {
        errors << ErrorTooSmall;
        return false;
    }
    out = value;
    return true;
}

// Runs one command of a line. Returns the query's answer; nothing for a setting or a failure.
std::optional<QByteArray> SimSupply::executeUnit(const QByteArray& rawUnit, QList<QByteArray>& errors,
                                                 bool& errorQuery)
{
    QByteArray unit = rawUnit.trimmed();
    if (unit.startsWith(':'))
        unit.remove(0, 1);
    qsizetype gap = 0;
    while (gap < unit.size() && !std::isspace(static_cast<unsigned char>(unit.at(gap))))
        ++gap;
    QByteArray header = unit.left(gap);
    const QByteArray param = unit.mid(gap).trimmed();
    const bool query = header.endsWith('?');
    if (query)
        header.chop(1);
    const QByteArray h = canonicalHeader(header);

    const auto noParam = [&]() {
        if (param.isEmpty())
            return true;
        errors << ErrorParameterNotAllowed;
        return false;
    };
    const auto needParam = [&]() {
        if (!param.isEmpty())
            return true;
        errors << ErrorMissingParameter;
        return false;
    };

    if (query) {
        if (h == "SYST:ERR")
            errorQuery = true;
        if (!noParam())
            return std::nullopt;
        if (h == "*IDN")
            return "KELVANE," + m_modelCode + ',' + m_serial + ',' + m_firmware;
        if (h == "VOLT")
            return plain(m_vSet, 3);
        if (h == "CURR")
            return plain(m_iSet, 3);
        if (h == "OUTP")
            return m_output ? "1" : "0";
        if (h == "SYST:SENS")
            return m_sense ? "1" : "0";
        if (h == "MEAS:VOLT")
            return plain(noisy(m_vLoad, 1.0), 4);
        if (h == "MEAS:CURR")
            return plain(noisy(m_vLoad / m_load, 1.0 / m_load), 5);
        if (h == "MEAS:DVM")
            return plain(noisy(m_dvm, 1.0), 4);
        if (h == "SYST:ERR") {
            if (errors.isEmpty())
                return NoError;
            return errors.takeFirst();
        }
        errors << ErrorUndefinedHeader;
        return std::nullopt;
    }

    if (h == "VOLT" || h == "CURR") {
        const Value which = h == "VOLT" ? Value::Voltage : Value::Current;
        double value = 0;
        if (needParam() && parseSetpoint(param, which, value, errors)) {
            if (which == Value::Voltage)
                m_vSet = value;
            else
                m_iSet = value;
        }
    } else if (h == "OUTP" || h == "SYST:SENS") {
        bool on = false;
        if (needParam()) {
            if (!parseBool(param, on))
                errors << ErrorInvalidParameter;
            else if (h == "OUTP")
                m_output = on;
            else
                m_sense = on;
        }
    } else if (h == "*RST") {
        if (noParam())
            reset();
    } else if (h == "*CLS") {
        noParam();
    } else {
        errors << ErrorUndefinedHeader;
    }
    return std::nullopt;
}

QByteArray SimSupply::handleLine(const QByteArray& line, double nowSeconds)
{
    // Settings take effect from this instant: bring the output up to it first.
    advanceTo(nowSeconds);
    const QByteArray text = line.trimmed();
    if (text.isEmpty())
        return {};

    QList<QByteArray> errors;
    QList<QByteArray> answers;
    bool askedForErrors = false;
    for (const QByteArray& unit : text.split(';')) {
        if (unit.trimmed().isEmpty())
            continue;
        if (const auto answer = executeUnit(unit, errors, askedForErrors))
            answers << *answer;
    }
    // A line that went wrong without asking for its errors still answers, with the first one.
    if (!errors.isEmpty() && !askedForErrors)
        return errors.first() + '\n';
    if (answers.isEmpty())
        return {};
    return answers.join(';') + '\n';
}
