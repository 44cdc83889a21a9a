#include "app/pages/TransmitterPages.h"

#include "app/pages/FactoryPages.h"
#include "device/UnitZCfgFile.h"
#include "property/controls/ControlSupport.h"

#include <QPlainTextEdit>
#include <algorithm>
#include <cmath>

namespace {
// The factory part and the summary, on the "Factory Config" page of the same window.
void bindFactoryPage(const QWidget* page, tIRRFDevice* device, const char* mask, int type) {
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
    bindFactoryPage(this, device, TFactoryConfigPage::StaffHardwareMask, dt_Staff_Transmitter);
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
    bindFactoryPage(this, device, TFactoryConfigPage::PendantHardwareMask, dt_Pendant_Transmitter);
}
