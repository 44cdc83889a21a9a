#pragma once
// TPelSpinEdit: an integer field with up/down buttons whose value stays within its limits.

#include "property/Controls.h"

#include <QSpinBox>

// As the toolkit's spin edit, equal minimum and maximum mean no limits. OnChange fires on every
// change of the value, programmatic ones included.
class TPelSpinEdit : public QSpinBox, public ISpinEdit {
    Q_OBJECT
public:
    explicit TPelSpinEdit(QWidget* parent = nullptr);

    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
    int Value() const override { return value(); }
    void SetValue(int value) override { setValue(value); }
    QString Text() const override { return text(); }
    void SetMinValue(int minimum) override;
    void SetMaxValue(int maximum) override;
    int MinValue() const override { return minValue_; }
    int MaxValue() const override { return maxValue_; }
    // Published: a read-only field without up/down buttons.
    void SetReadOnly(bool readOnly) override;
    bool ReadOnly() const override { return readOnly_; }
    void SetEditable(bool editable) override;
    bool Editable() const { return editable_; }
    tNotifyEvent OnChange() const override { return onChange_; }
    void SetOnChange(tNotifyEvent handler) override { onChange_ = std::move(handler); }

private:
    void applyLimits();
    void applyLook();

    int minValue_ = 0;
    int maxValue_ = 0;
    bool readOnly_ = false;
    bool editable_ = true;
    tNotifyEvent onChange_;
};
