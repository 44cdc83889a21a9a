#include "device/WiredRecords.h"

#include "device/Devices.h"
#include "programmer/Common.h"
#include "property/PelError.h"

namespace WiredMessage {
const QString HeaderCorrupt = QStringLiteral("Error Reading data. Details may be corrupt. Please try again.");
const QString MPDEnd = QStringLiteral("Unexpected end of record (MPD device)");
const QString RelayEnd = QStringLiteral("Unexpected end of record (Relay)");
const QString ZonalEnd = QStringLiteral("Unexpected End of Record (Zonal Indicator) ");
const QString ZX250Corrupt = QStringLiteral("Error reading from device. Data may be corrupt. Please retry");
const QString ZX250ExtraData =
    QStringLiteral("Extra data detected. This may contain important information which is ignored");
const QString InvalidMPDMode = QStringLiteral("Invalid MPD Mode");
const QString InvalidValue = QStringLiteral("Invalid value in zone indicator record (%1)");
} // namespace WiredMessage

namespace {
// A byte with one bit set or clear, and one bit of a byte, through the Common bit helpers.
uint8_t bitIf(bool on, int bit) {
    uint16_t word = 0;
    SetBit(word, bit, on);
    return uint8_t(word);
}
bool bitOf(int value, int bit) {
    return TestBit(uint16_t(value), bit);
}

template <class T> void setEnum(tPelEnum<T>* property, bool on, T whenSet, T whenClear) {
    property->SetAsEnum(on ? whenSet : whenClear);
}
} // namespace

// ============================================================================================
// tHexFieldReader
// ============================================================================================

QString tHexFieldReader::Take(int count) {
    if (text_.size() < count) Fail();
    const QString part = text_.left(count);
    text_.remove(0, count);
    return part;
}

int tHexFieldReader::TakeHex(int count) {
    return HexToInt(Take(count));
}

void tHexFieldReader::Fail() const {
    throw EZcfgError(message_);
}

// ============================================================================================
// tMPDUserData
// ============================================================================================

tMPDUserData::tMPDUserData(const QString& name, tPelCompoundProperty* owner) : tOtherRecord(name, owner) {
    tailCallEnabled_ = Create<tPelBooleanProperty>(QStringLiteral("Tail Call Enabled"), this);
    ensuiteInputCallType_ =
        Create<tPelEnum<tEnsuiteInputCallType>>(QStringLiteral("Ensuite Input Call Type"), this);
    resetMode_ = Create<tPelBooleanProperty>(QStringLiteral("Reset Mode"), this);
    helpRequired_ = Create<tPelBooleanProperty>(QStringLiteral("Help Required"), this);
    specialInputSwitchType_ =
        Create<tPelEnum<tSwitchType>>(QStringLiteral("Special Input Switch Type"), this);
    specialInputCallType_ = Create<tPelEnum<tCallType>>(QStringLiteral("Special Input Call Type"), this);
    htm2015Enable_ = Create<tPelBooleanProperty>(QStringLiteral("HTM2015 Enable"), this);
    monitorCallPointType_ = Create<tPelEnum<tMPCallPoint>>(QStringLiteral("Monitor Call Point Type"), this);
    monitorPointResetEnable_ =
        Create<tPelBooleanProperty>(QStringLiteral("Monitor Point Reset Enable"), this);
    callSwitchContactType_ = Create<tPelEnum<tContactType>>(QStringLiteral("Call Switch Contact Type"), this);
    resetSwitchContactType_ =
        Create<tPelEnum<tContactType>>(QStringLiteral("Reset Switch Contact Type"), this);
    specialSwitchContactType_ =
        Create<tPelEnum<tContactType>>(QStringLiteral("Special Switch Contact Type"), this);
    dayNightSwitchLEDLit_ = Create<tPelEnum<tDayNight>>(QStringLiteral("Day/Night Switch LED Lit"), this);
    specialDayNightSwitchContactType_ =
        Create<tPelEnum<tDayNight>>(QStringLiteral("Special Day/Night Switch Contact Type"), this);
    mode_ = Create<tPelEnum<tMPDDevType>>(QStringLiteral("Mode"), this);
    htm2015Enable_->SetOnChange([this](tPelBaseProperty*) { HTM2015EnableChanged(); });
    helpRequired_->SetOnChange([this](tPelBaseProperty*) { HelpRequiredChanged(); });
}

void tMPDUserData::Clear() {
    tOtherRecord::Clear();
    helpRequired_->SetAsBoolean(true);
    specialInputCallType_->SetAsEnum(ct_Emergency);
    tailCallEnabled_->SetAsBoolean(true);
    monitorPointResetEnable_->SetAsBoolean(true);
    // Clearing reset the allowed values; bring them back in line with the flags.
    HTM2015EnableChanged();
    HelpRequiredChanged();
}

