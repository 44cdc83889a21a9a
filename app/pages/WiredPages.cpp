#include "app/pages/WiredPages.h"

#include "device/UnitZCfgFile.h"

void TCallPointPage::Bind(tZCfgFile& document) {
    bindings.Release();
    tMPD* device = document.AsMPD();
    device_ = device;
    tMPDUserData* userData = device->UserData();
    bindings.CheckBox(userData->TailCallEnabled(), ui.CheckBoxTailCallEnable);
    bindings.List(userData->EnsuiteInputCallType(), ui.RadioGroupEnSuiteCallType);
    bindings.CheckBox(userData->ResetMode(), ui.CheckBoxResetDirectly);
    bindings.CheckBox(userData->HelpRequired(), ui.CheckBoxHelpRequiredEnable);
    bindings.List(userData->SpecialInputSwitchType(), ui.RadioGroupSpecialInputSwitchType);
    bindings.CheckBox(userData->HTM2015Enable(), ui.CheckBoxHTM2015Enable);
    bindings.List(userData->CallSwitchContactType(), ui.RadioGroupCallSwitchContactType);
    bindings.List(userData->ResetSwitchContactType(), ui.RadioGroupResetContacts);
    bindings.List(userData->SpecialSwitchContactType(), ui.RadioGroupSpecialContacts);
    bindings.List(userData->SpecialInputCallType(), ui.RadioGroupSpecialCallType);
    BindGeneral(bindings, device,
                {ui.EditCallPointDeviceAddress, ui.EditMPDCallPointFactoryData, ui.EditMPDCallPointVersion},
                [this] { UpdateMPDCallPointArea(); });
}

void TCallPointPage::UpdateMPDCallPointArea() {
    if (device_) ui.EditMPDCallPointArea->setText(AreaText(device_));
}

void TMonitorPointPage::Bind(tZCfgFile& document) {
    bindings.Release();
    tMPD* device = document.AsMPD();
    tMPDUserData* userData = device->UserData();
    bindings.List(userData->MonitorCallPointType(), ui.RadioGroupMPD_MPCallType);
    bindings.CheckBox(userData->MonitorPointResetEnable(), ui.CheckBoxMPD_MDResetEnabled);
    bindings.List(userData->CallSwitchContactType(), ui.RadioGroupMPD_MDCallContacts);
    bindings.List(userData->ResetSwitchContactType(), ui.RadioGroupMPD_MPResetContacts);
    bindings.List(userData->SpecialSwitchContactType(), ui.RadioGroupIsolationContacts);
    bindings.CheckBox(userData->HTM2015Enable(), ui.CheckBoxMPD_MPHTM2015Enable);
    BindGeneral(bindings, device,
                {ui.EditMonitorPointAddress, ui.EditMonitorPointFactoryData, ui.EditMPDMonitorPointVersion});
}

void TDayNightSwitchPage::Bind(tZCfgFile& document) {
    bindings.Release();
    tMPD* device = document.AsMPD();
    tMPDUserData* userData = device->UserData();
    bindings.List(userData->DayNightSwitchLEDLit(), ui.RadioGroupLEDOperation);
    bindings.List(userData->SpecialDayNightSwitchContactType(), ui.RadioGroupSwitchClosedOperation);
    BindGeneral(bindings, device,
                {ui.EditNightSwitchAddress, ui.EditNightSwitchFactoryData, ui.EditDayNightSwitchVersion});
}

void TRelayOutputPage::Bind(tZCfgFile& document) {
    bindings.Release();
    tRelayOutput* device = document.AsRelayOutput();
    device_ = device;
    TPelCheckBox* const boxes[tRelayOutput::ConditionCount] = {
        ui.CheckBoxRelayActiveOnCall, ui.CheckBoxActiveOnMonitorCall, ui.CheckBoxActiveOnHelpRequired,
        ui.CheckBoxActiveOnPresence,  ui.CheckBoxOnEmergency,         ui.CheckBoxActiveInAttack};
    for (int bit = 0; bit < tRelayOutput::ConditionCount; ++bit)
        bindings.CheckBox(device->Condition(bit), boxes[bit]);
    BindGeneral(bindings, device, {ui.EditRelayAddress, ui.EditRelayFactoryData, ui.EditRelayVersion},
                [this] { UpdateRelayZone(); });
}

void TRelayOutputPage::UpdateRelayZone() {
    if (device_) ui.EditRelayZone->setText(ZoneText(device_));
}

void TZX250Page::Bind(tZCfgFile& document) {
    bindings.Release();
    tCallPoint250* device = document.AsCallPoint250();
    device_ = device;
    tCallPoint250UserData* userData = device->UserData();
    bindings.List(userData->TailCallType(), ui.ComboBox250TailCall);
    bindings.List(userData->EnsuiteCallType(), ui.ComboBox250EnsuiteInputCall);
    bindings.List(userData->SlaveCallType(), ui.ComboBox250SlaveInput);
    bindings.List(userData->ButtonCallType(), ui.ComboBoxButtonCallType);
    bindings.CheckBox(userData->IRInputEnabled(), ui.CheckBox250IREnabled);
    bindings.CheckBox(userData->IRPresenceReset(), ui.CheckBox250IRPresenceReset);
    bindings.CheckBox(userData->ResetMode(), ui.CheckBox250Reset);
    bindings.CheckBox(userData->BeeperEnabled(), ui.CheckBox250SounderEnabled);
    bindings.CheckBox(userData->HTM2015Mode(), ui.CheckBox250HTM2015Enabled);
    BindGeneral(bindings, device, {ui.Edit250DeviceAddress, ui.Edit250FactoryData, ui.EditZX250Version},
                [this] { UpdateZX250Area(); });
}

void TZX250Page::UpdateZX250Area() {
    if (device_) ui.EditZX250Area->setText(AreaText(device_));
}
