#pragma once
// The device objects: the "Device" child of the configuration document, one class per kind of device,
// holding its configurable values, the rules between them, and its record layouts.

#include "device/Framing.h"
#include "device/UserRecord.h"
#include "device/WiredRecords.h"
#include "property/PelArray.h"

#include <functional>

// Base of all devices: builds transmit frames.
class tConfiguratorDevice : public tPelCompoundProperty {
public:
    using tPelCompoundProperty::tPelCompoundProperty;

    // The frame that programs the device's user settings.
    virtual QString ComposeUserFrame() = 0;
    // The frame that programs factory data; raises for devices that take none.
    virtual QString ComposeFactoryFrame();

    // Whether a file's "Device" block has been read into this object since the document last said
    // a file starts.
    bool ReadFromFile() const { return readFromFile_; }
    void SetReadFromFile(bool flag) { readFromFile_ = flag; }
    bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) override;

protected:
    void BeginFrame() { frame_.BeginFrame(); }
    void AddFrameChar(QChar c) { frame_.AddFrameChar(c); }
    void AddFrameText(const QString& text) { frame_.AddFrameText(text); }
    QString EndFrame() { return frame_.EndFrame(); }

private:
    tFrameBuilder frame_;
    bool readFromFile_ = false;
};

// The device of a type this program does not know (a file from a newer device): its block is kept
// exactly as read and written back so. It cannot be programmed.
class tUnknownDevice : public tConfiguratorDevice {
public:
    using tConfiguratorDevice::tConfiguratorDevice;

    QString ComposeUserFrame() override;
    bool KeepsUnknownContent() const override { return true; }
};

// Staff (ZX140) and pendant (ZX160) transmitters.
class tIRRFDevice : public tConfiguratorDevice {
public:
    enum Kind : uint8_t { NoKind = 0, Staff = 1, Pendant = 2 };

    tIRRFDevice(const QString& name, tPelCompoundProperty* owner);

    tIRRFFactoryRecord* FactoryRecord() const { return factoryRecord_; }
    tIRRFUserRecord* UserRecord() const { return userRecord_; }

    // 1 (staff) or 2 (pendant), from the third character of the hardware version.
    int TransmitterKind() const;
    void SetOnSpecialFlagsChanged(std::function<void(tSpecialFlags*)> handler) {
        onSpecialFlagsChanged_ = std::move(handler);
    }

    void Clear() override;
    QString ComposeUserFrame() override;
    QString ComposeFactoryFrame() override;

private:
    void RFEnabledChanged();
    void ButtonsSameChanged();
    void SWChanged();
    void HWChanged();
    void SFChanged();

    tIRRFFactoryRecord* factoryRecord_;
    tIRRFUserRecord* userRecord_;
    uint8_t appliedKind_ = NoKind; // the transmitter kind whose button defaults were last applied
    std::function<void(tSpecialFlags*)> onSpecialFlagsChanged_;
};

// "Node Address": 0 stands for node 256, 1 for unassigned. Shown in a read-only edit box.
class tNodeProperty : public tPelBaseIntegerProperty {
public:
    using tPelBaseIntegerProperty::tPelBaseIntegerProperty;

    QString ValueToText(int value) const override;
    // Attaches the display box (read-only, parent colour, disabled) and shows the value now and after
    // every change.
    void SetDisplayEdit(IEditBox* edit);
    IEditBox* DisplayEdit() const { return displayEdit_; }

    void Changed(tPelBaseProperty* sender) override;

private:
    void showValue();

    IEditBox* displayEdit_ = nullptr;
};

// Base of the wired devices: the header every reply carries.
class tOtherDevice : public tConfiguratorDevice {
public:
    tOtherDevice(const QString& name, tPelCompoundProperty* owner);

    tPelTextProperty* Version() const { return version_; }
    tPelTextProperty* FactoryString() const { return factoryString_; }
    tNodeProperty* NodeAddress() const { return nodeAddress_; }
    tPelIntegerProperty* ZoneGroupAddress() const { return zoneGroupAddress_; }

    void Clear() override;
    // Takes the reply header (version, factory string, node and zone addresses) from the front of
    // text; subclasses then take their user data from what remains.
    virtual void ParseDeviceData(QString& text);
    virtual bool IsVersionSupported(const QString& version) = 0;

protected:
    void AddHexByte(int value);
    void AddHexDigit(int value);

private:
    void VersionChanged();

    bool clearing_ = false; // defaults going back in (New) are no version read from a device
    tPelTextProperty* version_;
    tPelTextProperty* factoryString_;
    tNodeProperty* nodeAddress_;
    tPelIntegerProperty* zoneGroupAddress_;
};

// MPD unit ZX310: call point, monitor point or day/night switch.
class tMPD : public tOtherDevice {
public:
    tMPD(const QString& name, tPelCompoundProperty* owner);

    tMPDUserData* UserData() const { return userData_; }
    // Wire codes 0, 2, 3 for the three modes; any other raises "Invalid MPD Mode".
    void SetModeCode(int code);
    int GetModeCode() const;