void tMPDUserData::HelpRequiredChanged() {
    const bool help = helpRequired_->AsBoolean();
    if (help) {
        ensuiteInputCallType_->SetEnabled(true);
    } else {
        ensuiteInputCallType_->SetAsEnum(es_Call);
        ensuiteInputCallType_->SetEnabled(false);
        if (specialInputCallType_->AsInteger() == ct_Help_Required)
            specialInputCallType_->SetAsEnum(ct_Emergency);
    }
    specialInputCallType_->SetEnabled(true);
    specialInputCallType_->SetAllowed(ct_Help_Required, help);
}

void tMPDUserData::HTM2015EnableChanged() {
    const bool htm = htm2015Enable_->AsBoolean();
    resetMode_->SetAsBoolean(htm);
    resetMode_->SetEnabled(!htm);
    helpRequired_->SetAsBoolean(!htm);
    helpRequired_->SetEnabled(!htm);
}

uint8_t tMPDUserData::ComposeByte1() const {
    return uint8_t(bitIf(tailCallEnabled_->AsBoolean(), 0) |
                   bitIf(RecordOrdinal(ensuiteInputCallType_) == es_Help_Required, 1) |
                   bitIf(resetMode_->AsBoolean(), 2) | bitIf(helpRequired_->AsBoolean(), 3) |
                   bitIf(RecordOrdinal(specialInputSwitchType_) == st_Latching, 4) |
                   ((RecordOrdinal(specialInputCallType_) & 3) << 5) | bitIf(htm2015Enable_->AsBoolean(), 7));
}

uint8_t tMPDUserData::ComposeByte2Settings() const {
    return uint8_t(bitIf(RecordOrdinal(monitorCallPointType_) == mpcp_Emergency, 2) |
                   bitIf(monitorPointResetEnable_->AsBoolean(), 3) |
                   bitIf(RecordOrdinal(callSwitchContactType_) == ct_Normally_Closed, 4) |
                   bitIf(RecordOrdinal(resetSwitchContactType_) == ct_Normally_Closed, 5) |
                   bitIf(RecordOrdinal(specialSwitchContactType_) == ct_Normally_Closed, 6));
}

uint8_t tMPDUserData::ComposeByte3() const {
    return bitIf(RecordOrdinal(dayNightSwitchLEDLit_) == dn_Day, 0);
}

void tMPDUserData::ApplyByte1(uint8_t byte) {
    // "HTM2015 Enable" switched off first, so that its rule does not overwrite the reset and help
    // settings the device reports; switched on last, so that it overrides them as the unit does.
    const bool htm = bitOf(byte, 7);
    if (!htm) htm2015Enable_->SetAsBoolean(false);
    tailCallEnabled_->SetAsBoolean(bitOf(byte, 0));
    setEnum(ensuiteInputCallType_, bitOf(byte, 1), es_Help_Required, es_Call);
    resetMode_->SetAsBoolean(bitOf(byte, 2));
    helpRequired_->SetAsBoolean(bitOf(byte, 3));
    setEnum(specialInputSwitchType_, bitOf(byte, 4), st_Latching, st_Momentary);
    specialInputCallType_->SetAsInteger((byte >> 5) & 3);
    if (htm) htm2015Enable_->SetAsBoolean(true);
}

void tMPDUserData::ApplyByte2Settings(uint8_t byte) {
    setEnum(monitorCallPointType_, bitOf(byte, 2), mpcp_Emergency, mpcp_Monitor);
    monitorPointResetEnable_->SetAsBoolean(bitOf(byte, 3));
    setEnum(callSwitchContactType_, bitOf(byte, 4), ct_Normally_Closed, ct_Normally_Open);
    setEnum(resetSwitchContactType_, bitOf(byte, 5), ct_Normally_Closed, ct_Normally_Open);
    setEnum(specialSwitchContactType_, bitOf(byte, 6), ct_Normally_Closed, ct_Normally_Open);
}

void tMPDUserData::ApplyByte3(uint8_t byte) {
    setEnum(dayNightSwitchLEDLit_, bitOf(byte, 0), dn_Day, dn_Night);
}

// ============================================================================================
// tCallPoint250UserData
// ============================================================================================

