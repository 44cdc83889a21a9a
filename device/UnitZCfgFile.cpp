#include "device/UnitZCfgFile.h"

#include "device/DeviceTypeTable.h"
#include "programmer/Common.h"

#include <QScopeGuard>
#include <QScopedValueRollback>

namespace {

const QString invalidTypecast = QStringLiteral("Invalid class typecast");

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
    for (const tDeviceTypeInfo& info : DeviceTypes())
        if (QString::compare(text, EnumDisplayText(QLatin1String(info.ValueName)), Qt::CaseInsensitive) ==
                0 ||
            QString::compare(text, QLatin1String(info.VariantText), Qt::CaseInsensitive) == 0)
            out = QLatin1String(info.ModelName);
}

namespace {
tDeviceClass classOf(const tConfiguratorDevice* device) {
    if (dynamic_cast<const tIRRFDevice*>(device)) return tDeviceClass::IRRF;
    if (dynamic_cast<const tMPD*>(device)) return tDeviceClass::MPD;
    if (dynamic_cast<const tRelayOutput*>(device)) return tDeviceClass::RelayOutput;
    if (dynamic_cast<const tZonalIndicator*>(device)) return tDeviceClass::ZonalIndicator;
    if (dynamic_cast<const tCallPoint250*>(device)) return tDeviceClass::CallPoint250;
    return tDeviceClass::None;
}
} // namespace

bool tZCfgFile::deviceFits(uint8_t type) const {
    const tDeviceClass wanted = DeviceTypeInfo(type).Class;
    // No object is installed for "None"; the current one stays.
    return wanted == tDeviceClass::None || classOf(device_) == wanted;
}

void tZCfgFile::installDevice(std::unique_ptr<tPelBaseProperty> device) {
    device_ = static_cast<tConfiguratorDevice*>(device.get());
    Children().Append(device.release());
    placeDevice();
}

// The device object follows "Comments" wherever it was made, so a file is written in one order
// however its lines came, and lines this program does not know stay after it.
void tZCfgFile::placeDevice() {
    if (device_) Children().Move(device_, Children().IndexOf(comments_) + 1);
}

// Takes the device object out; it is kept with the undo history, so that undoing the change brings
// it back with every value.
void tZCfgFile::retireDevice() {
    if (!device_) return;
    const QString id = QString::number(nextRetiredId_++);
    retiredDevices_[id] = Children().TakeAt(Children().IndexOf(device_));
    device_ = nullptr;
    RecordUndo(this, ckDeviceReplaced, id);
}

// Replaces the device object by a new one of the class the type needs.
void tZCfgFile::replaceDevice(uint8_t type) {
    retireDevice();
    const QString name = QStringLiteral("Device");
    switch (DeviceTypeInfo(type).Class) {
    case tDeviceClass::IRRF:
        device_ = Create<tIRRFDevice>(name, this);
        break;
    case tDeviceClass::MPD:
        device_ = Create<tMPD>(name, this);
        break;
    case tDeviceClass::RelayOutput:
        device_ = Create<tRelayOutput>(name, this);
        break;
    case tDeviceClass::ZonalIndicator:
        device_ = Create<tZonalIndicator>(name, this);
        break;
    case tDeviceClass::CallPoint250:
    case tDeviceClass::None:
        device_ = Create<tCallPoint250>(name, this);
        break;
    }
    placeDevice();
    SetComboMode(comboMode_);
}

// What follows the type within one class: the MPD mode, a transmitter's "HW" letter and the display
// of "Zone/Group Address". The display alone is applied while undo and redo bring the values back.
void tZCfgFile::applyTypeDisplay(uint8_t type) {
    const tDeviceTypeInfo& info = DeviceTypeInfo(type);
    if (info.Class == tDeviceClass::MPD)
        AsMPD()->ZoneGroupAddress()->SetOnTranslate(type == dt_MPD_Call_Point ? tTranslateEvent(letterDisplay)
                                                                              : nullptr);
    else if (info.Class != tDeviceClass::None && info.Class != tDeviceClass::IRRF)
        AsOtherDevice()->ZoneGroupAddress()->SetOnTranslate(type == dt_ZX250_Call_Point ? letterDisplay
                                                                                        : unassignedDisplay);
}

void tZCfgFile::applyTypeDetails(uint8_t type) {
    const tDeviceTypeInfo& info = DeviceTypeInfo(type);
    applyTypeDisplay(type);
    if (info.Class == tDeviceClass::MPD) {
        AsMPD()->SetModeCode(info.ModeCode);
    } else if (info.Class == tDeviceClass::IRRF) {
        // The hardware version's letter names the transmitter kind; it follows the type chosen, as
        // the hardware revision box's mask makes it in the editor.
        tPelTextProperty* hw = AsIRRFDevice()->FactoryRecord()->HW();
        const QChar letter = QLatin1Char(info.HardwareLetter);
        if (hw->Value().size() >= 4 && hw->Value().at(2) != letter) {
            QString text = hw->Value();
            text[2] = letter;
            hw->SetValueText(text);
        }
    }
}

