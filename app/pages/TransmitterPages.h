#pragma once
// The staff and pendant transmitter pages. Both bind the factory part of the "Factory Config" page
// (with the hardware-revision mask of their kind) and rebuild its configuration summary.

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
