#pragma once
// The zone indicator/sounder page: the HTM08-03 mode, the sound of each kind of call and the zone.

#include "app/pages/UiPage.h"
#include "ui_ZonalIndicatorPage.h"

#include <array>
#include <functional>

class tZonalIndicator;

class TZonalIndicatorPage : public tUiPage<Ui::ZonalIndicatorPage> {
public:
    // The controls of one kind of call and the row of "Zonal Data" it shows.
    struct tCallKind {
        int row;
        TPelComboBox* night;
        TPelComboBox* day;
        TPelComboBox* tone;
        TPelEdit* htmText; // shown in the tone's place in HTM08-03 mode
        QToolButton* testPlay;
    };

    explicit TZonalIndicatorPage(QWidget* parent);
    void Bind(tZCfgFile& document) override;

    void ZonalHTMModeChanged(bool enabled);
    void UpdateZoneIndicatorZone();
    // The kinds in the order presence, call, monitor point call, help required, emergency, attack.
    const std::array<tCallKind, 6>& CallKinds() const { return kinds_; }

    // Stops a running tone test; the tone test sets it.
    std::function<void()> SetTonePlayingOff;

private:
    std::array<tCallKind, 6> kinds_;
    tZonalIndicator* device_ = nullptr;
};
