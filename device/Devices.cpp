#include "device/Devices.h"

#include "programmer/Common.h"
#include "property/PelError.h"
#include "property/PelFile.h"

#include <QScopedValueRollback>

namespace {
const QString swWithAttendance =
    QStringLiteral("02A0"); // first firmware offering attendance and the SF flags
} // namespace

// ============================================================================================
// tConfiguratorDevice
// ============================================================================================

QString tConfiguratorDevice::ComposeFactoryFrame() {
    throw EZcfgError(QStringLiteral("Error - Device not suitable for configuring with factory data"));
}

bool tConfiguratorDevice::ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) {
    readFromFile_ = true;
    return tPelCompoundProperty::ReadBody(source, lineIndex, errors);
}

QString tUnknownDevice::ComposeUserFrame() {
    throw EZcfgError(QStringLiteral("Unrecognised Device"));
}

// ============================================================================================
// tIRRFDevice
// ============================================================================================

tIRRFDevice::tIRRFDevice(const QString& name, tPelCompoundProperty* owner)
    : tConfiguratorDevice(name, owner) {
    factoryRecord_ = Create<tIRRFFactoryRecord>(QStringLiteral("Factory Record"), this);
    userRecord_ = Create<tIRRFUserRecord>(QStringLiteral("User Record"), this);
    for (int n = 1; n <= tIRRFUserRecord::ButtonCount; ++n)
        userRecord_->Button(n)->RFEnabled()->SetOnChange([this](tPelBaseProperty*) { RFEnabledChanged(); });
    userRecord_->ButtonsSame()->SetOnChange([this](tPelBaseProperty*) { ButtonsSameChanged(); });
    factoryRecord_->SW()->SetOnChange([this](tPelBaseProperty*) { SWChanged(); });
    factoryRecord_->HW()->SetOnChange([this](tPelBaseProperty*) { HWChanged(); });
    factoryRecord_->SF()->SetOnChange([this](tPelBaseProperty*) { SFChanged(); });
}

void tIRRFDevice::Clear() {
    tConfiguratorDevice::Clear();
    // Clearing the records reset the button lists and the flags; apply the rules to the defaults,
    // the button defaults of the transmitter kind included.
    appliedKind_ = NoKind;
    HWChanged();
    SWChanged();
    SFChanged();
    RFEnabledChanged();
    ButtonsSameChanged();
}

int tIRRFDevice::TransmitterKind() const {
    const QString& hw = factoryRecord_->HW()->Value();
    if (hw.size() < 4) return Staff;
    return hw.at(2) == QLatin1Char('P') ? Pendant : Staff;
}

void tIRRFDevice::RFEnabledChanged() {
    // The group address matters only when a button that the transmitter uses sends by radio: on a
    // pendant that is button 2 alone.
    bool rf = false;
    if (TransmitterKind() == Pendant) {
        rf = userRecord_->Button(2)->RFEnabled()->AsBoolean();
    } else {
        for (int n = 1; n <= tIRRFUserRecord::ButtonCount; ++n)
            rf = rf || userRecord_->Button(n)->RFEnabled()->AsBoolean();
    }
    userRecord_->GroupAddress()->SetEnabled(rf);
}

void tIRRFDevice::ButtonsSameChanged() {
    userRecord_->Button(1)->SetEnabled(!userRecord_->ButtonsSame()->AsBoolean());
}

void tIRRFDevice::SWChanged() {
    const bool modern = !(factoryRecord_->SW()->Value() < swWithAttendance);
    for (int n = 1; n <= tIRRFUserRecord::ButtonCount; ++n)
        userRecord_->Button(n)->ButtonType()->SetMax(modern ? irrf_Attendance : irrf_Reset);
    factoryRecord_->SF()->SetAllAllowed(modern);
}

