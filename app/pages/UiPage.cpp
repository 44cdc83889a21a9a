#include "app/pages/UiPage.h"

#include "device/Devices.h"
#include "property/PelError.h"
#include "property/controls/PelControls.h"

void ShowReadOnlyBoxesAsDisplays(QWidget* page) {
    for (TPelEdit* edit : page->findChildren<TPelEdit*>())
        if (edit->isReadOnly()) edit->SetParentColour(true);
}

QWidget* SiblingPage(const QWidget* page, const QString& rootName) {
    return page->window()->findChild<QWidget*>(rootName);
}

void BindGeneral(tPageBindings& bindings, tOtherDevice* device, const tGeneralBoxes& boxes,
                 std::function<void()> displayHook) {
    bindings.Node(device->NodeAddress(), boxes.deviceAddress);
    if (displayHook) bindings.Hook(device->NodeAddress(), displayHook);
    bindings.Edit(device->FactoryString(), boxes.factoryData);
    bindings.Edit(device->Version(), boxes.version);
    if (displayHook) bindings.Hook(device->ZoneGroupAddress(), displayHook);
}

namespace {
constexpr int UnassignedNode = 1;

// A value read from a file need not be a number ("Zone/Group Address = B2"); the load reports it at
// its line, and the displays show it as it is rather than fail, so the rest of the page still binds.
bool unassigned(const tOtherDevice* device) {
    int node = 0;
    return TryStrToInt(device->NodeAddress()->Value(), node) && node == UnassignedNode;
}
} // namespace

QString AreaText(const tOtherDevice* device) {
    if (unassigned(device)) return QStringLiteral("Unassigned");
    const tPelIntegerProperty* address = device->ZoneGroupAddress();
    int area = 0;
    if (!TryStrToInt(address->Value(), area) || area < address->Min() || area > address->Max())
        return address->Value();
    // Area 1 is "A": the letters start right after code 64.
    return QString(QChar(char16_t(64 + area)));
}

QString ZoneText(const tOtherDevice* device) {
    if (unassigned(device)) return QStringLiteral("Unassigned");
    int zone = 0;
    const QString& value = device->ZoneGroupAddress()->Value();
    return TryStrToInt(value, zone) ? QString::number(zone) : value;
}
