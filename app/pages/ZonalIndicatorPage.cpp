#include "app/pages/ZonalIndicatorPage.h"

#include "device/UnitZCfgFile.h"

TZonalIndicatorPage::TZonalIndicatorPage(QWidget* parent) : tUiPage(parent) {
    // Emergency shows row 5 and attack row 4 of the zonal data.
    kinds_ = {{
        {0, ui.ComboBoxPresenceNightVol, ui.ComboBoxPresenceDayVol, ui.ComboBoxPresenceToneType,
         ui.EditHTM2015Presence, ui.SpeedButtonPlayPresence},
        {1, ui.ComboBoxCallNightVol, ui.ComboBoxCallDayVol, ui.ComboBoxCallToneType, ui.EditHTM2015Call,
         ui.SpeedButtonZonalCallTestPlay},
        {2, ui.ComboBoxMonitorCallNightVol, ui.ComboBoxMonitorCallDayVol, ui.ComboBoxMonitorCallToneType,
         ui.EditHTM2015Monitor, ui.SpeedButtonMPCallTestPlay},
        {3, ui.ComboBoxHelpRqdNightVol, ui.ComboBoxHelpRequiredDayVol, ui.ComboBoxHelpRequiredToneType,
         ui.EditHTM2015HelpRqd, ui.SpeedButtonHelpRqdTestPlay},
        {5, ui.ComboBoxEmergencyNightVol, ui.ComboBoxEmergencyDayVol, ui.ComboBoxEmergencyToneType,
         ui.EditHTM2015Emergency, ui.SpeedButtonEmergencyTestPlay},
        {4, ui.ComboBoxAttacklNightVol, ui.ComboBoxAttackDayVol, ui.ComboBoxAttackToneType,
         ui.EditHTM2015Attack, ui.SpeedButtonAttackTestPlay},
    }};
}

void TZonalIndicatorPage::Bind(tZCfgFile& document) {
    bindings.Release();
    tZonalIndicator* device = document.AsZonalIndicator();
    device_ = device;
    device->SetOnHTM2015Changed([this](bool enabled) { ZonalHTMModeChanged(enabled); });
    bindings.OnRelease(device, [device] { device->SetOnHTM2015Changed(nullptr); });
    bindings.CheckBox(device->HTM2015Enabled(), ui.CheckBoxZonalHTM2015Enabled);
    bindings.List(device->HTM2015Tone(), ui.RadioGroupZonalHTM2015Tone);
    bindings.Hook(device->ZoneGroupAddress(), [this] { UpdateZoneIndicatorZone(); });
    bindings.Hook(device->NodeAddress(), [this] { UpdateZoneIndicatorZone(); });
    bindings.Node(device->NodeAddress(), ui.EditZoneAddress);
    bindings.Edit(device->FactoryString(), ui.EditZoneFactoryData);
    bindings.Edit(device->Version(), ui.EditZonalIndicatorVersion);
    // Rows 0 to 3 first, then emergency (row 5) and attack (row 4): the kinds' order.
    for (const tCallKind& kind : kinds_) {
        tZonalModeData* rowData = device->ModeData(kind.row);
        bindings.List(rowData->NightVolume(), kind.night);
        bindings.List(rowData->DayVolume(), kind.day);
        bindings.List(rowData->Tone(), kind.tone);
    }
}

void TZonalIndicatorPage::ZonalHTMModeChanged(bool enabled) {
    ui.SpeedButtonPlayPresence->setEnabled(!enabled);
    if (SetTonePlayingOff) SetTonePlayingOff();
    for (const tCallKind& kind : kinds_) {
        // Both sit in the same cell of the group's layout, so the fixed text takes the tone list's place.
        kind.htmText->setGeometry(kind.tone->geometry());
        kind.htmText->setVisible(enabled);
        kind.tone->setVisible(!enabled);
    }
}

void TZonalIndicatorPage::UpdateZoneIndicatorZone() {
    if (device_) ui.EditZoneIndicatorZone->setText(ZoneText(device_));
}
