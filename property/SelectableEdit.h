#pragma once
// One interface over a drop-down-list combo box or a radio group, used by enumerated properties.

#include "property/Controls.h"

class tSelectableEdit : public tObject {
public:
    ~tSelectableEdit() override;

    // Binds a combo box in drop-down-list style or a radio group; nullptr unbinds. A previously bound
    // control gets its own handler back. Returns the new control's previous handler.
    // Raises "Combo Box must be Style DropDownList" or "Illegal GUI Type".
    tNotifyEvent Bind(IControl* control);
    IItemListControl* Control() const { return control_.get(); }

    // The bound control's item list (empty when nothing is bound).
    QStringList Items() const { return control_ ? control_->Items() : QStringList(); }
    void ClearItems();
    void AddItem(const QString& text);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

    const tNotifyEvent& OnChange() const { return onChange_; }
    void SetOnChange(tNotifyEvent handler) { onChange_ = std::move(handler); }

private:
    void controlChanged(tObject* sender);
    void setControlHandler(tNotifyEvent handler);

    tObjectRef<IItemListControl> control_; // reached only while the control lives
    bool enabled_ = true;
    int itemIndex_ = -1;
    tNotifyEvent onChange_;
    tNotifyEvent savedHandler_;
};
