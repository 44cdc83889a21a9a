#include "device/UnitZCfgFile.h"

#include "programmer/Common.h"

namespace {

const QString invalidTypecast = QStringLiteral("Invalid class typecast");

// The model names shown for the derived texts of the device types.
const struct {
    const char* derived;
    const char* shown;
} modelNames[] = {
    {"Staff Transmitter", "ZX140 Staff Transmitter"},
    {"Pendant Transmitter", "ZX160 Pendant Transmitter"},
    {"MPDDayNightSwitch", "ZX310 (Day/Night Switch)"},
    {"MPD Day/Night Switch", "ZX310 (Day/Night Switch)"},
    {"MPD Call Point", "ZX310 (Call Point)"},
    {"MPD Monitor Point", "ZX310 (Monitor Point)"},
    {"Relay Output", "ZX320 Relay Output"},
    {"Zone Indicator", "ZX330 ZI or ZX390/2 Sounder"},
    {"ZX250 Call Point", "ZX250/9 or ZX270RX Call Point"},
};

// "Zone/Group Address" of the MPD and ZX250 call points: a letter, "A" for area 0.
void letterDisplay(const QString& text, QString& out) {
    int value = 0;
    if (text.isEmpty())
        out = QStringLiteral("Unassigned");
    else if (TryStrToInt(text, value) && value >= 0 && value < 65536 - 65)
        out = QString(QChar(char16_t(65 + value)));
    else
        out = text;
}

// "Zone/Group Address" of the relay output and zone indicator: zone 1 means none.
void unassignedDisplay(const QString& text, QString& out) {
    out = text.isEmpty() || text == QLatin1String("1") ? QStringLiteral("Unassigned") : text;
}

} // namespace

tZCfgFile::tZCfgFile(const QString& name, tPelCompoundProperty* owner) : tPelFileProperty(name, owner) {
    deviceType_ = Create<tPelEnum<tDevType>>(QStringLiteral("Device Type"), this);
    comments_ = Create<tMemoProperty>(QStringLiteral("Comments"), this);
    deviceType_->SetOnTranslate(&tZCfgFile::DeviceTypeDisplayText);
    deviceType_->SetOnChange([this](tPelBaseProperty*) { DeviceTypeChanged(); });
}

tZCfgFile::~tZCfgFile() {
    AttachLink(nullptr);
    if (deviceCombo_ && variantHandlerInstalled_) deviceCombo_->SetOnChange(comboOwnHandler_);
}

// ---- Device type ---------------------------------------------------------------------------

uint8_t tZCfgFile::GetDeviceType() const {
    const int ordinal = deviceType_->AsInteger();
    return ordinal < 0 ? uint8_t(dt_None) : uint8_t(ordinal);
}

void tZCfgFile::DeviceTypeDisplayText(const QString& text, QString& out) {
    out = text;
    for (const auto& model : modelNames)
        if (QString::compare(text, QLatin1String(model.derived), Qt::CaseInsensitive) == 0)
            out = QLatin1String(model.shown);
}

bool tZCfgFile::deviceFits(uint8_t type) const {
    switch (type) {
    case dt_Staff_Transmitter:
    case dt_Pendant_Transmitter:
        return dynamic_cast<tIRRFDevice*>(device_);
    case dt_MPD_Call_Point:
    case dt_MPD_Monitor_Point:
    case dt_MPDDayNightSwitch:
        return dynamic_cast<tMPD*>(device_);
    case dt_Relay_Output:
        return dynamic_cast<tRelayOutput*>(device_);
    case dt_Zone_Indicator:
        return dynamic_cast<tZonalIndicator*>(device_);
    case dt_ZX250_Call_Point:
        return dynamic_cast<tCallPoint250*>(device_);
    default:
        return true; // no object is installed for "None"; the current one stays
    }
}

void tZCfgFile::installDevice(std::unique_ptr<tPelBaseProperty> device) {
    device_ = static_cast<tConfiguratorDevice*>(device.get());
    Children().Append(device.release());
}