void tZCfgFile::SetDeviceType(uint8_t type) {
    // The object, its details and the type change together: one undo step, and undo restores all.
    BeginChange(this, ckValue, QString());
    const auto endChange = qScopeGuard([this] { EndChange(this, ckValue, QString()); });
    if (DeviceTypeInfo(type).Class != tDeviceClass::None) {
        if (!device_ || !deviceFits(type)) replaceDevice(type);
        applyTypeDetails(type);
    }
    {
        // The property's own change report comes back to DeviceTypeChanged: everything it would do
        // is done here, once.
        const QScopedValueRollback<bool> setting(settingDeviceType_, true);
        if (type <= LastDeviceType)
            deviceType_->SetAsInteger(type);
        else
            deviceType_->SetValueText(QString::number(type)); // shown by the enumeration's own rules
    }
    if (onDeviceTypeChanged_) onDeviceTypeChanged_(type);
}

void tZCfgFile::DeviceTypeChanged() {
    if (settingDeviceType_) return;
    if (deviceType_->AsInteger() < 0) {
        // A name this program does not know (a newer device): the text stays as read and is written
        // back so, and no device page is shown for it. A file's "Device" block that has not been read
        // yet goes into an object that keeps it as read, never into the device held before.
        if (ReadingFile() && !(device_ && device_->ReadFromFile())) {
            retireDevice();
            device_ = Create<tUnknownDevice>(QStringLiteral("Device"), this);
            placeDevice();
        }
        if (onDeviceTypeChanged_) onDeviceTypeChanged_(dt_None);
        return;
    }
    const uint8_t type = GetDeviceType();
    if (deviceType_->Undoing()) {
        // Undo and redo bring back what went with the type (the MPD mode, the "HW" letter) in steps
        // of their own within the same group; only the display follows here. While the type of a
        // replaced device object comes back, the object itself follows in the next step and the page
        // switch waits for it.
        if (!deviceFits(type)) return;
        applyTypeDisplay(type);
        refreshVariantCombo();
        if (onDeviceTypeChanged_) onDeviceTypeChanged_(type);
        return;
    }
    SetDeviceType(type);
}

void tZCfgFile::Clear() {
    // New keeps the device type in hand, with the defaults of its class: the page and the document
    // go on agreeing, and the list never has to show "None".
    const uint8_t kept = deviceType_ ? GetDeviceType() : uint8_t(dt_None);
    tPelFileProperty::Clear();
    if (kept != dt_None && deviceType_) SetDeviceType(kept);
    if (deviceType_) SetComboMode(comboMode_); // clearing gave "Device Type" its full range again
}

// ---- Reading a file --------------------------------------------------------------------------

// A "Device" block that comes before any device type is kept as read, in the place of the device
// object, until the type says what it holds: the document never holds two "Device" blocks.
tPelBaseProperty* tZCfgFile::CreateChild(const QString& name, const QString& key, const QString&,
                                         const QString&, tErrorList*, int, int) {
    if (device_ || !key.isEmpty() || !AsciiSameText(name, QStringLiteral("Object Device"))) return nullptr;
    device_ = Create<tUnknownDevice>(QStringLiteral("Device"), this);
    placeDevice();
    return device_;
}

bool tZCfgFile::ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) {
    if (device_) device_->SetReadFromFile(false);
    bool ok = tPelFileProperty::ReadBody(source, lineIndex, errors);
    if (deviceType_->AsInteger() == dt_None) {
        AddError(errors, 0, QStringLiteral("The configuration names no device type"));
        ok = false;
    }
    return ok;
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
        applyTypeDisplay(type); // the object comes back with its own values
        refreshVariantCombo();
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
    if (kind == ckComboMode) {
        RecordRedo(this, ckComboMode, QString::number(comboMode_));
        SetComboMode(uint8_t(text.toInt()));
    }
}

void tZCfgFile::Redo(tChangeKind kind, const QString& text) {
    if (kind == ckDeviceReplaced) swapRetiredDevice(text, false);
    if (kind == ckComboMode) {
        RecordUndo(this, ckComboMode, QString::number(comboMode_));
        SetComboMode(uint8_t(text.toInt()));
    }
}

// A device read lists only the variants of the type read; the step is undone with the read.
void tZCfgFile::enterConfigurationMode() {
    if (comboMode_ != ConfigurationMode) RecordUndo(this, ckComboMode, QString::number(comboMode_));
    SetComboMode(ConfigurationMode);
}

// In configuration mode the list shows the variants of the type in hand: it follows the type when
// undo or redo brings another back.
void tZCfgFile::refreshVariantCombo() {
    if (comboMode_ == ConfigurationMode) FillVariantCombo();
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
    const tDeviceTypeInfo& info = DeviceTypeInfo(GetDeviceType());
    for (int i = 0; i < info.VariantCount; ++i) {
        deviceCombo_->AddItem(QLatin1String(DeviceTypeInfo(info.Variants[size_t(i)]).ModelName));
        if (info.Variants[size_t(i)] == info.Type) deviceCombo_->SetItemIndex(i);
    }
}

void tZCfgFile::VariantComboChange(tObject*) {
    const tDeviceTypeInfo& info = DeviceTypeInfo(GetDeviceType());
    if (info.VariantCount < 2 || !deviceCombo_) return; // only the MPD unit changes within its class
    const int index = deviceCombo_->ItemIndex();
    if (index >= 0 && index < info.VariantCount) SetDeviceType(info.Variants[size_t(index)]);
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
