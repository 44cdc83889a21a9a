#pragma once
// Typed faces of the value text, each bound to one editing control: text, Boolean, integer, memo.
// A bound control shows the value whatever changed it; the control's own change handler is kept
// and called after the node's work, and handed back when the node is rebound or destroyed. Either
// the node or its control may be destroyed first: a node reaches its control only while it lives.

#include "property/Pelparse.h"

class tPelTextProperty : public tPelSimpleProperty {
public:
    using tPelSimpleProperty::tPelSimpleProperty;
    ~tPelTextProperty() override;

    // Binds a plain or masked edit box; any other control raises "Editor type not recognised for ".
    void SetEdit(IControl* control);
    IEditBox* Edit() const { return edit_.get(); }

    void SetEnabled(bool flag) override;
    void Changed(tPelBaseProperty* sender) override;

private:
    void EditChanged(tObject* sender);
    void unbind();

    tObjectRef<IEditBox> edit_;
    tNotifyEvent controlHandler_;
};

// "TRUE" or "FALSE".
class tPelBooleanProperty : public tPelSimpleProperty {
public:
    using tPelSimpleProperty::tPelSimpleProperty;
    ~tPelBooleanProperty() override;

    bool AsBoolean() const { return Value() == QLatin1String("TRUE"); }
    void SetAsBoolean(bool flag);
    void SetCheckBox(ICheckBox* control);
    ICheckBox* CheckBox() const { return checkBox_.get(); }

    void SetEnabled(bool flag) override;
    void Changed(tPelBaseProperty* sender) override;
    void Clear() override { SetAsBoolean(false); }
    // Any text but "TRUE" and "FALSE" (letter case counts) reads as false.
    QString ValueProblem() const override;

private:
    void CheckBoxClicked(tObject* sender);

    tObjectRef<ICheckBox> checkBox_;
    tNotifyEvent controlHandler_;
};

// An integer held as text, with limits that only a bound control enforces.
class tPelBaseIntegerProperty : public tPelSimpleProperty {
public:
    using tPelSimpleProperty::tPelSimpleProperty;

    int Max() const { return max_; }
    int Min() const { return min_; }

    void Clear() override { SetAsInteger(0); }
    // The value as an integer; a text that is not one raises the conversion error.
    virtual int AsInteger() const;
    virtual void SetAsInteger(int value);
    virtual QString ValueToText(int value) const;
    virtual void SetMax(int value) { max_ = value; }
    virtual void SetMin(int value) { min_ = value; }
    QString DisplayText() const { return ValueToText(AsInteger()); }
    QString ValueProblem() const override;

private:
    int max_ = 0;
    int min_ = 0;
};

class tPelIntegerProperty : public tPelBaseIntegerProperty {
public:
    using tPelBaseIntegerProperty::tPelBaseIntegerProperty;
    ~tPelIntegerProperty() override;

    void SetSpinEdit(ISpinEdit* control);
    ISpinEdit* SpinEdit() const { return spinEdit_.get(); }

    void SetEnabled(bool flag) override;
    void Changed(tPelBaseProperty* sender) override;
    bool IsUnchanged() override;
    QString GetComment() override;
    void SetAsInteger(int value) override;
    void SetMax(int value) override;
    void SetMin(int value) override;

private:
    void SpinEditChanged(tObject* sender);

    tObjectRef<ISpinEdit> spinEdit_;
    tNotifyEvent controlHandler_;
};

// Multi-line text kept in its own line list and written as comment lines of a "Memo" block.
class tMemoProperty : public tPelBaseProperty {
public:
    tMemoProperty(const QString& name, tPelCompoundProperty* owner) : tPelBaseProperty(name, owner) {}
    ~tMemoProperty() override;

    const QStringList& Lines() const { return lines_; }
    QString GetLine(int index) const {
        return index >= 0 && index < lines_.size() ? lines_[index] : QString();
    }
    void SetLinesFrom(const QStringList& lines);
    void CopyLinesTo(IMemoControl* control);
    void SetMemo(IMemoControl* control);
    IMemoControl* Memo() const { return memo_.get(); }

    void Clear() override;
    bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) override;
    void WriteTo(tLines& target, bool shortFormat, int indent) override;
    void Undo(tChangeKind kind, const QString& text) override;
    void Redo(tChangeKind kind, const QString& text) override;
    QString TypeKeyword() const override { return QStringLiteral("Memo"); }

    // Lines joined as one text, each ended by a line break; and back.
    static QString JoinLines(const QStringList& lines);
    static QStringList SplitLines(const QString& text);

private:
    void MemoChanged(tObject* sender);
    void applyText(const QString& text, bool undoing);

    QStringList lines_;
    tObjectRef<IMemoControl> memo_;
    tNotifyEvent controlHandler_;
};