tCallPoint250UserData::tCallPoint250UserData(const QString& name, tPelCompoundProperty* owner)
    : tOtherRecord(name, owner) {
    tailCallType_ = Create<tPelEnum<tZX250CallType>>(QStringLiteral("Tail Call Type"), this);
    ensuiteCallType_ = Create<tPelEnum<tZX250CallType>>(QStringLiteral("Ensuite Call Type"), this);
    slaveCallType_ = Create<tPelEnum<tZX250CallType>>(QStringLiteral("Slave Call Type"), this);
    beeperEnabled_ = Create<tPelBooleanProperty>(QStringLiteral("Beeper Enabled"), this);
    irInputEnabled_ = Create<tPelBooleanProperty>(QStringLiteral("IR Input Enabled"), this);
    irPresenceReset_ = Create<tPelBooleanProperty>(QStringLiteral("IR Presence Reset"), this);
    htm2015Mode_ = Create<tPelBooleanProperty>(QStringLiteral("HTM2015 Mode"), this);
    resetMode_ = Create<tPelBooleanProperty>(QStringLiteral("Reset Mode"), this);
    buttonCallType_ = Create<tPelEnum<tZX250CallType>>(QStringLiteral("Button Call Type"), this);
    htm2015Mode_->SetOnChange([this](tPelBaseProperty*) { HTM2015ModeChanged(); });
}

void tCallPoint250UserData::Clear() {
    tOtherRecord::Clear();
    HTM2015ModeChanged();
}

void tCallPoint250UserData::HTM2015ModeChanged() {
    const bool htm = htm2015Mode_->AsBoolean();
    resetMode_->SetEnabled(!htm);
    resetMode_->SetAsBoolean(htm);
    for (auto* callType : {tailCallType_, ensuiteCallType_, slaveCallType_, buttonCallType_}) {
        callType->SetAllowed(ct250_Help_Required, !htm);
        callType->SetAllowed(ct250_Ensuite, !htm);
    }
    if (!htm) return;
    for (auto* callType : {tailCallType_, ensuiteCallType_, buttonCallType_}) {
        const int ordinal = callType->AsInteger();
        if (ordinal == ct250_Help_Required || ordinal == ct250_Ensuite) callType->SetAsEnum(ct250_Call);
    }
    // An ensuite slave input is still possible in HTM2015 mode; only help required is replaced.
    if (slaveCallType_->AsInteger() == ct250_Help_Required) slaveCallType_->SetAsEnum(ct250_Call);
}

QList<int> tCallPoint250UserData::ComposeDigits() const {
    return {RecordOrdinal(ensuiteCallType_),
            RecordOrdinal(tailCallType_),
            bitIf(irInputEnabled_->AsBoolean(), 0) | bitIf(irPresenceReset_->AsBoolean(), 1) |
                bitIf(beeperEnabled_->AsBoolean(), 2),
            RecordOrdinal(slaveCallType_),
            RecordOrdinal(buttonCallType_),
            bitIf(htm2015Mode_->AsBoolean(), 0) | bitIf(resetMode_->AsBoolean(), 1)};
}

void tCallPoint250UserData::ApplyDigits(const QList<int>& digits) {
    if (digits.size() != DigitCount) throw EZcfgError(WiredMessage::ZX250Corrupt);
    for (int i : {0, 1, 3, 4})
        if (digits[i] < 0 || digits[i] > ct250_Attack) throw EZcfgError(WiredMessage::ZX250Corrupt);
    // In the order of the record, so the mode's rule, applied last, has the last word: a device
    // in HTM2015 mode never leaves a call type the mode forbids.
    ensuiteCallType_->SetAsInteger(digits[0]);
    tailCallType_->SetAsInteger(digits[1]);
    irInputEnabled_->SetAsBoolean(bitOf(digits[2], 0));
    irPresenceReset_->SetAsBoolean(bitOf(digits[2], 1));
    beeperEnabled_->SetAsBoolean(bitOf(digits[2], 2));
    slaveCallType_->SetAsInteger(digits[3]);
    buttonCallType_->SetAsInteger(digits[4]);
    htm2015Mode_->SetAsBoolean(bitOf(digits[5], 0));
    resetMode_->SetAsBoolean(bitOf(digits[5], 1));
}

// ============================================================================================
// Replies and programming frames of the wired devices
// ============================================================================================

void tOtherDevice::ParseDeviceData(QString& text) {
    tHexFieldReader reader(text, WiredMessage::HeaderCorrupt);
    Version()->SetValueText(reader.Take(4));
    FactoryString()->SetValueText(reader.Take(16));
    NodeAddress()->SetAsInteger(reader.TakeHex(2));
    ZoneGroupAddress()->SetAsInteger(reader.TakeHex(2));
}

void tOtherDevice::AddHexByte(int value) {
    AddFrameText(QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper());
}

void tOtherDevice::AddHexDigit(int value) {
    AddFrameText(QString::number(value, 16).toUpper());
}

QString tMPD::ComposeUserFrame() {
    const uint8_t byte1 = userData_->ComposeByte1();
    const uint8_t byte2 = uint8_t(userData_->ComposeByte2Settings() | GetModeCode());
    const uint8_t byte3 = userData_->ComposeByte3();
    BeginFrame();
    AddHexByte(byte1);
    AddHexByte(byte2);
    AddHexByte(byte3);
    return EndFrame();
}

