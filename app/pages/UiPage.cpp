#include "app/pages/UiPage.h"

#include "device/Devices.h"
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
} // namespace

QString AreaText(const tOtherDevice* device) {
    if (device->NodeAddress()->AsInteger() == UnassignedNode) return QStringLiteral("Unassigned");
    // Area 1 is "A": the letters start right after code 64.
    return QString(QChar(char16_t(64 + device->ZoneGroupAddress()->AsInteger())));
}

QString ZoneText(const tOtherDevice* device) {
    if (device->NodeAddress()->AsInteger() == UnassignedNode) return QStringLiteral("Unassigned");
    return QString::number(device->ZoneGroupAddress()->AsInteger());
}
