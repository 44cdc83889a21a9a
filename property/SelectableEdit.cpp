#include "property/SelectableEdit.h"

#include "property/PelError.h"

tSelectableEdit::~tSelectableEdit() {
    setControlHandler(savedHandler_);
}

void tSelectableEdit::setControlHandler(tNotifyEvent handler) {
    IItemListControl* control = control_.get();
    if (auto* combo = dynamic_cast<IComboBox*>(control))
        combo->SetOnChange(std::move(handler));
    else if (auto* radio = dynamic_cast<IRadioGroup*>(control))
        radio->SetOnClick(std::move(handler));
}

tNotifyEvent tSelectableEdit::Bind(IControl* control) {
    if (control) {
        auto* combo = dynamic_cast<IComboBox*>(control);
        if (combo && !combo->IsDropDownList())
            throw EZcfgError(QStringLiteral("Combo Box must be Style DropDownList"));
        if (!combo && !dynamic_cast<IRadioGroup*>(control))
            throw EZcfgError(QStringLiteral("Illegal GUI Type"));
    }
    setControlHandler(savedHandler_);
    savedHandler_ = nullptr;
    auto* list = dynamic_cast<IItemListControl*>(control);
    control_ = list;
    if (!list) return nullptr;
    list->SetEnabled(enabled_);
    auto mine = [this, alive = AliveToken()](tObject* sender) {
        if (*alive) controlChanged(sender);
    };
    if (auto* combo = dynamic_cast<IComboBox*>(list)) {
        savedHandler_ = combo->OnChange();
        combo->SetOnChange(mine);
    } else if (auto* radio = dynamic_cast<IRadioGroup*>(list)) {
        savedHandler_ = radio->OnClick();
        radio->SetOnClick(mine);
    }
    return savedHandler_;
}

void tSelectableEdit::controlChanged(tObject* sender) {
    if (IItemListControl* control = control_.get()) itemIndex_ = control->ItemIndex();
    const tNotifyEvent handler = onChange_; // the node owning this selector may not survive it
    if (handler) handler(sender);
}

void tSelectableEdit::ClearItems() {
    if (control_) control_->ClearItems();
}

void tSelectableEdit::AddItem(const QString& text) {
    if (control_) control_->AddItem(text);
}

void tSelectableEdit::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (control_) control_->SetEnabled(enabled);
}

void tSelectableEdit::SetItemIndex(int index) {
    itemIndex_ = index;
    if (control_) control_->SetItemIndex(index);
}
