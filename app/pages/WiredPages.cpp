#include "app/pages/WiredPages.h"

#include "device/UnitZCfgFile.h"

void TCallPointPage::Bind(tZCfgFile& document) {
    bindings.Release();
    tMPD* device = document.AsMPD();
    device_ = device;
    tMPDUserData* data = device->UserData();
    bindings.CheckBox(data->TailCallEnabled(), ui.CheckBoxTailCallEnable);
    bindings.List(data->EnsuiteInputCallType(), ui.RadioGroupEnSuiteCallType);
    bindings.CheckBox(data->ResetMode(), ui.CheckBoxResetDirectly);
    bindings.CheckBox(data->HelpRequired(), ui.CheckBoxHelpRequiredEnable);
    bindings.List(data->SpecialInputSwitchType(), ui.RadioGroupSpecialInputSwitchType);
    bindings.CheckBox(data->HTM2015Enable(), ui.CheckBoxHTM2015Enable);
    bindings.List(data->CallSwitchContactType(), ui.RadioGroupCallSwitchContactType);
    bindings.List(data->ResetSwitchContactType(), ui.RadioGroupResetContacts);
    bindings.List(data->SpecialSwitchContactType(), ui.RadioGroupSpecialContacts);
    bindings.List(data->SpecialInputCallType(), ui.RadioGroupSpecialCallType);
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
    tMPDUserData* data = device->UserData();
    bindings.List(data->MonitorCallPointType(), ui.RadioGroupMPD_MPCallType);
    bindings.CheckBox(data->MonitorPointResetEnable(), ui.CheckBoxMPD_MDResetEnabled);
    bindings.List(data->CallSwitchContactType(), ui.RadioGroupMPD_MDCallContacts);
    bindings.List(data->ResetSwitchContactType(), ui.RadioGroupMPD_MPResetContacts);
    bindings.List(data->SpecialSwitchContactType(), ui.RadioGroupIsolationContacts);
    bindings.CheckBox(data->HTM2015Enable(), ui.CheckBoxMPD_MPHTM2015Enable);
    BindGeneral(bindings, device,
                {ui.EditMonitorPointAddress, ui.EditMonitorPointFactoryData, ui.EditMPDMonitorPointVersion});
}

void TDayNightSwitchPage::Bind(tZCfgFile& document) {
    bindings.Release();
    tMPD* device = document.AsMPD();
    tMPDUserData* data = device->UserData();
    bindings.List(data->DayNightSwitchLEDLit(), ui.RadioGroupLEDOperation);
    bindings.List(data->SpecialDayNightSwitchContactType(), ui.RadioGroupSwitchClosedOperation);
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
    tCallPoint250UserData* data = device->UserData();
    bindings.List(data->TailCallType(), ui.ComboBox250TailCall);
    bindings.List(data->EnsuiteCallType(), ui.ComboBox250EnsuiteInputCall);
    bindings.List(data->SlaveCallType(), ui.ComboBox250SlaveInput);
    bindings.List(data->ButtonCallType(), ui.ComboBoxButtonCallType);
    bindings.CheckBox(data->IRInputEnabled(), ui.CheckBox250IREnabled);
    bindings.CheckBox(data->IRPresenceReset(), ui.CheckBox250IRPresenceReset);
    bindings.CheckBox(data->ResetMode(), ui.CheckBox250Reset);
    bindings.CheckBox(data->BeeperEnabled(), ui.CheckBox250SounderEnabled);
    bindings.CheckBox(data->HTM2015Mode(), ui.CheckBox250HTM2015Enabled);
    BindGeneral(bindings, device, {ui.Edit250DeviceAddress, ui.Edit250FactoryData, ui.EditZX250Version},
                [this] { UpdateZX250Area(); });
}

void TZX250Page::UpdateZX250Area() {
    if (device_) ui.EditZX250Area->setText(AreaText(device_));
}
