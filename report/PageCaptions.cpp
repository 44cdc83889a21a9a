#include "report/PageCaptions.h"

#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "property/PelEnum.h"
#include "property/PelError.h"
#include "property/PelScalar.h"
#include "property/PropertyPaths.h"
#include "property/ValueDifferences.h"

namespace {

using enum tShownAs;

constexpr tPageCaption staffPage[] = {
    {"ComboBoxTransmissionProtocol", "Device/User Record/IR/RF Protocol", "Protocol",
     "Transmission Protocol"},
    {"ComboBoxPullSnap", "Device/User Record/Button(3)/Button Type", "Pull Snap", "Pull Snap"},
    {"CheckBoxPullSnapBeeperEnable", "Device/User Record/Button(3)/Beeper Sounds", "Pull Snap",
     "Beeper Enable"},
    {"CheckBoxPullSnapRFEnable", "Device/User Record/Button(3)/RF Enabled", "Pull Snap", "RF Enable"},
    {"ComboBoxTransmitDuration", "Device/User Record/Transmit Mode", "Pull Snap", "Transmit Duration"},
    {"PelSpinEditIDCode", "Device/User Record/ID", "Extended Features", "Transmitter ID Code"},
    {"PelSpinEditGroupAddress", "Device/User Record/Group Address", "Extended Features",
     "Radio Group Address"},
    {"ComboBoxPushButtonA", "Device/User Record/Button(2)/Button Type", "Buttons", "Push Button A"},
    {"CheckBoxButtonABeeperEnable", "Device/User Record/Button(2)/Beeper Sounds", "Buttons", "Beeper enable"},
    {"CheckBoxButtonARFEnable", "Device/User Record/Button(2)/RF Enabled", "Buttons", "RF Enable"},
    {"ComboBoxPushButtonB", "Device/User Record/Button(1)/Button Type", "Buttons", "Push Button B"},
    {"CheckBoxButtonBBeeperEnable", "Device/User Record/Button(1)/Beeper Sounds", "Buttons", "Beeper Enable"},
    {"CheckBoxButtonBRFEnable", "Device/User Record/Button(1)/RF Enabled", "Buttons", "RF Enable"},
    {"CheckBoxABCoincidence", "Device/User Record/Buttons 2 and 3 same", "Buttons",
     "Coincidence On Buttons A and B"},
    {"EditHardwareRevRead", "Device/Factory Record/HW", "Device Information", "Hardware Revision"},
    {"EditFirmwareRevRead", "Device/Factory Record/SW", "Device Information", "Firmware Revision"},
    {"EditWorksOrderRead", "Device/Factory Record/W/O", "Device Information", "Works Order"},
    {"EditStaffTransmitterSFFlags", "Device/Factory Record/SF", "Device Information", "Device Revision",
     Flags},
};

constexpr tPageCaption pendantPage[] = {
    {"ComboBoxPendantPushButtonA", "Device/User Record/Button(2)/Button Type", "Button", "Push Button"},
    {"CheckBoxPendantRFEnabled", "Device/User Record/Button(2)/RF Enabled", "Button", "RF Enable"},
    {"PelSpinEditPendantIDCode", "Device/User Record/ID", "Extended Features", "Transmitter ID Code"},
    {"PelSpinEditPendantGroupAddress", "Device/User Record/Group Address", "Extended Features",
     "Radio Group Address"},
    {"EditIRRFPendantHardwareRev", "Device/Factory Record/HW", "Device Information", "Hardware Revision"},
    {"EditIRRFPendantFirmwareRev", "Device/Factory Record/SW", "Device Information", "Firmware Revision"},
    {"EditIRRFPendantWorksOrder", "Device/Factory Record/W/O", "Device Information", "Works Order"},
    {"EditPendantSFFlags", "Device/Factory Record/SF", "Device Information", "Device Revision", Flags},
};

constexpr tPageCaption callPointPage[] = {
    {"CheckBoxTailCallEnable", "Device/User Data/Tail Call Enabled", "Tail Call", "Tail Call Enable"},
    {"CheckBoxResetDirectly", "Device/User Data/Reset Mode", "Options", "Reset Directly (not via Presence)"},
    {"CheckBoxHelpRequiredEnable", "Device/User Data/Help Required", "Options", "Help Required Enabled"},
    {"CheckBoxHTM2015Enable", "Device/User Data/HTM2015 Enable", "HTM08-03", "HTM08-03 Enable"},
    {"RadioGroupEnSuiteCallType", "Device/User Data/Ensuite Input Call Type", "", "Ensuite Call Type"},
    {"RadioGroupSpecialInputSwitchType", "Device/User Data/Special Input Switch Type", "",
     "Special Switch Type"},
    {"RadioGroupSpecialCallType", "Device/User Data/Special Input Call Type", "", "Special Call Type"},
    {"RadioGroupCallSwitchContactType", "Device/User Data/Call Switch Contact Type", "", "Call Contacts"},
    {"RadioGroupResetContacts", "Device/User Data/Reset Switch Contact Type", "", "Reset Contacts"},
    {"RadioGroupSpecialContacts", "Device/User Data/Special Switch Contact Type", "", "Special Contacts"},
    {"EditCallPointDeviceAddress", "Device/Node Address", "General", "Device Address"},
    {"EditMPDCallPointFactoryData", "Device/Factory String", "General", "Factory Data"},
    {"EditMPDCallPointVersion", "Device/Version", "General", "Firmware Version"},
    {"EditMPDCallPointArea", "Device/Zone/Group Address", "General", "Area", Area},
};

constexpr tPageCaption monitorPointPage[] = {
    {"RadioGroupMPD_MPCallType", "Device/User Data/Monitor Call Point Type", "", "Call Type"},
    {"CheckBoxMPD_MDResetEnabled", "Device/User Data/Monitor Point Reset Enable", "Reset", "Reset Enabled"},
    {"CheckBoxMPD_MPHTM2015Enable", "Device/User Data/HTM2015 Enable", "HTM08-03", "HTM08-03 Enable"},
    {"RadioGroupMPD_MDCallContacts", "Device/User Data/Call Switch Contact Type", "", "Call Contacts"},
    {"RadioGroupMPD_MPResetContacts", "Device/User Data/Reset Switch Contact Type", "", "Reset Contacts"},
    {"RadioGroupIsolationContacts", "Device/User Data/Special Switch Contact Type", "", "Isolation Contacts"},
    {"EditMonitorPointAddress", "Device/Node Address", "General", "Device Address"},
    {"EditMonitorPointFactoryData", "Device/Factory String", "General", "Factory Data"},
    {"EditMPDMonitorPointVersion", "Device/Version", "General", "Firmware Version"},
};

constexpr tPageCaption dayNightSwitchPage[] = {
    {"RadioGroupLEDOperation", "Device/User Data/Day/Night Switch LED Lit", "", "LED Operation"},
    {"RadioGroupSwitchClosedOperation", "Device/User Data/Special Day/Night Switch Contact Type", "",
     "Switch Closed Operation"},
    {"EditNightSwitchAddress", "Device/Node Address", "General", "Device Address"},
    {"EditNightSwitchFactoryData", "Device/Factory String", "General", "Factory Data"},
    {"EditDayNightSwitchVersion", "Device/Version", "General", "Firmware Version"},
};

constexpr tPageCaption relayPage[] = {
    {"CheckBoxRelayActiveOnCall", "Device/Active In Call", "Relay Active On Call Types", "Call"},
    {"CheckBoxActiveOnMonitorCall", "Device/Active In MPCall", "Relay Active On Call Types", "Monitor Call"},
    {"CheckBoxActiveOnHelpRequired", "Device/Active When Help Required", "Relay Active On Call Types",
     "Help Required"},
    {"CheckBoxActiveOnPresence", "Device/Active In Presence", "Relay Active On Call Types", "Presence"},
    {"CheckBoxOnEmergency", "Device/Active In Emergency", "Relay Active On Call Types", "Emergency"},
    {"CheckBoxActiveInAttack", "Device/Active In Attack", "Relay Active On Call Types", "Attack"},
    {"EditRelayAddress", "Device/Node Address", "General", "Device Address"},
    {"EditRelayFactoryData", "Device/Factory String", "General", "Factory Data"},
    {"EditRelayVersion", "Device/Version", "General", "Firmware Version"},
    {"EditRelayZone", "Device/Zone/Group Address", "Zone", "Zone", Zone},
};

constexpr tPageCaption zoneIndicatorPage[] = {
    {"ComboBoxPresenceNightVol", "Device/Zonal Data/Item(0)/Night Volume", "Presence", "Night Vol"},
    {"ComboBoxPresenceDayVol", "Device/Zonal Data/Item(0)/Day Volume", "Presence", "Day Vol"},
    {"ComboBoxPresenceToneType", "Device/Zonal Data/Item(0)/Tone", "Presence", "Tone Type"},
    {"ComboBoxCallNightVol", "Device/Zonal Data/Item(1)/Night Volume", "Call", "Night Vol"},
    {"ComboBoxCallDayVol", "Device/Zonal Data/Item(1)/Day Volume", "Call", "Day Vol"},
    {"ComboBoxCallToneType", "Device/Zonal Data/Item(1)/Tone", "Call", "Tone Type"},
    {"ComboBoxMonitorCallNightVol", "Device/Zonal Data/Item(2)/Night Volume", "Monitor Point Call",
     "Night Vol"},
    {"ComboBoxMonitorCallDayVol", "Device/Zonal Data/Item(2)/Day Volume", "Monitor Point Call", "Day Vol"},
    {"ComboBoxMonitorCallToneType", "Device/Zonal Data/Item(2)/Tone", "Monitor Point Call", "Tone Type"},
    {"ComboBoxHelpRqdNightVol", "Device/Zonal Data/Item(3)/Night Volume", "Help Required", "Night Vol"},
    {"ComboBoxHelpRequiredDayVol", "Device/Zonal Data/Item(3)/Day Volume", "Help Required", "Day Vol"},
    {"ComboBoxHelpRequiredToneType", "Device/Zonal Data/Item(3)/Tone", "Help Required", "Tone Type"},
    {"ComboBoxEmergencyNightVol", "Device/Zonal Data/Item(5)/Night Volume", "Emergency", "Night Vol"},
    {"ComboBoxEmergencyDayVol", "Device/Zonal Data/Item(5)/Day Volume", "Emergency", "Day Vol"},
    {"ComboBoxEmergencyToneType", "Device/Zonal Data/Item(5)/Tone", "Emergency", "Tone Type"},
    {"ComboBoxAttacklNightVol", "Device/Zonal Data/Item(4)/Night Volume", "Attack", "Night Vol"},
    {"ComboBoxAttackDayVol", "Device/Zonal Data/Item(4)/Day Volume", "Attack", "Day Vol"},
    {"ComboBoxAttackToneType", "Device/Zonal Data/Item(4)/Tone", "Attack", "Tone Type"},
    {"CheckBoxZonalHTM2015Enabled", "Device/HTM2015 Enabled", "HTM08-03 Mode", "HTM08-03 Enabled"},
    {"RadioGroupZonalHTM2015Tone", "Device/HTM2015 Tone", "", "HTM08-03 Tone"},
    {"EditZoneAddress", "Device/Node Address", "General", "Device Address"},
    {"EditZoneFactoryData", "Device/Factory String", "General", "Factory Data"},
    {"EditZonalIndicatorVersion", "Device/Version", "General", "Firmware Version"},
    {"EditZoneIndicatorZone", "Device/Zone/Group Address", "Zone", "Zone", Zone},
};

constexpr tPageCaption zx250Page[] = {
    {"ComboBox250TailCall", "Device/User Data/Tail Call Type", "Call Types", "Tail Call"},
    {"ComboBox250EnsuiteInputCall", "Device/User Data/Ensuite Call Type", "Call Types", "Ensuite Input Call"},
    {"ComboBox250SlaveInput", "Device/User Data/Slave Call Type", "Call Types", "Slave Input Call"},
    {"ComboBoxButtonCallType", "Device/User Data/Button Call Type", "Call Types", "Call Button"},
    {"CheckBox250IREnabled", "Device/User Data/IR Input Enabled", "Infra Red", "Infra Red Enabled"},
    {"CheckBox250IRPresenceReset", "Device/User Data/IR Presence Reset", "Infra Red",
     "Infra Red Presence - Reset Toggle"},
    {"CheckBox250Reset", "Device/User Data/Reset Mode", "Reset", "Reset Directly (not via Presence)"},
    {"CheckBox250SounderEnabled", "Device/User Data/Beeper Enabled", "Sound", "Sounder Enabled"},
    {"CheckBox250HTM2015Enabled", "Device/User Data/HTM2015 Mode", "HTM08-03", "HTM08-03 Enabled"},
    {"Edit250DeviceAddress", "Device/Node Address", "General", "Device Address"},
    {"Edit250FactoryData", "Device/Factory String", "General", "Factory Data"},
    {"EditZX250Version", "Device/Version", "General", "Firmware Version"},
    {"EditZX250Area", "Device/Zone/Group Address", "General", "Area", Area},
};

// A node address of 1 stands for a device not yet given an address.
constexpr int unassignedNode = 1;

bool unassigned(tZCfgFile& document) {
    tPelBaseProperty* node = ResolvePath(&document, QStringLiteral("Device/Node Address"));
    int value = 0;
    return node && TryStrToInt(node->Value(), value) && value == unassignedNode;
}

// Area 1 is "A": the letters start right after code 64. A value that is no area is shown as it is.
QString areaText(tZCfgFile& document, tPelBaseProperty* address) {
    if (unassigned(document)) return QStringLiteral("Unassigned");
    auto* integer = dynamic_cast<tPelIntegerProperty*>(address);
    int area = 0;
    if (!integer || !TryStrToInt(address->Value(), area) || area < integer->Min() || area > integer->Max())
        return address->Value();
    return QString(QChar(char16_t(64 + area)));
}

QString zoneText(tZCfgFile& document, tPelBaseProperty* address) {
    if (unassigned(document)) return QStringLiteral("Unassigned");
    int zone = 0;
    return TryStrToInt(address->Value(), zone) ? QString::number(zone) : address->Value();
}

QString flagsText(tPelBaseProperty* node) {
    auto* flags = dynamic_cast<tPelEnumSetProperty*>(node);
    if (!flags) return node->Value();
    int mask = 0;
    const tEnumTypeInfo& type = flags->TypeInfo();
    for (int ordinal = type.MinOrdinal(); ordinal <= type.MaxOrdinal(); ++ordinal)
        if (flags->IsFlagSet(ordinal)) mask |= 1 << ordinal;
    return QStringLiteral("%1").arg(mask, 3, 16, QLatin1Char('0')).toUpper();
}

} // namespace

