#pragma once
// The Qt widgets a page binds to properties. Each implements one interface of property/Controls.h
// and exposes the single handler slot the property framework takes over (Qt signals are multicast,
// the framework needs one handler it can save, replace and hand back).

#include "property/Controls.h"
#include "property/controls/EditMask.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <optional>

class QButtonGroup;
class QVBoxLayout;

// The part shared by the plain and the masked edit box. OnChange fires on every change of the text,
// programmatic ones included.
template <class Interface> class tLineEditControl : public QLineEdit, public Interface {
public:
    explicit tLineEditControl(QWidget* parent);

    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
    QString Text() const override { return text(); }
    void SetText(const QString& text) override { setText(text); }
    void SetReadOnly(bool readOnly) override { setReadOnly(readOnly); }
    void SetParentColour(bool parentColour) override;
    tNotifyEvent OnChange() const override { return onChange_; }
    void SetOnChange(tNotifyEvent handler) override { onChange_ = std::move(handler); }

private:
    tNotifyEvent onChange_;
};

class TPelEdit : public tLineEditControl<IEditBox> {
    Q_OBJECT
public:
    explicit TPelEdit(QWidget* parent = nullptr) : tLineEditControl(parent) {}
};

// A line edit with an edit mask in the toolkit's notation (see EditMask.h).
class TPelMaskEdit : public tLineEditControl<IMaskedEditBox> {
    Q_OBJECT
public:
    explicit TPelMaskEdit(QWidget* parent = nullptr) : tLineEditControl(parent) {}

    const QString& EditMask() const { return editMask_; }
    void SetEditMask(const QString& mask) override;
    // Without kept literals only the characters entered are returned.
    QString Text() const override;

private:
    QString editMask_;
    tEditMask converted_;
};

// OnClick fires on a user click and whenever the program changes the checked state.
class TPelCheckBox : public QCheckBox, public ICheckBox {
    Q_OBJECT
public:
    explicit TPelCheckBox(const QString& text = QString(), QWidget* parent = nullptr);
    explicit TPelCheckBox(QWidget* parent) : TPelCheckBox(QString(), parent) {}

    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
    bool Checked() const override { return isChecked(); }
    void SetChecked(bool checked) override { setChecked(checked); }
    tNotifyEvent OnClick() const override { return onClick_; }
    void SetOnClick(tNotifyEvent handler) override { onClick_ = std::move(handler); }

private:
    tNotifyEvent onClick_;
};

// OnChange fires only when the user chooses an item. A combo box that is not editable is in
// drop-down-list style. The mouse wheel changes the choice only while the box has the focus; over an
// unfocused box it scrolls the page, so a page scrolled past its lists changes nothing.
class TPelComboBox : public QComboBox, public IComboBox {
    Q_OBJECT
public:
    explicit TPelComboBox(QWidget* parent = nullptr);

    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
    QStringList Items() const override;
    void ClearItems() override { clear(); }
    void AddItem(const QString& text) override { addItem(text); }
    int ItemIndex() const override { return currentIndex(); }
    void SetItemIndex(int index) override { setCurrentIndex(index); }
    bool IsDropDownList() const override { return !isEditable(); }
    tNotifyEvent OnChange() const override { return onChange_; }
    void SetOnChange(tNotifyEvent handler) override { onChange_ = std::move(handler); }

protected:
    void wheelEvent(QWheelEvent* event) override;

private:
    tNotifyEvent onChange_;
};

// A group box holding one radio button per item, one below the other. OnClick fires only when the
// user chooses an item. The buttons, made when the items are added (long after the page's tab order
// was set), take the group's place in the tab order.
class TPelRadioGroup : public QGroupBox, public IRadioGroup {
    Q_OBJECT
public:
    explicit TPelRadioGroup(const QString& title = QString(), QWidget* parent = nullptr);
    explicit TPelRadioGroup(QWidget* parent) : TPelRadioGroup(QString(), parent) {}

    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
    QStringList Items() const override;
    void ClearItems() override;
    void AddItem(const QString& text) override;
    int ItemIndex() const override;
    void SetItemIndex(int index) override;
    tNotifyEvent OnClick() const override { return onClick_; }
    void SetOnClick(tNotifyEvent handler) override { onClick_ = std::move(handler); }

    QAbstractButton* Button(int index) const;

private:
    QButtonGroup* buttons_;
    QVBoxLayout* layout_;
    tNotifyEvent onClick_;
};

// A list of items with check marks. OnClickCheck fires when the user toggles a check mark.
class TPelCheckListBox : public QListWidget, public ICheckListBox {
    Q_OBJECT
public:
    explicit TPelCheckListBox(QWidget* parent = nullptr);

    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
    void ClearItems() override;
    void AddItem(const QString& text) override;
    int Count() const override { return count(); }
    bool Checked(int index) const override;
    void SetChecked(int index, bool checked) override;
    void SetOwnerDrawFixed() override { setUniformItemSizes(true); }
    int ClientHeight() const override { return viewport()->height(); }
    void SetItemHeight(int height) override;
    int ItemHeight() const { return itemHeight_; }
    void SetVisible(bool visible) override { setVisible(visible); }
    bool IsVisible() const override { return !isHidden(); }
    tNotifyEvent OnClickCheck() const override { return onClickCheck_; }
    void SetOnClickCheck(tNotifyEvent handler) override { onClickCheck_ = std::move(handler); }

private:
    void itemChanged(QListWidgetItem* item);

    int itemHeight_ = -1; // -1: the style's height
    bool programmatic_ = false;
    tNotifyEvent onClickCheck_;
};

// Multi-line text. OnChange fires on every change of the text, programmatic ones included.
// While the handler of a change made by the user runs, SelStart and SelLength give the selection
// as it was before that change, so an undo step recorded there puts the caret back where it was.
class TPelMemo : public QPlainTextEdit, public IMemoControl {
    Q_OBJECT
public:
    explicit TPelMemo(QWidget* parent = nullptr);

    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
    // The lines of the text; a final line break does not start another line.
    QStringList Lines() const override;
    void SetLines(const QStringList& lines) override;
    void SetText(const QString& text) override { setPlainText(text); }
    int SelStart() const override;
    void SetSelStart(int start) override;
    int SelLength() const override;
    void SetSelLength(int length) override;
    tNotifyEvent OnChange() const override { return onChange_; }
    void SetOnChange(tNotifyEvent handler) override { onChange_ = std::move(handler); }

protected:
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    struct tSelection {
        int start = 0;
        int length = 0;
    };
    tSelection liveSelection() const;
    int clampPosition(int position) const;
    template <class Handle> bool withSelectionBefore(QEvent* event, Handle handle);

    std::optional<tSelection> selectionBefore_; // while a user input event is handled
    bool changing_ = false;                     // while OnChange runs
    tNotifyEvent onChange_;
};

// A caption whose enabled state follows a property.
class TPelLabel : public QLabel, public ILabelControl {
    Q_OBJECT
public:
    explicit TPelLabel(const QString& text = QString(), QWidget* parent = nullptr) : QLabel(text, parent) {}
    explicit TPelLabel(QWidget* parent) : QLabel(parent) {}

    bool IsEnabled() const override;
    void SetEnabled(bool enabled) override { setEnabled(enabled); }
};
