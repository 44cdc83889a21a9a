#pragma once
// User data of the wired devices (MPD unit, ZX250 call point) with the rules that tie their settings
// together, and the hexadecimal field reader shared by the wired device replies.

#include "device/DeviceEnums.h"
#include "property/PelScalar.h"

#include <cstdint>

// Base of the wired devices' user data compounds.
class tOtherRecord : public tPelCompoundProperty {
public:
    using tPelCompoundProperty::tPelCompoundProperty;
};

class tMPDUserData : public tOtherRecord {
public:
    tMPDUserData(const QString& name, tPelCompoundProperty* owner);

    tPelBooleanProperty* TailCallEnabled() const { return tailCallEnabled_; }
    tPelEnum<tEnsuiteInputCallType>* EnsuiteInputCallType() const { return ensuiteInputCallType_; }
    tPelBooleanProperty* ResetMode() const { return resetMode_; }
    tPelBooleanProperty* HelpRequired() const { return helpRequired_; }
    tPelEnum<tSwitchType>* SpecialInputSwitchType() const { return specialInputSwitchType_; }
    tPelEnum<tCallType>* SpecialInputCallType() const { return specialInputCallType_; }
    tPelBooleanProperty* HTM2015Enable() const { return htm2015Enable_; }
    tPelEnum<tMPCallPoint>* MonitorCallPointType() const { return monitorCallPointType_; }
    tPelBooleanProperty* MonitorPointResetEnable() const { return monitorPointResetEnable_; }
    tPelEnum<tContactType>* CallSwitchContactType() const { return callSwitchContactType_; }
    tPelEnum<tContactType>* ResetSwitchContactType() const { return resetSwitchContactType_; }
    tPelEnum<tContactType>* SpecialSwitchContactType() const { return specialSwitchContactType_; }
    tPelEnum<tDayNight>* DayNightSwitchLEDLit() const { return dayNightSwitchLEDLit_; }
    tPelEnum<tDayNight>* SpecialDayNightSwitchContactType() const {
        return specialDayNightSwitchContactType_;
    }
    tPelEnum<tMPDDevType>* Mode() const { return mode_; }

    void Clear() override;

    // Byte 1 (the call settings) and byte 3 (the LED) of the record; byte 2 belongs to the device,
    // which knows the wire code of the mode.
    uint8_t ComposeByte1() const;
    uint8_t ComposeByte3() const;
    void ApplyByte1(uint8_t byte);
    // Byte 2 without its mode bits.
    uint8_t ComposeByte2Settings() const;
    void ApplyByte2Settings(uint8_t byte);
    void ApplyByte3(uint8_t byte);

private:
    void HelpRequiredChanged();
    void HTM2015EnableChanged();

    tPelBooleanProperty* tailCallEnabled_;
    tPelEnum<tEnsuiteInputCallType>* ensuiteInputCallType_;
    tPelBooleanProperty* resetMode_;
    tPelBooleanProperty* helpRequired_;
    tPelEnum<tSwitchType>* specialInputSwitchType_;
    tPelEnum<tCallType>* specialInputCallType_;
    tPelBooleanProperty* htm2015Enable_;
    tPelEnum<tMPCallPoint>* monitorCallPointType_;
    tPelBooleanProperty* monitorPointResetEnable_;
    tPelEnum<tContactType>* callSwitchContactType_;
    tPelEnum<tContactType>* resetSwitchContactType_;
    tPelEnum<tContactType>* specialSwitchContactType_;
    tPelEnum<tDayNight>* dayNightSwitchLEDLit_;
    tPelEnum<tDayNight>* specialDayNightSwitchContactType_;
    tPelEnum<tMPDDevType>* mode_;
};

class tCallPoint250UserData : public tOtherRecord {
public:
    static constexpr int DigitCount = 6;

    tCallPoint250UserData(const QString& name, tPelCompoundProperty* owner);

    tPelEnum<tZX250CallType>* TailCallType() const { return tailCallType_; }
    tPelEnum<tZX250CallType>* EnsuiteCallType() const { return ensuiteCallType_; }
    tPelEnum<tZX250CallType>* SlaveCallType() const { return slaveCallType_; }
    tPelBooleanProperty* BeeperEnabled() const { return beeperEnabled_; }
    tPelBooleanProperty* IRInputEnabled() const { return irInputEnabled_; }
    tPelBooleanProperty* IRPresenceReset() const { return irPresenceReset_; }
    tPelBooleanProperty* HTM2015Mode() const { return htm2015Mode_; }
    tPelBooleanProperty* ResetMode() const { return resetMode_; }
    tPelEnum<tZX250CallType>* ButtonCallType() const { return buttonCallType_; }

    void Clear() override;

    // The six digit values of the record, in record order.
    QList<int> ComposeDigits() const;
    // Validates all six digits before anything is set; raises the record's message for a call-type
    // digit that names no call type.
    void ApplyDigits(const QList<int>& digits);

private:
    void HTM2015ModeChanged();

    tPelEnum<tZX250CallType>* tailCallType_;
    tPelEnum<tZX250CallType>* ensuiteCallType_;
    tPelEnum<tZX250CallType>* slaveCallType_;
    tPelBooleanProperty* beeperEnabled_;
    tPelBooleanProperty* irInputEnabled_;
    tPelBooleanProperty* irPresenceReset_;
    tPelBooleanProperty* htm2015Mode_;
    tPelBooleanProperty* resetMode_;
    tPelEnum<tZX250CallType>* buttonCallType_;
};

// Messages of the wired device replies.
namespace WiredMessage {
extern const QString HeaderCorrupt;
extern const QString MPDEnd;
extern const QString RelayEnd;
extern const QString ZonalEnd;
extern const QString ZX250Corrupt;
extern const QString ZX250ExtraData;
extern const QString InvalidMPDMode;
extern const QString InvalidValue; // a zone indicator field whose digit names no value (%1: the field)
} // namespace WiredMessage

// Takes fields from the front of a reply, raising a fixed message when too few characters remain.
// Hexadecimal digits are converted by the general rule: characters that are not digits are skipped.
class tHexFieldReader {
public:
    tHexFieldReader(QString& text, QString missingMessage)
        : text_(text), message_(std::move(missingMessage)) {}

    QString Take(int count);
    int TakeHex(int count);
    bool AtEnd() const { return text_.isEmpty(); }
    [[noreturn]] void Fail() const;

private:
    QString& text_;
    QString message_;
};