std::span<const tPageCaption> PageCaptions(int type) {
    switch (type) {
    case dt_Staff_Transmitter:
        return staffPage;
    case dt_Pendant_Transmitter:
        return pendantPage;
    case dt_MPD_Call_Point:
        return callPointPage;
    case dt_MPD_Monitor_Point:
        return monitorPointPage;
    case dt_MPDDayNightSwitch:
        return dayNightSwitchPage;
    case dt_Relay_Output:
        return relayPage;
    case dt_Zone_Indicator:
        return zoneIndicatorPage;
    case dt_ZX250_Call_Point:
        return zx250Page;
    default:
        return {};
    }
}

QString ShownValueText(tZCfgFile& document, const tPageCaption& row) {
    tPelBaseProperty* node = ResolvePath(&document, QLatin1String(row.Path));
    if (!node) return QString();
    switch (row.ShownAs) {
    case Area:
        return areaText(document, node);
    case Zone:
        return zoneText(document, node);
    case Flags:
        return flagsText(node);
    case Value:
        break;
    }
    if (auto* flag = dynamic_cast<tPelBooleanProperty*>(node))
        return flag->AsBoolean() ? QStringLiteral("Yes") : QStringLiteral("No");
    return ShownText(node);
}

QList<tShownValue> ShownValues(tZCfgFile& document) {
    QList<tShownValue> values;
    for (const tPageCaption& row : PageCaptions(document.GetDeviceType()))
        if (ResolvePath(&document, QLatin1String(row.Path)))
            values.append({QString::fromUtf8(row.Group), QString::fromUtf8(row.Caption),
                           ShownValueText(document, row), QString::fromUtf8(row.Path)});
    return values;
}

