#pragma once
// The pages of the wired devices: the three MPD modes, the relay output and the ZX250 call point.

#include "app/pages/UiPage.h"
#include "ui_CallPointPage.h"
#include "ui_DayNightSwitchPage.h"
#include "ui_MonitorPointPage.h"
#include "ui_RelayOutputPage.h"
#include "ui_ZX250Page.h"

class TCallPointPage : public tUiPage<Ui::CallPointPage> {
public:
    using tUiPage::tUiPage;
    void Bind(tZCfgFile& document) override;
    void UpdateMPDCallPointArea();

private:
    tOtherDevice* device_ = nullptr;
};

class TMonitorPointPage : public tUiPage<Ui::MonitorPointPage> {
public:
    using tUiPage::tUiPage;
    void Bind(tZCfgFile& document) override;
};

class TDayNightSwitchPage : public tUiPage<Ui::DayNightSwitchPage> {
public:
    using tUiPage::tUiPage;
    void Bind(tZCfgFile& document) override;
};

class TRelayOutputPage : public tUiPage<Ui::RelayOutputPage> {
public:
    using tUiPage::tUiPage;
    void Bind(tZCfgFile& document) override;
    void UpdateRelayZone();

private:
    tOtherDevice* device_ = nullptr;
};

class TZX250Page : public tUiPage<Ui::ZX250Page> {
public:
    using tUiPage::tUiPage;
    void Bind(tZCfgFile& document) override;
    void UpdateZX250Area();

private:
    tOtherDevice* device_ = nullptr;
};
