#include "device/UserRecord.h"

#include "device/Framing.h"

#include "programmer/Common.h"
#include "property/PelError.h"

namespace {
const QString unexpectedEnd = QStringLiteral("Unexpected End of Record (IRRF user record)");

QString fieldMessage(const char* detail) {
    return QStringLiteral("Unexpected field in record (IRRF user record - ") + QLatin1String(detail) +
           QLatin1Char(')');
}

QString flag(bool on) {
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

// Reads the record from the front, each step needing its characters.
class tFieldReader {
public:
    explicit tFieldReader(const QString& text) : text_(text) {}

    QString Take(int count) {
        if (text_.size() - pos_ < count) throw EZcfgError(unexpectedEnd);
        const QString part = text_.mid(pos_, count);
        pos_ += count;
        return part;
    }
    void ExpectLabel(const QString& label, const QString& message) {
        if (Take(label.size()) != label) throw EZcfgError(message);
    }
    bool TakeFlag() { return Take(1) == QLatin1String("1"); }
    // One decimal digit minus offset, which must name a value in 0..max; a digit that names none
    // is an invalid value of the field.
    int TakeOrdinal(int offset, int max, const char* field) {
        int digit = 0;
        const QString text = Take(1);
        if (!TryStrToInt(text, digit) || digit - offset < 0 || digit - offset > max)
            throw EZcfgError(
                QStringLiteral("Invalid value in user record (%1 field)").arg(QLatin1String(field)));
        return digit - offset;
    }

private:
    const QString& text_;
    int pos_ = 0;
};
} // namespace

// ============================================================================================
// tIRRFButton
// ============================================================================================

tIRRFButton::tIRRFButton(const QString& name, tPelCompoundProperty* owner)
    : tPelCompoundProperty(name, owner) {
    buttonType_ = Create<tIRRFCallTypeClass>(QStringLiteral("Button Type"), this);
    beeperSounds_ = Create<tPelBooleanProperty>(QStringLiteral("Beeper Sounds"), this);
    rfEnabled_ = Create<tPelBooleanProperty>(QStringLiteral("RF Enabled"), this);
}

void tIRRFButton::CopyFrom(const tIRRFButton& other) {
    buttonType_->SetValueText(other.buttonType_->Value());
    beeperSounds_->SetValueText(other.beeperSounds_->Value());
    rfEnabled_->SetValueText(other.rfEnabled_->Value());
}

// ============================================================================================
// tIRRFUserRecord
// ============================================================================================

tIRRFUserRecord::tIRRFUserRecord(const QString& name, tPelCompoundProperty* owner)
    : tIRRFRecord(name, owner) {
    userRecVer_ = Create<tPelTextProperty>(QStringLiteral("User Rec Ver"), this);
    protocol_ = Create<tPelEnum<tIRRFProtocol>>(QStringLiteral("IR/RF Protocol"), this);
    protocol_->SetOnTranslate(IRRFProtocolDisplayText);
    for (int i = 0; i < ButtonCount; ++i)
        buttons_[i] = CreateWithKey<tIRRFButton>(QStringLiteral("Button"), QString::number(i + 1), this);
    buttonsSame_ = Create<tPelBooleanProperty>(QStringLiteral("Buttons 2 and 3 same"), this);
    transmitMode_ = Create<tPelEnum<tIRRFTransmitMode>>(QStringLiteral("Transmit Mode"), this);
    transmitID_ = Create<tPelBooleanProperty>(QStringLiteral("Transmit ID"), this);
    id_ = Create<tPelIntegerProperty>(QStringLiteral("ID"), this);
    id_->SetMin(0);
    id_->SetMax(255);
    transmitBatteryStatus_ = Create<tPelBooleanProperty>(QStringLiteral("Transmit Battery Status"), this);
    groupAddress_ = Create<tPelIntegerProperty>(QStringLiteral("Group Address"), this);
    groupAddress_->SetMin(0);
    groupAddress_->SetMax(15);
    // Undo and redo bring button 1 back by steps of their own, recorded with the change of button 2;
    // copying again while they play would record new steps in the middle of the playback.
    buttons_[1]->SetOnChange([this](tPelBaseProperty* sender) {
        if (!sender || !sender->Undoing()) Button2Changed();
    });
}

void tIRRFUserRecord::Clear() {
    tIRRFRecord::Clear();
    userRecVer_->SetValueText(QStringLiteral("1"));
    transmitID_->SetAsBoolean(true);
    transmitBatteryStatus_->SetAsBoolean(true);
}

void tIRRFUserRecord::Button2Changed() {
    if (buttonsSame_->AsBoolean()) buttons_[0]->CopyFrom(*buttons_[1]);
}

QString tIRRFUserRecord::GetRecordText() {
    QString text = QStringLiteral("UD") + userRecVer_->Value();
    text += QStringLiteral("PT") + QString::number(RecordOrdinal(protocol_) + 1);
    for (int n = 1; n <= ButtonCount; ++n)
        text += QStringLiteral("BT%1").arg(n) + QString::number(RecordOrdinal(Button(n)->ButtonType()) + 1);
    text += QStringLiteral("CO") + flag(buttonsSame_->AsBoolean());
    for (int n = 1; n <= ButtonCount; ++n)
        text += QStringLiteral("BP%1").arg(n) + flag(Button(n)->BeeperSounds()->AsBoolean());
    for (int n = 1; n <= ButtonCount; ++n)
        text += QStringLiteral("RF%1").arg(n) + flag(Button(n)->RFEnabled()->AsBoolean());
    text += QStringLiteral("TM") + QString::number(RecordOrdinal(transmitMode_));
    text += QStringLiteral("ID") + flag(transmitID_->AsBoolean());
    text += QStringLiteral("IC") + ZeroPadded(id_->AsInteger(), 3);
    text += QStringLiteral("BV") + flag(transmitBatteryStatus_->AsBoolean());
    text += QStringLiteral("GP") + ZeroPadded(groupAddress_->AsInteger(), 3);
    return text;
}

void tIRRFUserRecord::SetRecordText(const QString& text) {
    tFieldReader reader(text);
    const QString version = reader.Take(1);
    userRecVer_->SetValueText(version);
    if (version != QLatin1String("1") && version != QLatin1String("2")) ShowWarning(VersionWarning);

    const QString ptMessage = fieldMessage("PT field missing");
    reader.ExpectLabel(QStringLiteral("PT"), ptMessage);
    protocol_->SetAsInteger(reader.TakeOrdinal(1, irrf_RM800_Protocol, "PT"));

    const QString btMessage = fieldMessage("BT field");
    for (int n = 1; n <= ButtonCount; ++n) {
        reader.ExpectLabel(QStringLiteral("BT%1").arg(n), btMessage);
        Button(n)->ButtonType()->SetAsInteger(reader.TakeOrdinal(1, irrf_Attendance, "BT"));
    }

    reader.ExpectLabel(QStringLiteral("CO"), fieldMessage("CO field missing"));
    buttonsSame_->SetAsBoolean(reader.TakeFlag());
    for (int n = 1; n <= ButtonCount; ++n) {
        reader.ExpectLabel(QStringLiteral("BP%1").arg(n), fieldMessage("BP field"));
        Button(n)->BeeperSounds()->SetAsBoolean(reader.TakeFlag());
    }
    for (int n = 1; n <= ButtonCount; ++n) {
        reader.ExpectLabel(QStringLiteral("RF%1").arg(n), fieldMessage("RF field"));
        Button(n)->RFEnabled()->SetAsBoolean(reader.TakeFlag());
    }

    const QString tmMessage = fieldMessage("TM field missing");
    reader.ExpectLabel(QStringLiteral("TM"), tmMessage);
    transmitMode_->SetAsInteger(reader.TakeOrdinal(0, tm_Auto_Stop, "TM"));

    reader.ExpectLabel(QStringLiteral("ID"), fieldMessage("ID field missing"));
    transmitID_->SetAsBoolean(reader.TakeFlag());
    reader.ExpectLabel(QStringLiteral("IC"), fieldMessage("IC field missing"));
    id_->SetAsInteger(StrToInt(reader.Take(3)));
    reader.ExpectLabel(QStringLiteral("BV"), fieldMessage("BV field missing"));
    transmitBatteryStatus_->SetAsBoolean(reader.TakeFlag());
    reader.ExpectLabel(QStringLiteral("GP"), fieldMessage("GP field missing"));
    groupAddress_->SetAsInteger(StrToInt(reader.Take(3)));
    // Whatever follows the group address is not part of this record version.
}