void tIRRFDevice::HWChanged() {
    tSpecialFlags* flags = factoryRecord_->SF();
    const int kind = TransmitterKind();
    const bool staff = kind == Staff;
    for (tIRSpecialFlags flag : {sf_Allow_Attack, sf_Allow_Emergency, sf_Allow_Attendance})
        flags->SetFlag(flag, staff);
    if (appliedKind_ != kind) {
        appliedKind_ = uint8_t(kind);
        if (staff) {
            for (int n = 1; n <= tIRRFUserRecord::ButtonCount; ++n)
                userRecord_->Button(n)->ButtonType()->SetAsEnum(irrf_Attack);
        } else {
            userRecord_->Button(2)->ButtonType()->SetAsEnum(irrf_Help_Required);
        }
    }
    // Which buttons count for the group address depends on the kind too.
    RFEnabledChanged();
}

void tIRRFDevice::SFChanged() {
    tSpecialFlags* flags = factoryRecord_->SF();
    for (int n = 1; n <= tIRRFUserRecord::ButtonCount; ++n) {
        tIRRFCallTypeClass* type = userRecord_->Button(n)->ButtonType();
        type->SetAllowed(irrf_Attack, flags->IsFlagSet(sf_Allow_Attack));
        type->SetAllowed(irrf_Emergency, flags->IsFlagSet(sf_Allow_Emergency));
        type->SetAllowed(irrf_Attendance, flags->IsFlagSet(sf_Allow_Attendance));
    }
    if (onSpecialFlagsChanged_) onSpecialFlagsChanged_(flags);
}

QString tIRRFDevice::ComposeUserFrame() {
    const QString record = userRecord_->GetRecordText();
    BeginFrame();
    AddFrameText(record);
    return EndFrame();
}

QString tIRRFDevice::ComposeFactoryFrame() {
    const QString record = factoryRecord_->GetRecordText();
    BeginFrame();
    AddFrameText(record);
    return EndFrame();
}

// ============================================================================================
// tNodeProperty
// ============================================================================================

QString tNodeProperty::ValueToText(int value) const {
    if (value == 0) return QStringLiteral("256");
    if (value == 1) return QStringLiteral("Unassigned");
    return QString::number(value);
}

void tNodeProperty::SetDisplayEdit(IEditBox* edit) {
    displayEdit_ = edit;
    if (!edit) return;
    edit->SetReadOnly(true);
    edit->SetParentColour(true);
    edit->SetEnabled(false);
    showValue();
}

void tNodeProperty::Changed(tPelBaseProperty* sender) {
    tPelBaseIntegerProperty::Changed(sender);
    showValue();
}

void tNodeProperty::showValue() {
    if (!displayEdit_) return;
    int value = 0;
    displayEdit_->SetText(TryStrToInt(Value(), value) ? ValueToText(value) : Value());
}

// ============================================================================================
// tOtherDevice
// ============================================================================================

tOtherDevice::tOtherDevice(const QString& name, tPelCompoundProperty* owner)
    : tConfiguratorDevice(name, owner) {
    version_ = Create<tPelTextProperty>(QStringLiteral("Version"), this);
    factoryString_ = Create<tPelTextProperty>(QStringLiteral("Factory String"), this);
    nodeAddress_ = Create<tNodeProperty>(QStringLiteral("Node Address"), this);
    nodeAddress_->SetMin(0);
    nodeAddress_->SetMax(255);
    zoneGroupAddress_ = Create<tPelIntegerProperty>(QStringLiteral("Zone/Group Address"), this);
    zoneGroupAddress_->SetMin(0);
    zoneGroupAddress_->SetMax(255);
    // Filled from a device read only.
    for (tPelBaseProperty* header :
         std::initializer_list<tPelBaseProperty*>{version_, factoryString_, nodeAddress_, zoneGroupAddress_})
        header->SetEnabled(false);
    version_->SetOnChange([this](tPelBaseProperty*) { VersionChanged(); });
}

void tOtherDevice::Clear() {
    QScopedValueRollback<bool> clearing(clearing_, true);
    tConfiguratorDevice::Clear();
    nodeAddress_->SetAsInteger(1);
}

