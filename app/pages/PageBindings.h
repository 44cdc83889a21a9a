#pragma once
// The bindings one page has made, so that the page can release exactly those: a property that has
// since been bound to another page's control, or destroyed with its device, is left alone.

#include "property/Controls.h"

#include <functional>
#include <memory>
#include <vector>

class tPelBaseProperty;
class tPelTextProperty;
class tPelBooleanProperty;
class tPelIntegerProperty;
class tPelEnumProperty;
class tPelEnumSetProperty;
class tNodeProperty;

class tPageBindings {
public:
    ~tPageBindings() { Release(); }

    void Edit(tPelTextProperty* property, IEditBox* edit);
    void CheckBox(tPelBooleanProperty* property, ICheckBox* box);
    void SpinEdit(tPelIntegerProperty* property, ISpinEdit* spin);
    // An enumerated property into a drop-down-list combo box or a radio group.
    void List(tPelEnumProperty* property, IItemListControl* control);
    void FlagSet(tPelEnumSetProperty* property, ICheckListBox* list);
    void Node(tNodeProperty* property, IEditBox* edit);
    void Label(tPelBaseProperty* property, ILabelControl* label);
    // A change hook of the property; runs once at once. Released with the other bindings unless
    // another hook has replaced it since. A compound's hook runs after a change of any of its values.
    void Hook(tPelBaseProperty* property, std::function<void()> hook);
    // Runs `release` when the bindings are released, if the node behind `alive` still exists.
    void OnRelease(const tPelBaseProperty* property, std::function<void()> release);

    void Release();
    bool Empty() const { return releases_.empty(); }

private:
    struct tRelease {
        std::shared_ptr<const bool> alive;
        std::function<void()> release;
    };
    std::vector<tRelease> releases_;
};
