#pragma once
// The common shape of a device page: a Designer form set up on the page, and the bindings the page
// has made, released when the page is unbound or destroyed.

#include "app/pages/DevicePage.h"
#include "app/pages/PageBindings.h"

#include <functional>

class QLineEdit;
class tOtherDevice;
class TPelEdit;

template <class Form> class tUiPage : public TDevicePage {
public:
    explicit tUiPage(QWidget* parent) : TDevicePage(parent) {
        ui.setupUi(this);
        ShowReadOnlyBoxesAsDisplays(this);
    }
    ~tUiPage() override { bindings.Release(); }

    void Unbind() override { bindings.Release(); }

    Form ui;

protected:
    tPageBindings bindings;
};

// Read-only edit boxes take their parent's colour, so they read as displays rather than fields.
void ShowReadOnlyBoxesAsDisplays(QWidget* page);
// The page in the same window whose form's root has this object name, or nullptr.
QWidget* SiblingPage(const QWidget* page, const QString& rootName);
// A named control anywhere in the window of `page`, or nullptr.
template <class T> T* WindowControl(const QWidget* page, const QString& name) {
    return page->window()->template findChild<T*>(name);
}

// The three read-only boxes of the "General" group that every wired device page carries.
struct tGeneralBoxes {
    TPelEdit* deviceAddress;
    TPelEdit* factoryData;
    TPelEdit* version;
};

// Binds "Node Address", "Factory String" and "Version" into the boxes. With a display hook, the
// hook follows "Node Address" (set right after its box is bound) and "Zone/Group Address" (set
// last), so it sees both values.
void BindGeneral(tPageBindings& bindings, tOtherDevice* device, const tGeneralBoxes& boxes,
                 std::function<void()> displayHook = {});

// The area letter (MPD call point, ZX250) or zone number (relay, zone indicator) of a device:
// "Unassigned" while the node is unassigned.
QString AreaText(const tOtherDevice* device);
QString ZoneText(const tOtherDevice* device);
