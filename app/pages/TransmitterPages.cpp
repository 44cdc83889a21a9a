#include "app/pages/TransmitterPages.h"

#include "app/pages/FactoryPages.h"
#include "device/UnitZCfgFile.h"
#include "property/controls/ControlSupport.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <cmath>

namespace {
// The "Device Information" boxes of the staff and the pendant page: hardware revision, firmware
// revision, works order and device revision.
constexpr const char* InformationBoxes[][4] = {
    {"EditHardwareRevRead", "EditFirmwareRevRead", "EditWorksOrderRead", "EditStaffTransmitterSFFlags"},
    {"EditIRRFPendantHardwareRev", "EditIRRFPendantFirmwareRev", "EditIRRFPendantWorksOrder",
     "EditPendantSFFlags"},
};

// The special flags as their bit mask, at least three upper-case hexadecimal digits ("007").
QString specialFlagsText(const tPelEnumSetProperty* flags) {
    int mask = 0;
    const tEnumTypeInfo& type = flags->TypeInfo();
    for (int ordinal = type.MinOrdinal(); ordinal <= type.MaxOrdinal(); ++ordinal)
        if (flags->IsFlagSet(ordinal)) mask |= 1 << ordinal;
    return QStringLiteral("%1").arg(mask, 3, 16, QLatin1Char('0')).toUpper();
}

// The factory values the document holds, in the boxes of both transmitter pages (a page not made yet
// shows them when it is bound). Read from the document, they show whether or not the Factory Config
// page exists.
void showDeviceInformation(const QWidget* page, const tIRRFFactoryRecord* record) {
    const QString texts[] = {record->HW()->Value(), record->SW()->Value(), record->WO()->Value(),
                             specialFlagsText(record->SF())};
    for (const auto& boxes : InformationBoxes)
        for (std::size_t i = 0; i < std::size(texts); ++i)
            if (auto* box = WindowControl<QLineEdit>(page, QString::fromLatin1(boxes[i])))
                box->setText(texts[i]);
}

// What both transmitter pages bind besides their own controls: the device information, which follows
// every change of the device (a read, a file, undo), and the factory part and summary on the
// "Factory Config" page of the same window.
void bindFactoryRecord(tPageBindings& bindings, const QWidget* page, tIRRFDevice* device, const char* mask,
                       int type) {
    tIRRFFactoryRecord* record = device->FactoryRecord();
    bindings.Hook(device, [page, record] { showDeviceInformation(page, record); });
    if (TFactoryConfigPage* factory = TFactoryConfigPage::Find(page)) {
        factory->BindFactoryPart(device, QString::fromLatin1(mask));
        factory->UpdateConfigSummary(type);
    }
}
} // namespace

void TStaffPage::Bind(tZCfgFile& document) {
    bindings.Release();
    tIRRFDevice* device = document.AsIRRFDevice();
    tIRRFUserRecord* user = device->UserRecord();
    bindings.List(user->Protocol(), ui.ComboBoxTransmissionProtocol);
    // Button 3 is the pull snap, button 2 push button A, button 1 push button B.
    tIRRFButton* pullSnap = user->Button(3);
    bindings.List(pullSnap->ButtonType(), ui.ComboBoxPullSnap);
    bindings.CheckBox(pullSnap->BeeperSounds(), ui.CheckBoxPullSnapBeeperEnable);
    bindings.CheckBox(pullSnap->RFEnabled(), ui.CheckBoxPullSnapRFEnable);
    bindings.List(user->TransmitMode(), ui.ComboBoxTransmitDuration);
    tIRRFButton* buttonA = user->Button(2);
    bindings.List(buttonA->ButtonType(), ui.ComboBoxPushButtonA);
    bindings.CheckBox(buttonA->BeeperSounds(), ui.CheckBoxButtonABeeperEnable);
    bindings.CheckBox(buttonA->RFEnabled(), ui.CheckBoxButtonARFEnable);
    tIRRFButton* buttonB = user->Button(1);
    bindings.List(buttonB->ButtonType(), ui.ComboBoxPushButtonB);
    bindings.CheckBox(buttonB->BeeperSounds(), ui.CheckBoxButtonBBeeperEnable);
    bindings.CheckBox(buttonB->RFEnabled(), ui.CheckBoxButtonBRFEnable);
    bindings.Label(buttonB, ui.LabelPushButtonB);
    bindings.CheckBox(user->ButtonsSame(), ui.CheckBoxABCoincidence);
    bindings.SpinEdit(user->ID(), ui.PelSpinEditIDCode);
    bindings.SpinEdit(user->GroupAddress(), ui.PelSpinEditGroupAddress);
    bindFactoryRecord(bindings, this, device, TFactoryConfigPage::StaffHardwareMask, dt_Staff_Transmitter);
}

TPendantPage::TPendantPage(QWidget* parent) : tUiPage(parent) {
    // The instruction is part of the page, not a field; each of its lines is shown unbroken.
    ApplyParentColour(ui.MemoPendantNotes, true);
    QPlainTextEdit* notes = ui.MemoPendantNotes;
    int widest = 0;
    for (const QString& line : notes->toPlainText().split(QLatin1Char('\n')))
        widest = std::max(widest, notes->fontMetrics().horizontalAdvance(line));
    const int margins = 2 * (int(std::ceil(notes->document()->documentMargin())) + notes->frameWidth());
    notes->setMinimumWidth(widest + margins + notes->cursorWidth());
}

void TPendantPage::Bind(tZCfgFile& document) {
    bindings.Release();
    tIRRFDevice* device = document.AsIRRFDevice();
    tIRRFUserRecord* user = device->UserRecord();
    tIRRFButton* button = user->Button(2);
    bindings.List(button->ButtonType(), ui.ComboBoxPendantPushButtonA);
    bindings.CheckBox(button->RFEnabled(), ui.CheckBoxPendantRFEnabled);
    bindings.SpinEdit(user->ID(), ui.PelSpinEditPendantIDCode);
    bindings.SpinEdit(user->GroupAddress(), ui.PelSpinEditPendantGroupAddress);
    bindFactoryRecord(bindings, this, device, TFactoryConfigPage::PendantHardwareMask,
                      dt_Pendant_Transmitter);
}
