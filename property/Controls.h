#pragma once
// The small interfaces through which properties reach the editing controls of a page. The property
// and device libraries need only Qt Core; the Qt widget classes implementing these interfaces live in
// property/controls (library zcfg_controls), and tests may implement them with fakes.
//
// Each control has exactly one handler slot for its change event. A property that binds a control
// saves the control's handler, installs its own and calls the saved one after its own work; it hands
// the saved handler back when it is rebound or destroyed.
//
// When handlers fire:
//   edit, masked edit, memo, spin edit: on every change of text or value, programmatic ones included;
//   combo box, radio group:             only on a choice the user makes;
//   check box:                          on a user click and whenever the program changes its state;
//   check list box:                     when the user toggles an item's check mark.

#include "property/PelObject.h"

#include <QString>
#include <QStringList>

class IControl : public tObject {
public:
    virtual bool IsEnabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
};

// A caption whose enabled state follows a property (SetLabel).
class ILabelControl : public IControl {};

class IEditBox : public IControl {
public:
    virtual QString Text() const = 0;
    virtual void SetText(const QString& text) = 0;
    virtual void SetReadOnly(bool readOnly) = 0;
    // true: the colour of its parent (a display-only look); false: the system window colour.
    virtual void SetParentColour(bool parentColour) = 0;
    virtual tNotifyEvent OnChange() const = 0;
    virtual void SetOnChange(tNotifyEvent handler) = 0;
};

// An edit box with an input mask ("00/00/00", "00T0;1").
class IMaskedEditBox : public IEditBox {
public:
    virtual void SetEditMask(const QString& mask) = 0;
};

class ICheckBox : public IControl {
public:
    virtual bool Checked() const = 0;
    virtual void SetChecked(bool checked) = 0;
    virtual tNotifyEvent OnClick() const = 0;
    virtual void SetOnClick(tNotifyEvent handler) = 0;
};

// Shared by combo boxes and radio groups: an item list with one selected index (−1: none).
class IItemListControl : public IControl {
public:
    virtual QStringList Items() const = 0;
    virtual void ClearItems() = 0;
    virtual void AddItem(const QString& text) = 0;
    virtual int ItemIndex() const = 0;
    virtual void SetItemIndex(int index) = 0; // programmatic: fires no handler
};

class IComboBox : public IItemListControl {
public:
    virtual bool IsDropDownList() const = 0;
    virtual tNotifyEvent OnChange() const = 0;
    virtual void SetOnChange(tNotifyEvent handler) = 0;
};

class IRadioGroup : public IItemListControl {
public:
    virtual tNotifyEvent OnClick() const = 0;
    virtual void SetOnClick(tNotifyEvent handler) = 0;
};

class ICheckListBox : public IControl {
public:
    virtual void ClearItems() = 0;
    virtual void AddItem(const QString& text) = 0;
    virtual int Count() const = 0;
    virtual bool Checked(int index) const = 0;
    virtual void SetChecked(int index, bool checked) = 0; // programmatic: fires no handler
    virtual void SetOwnerDrawFixed() = 0;
    virtual int ClientHeight() const = 0;
    virtual void SetItemHeight(int height) = 0;
    virtual void SetVisible(bool visible) = 0;
    virtual bool IsVisible() const = 0;
    virtual tNotifyEvent OnClickCheck() const = 0;
    virtual void SetOnClickCheck(tNotifyEvent handler) = 0;
};

class IMemoControl : public IControl {
public:
    virtual QStringList Lines() const = 0;
    virtual void SetLines(const QStringList& lines) = 0;
    virtual void SetText(const QString& text) = 0;
    virtual int SelStart() const = 0;
    virtual void SetSelStart(int start) = 0;
    virtual int SelLength() const = 0;
    virtual void SetSelLength(int length) = 0;
    virtual tNotifyEvent OnChange() const = 0;
    virtual void SetOnChange(tNotifyEvent handler) = 0;
};

// TPelSpinEdit: an edit box with up/down buttons whose value stays within its minimum and maximum.
class ISpinEdit : public IControl {
public:
    virtual int Value() const = 0;
    virtual void SetValue(int value) = 0;
    virtual QString Text() const = 0;
    virtual void SetMinValue(int minimum) = 0;
    virtual void SetMaxValue(int maximum) = 0;
    virtual int MinValue() const = 0;
    virtual int MaxValue() const = 0;
    // The published ReadOnly: read-only edit box, up/down buttons hidden.
    virtual void SetReadOnly(bool readOnly) = 0;
    virtual bool ReadOnly() const = 0;
    // Typing allowed, buttons shown and window colour (true), or no typing, no buttons, parent colour.
    virtual void SetEditable(bool editable) = 0;
    virtual tNotifyEvent OnChange() const = 0;
    virtual void SetOnChange(tNotifyEvent handler) = 0;
};

// An image showing one picture of a list chosen by index (TPelImage); used by the programmer link's
// status pictures. An index beyond the list leaves the current picture.
class IIndicatorImage {
public:
    virtual ~IIndicatorImage() = default;
    virtual int ImageIndex() const = 0;
    virtual void SetImageIndex(int index) = 0;
};
