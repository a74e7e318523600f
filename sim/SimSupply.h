#pragma once
#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <optional>

/**
 * The simulated power supply: an instrument model that answers the line protocol of a
 * programmable DC supply. It holds no timers; time is whatever the caller passes in
 * (seconds on any steady clock), so tests can step it by hand.
 *
 * The output drives a resistive load. With the output on, the load voltage heads for
 * min(voltage setpoint, current setpoint x load): constant voltage or current limiting.
 * It moves there at a finite slew rate. Without remote sensing a small lead resistance
 * takes its share of the voltage, so switching sense on raises the reading slightly.
 *
 * Each line is answered on its own. An error raised by a line is reported by that line's
 * error query ("SYST:ERR?"), or, when the line has none, as the line's reply, so a
 * rejected line always gets an answer. Nothing carries over to the next line.
 */
class SimSupply {
public:
    SimSupply();

    // One received line without its line feed (a trailing carriage return is tolerated).
    // Returns the reply line with its "\n", or an empty array when the line asks nothing.
    QByteArray handleLine(const QByteArray& line, double nowSeconds);

    // True when the line's first command sets something rather than asks ("VOLT 5;:SYST:ERR?").
    static bool isSettingLine(const QByteArray& line);

    // Moves the output toward its target up to this instant; earlier instants are ignored.
    void advanceTo(double nowSeconds);
    // The latest instant the model has reached.
    double modelTime() const { return m_time; }

    // Readings at an instant (advancing the model), without noise.
    double presentVoltage(double nowSeconds);
    double presentCurrent(double nowSeconds);
    // True while the current setpoint, not the voltage setpoint, sets the output.
    bool currentLimited() const;

    // Power-on state: output and sense off, 5 V and 1 A set.
    void reset();

    // Setpoints and switches. The setters act at modelTime() and apply no limits.
    double voltageSetpoint() const { return m_vSet; }
    double currentSetpoint() const { return m_iSet; }
    bool output() const { return m_output; }
    bool sense() const { return m_sense; }
    void setVoltageSetpoint(double volts);
    void setCurrentSetpoint(double amps);
    void setOutput(bool on);
    void setSense(bool on);

    // Identification: "<manufacturer>,<modelCode>,<serial>,<firmware>".
    QByteArray modelCode() const { return m_modelCode; }
    void setModelCode(const QByteArray& code) { m_modelCode = code; }
    QByteArray serialNumber() const { return m_serial; }
    void setSerialNumber(const QByteArray& serial) { m_serial = serial; }
    QByteArray firmware() const { return m_firmware; }
    void setFirmware(const QByteArray& version) { m_firmware = version; }

    // Largest setpoints accepted from the line; larger values are refused, not clipped.
    double maxVoltage() const { return m_vMax; }
    double maxCurrent() const { return m_iMax; }
    void setMaxVoltage(double volts);
    void setMaxCurrent(double amps);

    // Load in ohms (values below 1 milliohm, or not finite, become 1 milliohm).
    double load() const { return m_load; }
    void setLoad(double ohms);
    // Resistance of the leads that remote sensing compensates.
    double leadResistance() const { return m_lead; }
    void setLeadResistance(double ohms);
    // Reading of the voltmeter input.
    double dvm() const { return m_dvm; }
    void setDvm(double volts);
    // Volts per second; 0 or less makes the output jump at once.
    double slewRate() const { return m_slew; }
    void setSlewRate(double voltsPerSecond);
    // Peak measurement noise in volts (0, the default, keeps readings exact).
    double noise() const { return m_noise; }
    void setNoise(double volts, quint32 seed = 1);

    // Error replies; each carries the word the program looks for to re-send.
    static const QByteArray NoError;
    static const QByteArray ErrorTooLarge;
    static const QByteArray ErrorTooSmall;
    static const QByteArray ErrorUndefinedHeader;
    static const QByteArray ErrorInvalidParameter;
    static const QByteArray ErrorMissingParameter;
    static const QByteArray ErrorParameterNotAllowed;

private:
    enum class Value { Voltage, Current };
    std::optional<QByteArray> executeUnit(const QByteArray& unit, QList<QByteArray>& errors, bool& errorQuery);
    bool parseSetpoint(const QByteArray& param, Value which, double& out, QList<QByteArray>& errors) const;
    double target() const;
    double loadFactor() const;
    double noisy(double value, double scale);

    double m_vSet = 5.0;
    double m_iSet = 1.0;
    bool m_output = false;
    bool m_sense = false;
    QByteArray m_modelCode = "L3250-SIM";
    QByteArray m_serial = "000001";
    QByteArray m_firmware = "1.05";
    double m_vMax = 32.0;
    double m_iMax = 5.0;
    double m_load = 10.0;
    double m_lead = 0.02;
    double m_dvm = 3.7;
    double m_slew = 20.0;
    double m_noise = 0.0;
    QRandomGenerator m_random{1};

    double m_vLoad = 0.0; // voltage across the load at m_time
    double m_time = 0.0;
    bool m_timeSet = false;
};
