#include "app/pages/FactoryPages.h"

#include "device/UnitZCfgFile.h"
#include "property/controls/ControlSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSpinBox>

namespace {
constexpr int SummaryColumns = 2;
constexpr int SummaryColumnWidth = 216;
constexpr int SummaryRowHeight = 16;
constexpr int SpecialFlagsItemHeight = 30;

struct tSummaryRow {
    const char* label;
    const char* control;
};

// Rows 1 onwards of the summary, each read from the transmitter page's control as it is shown.
constexpr tSummaryRow StaffSummary[] = {
    {"Protocol", "ComboBoxTransmissionProtocol"},       {"Pull Snap Mode", "ComboBoxPullSnap"},
    {"Transmit Duration", "ComboBoxTransmitDuration"},  {"Pull Snap Beeper", "CheckBoxPullSnapBeeperEnable"},
    {"Pull Snap RF", "CheckBoxPullSnapRFEnable"},       {"Button A Mode", "ComboBoxPushButtonA"},
    {"Button A Beeper", "CheckBoxButtonABeeperEnable"}, {"Button A RF", "CheckBoxButtonARFEnable"},
    {"Button B Mode", "ComboBoxPushButtonB"},           {"Button B Beeper", "CheckBoxButtonBBeeperEnable"},
    {"Button B RF", "CheckBoxButtonBRFEnable"},         {"Coincidence on A and B", "CheckBoxABCoincidence"},
    {"Transmitter ID Code", "PelSpinEditIDCode"},       {"Radio Group Address", "PelSpinEditGroupAddress"},
};
constexpr tSummaryRow PendantSummary[] = {
    {"Button Mode", "ComboBoxPendantPushButtonA"},
    {"Button RF", "CheckBoxPendantRFEnabled"},
    {"Transmitter ID Code", "PelSpinEditPendantIDCode"},
    {"Radio Group Address", "PelSpinEditPendantGroupAddress"},
};

QString shownValue(const QWidget* control) {
    if (auto* combo = qobject_cast<const QComboBox*>(control)) return combo->currentText();
    if (auto* box = qobject_cast<const QCheckBox*>(control))
        return box->isChecked() ? QStringLiteral("Enabled") : QStringLiteral("Disabled");
    if (auto* spin = qobject_cast<const QSpinBox*>(control)) return spin->text();
    return QString();
}
} // namespace

TFactoryConfigPage::TFactoryConfigPage(QWidget* parent) : tUiPage(parent) {
    ui.MaskEditDate->SetEditMask(QStringLiteral("00/00/00"));
    ui.MaskEditWorksOrder->SetEditMask(QStringLiteral("000000"));
    ui.EditFactoryFirmwareRevision->SetParentColour(true);
    ui.PelSpinEditChargeCycles->SetMinValue(0);
    ui.PelSpinEditChargeCycles->SetMaxValue(999);
    ui.CheckListBoxSpecialFlags->SetOwnerDrawFixed();
    ui.CheckListBoxSpecialFlags->SetItemHeight(SpecialFlagsItemHeight);
    ApplyParentColour(ui.CheckListBoxSpecialFlags, true);
    // Room for the three flags and no more.
    ui.CheckListBoxSpecialFlags->setMaximumHeight(3 * SpecialFlagsItemHeight +
                                                  2 * ui.CheckListBoxSpecialFlags->frameWidth());
    ui.EditResult->SetParentColour(true);

    TPelcorStringGrid* grid = ui.PelcorStringGridConfigSummary;
    grid->SetColCount(SummaryColumns);
    grid->SetDefaultColWidth(SummaryColumnWidth);
    grid->SetDefaultRowHeight(SummaryRowHeight);
    grid->SetFixedRows(1);
    ApplyParentColour(grid, true);
    // Exactly as tall as the rows shown: the summary changes between 15 and 5 rows.
    grid->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    // The page's own handlers; a binding keeps them and calls them after its own work.
    ui.MaskEditHardwareRevision->SetOnChange([this](tObject*) { MaskEditHardwareRevisionChange(); });
    ui.MaskEditWorksOrder->SetOnChange([this](tObject*) { MaskEditWorksOrderChange(); });
    ui.EditFactoryFirmwareRevision->SetOnChange([this](tObject*) { EditFactoryFirmwareRevisionChange(); });
}

