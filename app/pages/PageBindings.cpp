#include "app/pages/PageBindings.h"

#include "device/Devices.h"
#include "property/PelEnum.h"
#include "property/PelScalar.h"

void tPageBindings::OnRelease(const tPelBaseProperty* property, std::function<void()> release) {
    releases_.push_back({property->AliveToken(), std::move(release)});
}

void tPageBindings::Edit(tPelTextProperty* property, IEditBox* edit) {
    property->SetEdit(edit);
    OnRelease(property, [property, edit] {
        if (property->Edit() == edit) property->SetEdit(nullptr);
    });
}

void tPageBindings::CheckBox(tPelBooleanProperty* property, ICheckBox* box) {
    property->SetCheckBox(box);
    OnRelease(property, [property, box] {
        if (property->CheckBox() == box) property->SetCheckBox(nullptr);
    });
}

void tPageBindings::SpinEdit(tPelIntegerProperty* property, ISpinEdit* spin) {
    property->SetSpinEdit(spin);
    OnRelease(property, [property, spin] {
        if (property->SpinEdit() == spin) property->SetSpinEdit(nullptr);
    });
}

void tPageBindings::List(tPelEnumProperty* property, IItemListControl* control) {
    property->SetControl(control);
    OnRelease(property, [property, control] {
        if (property->Selector().Control() == control) property->SetControl(nullptr);
    });
}

void tPageBindings::FlagSet(tPelEnumSetProperty* property, ICheckListBox* list) {
    property->SetCheckList(list);
    OnRelease(property, [property, list] {
        if (property->CheckList() == list) property->SetCheckList(nullptr);
    });
}

void tPageBindings::Node(tNodeProperty* property, IEditBox* edit) {
    property->SetDisplayEdit(edit);
    OnRelease(property, [property, edit] {
        if (property->DisplayEdit() == edit) property->SetDisplayEdit(nullptr);
    });
}

void tPageBindings::Label(tPelBaseProperty* property, ILabelControl* label) {
    property->SetLabel(label);
    OnRelease(property, [property, label] {
        if (property->Label() == label) property->SetLabel(nullptr);
    });
}

namespace {
// A change hook a page installed, carrying a token of that binding: releasing the binding takes
// the hook away only while it is still this one, never a hook another page installed since.
struct tPageHook {
    std::function<void()> hook;
    std::shared_ptr<const bool> binding;
    void operator()(tPelBaseProperty*) const { hook(); }
};
} // namespace

void tPageBindings::Hook(tPelBaseProperty* property, std::function<void()> hook) {
    auto binding = std::make_shared<const bool>(true);
    // Recorded first, so that a hook whose first run raises is released all the same.
    OnRelease(property, [property, binding] {
        const tPageHook* installed = property->OnChange().target<tPageHook>();
        if (installed && installed->binding == binding) property->SetOnChange(nullptr);
    });
    property->SetOnChange(tPageHook{std::move(hook), binding});
}

void tPageBindings::Release() {
    // Newest first: a later binding may have replaced an earlier one of the same property.
    auto releases = std::move(releases_);
    releases_.clear();
    for (auto it = releases.rbegin(); it != releases.rend(); ++it)
        if (it->alive && *it->alive) it->release();
}
