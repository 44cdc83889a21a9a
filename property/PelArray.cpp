#include "property/PelArray.h"

#include "property/PelError.h"

namespace {
const QString itemName = QStringLiteral("Item");
}

tPelBaseProperty* tPelArrayProperty::GetItem(int index) const {
    return Children().Items(index);
}

void tPelArrayProperty::Renumber() {
    for (int i = 0; i < Children().Count(); ++i)
        Children().Items(i)->SetKeyPresent(QString::number(i));
}

void tPelArrayProperty::recordItemChange(tChangeKind kind, int index) {
    if (Undoing())
        RecordRedo(this, kind, QString::number(index));
    else
        RecordUndo(this, kind, QString::number(index));
}

tPelBaseProperty* tPelArrayProperty::makeItem(const QString& key) {
    tPelBaseProperty* item = CreateChild(itemName, key, QString(), QString(), nullptr, 0, 0);
    if (!item) throw EZcfgError(QStringLiteral("Unable to create child"));
    return item;
}

void tPelArrayProperty::itemAdded(tPelBaseProperty* item) {
    maxIndex_ = Children().Count() - 1;
    SetCurrentIndex(maxIndex_);
    if (onItemAdded_) onItemAdded_(item);
}

tPelBaseProperty* tPelArrayProperty::AddItem() {
    const int index = Children().Count();
    recordItemChange(ckItemAdded, index);
    tPelBaseProperty* item = makeItem(QString::number(index));
    itemAdded(item);
    return item;
}

tPelBaseProperty* tPelArrayProperty::InsertItem(int index) {
    recordItemChange(ckItemInserted, index);
    tPelBaseProperty* item = makeItem(QString::number(index));
    maxIndex_ = Children().Count() - 1;
    SetCurrentIndex(maxIndex_);
    Renumber();
    if (onItemAdded_) onItemAdded_(item);
    return item;
}

void tPelArrayProperty::DeleteItem(int index) {
    // A record naming an item that no longer exists (or never came to be) is ignored.
    if (index < 0 || index >= Children().Count()) return;
    if (onItemDeleting_) onItemDeleting_(Children().Items(index));
    recordItemChange(ckItemDeleted, index);
    Children().RemoveAt(index);
    Renumber();
    maxIndex_ = Children().Count() - 1;
}

void tPelArrayProperty::resizeItems(int value) {
    for (int i = maxIndex_; i > value; --i)
        DeleteItem(i);
    if (value >= 0)
        while (Children().Count() <= value)
            AddItem();
    maxIndex_ = value;
    SetModified(true);
}

void tPelArrayProperty::SetMaxIndex(int value) {
    if (value == maxIndex_) return;
    resizeItems(value);
}

void tPelArrayProperty::Clear() {
    if (IsLoading()) return;
    if (clearDeletesItems_) {
        SetMaxIndex(-1);
        return;
    }
    for (int i = 0; i <= maxIndex_ && i < Children().Count(); ++i)
        Children().Items(i)->Clear();
}

void tPelArrayProperty::playBack(tChangeKind kind, const QString& text) {
    bool ok = false;
    const int index = text.toInt(&ok);
    if (!ok) return;
    if (kind == ckItemAdded || kind == ckItemInserted)
        DeleteItem(index);
    else if (kind == ckItemDeleted)
        InsertItem(index);
}

void tPelArrayProperty::Undo(tChangeKind kind, const QString& text) {
    const auto undoing = undoingScope();
    playBack(kind, text);
}

void tPelArrayProperty::Redo(tChangeKind kind, const QString& text) {
    playBack(kind, text);
}

void tPelArrayProperty::WriteHeader(tLines& target, int indent) {
    target.append(Indent(indent + 2) + QStringLiteral("Max = ") + QString::number(maxIndex_));
}

void tPelArrayProperty::WriteTo(tLines& target, bool shortFormat, int indent) {
    target.append(headerLine(shortFormat, indent));
    WriteHeader(target, indent);
    for (int i = 0; i <= maxIndex_ && i < Children().Count(); ++i)
        Children().Items(i)->WriteTo(target, shortFormat, indent + 2);
    target.append(Indent(indent) + EndKeyword());
    tPelBaseProperty::WriteTo(target, shortFormat, indent);
}