QString tValueName::Text() const {
    return Group.isEmpty() ? Caption : Group + QStringLiteral(": ") + Caption;
}

tValueName ValueName(tZCfgFile& document, const QString& path) {
    for (const tPageCaption& row : PageCaptions(document.GetDeviceType()))
        if (path.compare(QLatin1String(row.Path), Qt::CaseInsensitive) == 0)
            return {QString::fromUtf8(row.Group), QString::fromUtf8(row.Caption)};
    tPelBaseProperty* node = ResolvePath(&document, path);
    if (!node) return {};
    tPelBaseProperty* owner = node->Owner();
    const bool topLevel = !owner || owner == &document || owner == document.Device();
    return {topLevel ? QString() : PathSegment(owner), PathSegment(node)};
}

QString ValueCaption(int type, const QString& path) {
    for (const tPageCaption& row : PageCaptions(type)) {
        if (path.compare(QLatin1String(row.Path), Qt::CaseInsensitive) != 0) continue;
        const QString caption = QString::fromUtf8(row.Caption);
        return *row.Group ? QString::fromUtf8(row.Group) + QStringLiteral(": ") + caption : caption;
    }
    return QString();
}

QStringList CaptionedDifferenceLines(const QList<tValueDifference>& differences, int type) {
    QStringList lines;
    for (const tValueDifference& difference : differences) {
        QString caption = ValueCaption(type, difference.Path);
        if (caption.isEmpty()) caption = difference.Path.section(QLatin1Char('/'), -1);
        lines << QStringLiteral("%1: %2 -> %3").arg(caption, difference.Ours, difference.Theirs);
    }
    return lines;
}
