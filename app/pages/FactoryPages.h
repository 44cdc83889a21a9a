#pragma once
// The two factory pages of the transmitters: "Factory Config" (the factory record and the
// configuration summary) and "Configurator Programming".

#include "app/pages/UiPage.h"
#include "ui_ConfiguratorProgrammingPage.h"
#include "ui_FactoryConfigPage.h"

class tIRRFDevice;
class tIRRFFactoryRecord;

class TFactoryConfigPage : public tUiPage<Ui::FactoryConfigPage> {
public:
    static constexpr const char* StaffHardwareMask = "00T0;1";
    static constexpr const char* PendantHardwareMask = "00P0;1";

    explicit TFactoryConfigPage(QWidget* parent);

    // Binds the factory record of the document's transmitter (types 1 and 2) and rebuilds the summary.
    void Bind(tZCfgFile& document) override;
    void PageShown() override { UpdateConfigSummary(summaryDeviceType_); }

    // The factory part of a transmitter's binding; the mask is set after the value is in the box.
    void BindFactoryPart(tIRRFDevice* device, const QString& hardwareMask);
    void UpdateConfigSummary(int type);
    int SummaryDeviceType() const { return summaryDeviceType_; }

    // This page in the window of `page`, or nullptr.
    static TFactoryConfigPage* Find(const QWidget* page);

private:
    void fitHardwareMask(const tIRRFFactoryRecord* record);
    void userRecordChanged();

    int summaryDeviceType_ = 0;
    bool summaryDue_ = false; // a rebuild is queued
};

class TConfiguratorProgrammingPage : public tUiPage<Ui::ConfiguratorProgrammingPage> {
public:
    using tUiPage::tUiPage;
    // Nothing on this page shows a property.
    void Bind(tZCfgFile&) override {}
};