void tOtherDevice::VersionChanged() {
    // The warning is about a device read: a version coming from a file, from New or from undo is
    // none the attached device reported.
    if (version_->Undoing() || IsLoading() || clearing_) return;
    if (const auto* file = dynamic_cast<const tPelFileProperty*>(Root()); file && file->ReadingFile()) return;
    if (!IsVersionSupported(version_->Value())) ShowWarning(VersionWarning);
}

// ============================================================================================
// tMPD
// ============================================================================================

tMPD::tMPD(const QString& name, tPelCompoundProperty* owner) : tOtherDevice(name, owner) {
    userData_ = Create<tMPDUserData>(QStringLiteral("User Data"), this);
}

void tMPD::SetModeCode(int code) {
    switch (code) {
    case 0:
        userData_->Mode()->SetAsEnum(mpd_MPD_Call_Point);
        return;
    case 2:
        userData_->Mode()->SetAsEnum(mpd_MPD_Monitor_Point);
        return;
    case 3:
        userData_->Mode()->SetAsEnum(mpd_MPDDayNightSwitch);
        return;
    default:
        throw EZcfgError(WiredMessage::InvalidMPDMode);
    }
}

int tMPD::GetModeCode() const {
    switch (userData_->Mode()->AsInteger()) {
    case mpd_MPD_Call_Point:
        return 0;
    case mpd_MPD_Monitor_Point:
        return 2;
    case mpd_MPDDayNightSwitch:
        return 3;
    default:
        throw EZcfgError(WiredMessage::InvalidMPDMode);
    }
}

bool tMPD::IsVersionSupported(const QString& version) {
    return version.left(2) == QLatin1String("02");
}

// ============================================================================================
// tRelayOutput
// ============================================================================================

tRelayOutput::tRelayOutput(const QString& name, tPelCompoundProperty* owner) : tOtherDevice(name, owner) {
    static const char* const names[ConditionCount] = {
        "Active In Call",     "Active In MPCall",    "Active When Help Required",
        "Active In Presence", "Active In Emergency", "Active In Attack"};
    for (int bit = 0; bit < ConditionCount; ++bit)
        conditions_[bit] = Create<tPelBooleanProperty>(QLatin1String(names[bit]), this);
}

bool tRelayOutput::IsVersionSupported(const QString& version) {
    return version.left(2) == QLatin1String("01");
}

// ============================================================================================
// tZonalModeData and tZonalDataArray
// ============================================================================================

tZonalModeData::tZonalModeData(const QString& name, tPelCompoundProperty* owner)
    : tPelCompoundProperty(name, owner) {
    dayVolume_ = Create<tPelEnum<tVolumeMode>>(QStringLiteral("Day Volume"), this);
    nightVolume_ = Create<tPelEnum<tVolumeMode>>(QStringLiteral("Night Volume"), this);
    tone_ = Create<tPelEnum<tZonalTone>>(QStringLiteral("Tone"), this);
}

void tZonalModeData::SetAll(tVolumeMode day, tVolumeMode night, tZonalTone tone) {
    dayVolume_->SetAsEnum(day);
    nightVolume_->SetAsEnum(night);
    tone_->SetAsEnum(tone);
}

tZonalDataArray::tZonalDataArray(const QString& name, tPelCompoundProperty* owner)
    : tPelObjectArray(name, owner, PropertyClassOf<tZonalModeData>()) {
    tPelObjectArray::SetMaxIndex(RowCount - 1);
}

tPelBaseProperty* tZonalDataArray::AddItem() {
    if (Children().Count() >= RowCount) return nullptr;
    return tPelObjectArray::AddItem();
}

tPelBaseProperty* tZonalDataArray::InsertItem(int) {
    return nullptr;
}

void tZonalDataArray::DeleteItem(int) {}

void tZonalDataArray::SetMaxIndex(int) {}

