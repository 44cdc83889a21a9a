#include "property/PelEnum.h"

#include "property/PelError.h"

// ============================================================================================
// Type information
// ============================================================================================

tEnumTypeInfo::tEnumTypeInfo(const char* typeName, const char* commaSeparatedNames)
    : typeName_(QLatin1String(typeName)) {
    for (const QString& part : QString::fromLatin1(commaSeparatedNames).split(QLatin1Char(','))) {
        const QString name = part.trimmed();
        byLowerName_.insert(AsciiLower(name), int(names_.size()));
        names_.append(name);
    }
}

QString tEnumTypeInfo::NameOf(int ordinal) const {
    return ordinal >= 0 && ordinal < names_.size() ? names_[ordinal] : QString();
}

int tEnumTypeInfo::OrdinalOf(const QString& name) const {
    return byLowerName_.value(AsciiLower(name), -1);
}

QString EnumDisplayText(const QString& valueName) {
    const int underscore = valueName.indexOf(QLatin1Char('_'));
    QString text = underscore >= 0 ? valueName.mid(underscore + 1) : valueName;
    text.replace(QLatin1Char('_'), QLatin1Char(' '));
    return text;
}

// ============================================================================================
// tPelBaseEnumProperty
// ============================================================================================

bool tPelBaseEnumProperty::IsAllowed(int ordinal) const {
    return ordinal >= 0 && ordinal < 16 && (allowedMask_ >> ordinal) & 1u;
}

int tPelBaseEnumProperty::IndexToValue(int listIndex) const {
    int count = 0;
    if (listIndex >= 0)
        for (int ordinal = Min(); ordinal <= Max(); ++ordinal)
            if (IsAllowed(ordinal) && count++ == listIndex) return ordinal;
    throw EZcfgError(QStringLiteral("Index out of bounds for ") + Name());
}

int tPelBaseEnumProperty::ValueToIndex(int ordinal) const {
    if (ordinal < Min()) return -1;
    int count = 0;
    for (int o = Min(); o <= ordinal && o < 16; ++o)
        if (IsAllowed(o)) ++count;
    return count - 1;
}

int tPelBaseEnumProperty::ShownIndex(int ordinal) const {
    if (ordinal < Min() || ordinal > Max() || !IsAllowed(ordinal)) return -1;
    return ValueToIndex(ordinal);
}

void tPelBaseEnumProperty::SetAllAllowed(bool flag) {
    allowedMask_ = flag ? AllAllowed : 0;
    Refresh();
}

void tPelBaseEnumProperty::SetAllowed(int ordinal, bool flag) {
    if (ordinal < 0 || ordinal > 15) return;
    const uint16_t bit = uint16_t(1u << ordinal);
    allowedMask_ = flag ? uint16_t(allowedMask_ | bit) : uint16_t(allowedMask_ & ~bit);
    Refresh();
}

void tPelBaseEnumProperty::Clear() {
    SetAsInteger(0);
    allowedMask_ = AllAllowed;
    Refresh();
}

// ============================================================================================
// tPelEnumProperty
// ============================================================================================

tPelEnumProperty::tPelEnumProperty(const QString& name, tPelCompoundProperty* owner,
                                   const tEnumTypeInfo& typeInfo)
    : tPelBaseEnumProperty(name, owner), typeInfo_(typeInfo) {
    selector_.SetOnChange([this](tObject* sender) { SelectionChanged(sender); });
}

tPelEnumProperty::~tPelEnumProperty() {
    selector_.Bind(nullptr);
}

void tPelEnumProperty::SetControl(IControl* control) {
    controlHandler_ = selector_.Bind(control);
    if (control) Refresh();
}

int tPelEnumProperty::AsInteger() const {
    return typeInfo_.OrdinalOf(Value());
}

QString tPelEnumProperty::ValueProblem() const {
    if (AsInteger() >= 0) return QString();
    return QStringLiteral("Invalid value \"%1\" for %2").arg(Excerpt(Value()), Name());
}

void tPelEnumProperty::SetAsInteger(int value) {
    if (value < typeInfo_.MinOrdinal() || value > typeInfo_.MaxOrdinal())
        throw EZcfgError(QStringLiteral("Value %1 out of range for ").arg(value) + Name());
    SetValueText(typeInfo_.NameOf(value));
}

QString tPelEnumProperty::ValueToText(int value) const {
    return Translate(EnumDisplayText(typeInfo_.NameOf(value)));
}

void tPelEnumProperty::SetMax(int value) {
    tPelBaseEnumProperty::SetMax(value);
    Refresh();
}

void tPelEnumProperty::SetMin(int value) {
    tPelBaseEnumProperty::SetMin(value);
    Refresh();
}

void tPelEnumProperty::SetEnabled(bool flag) {
    tPelBaseEnumProperty::SetEnabled(flag);
    selector_.SetEnabled(flag);
}

void tPelEnumProperty::Changed(tPelBaseProperty* sender) {
    tPelBaseEnumProperty::Changed(sender);
    const int index = ShownIndex(AsInteger());
    if (index != selector_.ItemIndex()) selector_.SetItemIndex(index);
}