// Replaces the device object by a new one of the class the type needs. The old object is kept
// with the undo history, so that undoing the change brings it back with every value.
void tZCfgFile::replaceDevice(uint8_t type) {
    if (device_) {
        const QString id = QString::number(nextRetiredId_++);
        retiredDevices_[id] = Children().TakeAt(Children().IndexOf(device_));
        device_ = nullptr;
        RecordUndo(this, ckDeviceReplaced, id);
    }
    const QString name = QStringLiteral("Device");
    switch (type) {
    case dt_Staff_Transmitter:
    case dt_Pendant_Transmitter:
        device_ = Create<tIRRFDevice>(name, this);
        break;
    case dt_MPD_Call_Point:
    case dt_MPD_Monitor_Point:
    case dt_MPDDayNightSwitch:
        device_ = Create<tMPD>(name, this);
        break;
    case dt_Relay_Output:
        device_ = Create<tRelayOutput>(name, this);
        break;
    case dt_Zone_Indicator:
        device_ = Create<tZonalIndicator>(name, this);
        break;
    default:
        device_ = Create<tCallPoint250>(name, this);
        break;
    }
    SetComboMode(comboMode_);
}

// MPD mode and the display of "Zone/Group Address", which follow the type within one class.
void tZCfgFile::applyTypeDetails(uint8_t type) {
    if (type >= dt_MPD_Call_Point && type <= dt_MPDDayNightSwitch) {
        tMPD* mpd = AsMPD();
        static const int wireCodes[] = {0, 2, 3};
        mpd->SetModeCode(wireCodes[type - dt_MPD_Call_Point]);
        mpd->ZoneGroupAddress()->SetOnTranslate(type == dt_MPD_Call_Point ? tTranslateEvent(letterDisplay)
                                                                          : nullptr);
    } else if (type >= dt_Relay_Output && type <= dt_ZX250_Call_Point) {
        AsOtherDevice()->ZoneGroupAddress()->SetOnTranslate(type == dt_ZX250_Call_Point ? letterDisplay
                                                                                        : unassignedDisplay);
    }
}

void tZCfgFile::SetDeviceType(uint8_t type) {
    if (type >= dt_Staff_Transmitter && type <= dt_ZX250_Call_Point) {
        if (!device_ || !deviceFits(type)) replaceDevice(type);
        applyTypeDetails(type);
    }
    if (type <= dt_ZX250_Call_Point)
        deviceType_->SetAsInteger(type);
    else
        deviceType_->SetValueText(QString::number(type)); // shown by the enumeration's own rules
    if (onDeviceTypeChanged_) onDeviceTypeChanged_(type);
}

void tZCfgFile::DeviceTypeChanged() {
    const uint8_t type = GetDeviceType();
    // While an undo restores the type of a replaced device object, the object itself comes back in
    // the step that follows; the page switch waits for it.
    if (deviceType_->Undoing() && !deviceFits(type)) return;
    SetDeviceType(type);
}

void tZCfgFile::swapRetiredDevice(const QString& id, bool undoing) {
    auto found = retiredDevices_.find(id);
    if (found == retiredDevices_.end()) return;
    std::unique_ptr<tPelBaseProperty> back = std::move(found->second);
    retiredDevices_.erase(found);
    const QString currentId = QString::number(nextRetiredId_++);
    if (device_) retiredDevices_[currentId] = Children().TakeAt(Children().IndexOf(device_));
    device_ = nullptr;
    installDevice(std::move(back));
    if (undoing)
        RecordRedo(this, ckDeviceReplaced, currentId);
    else
        RecordUndo(this, ckDeviceReplaced, currentId);
    SetModified(true);
    const uint8_t type = GetDeviceType();
    if (deviceFits(type)) {
        applyTypeDetails(type);
        if (onDeviceTypeChanged_) onDeviceTypeChanged_(type);
    }
}

void tZCfgFile::RecordUndo(tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
    // Once the history is forgotten, no step can bring a retired device back.
    if (kind == ckReset && sender == this) retiredDevices_.clear();
    tPelFileProperty::RecordUndo(sender, kind, text);
}

void tZCfgFile::Undo(tChangeKind kind, const QString& text) {
    if (kind == ckDeviceReplaced) swapRetiredDevice(text, true);
}

void tZCfgFile::Redo(tChangeKind kind, const QString& text) {
    if (kind == ckDeviceReplaced) swapRetiredDevice(text, false);
}

// ---- Device-type combo box ----------------------------------------------------------------