void tMPD::ParseDeviceData(QString& text) {
    tOtherDevice::ParseDeviceData(text);
    tHexFieldReader reader(text, WiredMessage::MPDEnd);
    const int byte1 = reader.TakeHex(2);
    const int byte2 = reader.TakeHex(2);
    const int byte3 = reader.TakeHex(2);
    if ((byte2 & 3) == 1) throw EZcfgError(WiredMessage::InvalidMPDMode);
    userData_->ApplyByte1(uint8_t(byte1));
    SetModeCode(byte2 & 3);
    userData_->ApplyByte2Settings(uint8_t(byte2));
    userData_->ApplyByte3(uint8_t(byte3));
}

QString tRelayOutput::ComposeUserFrame() {
    uint8_t byte = 0;
    for (int bit = 0; bit < ConditionCount; ++bit)
        byte |= bitIf(conditions_[bit]->AsBoolean(), bit);
    BeginFrame();
    AddHexByte(byte);
    return EndFrame();
}

void tRelayOutput::ParseDeviceData(QString& text) {
    tOtherDevice::ParseDeviceData(text);
    tHexFieldReader reader(text, WiredMessage::RelayEnd);
    const int byte = reader.TakeHex(2);
    for (int bit = 0; bit < ConditionCount; ++bit)
        conditions_[bit]->SetAsBoolean(bitOf(byte, bit));
}

namespace {
// The tone digits follow in the row order 1, 0, 3, 2, 5, 4.
constexpr int toneRowOrder[tZonalIndicator::RowCount] = {1, 0, 3, 2, 5, 4};
} // namespace

QString tZonalIndicator::ComposeUserFrame() {
    const uint8_t byte1 = uint8_t(bitIf(RecordOrdinal(htm2015Tone_) == tone2015_2800Hz, 6) |
                                  bitIf(htm2015Enabled_->AsBoolean(), 7));
    int volumes[RowCount][2];
    int tones[RowCount];
    for (int row = 0; row < RowCount; ++row) {
        volumes[row][0] = RecordOrdinal(ModeData(row)->NightVolume());
        volumes[row][1] = RecordOrdinal(ModeData(row)->DayVolume()) * 4;
        tones[row] = RecordOrdinal(ModeData(row)->Tone());
    }
    BeginFrame();
    AddHexByte(byte1);
    for (const auto& volume : volumes) {
        AddHexDigit(volume[0]);
        AddHexDigit(volume[1]);
    }
    for (int row : toneRowOrder)
        AddHexDigit(tones[row]);
    return EndFrame();
}

void tZonalIndicator::ParseDeviceData(QString& text) {
    tOtherDevice::ParseDeviceData(text);
    tHexFieldReader reader(text, WiredMessage::ZonalEnd);
    const int byte1 = reader.TakeHex(2);
    int night[RowCount], day[RowCount], tone[RowCount];
    for (int row = 0; row < RowCount; ++row) {
        night[row] = reader.TakeHex(1);
        day[row] = reader.TakeHex(1) >> 2;
        if (night[row] > vm_User_B)
            throw EZcfgError(WiredMessage::InvalidValue.arg(QStringLiteral("Night Volume")));
        if (day[row] > vm_User_B)
            throw EZcfgError(WiredMessage::InvalidValue.arg(QStringLiteral("Day Volume")));
    }
    for (int row : toneRowOrder)
        tone[row] = reader.TakeHex(1);
    // The flag first: its rule would otherwise overwrite the tone read.
    htm2015Enabled_->SetAsBoolean(bitOf(byte1, 7));
    htm2015Tone_->SetAsEnum(bitOf(byte1, 6) ? tone2015_2800Hz : tone2015_800Hz);
    for (int row = 0; row < RowCount; ++row) {
        ModeData(row)->SetNightVolume(uint8_t(night[row]));
        ModeData(row)->SetDayVolume(uint8_t(day[row]));
        ModeData(row)->SetTone(uint8_t(tone[row]));
    }
}

QString tCallPoint250::ComposeUserFrame() {
    const QList<int> digits = userData_->ComposeDigits();
    BeginFrame();
    for (int digit : digits)
        AddHexDigit(digit);
    return EndFrame();
}

void tCallPoint250::ParseDeviceData(QString& text) {
    tOtherDevice::ParseDeviceData(text);
    tHexFieldReader reader(text, WiredMessage::ZX250Corrupt);
    QList<int> digits;
    for (int i = 0; i < tCallPoint250UserData::DigitCount; ++i)
        digits.append(reader.TakeHex(1));
    userData_->ApplyDigits(digits);
    if (!reader.AtEnd()) ShowWarning(WiredMessage::ZX250ExtraData);
}
