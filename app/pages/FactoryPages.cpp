#include "app/pages/FactoryPages.h"

#include "device/UnitZCfgFile.h"
#include "property/controls/ControlSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSignalBlocker>
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
    bindings.Hook(record, [this, record] { fitHardwareMask(record); });
    bindings.Hook(device->UserRecord(), [this] { userRecordChanged(); });
}

// A revision set by the program (a read, a file, undo) is shown as it is: the box takes the mask of
// the kind the revision names before the revision reaches it, rather than turn a staff revision into
// a pendant one (a read decides the device type by that letter after the record is in). The mask
// changes quietly; the value that follows sets the box's text.
void TFactoryConfigPage::fitHardwareMask(const tIRRFFactoryRecord* record) {
    const QString& revision = record->HW()->Value();
    const QChar letter = revision.size() >= 3 ? revision.at(2) : QChar();
    const char* mask = letter == QLatin1Char('T')   ? StaffHardwareMask
                       : letter == QLatin1Char('P') ? PendantHardwareMask
                                                    : nullptr;
    TPelMaskEdit* box = ui.MaskEditHardwareRevision;
    if (!mask || box->EditMask() == QLatin1String(mask)) return;
    const QSignalBlocker quiet(box);
    box->SetEditMask(QString::fromLatin1(mask));
}

// A read done while this page is in front changes the device type first, which rebuilds the summary,
// and applies the user record after that; so does undoing one. The summary shows what the transmitter
// page's controls show, which they do once the change is complete: it is rebuilt after it.
void TFactoryConfigPage::userRecordChanged() {
    if (!isVisible() || std::exchange(summaryDue_, true)) return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            summaryDue_ = false;
            UpdateConfigSummary(summaryDeviceType_);
        },
        Qt::QueuedConnection);
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