void tZCfgFile::SetDeviceCombo(IComboBox* combo) {
    if (deviceCombo_ && variantHandlerInstalled_) deviceCombo_->SetOnChange(comboOwnHandler_);
    deviceCombo_ = combo;
    variantHandlerInstalled_ = false;
    comboOwnHandler_ = combo ? combo->OnChange() : nullptr;
    SetComboMode(comboMode_);
}

void tZCfgFile::SetOnComboModeChanged(tComboModeEvent handler) {
    onComboModeChanged_ = std::move(handler);
    if (onComboModeChanged_) onComboModeChanged_(comboMode_);
}

void tZCfgFile::SetComboMode(uint8_t mode) {
    comboMode_ = mode;
    if (mode == ConfigurationMode) {
        FillVariantCombo();
    } else if (mode == EditMode && deviceCombo_) {
        if (variantHandlerInstalled_) {
            // The variant handler must not stay chained behind the list binding.
            deviceCombo_->SetOnChange(comboOwnHandler_);
            variantHandlerInstalled_ = false;
        }
        deviceType_->SetControl(deviceCombo_);
        deviceType_->SetMin(dt_Staff_Transmitter);
    }
    if (onComboModeChanged_) onComboModeChanged_(mode);
}

void tZCfgFile::FillVariantCombo() {
    if (!deviceCombo_) return;
    deviceType_->SetControl(nullptr);
    deviceCombo_->SetOnChange([this](tObject* sender) { VariantComboChange(sender); });
    variantHandlerInstalled_ = true;
    deviceCombo_->ClearItems();
    QStringList derived;
    int selected = 0;
    switch (GetDeviceType()) {
    case dt_Staff_Transmitter:
        derived = {QStringLiteral("Staff Transmitter")};
        break;
    case dt_Pendant_Transmitter:
        derived = {QStringLiteral("Pendant Transmitter")};
        break;
    case dt_MPD_Call_Point:
    case dt_MPD_Monitor_Point:
    case dt_MPDDayNightSwitch:
        derived = {QStringLiteral("MPD Call Point"), QStringLiteral("MPD Monitor Point"),
                   QStringLiteral("MPD Day/Night Switch")};
        selected = GetDeviceType() - dt_MPD_Call_Point;
        break;
    case dt_Relay_Output:
        derived = {QStringLiteral("Relay Output")};
        break;
    case dt_Zone_Indicator:
        derived = {QStringLiteral("Zone Indicator")};
        break;
    case dt_ZX250_Call_Point:
        derived = {QStringLiteral("ZX250 Call Point")};
        break;
    default:
        return;
    }
    for (const QString& text : derived) {
        QString shown;
        DeviceTypeDisplayText(text, shown);
        deviceCombo_->AddItem(shown);
    }
    deviceCombo_->SetItemIndex(selected);
}

void tZCfgFile::VariantComboChange(tObject*) {
    const uint8_t type = GetDeviceType();
    if (type < dt_MPD_Call_Point || type > dt_MPDDayNightSwitch || !deviceCombo_) return;
    const int index = deviceCombo_->ItemIndex();
    if (index >= 0 && index <= 2) SetDeviceType(uint8_t(dt_MPD_Call_Point + index));
}

// ---- Typed access ------------------------------------------------------------------------------

namespace {
template <class T> T* castDevice(tConfiguratorDevice* device) {
    if (auto* typed = dynamic_cast<T*>(device)) return typed;
    throw EZcfgError(invalidTypecast);
}
} // namespace

tIRRFDevice* tZCfgFile::AsIRRFDevice() const {
    return castDevice<tIRRFDevice>(device_);
}
tMPD* tZCfgFile::AsMPD() const {
    return castDevice<tMPD>(device_);
}
tCallPoint250* tZCfgFile::AsCallPoint250() const {
    return castDevice<tCallPoint250>(device_);
}
tRelayOutput* tZCfgFile::AsRelayOutput() const {
    return castDevice<tRelayOutput>(device_);
}
tZonalIndicator* tZCfgFile::AsZonalIndicator() const {
    return castDevice<tZonalIndicator>(device_);
}
tOtherDevice* tZCfgFile::AsOtherDevice() const {
    return castDevice<tOtherDevice>(device_);
}
