#pragma once
// The staff and pendant transmitter pages. Both show the factory values in their "Device Information"
// boxes, bind the factory part of the "Factory Config" page (with the hardware-revision mask of their
// kind) and rebuild its configuration summary.

#include "app/pages/UiPage.h"
#include "ui_PendantPage.h"
#include "ui_StaffPage.h"

class TStaffPage : public tUiPage<Ui::StaffPage> {
public:
    using tUiPage::tUiPage;
    void Bind(tZCfgFile& document) override;
};

class TPendantPage : public tUiPage<Ui::PendantPage> {
public:
    explicit TPendantPage(QWidget* parent);
    void Bind(tZCfgFile& document) override;
};