void tPelEnumProperty::Clear() {
    tPelBaseEnumProperty::Clear();
    SetMin(typeInfo_.MinOrdinal());
    SetMax(typeInfo_.MaxOrdinal());
}

void tPelEnumProperty::Refresh() {
    if (!selector_.Control()) return;
    selector_.ClearItems();
    for (int ordinal = Min(); ordinal <= Max(); ++ordinal)
        if (IsAllowed(ordinal)) selector_.AddItem(ValueToText(ordinal));
    selector_.SetItemIndex(ShownIndex(AsInteger()));
}

void tPelEnumProperty::SelectionChanged(tObject* sender) {
    const tNotifyEvent chained = controlHandler_; // the change may rebind this node
    SetAsInteger(IndexToValue(selector_.ItemIndex()));
    if (chained) chained(sender);
}

// ============================================================================================
// tPelEnumSetProperty
// ============================================================================================

tPelEnumSetProperty::tPelEnumSetProperty(const QString& name, tPelCompoundProperty* owner,
                                         const tEnumTypeInfo& typeInfo)
    : tPelBaseEnumProperty(name, owner), typeInfo_(typeInfo) {}

tPelEnumSetProperty::~tPelEnumSetProperty() {
    if (ICheckListBox* list = checkList_.get()) list->SetOnClickCheck(controlHandler_);
}

bool tPelEnumSetProperty::IsFlagSet(int ordinal) const {
    int value = 0;
    if (ordinal < 0 || ordinal > 15 || !TryStrToInt(Value(), value)) return false;
    return (uint32_t(value) >> ordinal) & 1u;
}

void tPelEnumSetProperty::SetFlag(int ordinal, bool flag) {
    if (ordinal < 0 || ordinal > 15) return;
    int value = 0;
    TryStrToInt(Value(), value); // a value that is not a number counts as no flags
    const uint32_t bit = 1u << ordinal;
    const uint32_t x = flag ? uint32_t(value) | bit : uint32_t(value) & ~bit;
    SetAsInteger(int(x));
    if (checkList_) Refresh();
}

void tPelEnumSetProperty::SetCheckList(ICheckListBox* control) {
    if (ICheckListBox* previous = checkList_.get()) previous->SetOnClickCheck(controlHandler_);
    checkList_ = control;
    controlHandler_ = nullptr;
    if (control) {
        controlHandler_ = control->OnClickCheck();
        control->SetOnClickCheck(whileAlive([this](tObject* sender) { CheckListClicked(sender); }));
    }
    Refresh();
}

QString tPelEnumSetProperty::ValueToText(int value) const {
    return Translate(EnumDisplayText(typeInfo_.NameOf(value)));
}

void tPelEnumSetProperty::SetMax(int value) {
    tPelBaseEnumProperty::SetMax(value);
    Refresh();
}

void tPelEnumSetProperty::SetMin(int value) {
    tPelBaseEnumProperty::SetMin(value);
    Refresh();
}

void tPelEnumSetProperty::SetEnabled(bool flag) {
    tPelBaseEnumProperty::SetEnabled(flag);
    if (ICheckListBox* list = checkList_.get()) list->SetEnabled(flag);
}

// The check marks follow every change of the value (undo, a file, a device), not only SetFlag.
void tPelEnumSetProperty::Changed(tPelBaseProperty* sender) {
    tPelBaseEnumProperty::Changed(sender);
    ICheckListBox* list = checkList_.get();
    if (!list || sender != this) return;
    for (int i = 0; i < list->Count(); ++i) {
        const bool set = IsFlagSet(IndexToValue(i));
        if (list->Checked(i) != set) list->SetChecked(i, set);
    }
}

void tPelEnumSetProperty::Clear() {
    tPelBaseEnumProperty::Clear();
    SetMin(typeInfo_.MinOrdinal());
    SetMax(typeInfo_.MaxOrdinal());
}

void tPelEnumSetProperty::Refresh() {
    ICheckListBox* list = checkList_.get();
    if (!list) return;
    list->SetOwnerDrawFixed();
    list->ClearItems();
    int count = 0;
    for (int ordinal = Min(); ordinal <= Max(); ++ordinal) {
        if (!IsAllowed(ordinal)) continue;
        list->AddItem(ValueToText(ordinal));
        list->SetChecked(count, IsFlagSet(ordinal));
        ++count;
    }
    list->SetVisible(count > 0);
    if (count > 0) list->SetItemHeight(list->ClientHeight() / count);
    list->SetEnabled(Enabled());
}

// Only flags that are shown contribute, so a flag that is not allowed is cleared by the first click.
// The page's own handler runs after the new flags are stored.
void tPelEnumSetProperty::CheckListClicked(tObject* sender) {
    const tNotifyEvent chained = controlHandler_; // the change may rebind this node
    if (ICheckListBox* list = checkList_.get()) {
        uint32_t sum = 0;
        for (int i = 0; i < list->Count(); ++i)
            if (list->Checked(i)) sum |= 1u << IndexToValue(i);
        SetAsInteger(int(sum));
    }
    if (chained) chained(sender);
}
