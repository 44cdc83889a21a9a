#include "property/controls/PelSpinEdit.h"

#include "property/controls/ControlSupport.h"

#include <limits>

TPelSpinEdit::TPelSpinEdit(QWidget* parent) : QSpinBox(parent) {
    applyLimits();
    connect(this, &QSpinBox::valueChanged, this, [this] { FireEvent(onChange_, this); });
}

bool TPelSpinEdit::IsEnabled() const {
    return OwnEnabled(this);
}

void TPelSpinEdit::SetMinValue(int minimum) {
    minValue_ = minimum;
    applyLimits();
}

void TPelSpinEdit::SetMaxValue(int maximum) {
    maxValue_ = maximum;
    applyLimits();
}

void TPelSpinEdit::applyLimits() {
    if (minValue_ == maxValue_)
        setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    else
        setRange(minValue_, std::max(minValue_, maxValue_));
}

void TPelSpinEdit::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    applyLook();
}

void TPelSpinEdit::SetEditable(bool editable) {
    editable_ = editable;
    applyLook();
    ApplyParentColour(this, !editable);
}

void TPelSpinEdit::applyLook() {
    const bool locked = readOnly_ || !editable_;
    setReadOnly(locked);
    setButtonSymbols(locked ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
}
