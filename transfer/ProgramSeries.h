#pragma once
// Programming many devices with one configuration: the units are counted, and one numeric value may
// step from unit to unit (a transmitter's ID code). Each unit is programmed with a copy of the
// document holding that unit's value, so the document itself never changes: not its values, not its
// undo history, not its modified marker. The window's Program Many and `zcfg program --repeat
// --increment` both run through it.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class tZCfgFile;
class tPelIntegerProperty;

struct tSteppedValue {
    QString Path; // as `zcfg show` prints it: "Device/User Record/ID"
    int Start = 0;
    int Step = 1; // 1 or more
};

// The numeric values of a configuration that may step, by path, in the order `zcfg show` lists them:
// numbers (not choices from a list) with limits, that can be changed in this configuration and that
// a Program writes into the device. A transmitter's factory record and a wired device's header
// (filled from a device read) are not among them.
QStringList SteppableValuePaths(tZCfgFile& configuration);

// "PATH=START[:STEP]" as `zcfg program --increment` takes it; false with the reason.
bool ParseSteppedValue(const QString& text, tSteppedValue& value, QString& error);

class tProgramSeries {
public:
    explicit tProgramSeries(tZCfgFile& document) : document_(document) {}

    // The value that steps from the next unit on, at its start; false with the reason when the path
    // names no value that may step or the start lies outside its limits. Nothing steps until set.
    bool SetSteppedValue(const tSteppedValue& value, QString& error);
    const std::optional<tSteppedValue>& SteppedValue() const { return stepped_; }
    // The value the next unit gets (the start, then one step further for each verified unit).
    qint64 NextValue() const { return next_; }
    int Minimum() const { return minimum_; }
    int Maximum() const { return maximum_; }
    bool NextInRange() const { return !stepped_ || (next_ >= minimum_ && next_ <= maximum_); }
    // Why the next unit is not programmed when its value lies past the range: "NAME would be 256,
    // past its range (0 to 255)"; `name` is the value as the caller shows it.
    QString PastRangeText(const QString& name) const;

    // A copy of the document for the next unit, holding its value; null with the reason when its
    // value cannot be set (past its range): nothing is written then.
    std::shared_ptr<tZCfgFile> NextConfiguration(QString& refusal);

    // How a unit ended. Only a verified unit moves the value on: a unit that failed, or was set aside
    // after failing, holds no value, so the next unit gets it.
    void Verified();
    void Failed() { ++failed_; }
    void Skipped() { ++skipped_; }
    int VerifiedCount() const { return verified_; }
    int FailedCount() const { return failed_; }
    int SkippedCount() const { return skipped_; }
    // The number of the unit programmed next, from 1; a retry is the same unit.
    int Unit() const { return verified_ + skipped_ + 1; }

private:
    tZCfgFile& document_;
    std::optional<tSteppedValue> stepped_;
    qint64 next_ = 0;
    int minimum_ = 0;
    int maximum_ = 0;
    int verified_ = 0;
    int failed_ = 0;
    int skipped_ = 0;
};