bool tPelArrayProperty::ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) {
    bool sizeSeen = false;
    bool ok = true;
    QString name, key, value, comment;
    if (lineIndex < source.size() && ParseLine(source[lineIndex], name, key, value, comment)) {
        if (AsciiSameText(name, QStringLiteral("Max"))) {
            const int sizeLine = lineIndex;
            ++lineIndex;
            sizeSeen = true;
            // A size that is not a number in range is reported and ignored, never applied.
            int size = 0;
            if (!TryStrToInt(value, size) || size < -1 || size > MaxArrayIndex) {
                ok = false;
                AddError(errors, sizeLine,
                         QStringLiteral("Invalid array size \"%1\" (expected -1 to %2)")
                             .arg(value)
                             .arg(MaxArrayIndex));
            } else {
                try {
                    SetMaxIndex(size);
                } catch (const EZcfgError& e) {
                    ok = false;
                    AddError(errors, sizeLine, e.Message());
                }
            }
        } else if (warnsWithoutSizeLine()) {
            AddError(errors, lineIndex, 0,
                     QStringLiteral("Warning - array size not specified. Will be calculated"));
        }
    }
    ok = tPelCompoundProperty::ReadBody(source, lineIndex, errors) && ok;
    if (!sizeSeen && warnsWithoutSizeLine()) SetMaxIndex(Children().Count() - 1);
    return ok;
}

// ============================================================================================
// tPelUnknownArray
// ============================================================================================

bool tPelUnknownArray::ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) {
    QString name, key, value, comment;
    hasSizeLine_ = lineIndex < source.size() && ParseLine(source[lineIndex], name, key, value, comment) &&
                   AsciiSameText(name, QStringLiteral("Max")) && key.isEmpty();
    if (hasSizeLine_) {
        sizeText_ = value;
        ++lineIndex;
    }
    const bool ok = tPelCompoundProperty::ReadBody(source, lineIndex, errors);
    setMaxIndexSilently(Children().Count() - 1);
    return ok;
}

void tPelUnknownArray::WriteHeader(tLines& target, int indent) {
    if (hasSizeLine_) target.append(Indent(indent + 2) + QStringLiteral("Max = ") + sizeText_);
}

void tPelUnknownArray::WriteTo(tLines& target, bool shortFormat, int indent) {
    tPelCompoundProperty::WriteTo(target, shortFormat, indent); // every item, as read
}

// ============================================================================================
// tPelObjectArray
// ============================================================================================

tPelBaseProperty* tPelObjectArray::makeItem(const QString& key) {
    tPelBaseProperty* item =
        itemClass_.CreateWithKey ? itemClass_.CreateWithKey(itemName, key, this) : nullptr;
    if (!item) throw EZcfgError(QStringLiteral("Unable to create child"));
    return item;
}

tPelBaseProperty* tPelObjectArray::AddItem() {
    tPelBaseProperty* item = tPelArrayProperty::AddItem();
    SetModified(true);
    return item;
}

void tPelObjectArray::SetMaxIndex(int value) {
    if (value == MaxIndex()) return;
    BeginChange(this, ckArraySize, QString::number(MaxIndex()));
    auto closeOnError = qScopeGuard([&] { endChangeAfterError(ckArraySize, QString::number(value)); });
    resizeItems(value);
    closeOnError.dismiss();
    EndChange(this, ckArraySize, QString::number(value));
}

void tPelObjectArray::Clear() {
    if (ClearDeletesItems()) {
        SetMaxIndex(-1);
        return;
    }
    for (int i = 0; i <= MaxIndex() && i < Children().Count(); ++i)
        Children().Items(i)->Clear();
}

tPelBaseProperty* tPelObjectArray::CreateChild(const QString& name, const QString& key, const QString& value,
                                               const QString&, tErrorList*, int, int) {
    const QString k = key.isEmpty() ? QString::number(MaxIndex() + 1) : key;
    if (!AsciiSameText(name, itemClass_.TypeKeyword + QStringLiteral(" Item")) &&
        !AsciiSameText(name, itemName))
        return nullptr;
    if (!itemClass_.CreateWithKey) return nullptr;
    tPelBaseProperty* item = itemClass_.CreateWithKey(itemName, k, this);
    item->SetValueText(value);
    return item;
}