bool tZonalDataArray::ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) {
    // The six rows stay whatever a file says; a size line naming another size is reported at its
    // line (a size that is no size at all the array reports itself).
    bool ok = true;
    QString name, key, value, comment;
    int size = 0;
    if (lineIndex < source.size() && ParseLine(source[lineIndex], name, key, value, comment) &&
        AsciiSameText(name, QStringLiteral("Max")) && TryStrToInt(value, size) && size >= -1 &&
        size <= MaxArrayIndex && size != RowCount - 1) {
        ok = false;
        AddError(errors, lineIndex,
                 QStringLiteral("Invalid array size \"%1\" for Zonal Data (always %2); the %3 rows are kept")
                     .arg(value)
                     .arg(RowCount - 1)
                     .arg(RowCount));
    }
    return tPelObjectArray::ReadBody(source, lineIndex, errors) && ok;
}

tPelBaseProperty* tZonalDataArray::CreateChild(const QString&, const QString&, const QString&, const QString&,
                                               tErrorList*, int, int) {
    // Every row exists; an item line that names none of them is an unrecognised entry.
    return nullptr;
}

tZonalModeData* tZonalDataArray::Row(int row) const {
    if (row < 0 || row >= RowCount || row >= Children().Count()) return nullptr;
    return static_cast<tZonalModeData*>(Children().Items(row));
}

// ============================================================================================
// tZonalIndicator
// ============================================================================================

tZonalIndicator::tZonalIndicator(const QString& name, tPelCompoundProperty* owner)
    : tOtherDevice(name, owner) {
    htm2015Enabled_ = Create<tPelBooleanProperty>(QStringLiteral("HTM2015 Enabled"), this);
    htm2015Tone_ = Create<tPelEnum<tHTM2015Tone>>(QStringLiteral("HTM2015 Tone"), this);
    zonalData_ = Create<tZonalDataArray>(QStringLiteral("Zonal Data"), this);
    htm2015Enabled_->SetOnChange([this](tPelBaseProperty*) { HTM2015EnabledChanged(); });
}

tZonalModeData* tZonalIndicator::ModeData(int row) const {
    return zonalData_->Row(row);
}

void tZonalIndicator::SetOnHTM2015Changed(std::function<void(bool)> handler) {
    onHTM2015Changed_ = std::move(handler);
    if (onHTM2015Changed_) onHTM2015Changed_(htm2015Enabled_->AsBoolean());
}

void tZonalIndicator::Clear() {
    tOtherDevice::Clear();
    ModeData(0)->SetAll(vm_Mute, vm_Mute, zt_Presence);
    ModeData(1)->SetAll(vm_User_A, vm_User_B, zt_Standard_Call);
    ModeData(2)->SetAll(vm_User_A, vm_User_B, zt_Monitor_Point_Call);
    ModeData(3)->SetAll(vm_User_A, vm_User_B, zt_Help_Required);
    ModeData(4)->SetAll(vm_User_A, vm_User_B, zt_Attack);
    ModeData(5)->SetAll(vm_User_A, vm_User_B, zt_Emergency);
    HTM2015EnabledChanged();
}

void tZonalIndicator::HTM2015EnabledChanged() {
    const bool enabled = htm2015Enabled_->AsBoolean();
    htm2015Tone_->SetEnabled(enabled);
    for (int row = 0; row < RowCount; ++row)
        ModeData(row)->Tone()->SetEnabled(!enabled);
    if (onHTM2015Changed_) onHTM2015Changed_(enabled);
    if (enabled) htm2015Tone_->SetAsEnum(tone2015_800Hz);
}

bool tZonalIndicator::IsVersionSupported(const QString& version) {
    return version.left(2) == QLatin1String("02");
}

// ============================================================================================
// tCallPoint250
// ============================================================================================

tCallPoint250::tCallPoint250(const QString& name, tPelCompoundProperty* owner) : tOtherDevice(name, owner) {
    userData_ = Create<tCallPoint250UserData>(QStringLiteral("User Data"), this);
}

bool tCallPoint250::IsVersionSupported(const QString& version) {
    return version.left(2) == QLatin1String("01");
}
