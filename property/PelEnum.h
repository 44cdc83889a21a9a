#pragma once
// Enumerated properties: a value chosen from a fixed list of value names (stored as the name), and
// a set of flags (stored as a decimal bit set), both narrowed by an allowed-value mask.
//
// An enumeration type is declared once with ZCFG_ENUM, which gives it its ordered value names:
//     ZCFG_ENUM(tVolumeMode, vm_Mute, vm_User_A, vm_User_B)
// declares `enum tVolumeMode { vm_Mute, vm_User_A, vm_User_B };` and its type information.

#include "property/PelScalar.h"
#include "property/SelectableEdit.h"

#include <QHash>
#include <cstdint>

// The ordered value names of one enumeration type.
class tEnumTypeInfo {
public:
    tEnumTypeInfo(const char* typeName, const char* commaSeparatedNames);

    const QString& TypeName() const { return typeName_; }
    const QStringList& Names() const { return names_; }
    int MinOrdinal() const { return 0; }
    int MaxOrdinal() const { return int(names_.size()) - 1; }
    QString NameOf(int ordinal) const;
    // Letter case ignored; −1 when no name matches.
    int OrdinalOf(const QString& name) const;

private:
    QString typeName_;
    QStringList names_;
    QHash<QString, int> byLowerName_;
};

template <class T> struct tEnumTraits; // specialised by ZCFG_ENUM

template <class T> const tEnumTypeInfo& EnumTypeInfo() {
    return tEnumTraits<T>::Info();
}

#define ZCFG_ENUM(Type, ...)                                                                                 \
    enum Type : uint8_t { __VA_ARGS__ };                                                                     \
    template <> struct tEnumTraits<Type> {                                                                   \
        static const tEnumTypeInfo& Info() {                                                                 \
            static const tEnumTypeInfo info(#Type, #__VA_ARGS__);                                            \
            return info;                                                                                     \
        }                                                                                                    \
    }

// The display text of a value name: everything up to the first underscore dropped, the other
// underscores turned into blanks ("irrf_Help_Required" → "Help Required").
QString EnumDisplayText(const QString& valueName);

class tPelBaseEnumProperty : public tPelBaseIntegerProperty {
public:
    using tPelBaseIntegerProperty::tPelBaseIntegerProperty;

    static constexpr uint16_t AllAllowed = 0xFFFF;
    uint16_t AllowedMask() const { return allowedMask_; }
    bool IsAllowed(int ordinal) const;
    // The ordinal of the listIndex-th allowed value from Min; raises "Index out of bounds for ".
    int IndexToValue(int listIndex) const;
    // The list index at which an ordinal is shown (−1 below Min).
    int ValueToIndex(int ordinal) const;
    // The list index a control shows for an ordinal: −1 (no selection) for an ordinal the list does
    // not offer, so a control never shows a neighbouring value in place of the one held.
    int ShownIndex(int ordinal) const;
    void SetAllAllowed(bool flag);
    void SetAllowed(int ordinal, bool flag);

    void Clear() override;
    virtual void Refresh() = 0;

protected:
    void setAllowedMaskSilently(uint16_t mask) { allowedMask_ = mask; }

private:
    uint16_t allowedMask_ = AllAllowed;
};

// A value of one enumeration type, bound to a combo box or radio group through the selection adapter.
class tPelEnumProperty : public tPelBaseEnumProperty {
public:
    tPelEnumProperty(const QString& name, tPelCompoundProperty* owner, const tEnumTypeInfo& typeInfo);
    ~tPelEnumProperty() override;

    const tEnumTypeInfo& TypeInfo() const { return typeInfo_; }
    tSelectableEdit& Selector() { return selector_; }

    // Binds a drop-down-list combo box or a radio group (nullptr unbinds).
    void SetControl(IControl* control);

    int AsInteger() const override;
    void SetAsInteger(int value) override;
    QString ValueToText(int value) const override;
    void SetMax(int value) override;
    void SetMin(int value) override;
    void SetEnabled(bool flag) override;
    void Changed(tPelBaseProperty* sender) override;
    void Clear() override;
    void Refresh() override;
    // A text that names none of the type's values.
    QString ValueProblem() const override;

private:
    void SelectionChanged(tObject* sender);

    const tEnumTypeInfo& typeInfo_;
    tSelectableEdit selector_;
    tNotifyEvent controlHandler_;
};

template <class T> class tPelEnum : public tPelEnumProperty {
public:
    tPelEnum(const QString& name, tPelCompoundProperty* owner)
        : tPelEnumProperty(name, owner, EnumTypeInfo<T>()) {}
    T AsEnum() const { return T(AsInteger()); }
    void SetAsEnum(T value) { SetAsInteger(int(value)); }
};

// A set of flags of one enumeration type, bound to a check list box.
class tPelEnumSetProperty : public tPelBaseEnumProperty {
public:
    tPelEnumSetProperty(const QString& name, tPelCompoundProperty* owner, const tEnumTypeInfo& typeInfo);
    ~tPelEnumSetProperty() override;

    const tEnumTypeInfo& TypeInfo() const { return typeInfo_; }
    bool IsFlagSet(int ordinal) const;
    void SetFlag(int ordinal, bool flag);
    void SetCheckList(ICheckListBox* control);
    ICheckListBox* CheckList() const { return checkList_.get(); }

    // The bound list follows every change of the value (file load, undo, device read).
    void Changed(tPelBaseProperty* sender) override;
    QString ValueToText(int value) const override;
    void SetMax(int value) override;
    void SetMin(int value) override;
    void SetEnabled(bool flag) override;
    void Clear() override;
    void Refresh() override;

private:
    void CheckListClicked(tObject* sender);

    const tEnumTypeInfo& typeInfo_;
    tObjectRef<ICheckListBox> checkList_;
    tNotifyEvent controlHandler_;
};

template <class T> class tPelEnumSet : public tPelEnumSetProperty {
public:
    tPelEnumSet(const QString& name, tPelCompoundProperty* owner)
        : tPelEnumSetProperty(name, owner, EnumTypeInfo<T>()) {}
    bool IsFlagSet(T flag) const { return tPelEnumSetProperty::IsFlagSet(int(flag)); }
    void SetFlag(T flag, bool on) { tPelEnumSetProperty::SetFlag(int(flag), on); }
};