TFactoryConfigPage* TFactoryConfigPage::Find(const QWidget* page) {
    return dynamic_cast<TFactoryConfigPage*>(SiblingPage(page, QStringLiteral("PageIRFactoryConfig")));
}

void TFactoryConfigPage::Bind(tZCfgFile& document) {
    const int type = document.GetDeviceType();
    if (type == dt_Staff_Transmitter || type == dt_Pendant_Transmitter)
        BindFactoryPart(
            document.AsIRRFDevice(),
            QString::fromLatin1(type == dt_Staff_Transmitter ? StaffHardwareMask : PendantHardwareMask));
    UpdateConfigSummary(type);
}

void TFactoryConfigPage::BindFactoryPart(tIRRFDevice* device, const QString& hardwareMask) {
    bindings.Release();
    tIRRFFactoryRecord* record = device->FactoryRecord();
    bindings.SpinEdit(record->CC(), ui.PelSpinEditChargeCycles);
    bindings.Edit(record->Date(), ui.MaskEditDate);
    bindings.Edit(record->HW(), ui.MaskEditHardwareRevision);
    ui.MaskEditHardwareRevision->SetEditMask(hardwareMask);
    bindings.Edit(record->WO(), ui.MaskEditWorksOrder);
    bindings.Edit(record->SW(), ui.EditFactoryFirmwareRevision);
    bindings.FlagSet(record->SF(), ui.CheckListBoxSpecialFlags);
    device->SetOnSpecialFlagsChanged([this](tSpecialFlags* flags) { ShowSpecialFlags(flags); });
    bindings.OnRelease(device, [device] { device->SetOnSpecialFlagsChanged(nullptr); });
    ShowSpecialFlags(record->SF());
}

void TFactoryConfigPage::UpdateConfigSummary(int type) {
    summaryDeviceType_ = type;
    TPelcorStringGrid* grid = ui.PelcorStringGridConfigSummary;
    grid->SetCell(0, 0, QStringLiteral("Property"));
    grid->SetCell(1, 0, QStringLiteral("Value"));
    auto fill = [&](const auto& rows) {
        int row = 1;
        for (const tSummaryRow& entry : rows) {
            grid->SetCell(0, row, QString::fromLatin1(entry.label));
            grid->SetCell(1, row,
                          shownValue(WindowControl<QWidget>(this, QString::fromLatin1(entry.control))));
            ++row;
        }
        return row;
    };
    int rowCount = 1;
    if (type == dt_Staff_Transmitter)
        rowCount = fill(StaffSummary);
    else if (type == dt_Pendant_Transmitter)
        rowCount = fill(PendantSummary);
    grid->SetRowCount(rowCount);
}

void TFactoryConfigPage::ShowSpecialFlags(tPelEnumSetProperty* flags) {
    int mask = 0;
    const tEnumTypeInfo& type = flags->TypeInfo();
    for (int ordinal = type.MinOrdinal(); ordinal <= type.MaxOrdinal(); ++ordinal)
        if (flags->IsFlagSet(ordinal)) mask |= 1 << ordinal;
    const QString text = QStringLiteral("%1").arg(mask, 3, 16, QLatin1Char('0')).toUpper();
    copyInto(text, {"EditPendantSFFlags", "EditStaffTransmitterSFFlags"});
}

void TFactoryConfigPage::copyInto(const QString& text, std::initializer_list<const char*> boxes) const {
    for (const char* name : boxes)
        if (auto* box = WindowControl<QLineEdit>(this, QString::fromLatin1(name))) box->setText(text);
}

void TFactoryConfigPage::MaskEditHardwareRevisionChange() {
    try {
        copyInto(ui.MaskEditHardwareRevision->text(), {"EditIRRFPendantHardwareRev", "EditHardwareRevRead"});
    } catch (...) {
        // A revision that cannot be shown leaves the mirrors as they were.
    }
}

void TFactoryConfigPage::MaskEditWorksOrderChange() {
    copyInto(ui.MaskEditWorksOrder->text(), {"EditWorksOrderRead", "EditIRRFPendantWorksOrder"});
}

void TFactoryConfigPage::EditFactoryFirmwareRevisionChange() {
    copyInto(ui.EditFactoryFirmwareRevision->text(), {"EditIRRFPendantFirmwareRev", "EditFirmwareRevRead"});
}
