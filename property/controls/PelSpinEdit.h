#pragma once
// TPelSpinEdit: an integer field with up/down buttons whose value stays within its limits.

#include "property/Controls.h"

#include <QSpinBox>

// As the toolkit's spin edit, equal minimum and maximum mean no limits. OnChange fires on every
// change of the value, programmatic ones included.
//
// The limits are shown in the tooltip and, while the pointer is over the box or it has the focus, in
// the window's status bar. A number typed outside them is refused in the open: it stays in the box,
// which turns red, the status bar says so, and the value goes back to what it was before the entry
// began (a prefix typed on the way, "30" on the way to "300", is not kept). Leaving the box or Enter
// then shows that value again. The mouse wheel changes the value only while the box has the focus.
class TPelSpinEdit : public QSpinBox, public ISpinEdit {
    Q_OBJECT
public:
    explicit TPelSpinEdit(QWidget* parent = nullptr);

    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
    int Value() const override { return value(); }
    void SetValue(int value) override;
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

    // Whether the box shows a number outside its limits (and is red).
    bool Refused() const { return refused_; }
    // "Transmitter ID Code: 0 to 255", named by the box's label; empty without limits.
    QString RangeText() const;

    QValidator::State validate(QString& input, int& pos) const override;
    void stepBy(int steps) override;

protected:
    bool event(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void applyLimits();
    void applyLook();
    void applyRangeTips();
    void entryChanged(const QString& text);
    void showStatus(const QString& text);
    QString caption() const;

    int minValue_ = 0;
    int maxValue_ = 0;
    bool readOnly_ = false;
    bool editable_ = true;
    int committed_ = 0;         // the value before the entry being typed
    bool refused_ = false;      // the box shows a number outside the limits
    bool restoring_ = false;    // the value is put back under a refused entry
    bool refusalShown_ = false; // the status bar shows why an entry was refused
    bool settingTip_ = false;
    QString ownToolTip_; // the tooltip the page gave the box, without the limits
    tNotifyEvent onChange_;
};
