#pragma once
// The user record of the staff and pendant transmitters: protocol, the three buttons, transmit
// behaviour, identity code and group address, composed into and read from the "UD" record.

#include "device/FactoryRecord.h"

// One transmitter button.
class tIRRFButton : public tPelCompoundProperty {
public:
    tIRRFButton(const QString& name, tPelCompoundProperty* owner);

    tIRRFCallTypeClass* ButtonType() const { return buttonType_; }
    tPelBooleanProperty* BeeperSounds() const { return beeperSounds_; }
    tPelBooleanProperty* RFEnabled() const { return rfEnabled_; }

    // Takes over type, beeper and RF of another button.
    void CopyFrom(const tIRRFButton& other);

private:
    tIRRFCallTypeClass* buttonType_;
    tPelBooleanProperty* beeperSounds_;
    tPelBooleanProperty* rfEnabled_;
};

class tIRRFUserRecord : public tIRRFRecord {
public:
    static constexpr int ButtonCount = 3;

    tIRRFUserRecord(const QString& name, tPelCompoundProperty* owner);

    tPelTextProperty* UserRecVer() const { return userRecVer_; }
    tPelEnum<tIRRFProtocol>* Protocol() const { return protocol_; }
    // Button n, 1 to 3; nullptr for any other n.
    tIRRFButton* Button(int n) const { return n >= 1 && n <= ButtonCount ? buttons_[n - 1] : nullptr; }
    tPelBooleanProperty* ButtonsSame() const { return buttonsSame_; }
    tPelEnum<tIRRFTransmitMode>* TransmitMode() const { return transmitMode_; }
    tPelBooleanProperty* TransmitID() const { return transmitID_; }
    tPelIntegerProperty* ID() const { return id_; }
    tPelBooleanProperty* TransmitBatteryStatus() const { return transmitBatteryStatus_; }
    tPelIntegerProperty* GroupAddress() const { return groupAddress_; }

    void Clear() override;
    // The whole record, "UD" included.
    QString GetRecordText() override;
    // Takes the body that follows "UD", field by field from the front; raises on the first fault.
    void SetRecordText(const QString& text) override;

private:
    // While "Buttons 2 and 3 same" is set, button 1 follows every change of button 2.
    void Button2Changed();

    tPelTextProperty* userRecVer_;
    tPelEnum<tIRRFProtocol>* protocol_;
    tIRRFButton* buttons_[ButtonCount];
    tPelBooleanProperty* buttonsSame_;
    tPelEnum<tIRRFTransmitMode>* transmitMode_;
    tPelBooleanProperty* transmitID_;
    tPelIntegerProperty* id_;
    tPelBooleanProperty* transmitBatteryStatus_;
    tPelIntegerProperty* groupAddress_;
};
