#include "property/SelectableEdit.h"

#include "property/PelError.h"

tSelectableEdit::~tSelectableEdit() {
    setControlHandler(savedHandler_);
}

void tSelectableEdit::setControlHandler(tNotifyEvent handler) {
    if (auto* combo = dynamic_cast<IComboBox*>(control_))
        combo->SetOnChange(std::move(handler));
    else if (auto* radio = dynamic_cast<IRadioGroup*>(control_))
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
    control_ = static_cast<IItemListControl*>(dynamic_cast<IItemListControl*>(control));
    if (!control_) return nullptr;
    control_->SetEnabled(enabled_);
    auto mine = [this](tObject* sender) { controlChanged(sender); };
    if (auto* combo = dynamic_cast<IComboBox*>(control_)) {
        savedHandler_ = combo->OnChange();
        combo->SetOnChange(mine);
    } else if (auto* radio = dynamic_cast<IRadioGroup*>(control_)) {
        savedHandler_ = radio->OnClick();
        radio->SetOnClick(mine);
    }
    return savedHandler_;
}

void tSelectableEdit::controlChanged(tObject* sender) {
    if (control_) itemIndex_ = control_->ItemIndex();
    if (onChange_) onChange_(sender);
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