    QString ComposeUserFrame() override;
    void ParseDeviceData(QString& text) override;
    bool IsVersionSupported(const QString& version) override;

private:
    tMPDUserData* userData_;
};

// Relay output ZX320.
class tRelayOutput : public tOtherDevice {
public:
    static constexpr int ConditionCount = 6;

    tRelayOutput(const QString& name, tPelCompoundProperty* owner);

    tPelBooleanProperty* ActiveInCall() const { return conditions_[0]; }
    tPelBooleanProperty* ActiveInMPCall() const { return conditions_[1]; }
    tPelBooleanProperty* ActiveWhenHelpRequired() const { return conditions_[2]; }
    tPelBooleanProperty* ActiveInPresence() const { return conditions_[3]; }
    tPelBooleanProperty* ActiveInEmergency() const { return conditions_[4]; }
    tPelBooleanProperty* ActiveInAttack() const { return conditions_[5]; }
    // Condition by its bit in the record (0 to 5).
    tPelBooleanProperty* Condition(int bit) const { return conditions_[bit]; }

    QString ComposeUserFrame() override;
    void ParseDeviceData(QString& text) override;
    bool IsVersionSupported(const QString& version) override;

private:
    tPelBooleanProperty* conditions_[ConditionCount];
};

// One row of the zone indicator's "Zonal Data": the sound for one kind of call.
class tZonalModeData : public tPelCompoundProperty {
public:
    tZonalModeData(const QString& name, tPelCompoundProperty* owner);

    tPelEnum<tVolumeMode>* DayVolume() const { return dayVolume_; }
    tPelEnum<tVolumeMode>* NightVolume() const { return nightVolume_; }
    tPelEnum<tZonalTone>* Tone() const { return tone_; }
    // The setters use the low seven bits of the byte.
    void SetDayVolume(uint8_t value) { dayVolume_->SetAsInteger(value & 0x7F); }
    void SetNightVolume(uint8_t value) { nightVolume_->SetAsInteger(value & 0x7F); }
    void SetTone(uint8_t value) { tone_->SetAsInteger(value & 0x7F); }
    void SetAll(tVolumeMode day, tVolumeMode night, tZonalTone tone);

private:
    tPelEnum<tVolumeMode>* dayVolume_;
    tPelEnum<tVolumeMode>* nightVolume_;
    tPelEnum<tZonalTone>* tone_;
};

// "Zonal Data": always exactly six rows, 0 to 5. Resizing, deleting and inserting are refused, so a
// file, a device read or an undo step can never leave a row missing.
class tZonalDataArray : public tPelObjectArray {
public:
    static constexpr int RowCount = 6;

    tZonalDataArray(const QString& name, tPelCompoundProperty* owner);

    tPelBaseProperty* AddItem() override;
    tPelBaseProperty* InsertItem(int index) override;
    void DeleteItem(int index) override;
    void SetMaxIndex(int value) override;
    bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) override;
    tPelBaseProperty* CreateChild(const QString& name, const QString& key, const QString& value,
                                  const QString& comment, tErrorList* errors, int reserved1,
                                  int reserved2) override;

    tZonalModeData* Row(int row) const;
};

// Zone indicator ZX330 or sounder ZX390/2.
class tZonalIndicator : public tOtherDevice {
public:
    static constexpr int RowCount = tZonalDataArray::RowCount;

    tZonalIndicator(const QString& name, tPelCompoundProperty* owner);

    tPelBooleanProperty* HTM2015Enabled() const { return htm2015Enabled_; }
    tPelEnum<tHTM2015Tone>* HTM2015Tone() const { return htm2015Tone_; }
    tZonalDataArray* ZonalData() const { return zonalData_; }
    // Row 0 to 5 (presence, call, monitor point call, help required, attack, emergency); nullptr
    // outside that range.
    tZonalModeData* ModeData(int row) const;
    // Called at once with the current "HTM2015 Enabled" when a handler is given.
    void SetOnHTM2015Changed(std::function<void(bool)> handler);

    void Clear() override;
    QString ComposeUserFrame() override;
    void ParseDeviceData(QString& text) override;
    bool IsVersionSupported(const QString& version) override;

private:
    void HTM2015EnabledChanged();

    tPelBooleanProperty* htm2015Enabled_;
    tPelEnum<tHTM2015Tone>* htm2015Tone_;
    tZonalDataArray* zonalData_;
    std::function<void(bool)> onHTM2015Changed_;
};

// Call point ZX250/9 or ZX270RX.
class tCallPoint250 : public tOtherDevice {
public:
    tCallPoint250(const QString& name, tPelCompoundProperty* owner);

    tCallPoint250UserData* UserData() const { return userData_; }

    QString ComposeUserFrame() override;
    void ParseDeviceData(QString& text) override;
    bool IsVersionSupported(const QString& version) override;

private:
    tCallPoint250UserData* userData_;
};
