#include "property/Pelparse.h"

#include "property/PelArray.h"
#include "property/PelError.h"
#include "property/PelFile.h"
#include "property/PelScalar.h"

#include <algorithm>

// ============================================================================================
// tPelBaseProperty
// ============================================================================================

tPelBaseProperty::tPelBaseProperty(const QString& name, tPelCompoundProperty* owner)
    : name_(TrimControl(name)), owner_(owner) {
    if (owner_) owner_->Children().Append(this);
    SetModified(true);
}

tPelBaseProperty::~tPelBaseProperty() {
    // Still listed only when a constructor raised: the owner must not keep the freed node.
    if (listed_ && owner_) owner_->Children().Forget(this);
}

void tPelBaseProperty::AfterConstruction() {
    Clear();
    loading_ = false;
}

void tPelBaseProperty::SetKey(const QString& key) {
    const QString old = key_;
    key_ = key;
    hasKey_ = !key.isEmpty();
    if (owner_ && old != key_) owner_->Children().Rekey(this, old);
}

void tPelBaseProperty::SetKeyPresent(const QString& key) {
    SetKey(key);
    hasKey_ = true;
}

void tPelBaseProperty::SetOnChange(tPropertyEvent handler) {
    onChange_ = std::move(handler);
    if (onChange_) onChange_(this);
}

void tPelBaseProperty::SetModified(bool flag) {
    if (flag == modified_) return;
    modified_ = flag;
    if (flag && owner_) owner_->SetModified(true);
    if (onModifiedChange_) onModifiedChange_(this, flag);
}

void tPelBaseProperty::SetEnabled(bool flag) {
    enabled_ = flag;
    if (label_) label_->SetEnabled(flag);
}

void tPelBaseProperty::Changed(tPelBaseProperty* sender) {
    if (onChange_) onChange_(sender);
    if (owner_) owner_->Changed(sender);
}

void tPelBaseProperty::Clear() {
    SetValueText(QString());
}

void tPelBaseProperty::BeginChange(tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
    if (onBeginChange_) onBeginChange_(sender, kind, text);
    if (owner_) owner_->BeginChange(sender, kind, text);
}

void tPelBaseProperty::RecordUndo(tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
    if (onRecordUndo_)
        onRecordUndo_(sender, kind, text);
    else if (owner_)
        owner_->RecordUndo(sender, kind, text);
}

void tPelBaseProperty::EndChange(tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
    if (onEndChange_) onEndChange_(sender, kind, text);
    if (owner_) owner_->EndChange(sender, kind, text);
}

void tPelBaseProperty::RecordRedo(tPelBaseProperty* sender, tChangeKind kind, const QString& text) {
    if (onRecordRedo_)
        onRecordRedo_(sender, kind, text);
    else if (owner_)
        owner_->RecordRedo(sender, kind, text);
}

bool tPelBaseProperty::ReadBody(const tLines&, int&, tErrorList*) {
    SetModified(false);
    RecordUndo(this, ckReset, QString());
    return true;
}

bool tPelBaseProperty::IsUnchanged() {
    switch (compareMode_) {
    case 0:
        return enabled_ ? value_ == reference_ : true;
    case 1:
        return true;
    default:
        return value_ == reference_;
    }
}

void tPelBaseProperty::WriteTo(tLines&, bool, int) {
    SetModified(false);
}

void tPelBaseProperty::Undo(tChangeKind kind, const QString& text) {
    if (kind != ckValue) return;
    const auto undoing = undoingScope();
    SetValueText(text);
}

void tPelBaseProperty::Redo(tChangeKind kind, const QString& text) {
    if (kind == ckValue) SetValueText(text);
}

void tPelBaseProperty::endChangeAfterError(tChangeKind kind, const QString& text) noexcept {
    try {
        EndChange(this, kind, text);
    } catch (...) {
    }
}

void tPelBaseProperty::SetValueText(const QString& text) {
    const tReferenceMode mode = GetReferenceMode();
    if (mode == rmReading || mode == rmVerifying) reference_ = text;
    if (mode == rmVerifying) return;
    if (value_ == text) return;
    const QString old = value_;
    const bool notify = !undoing_ && !IsLoading();
    if (undoing_) {
        RecordRedo(this, ckValue, old);
    } else if (notify) {
        BeginChange(this, ckValue, old);
    }
    // The bracket is closed even when a change hook raises, so an undo group is never left open.
    auto closeOnError = qScopeGuard([&] {
        if (notify) endChangeAfterError(ckValue, value_);
    });
    if (notify) RecordUndo(this, ckValue, old);
    value_ = text;
    SetModified(true);
    Changed(this);
    closeOnError.dismiss();
    if (notify) EndChange(this, ckValue, value_);
}

bool tPelBaseProperty::Matches(const QString& name, const QString& key) const {
    if (hasKey_) {
        if (!AsciiSameText(key, key_)) return false;
    } else if (!key.isEmpty()) {
        return false;
    }
    if (AsciiSameText(name, name_)) return true;
    const QString keyword = TypeKeyword();
    return !keyword.isEmpty() && AsciiSameText(name, keyword + QLatin1Char(' ') + name_);
}

bool tPelBaseProperty::IsLoading() const {
    for (const tPelBaseProperty* node = this; node; node = node->owner_)
        if (node->loading_) return true;
    return false;
}

tPelBaseProperty* tPelBaseProperty::Root() {
    tPelBaseProperty* node = this;
    while (node->owner_)
        node = node->owner_;
    return node;
}

tReferenceMode tPelBaseProperty::GetReferenceMode() const {
    return const_cast<tPelBaseProperty*>(this)->Root()->referenceMode_;
}

void tPelBaseProperty::SetLabel(ILabelControl* label) {
    label_ = label;
    if (label_) label_->SetEnabled(enabled_);
}

QString tPelBaseProperty::Translate(const QString& text) const {
    if (!onTranslate_) return text;
    QString out = text;
    onTranslate_(text, out);
    return out;
}

QString tPelBaseProperty::nameWithKey() const {
    return hasKey_ ? name_ + QStringLiteral("( ") + key_ + QStringLiteral(" )") : name_;
}

// ============================================================================================
// tPelSimpleProperty
// ============================================================================================

bool tPelSimpleProperty::ReadBody(const tLines&, int&, tErrorList*) {
    SetModified(false);
    return true;
}

namespace {
bool holdsOperator(const QString& name) {
    for (QChar c : name)
        if (c == QLatin1Char('<') || c == QLatin1Char('=') || c == QLatin1Char('>')) return true;
    return false;
}
} // namespace

void tPelSimpleProperty::WriteTo(tLines& target, bool shortFormat, int indent) {
    const QString comment = GetComment();
    QString line = Indent(indent) + nameWithKey();
    // A name holding an operator is a comparison line read whole (its value is empty); it is written
    // alone, as read, since " = " after it would become part of the name on the next reading.
    if (!Value().isEmpty() || !holdsOperator(Name())) line += QStringLiteral(" = ") + Value();
    if (!comment.isEmpty()) line += QStringLiteral("// ") + comment;
    target.append(line);
    tPelBaseProperty::WriteTo(target, shortFormat, indent);
}

// ============================================================================================
// tPelPropertyList
// ============================================================================================

tPelPropertyList::~tPelPropertyList() {
    // Children are destroyed in order, each with its own subtree.
    for (auto& item : items_) {
        item->listed_ = false;
        item.reset();
    }
}

tPelBaseProperty* tPelPropertyList::Items(int index) const {
    if (index < 0 || index >= Count())
        throw EZcfgError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return items_[size_t(index)].get();
}

int tPelPropertyList::IndexOf(const tPelBaseProperty* item) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item) return int(i);
    return -1;
}

QString tPelPropertyList::lookupKey(const QString& name, const QString& key) {
    return AsciiLower(name) + QChar(0) + AsciiLower(key);
}

void tPelPropertyList::indexItem(tPelBaseProperty* item) {
    auto add = [&](const QString& name) {
        auto& bucket = index_[lookupKey(name, item->key_)];
        auto at = std::upper_bound(bucket.begin(), bucket.end(), item->sequence_,
                                   [](quint64 s, const tPelBaseProperty* p) { return s < p->sequence_; });
        bucket.insert(at, item);
    };
    add(item->name_);
    const QString keyword = item->TypeKeyword();
    if (!keyword.isEmpty()) add(keyword + QLatin1Char(' ') + item->name_);
}

void tPelPropertyList::unindexItem(tPelBaseProperty* item, const QString& key) {
    auto remove = [&](const QString& name) {
        auto found = index_.find(lookupKey(name, key));
        if (found == index_.end()) return;
        auto& bucket = found.value();
        bucket.erase(std::remove(bucket.begin(), bucket.end(), item), bucket.end());
        if (bucket.empty()) index_.erase(found);
    };
    remove(item->name_);
    const QString keyword = item->TypeKeyword();
    if (!keyword.isEmpty()) remove(keyword + QLatin1Char(' ') + item->name_);
}

void tPelPropertyList::Append(tPelBaseProperty* item) {
    item->sequence_ = nextSequence_++;
    items_.emplace_back(item);
    item->listed_ = true;
    // The type keyword is virtual and not yet final while the item is being constructed, so
    // items are indexed lazily, on the first lookup after they were appended.
    pendingIndex_.push_back(item);
}

void tPelPropertyList::RemoveAt(int index) {
    TakeAt(index).reset();
}

std::unique_ptr<tPelBaseProperty> tPelPropertyList::TakeAt(int index) {
    if (index < 0 || index >= Count())
        throw EZcfgError(QStringLiteral("List index out of bounds (%1)").arg(index));
    flushPendingIndex();
    std::unique_ptr<tPelBaseProperty> item = std::move(items_[size_t(index)]);
    items_.erase(items_.begin() + index);
    unindexItem(item.get(), item->key_);
    item->listed_ = false;
    return item;
}

void tPelPropertyList::Forget(tPelBaseProperty* item) {
    item->listed_ = false;
    // The item is being destroyed, so the search runs from the end, where it was just appended.
    for (auto at = items_.rbegin(); at != items_.rend(); ++at) {
        if (at->get() != item) continue;
        (void)at->release();
        items_.erase(std::next(at).base());
        break;
    }
    pendingIndex_.erase(std::remove(pendingIndex_.begin(), pendingIndex_.end(), item), pendingIndex_.end());
    for (auto bucket = index_.begin(); bucket != index_.end();) {
        auto& entries = bucket.value();
        entries.erase(std::remove(entries.begin(), entries.end(), item), entries.end());
        bucket = entries.empty() ? index_.erase(bucket) : std::next(bucket);
    }
}

void tPelPropertyList::Rekey(tPelBaseProperty* item, const QString& oldKey) {
    flushPendingIndex();
    unindexItem(item, oldKey);
    indexItem(item);
}

void tPelPropertyList::Move(tPelBaseProperty* item, int index) {
    const int from = IndexOf(item);
    if (from < 0 || index < 0 || index >= Count() || from == index) return;
    auto begin = items_.begin();
    if (from < index)
        std::rotate(begin + from, begin + from + 1, begin + index + 1);
    else
        std::rotate(begin + index, begin + from, begin + from + 1);
}

void tPelPropertyList::flushPendingIndex() const {
    auto* self = const_cast<tPelPropertyList*>(this);
    for (tPelBaseProperty* item : self->pendingIndex_)
        self->indexItem(item);
    self->pendingIndex_.clear();
}

tPelBaseProperty* tPelPropertyList::FindMatching(const QString& name, const QString& key,
                                                 bool entriesOnly) const {
    flushPendingIndex();
    auto found = index_.constFind(lookupKey(name, key));
    if (found == index_.constEnd()) return nullptr;
    for (tPelBaseProperty* item : *found)
        if (!entriesOnly || item->TypeKeyword().isEmpty()) return item;
    return nullptr;
}

namespace {
bool localeSameText(const QString& a, const QString& b) {
    return a.toCaseFolded().localeAwareCompare(b.toCaseFolded()) == 0;
}

QString unexpectedMessage(const QString& name, const QString& key) {
    QString quoted = name;
    if (!key.isEmpty()) quoted += QStringLiteral("( ") + key + QStringLiteral(" )");
    return QStringLiteral("Unexpected \"") + Excerpt(quoted) + QLatin1Char('"');
}

// Inside a block kept as read, whatever its depth.
bool keepsUnknownContent(const tPelCompoundProperty* block) {
    for (; block; block = block->Owner())
        if (block->KeepsUnknownContent()) return true;
    return false;
}
} // namespace

tPelBaseProperty* tPelPropertyList::FindChild(const QString& name, const QString& key, bool recursive) const {
    for (const auto& item : items_) {
        if (localeSameText(item->Name(), name) && localeSameText(item->Key(), key)) return item.get();
        if (recursive)
            if (auto* compound = dynamic_cast<tPelCompoundProperty*>(item.get()))
                if (auto* found = compound->Children().FindChild(name, key, true)) return found;
    }
    return nullptr;
}

namespace {
const char* const blockKeywords[] = {"Object", "Memo", "Array", "ObjectArray", "File"};

bool isBlockHeader(const QString& name) {
    for (const char* keyword : blockKeywords) {
        const QString prefix = QLatin1String(keyword) + QLatin1Char(' ');
        if (name.size() > prefix.size() && AsciiSameText(name.left(prefix.size()), prefix)) return true;
    }
    return false;
}

// A line's name as the node made from it is named: trimmed, and a block header with one blank
// between its keyword and its name ("Object  Device" is the block "Device"). So a line read twice
// finds the same node each time.
QString lookupName(const QString& scanned) {
    const QString name = TrimControl(scanned);
    for (const char* keyword : blockKeywords) {
        const QString prefix = QLatin1String(keyword) + QLatin1Char(' ');
        if (name.size() > prefix.size() && AsciiSameText(name.left(prefix.size()), prefix))
            return name.left(prefix.size()) + TrimControl(name.mid(prefix.size()));
    }
    return name;
}

int depthOf(const tPelBaseProperty* node) {
    int depth = 0;
    for (; node && node->Owner(); node = node->Owner())
        ++depth;
    return depth;
}

// Passes over the lines of a block whose header was just read, nested blocks included.
void skipBlock(const tLines& source, int& lineIndex) {
    QString name, key, value, comment;
    for (int open = 1; open > 0 && lineIndex < source.size(); ++lineIndex) {
        if (!ParseLine(source[lineIndex], name, key, value, comment)) continue;
        if (name.size() > 4 && AsciiSameText(name.left(4), QStringLiteral("End ")))
            --open;
        else if (isBlockHeader(name))
            ++open;
    }
}
} // namespace

bool tPelPropertyList::Read(const tLines& source, int& lineIndex, tErrorList* errors) {
    const QString endText = owner_ ? owner_->EndKeyword() : QString();
    const int depth = depthOf(owner_);
    // In a file that writes every block with its keyword, a line without one is an entry: "Device = "
    // never opens the "Device" block.
    const auto* file = owner_ ? dynamic_cast<const tPelFileProperty*>(owner_->Root()) : nullptr;
    const bool keywordsWritten = file && file->ReadingFile() && !file->ReadingShortFormat();
    bool ok = true;
    QString name, key, value, comment;
    while (lineIndex < source.size()) {
        const int lineNumber = lineIndex;
        if (!ParseLine(source[lineIndex], name, key, value, comment)) {
            ok = false;
            AddError(errors, lineIndex, QStringLiteral("Syntax error"));
            ++lineIndex;
            continue;
        }
        ++lineIndex;
        name = lookupName(name);
        if (owner_ && AsciiSameText(name, endText)) return ok;
        const bool header = isBlockHeader(name);
        tPelBaseProperty* child = FindMatching(name, key, keywordsWritten && !header);
        if (!child && depth >= MaxBlockNesting && header) {
            // Unknown blocks nested deeper than any configuration are skipped, not built, so
            // that no file can exhaust the reader.
            ok = false;
            AddError(errors, lineNumber,
                     QStringLiteral("Blocks nested too deeply; skipped to the end of the block"));
            skipBlock(source, lineIndex);
            continue;
        }
        if (!child) {
            child = CreateChild(name, key, value, comment, errors, 0, 0);
            if (!keepsUnknownContent(owner_)) {
                ok = false;
                AddError(errors, lineIndex, unexpectedMessage(name, key));
            }
        }
        if (!child) continue;
        // A value the node or its change hooks refuse, or a text that is none of the node's values, is
        // reported at its line; the text is kept and reading goes on.
        try {
            child->SetValueText(value);
            if (const QString problem = child->ValueProblem(); !problem.isEmpty())
                AddError(errors, lineNumber, problem); // the line itself was read
            child->ReadBody(source, lineIndex, errors);
        } catch (const EZcfgError& e) {
            ok = false;
            AddError(errors, lineNumber, e.Message());
        }
    }
    if (owner_) {
        ok = false;
        AddError(errors, lineIndex, QStringLiteral("Unexpected end of file"));
    }
    ClearModified();
    return ok;
}

tPelBaseProperty* tPelPropertyList::CreateChild(const QString& name, const QString& key, const QString& value,
                                                const QString& comment, tErrorList* errors, int reserved1,
                                                int reserved2) {
    if (owner_)
        if (tPelBaseProperty* made =
                owner_->CreateChild(name, key, value, comment, errors, reserved1, reserved2))
            return made;

    using Maker = tPelBaseProperty* (*)(const QString&, const QString&, tPelCompoundProperty*);
    struct Keyword {
        const char* text;
        Maker make;
    };
    static const Keyword keywords[] = {
        {"Object",
         [](const QString& n, const QString& k, tPelCompoundProperty* o) -> tPelBaseProperty* {
             return k.isEmpty() ? Create<tPelCompoundProperty>(n, o)
                                : CreateWithKey<tPelCompoundProperty>(n, k, o);
         }},
        {"Memo",
         [](const QString& n, const QString& k, tPelCompoundProperty* o) -> tPelBaseProperty* {
             return k.isEmpty() ? Create<tMemoProperty>(n, o) : CreateWithKey<tMemoProperty>(n, k, o);
         }},
        {"Array",
         [](const QString& n, const QString& k, tPelCompoundProperty* o) -> tPelBaseProperty* {
             return k.isEmpty() ? Create<tPelUnknownArray>(n, o) : CreateWithKey<tPelUnknownArray>(n, k, o);
         }},
        {"ObjectArray",
         [](const QString& n, const QString& k, tPelCompoundProperty* o) -> tPelBaseProperty* {
             const QString keyword = QStringLiteral("ObjectArray");
             return k.isEmpty() ? Create<tPelUnknownArray>(n, o, keyword)
                                : CreateWithKey<tPelUnknownArray>(n, k, o, keyword);
         }},
        {"File",
         [](const QString& n, const QString& k, tPelCompoundProperty* o) -> tPelBaseProperty* {
             return k.isEmpty() ? Create<tPelFileProperty>(n, o) : CreateWithKey<tPelFileProperty>(n, k, o);
         }},
    };
    for (const Keyword& keyword : keywords) {
        const QString prefix = QLatin1String(keyword.text) + QLatin1Char(' ');
        if (name.size() >= prefix.size() && AsciiSameText(name.left(prefix.size()), prefix)) {
            tPelBaseProperty* block = keyword.make(TrimControl(name.mid(prefix.size() - 1)), key, owner_);
            block->madeForUnknownLine_ = true;
            return block;
        }
    }
    // A line nothing here knows keeps its comment, so it is written back as it was read.
    auto* simple = key.isEmpty() ? Create<tPelSimpleProperty>(name, owner_)
                                 : CreateWithKey<tPelSimpleProperty>(name, key, owner_);
    simple->SetComment(comment);
    simple->madeForUnknownLine_ = true;
    return simple;
}

void tPelPropertyList::RemoveUnknownEntries() {
    for (int i = Count() - 1; i >= 0; --i)
        if (items_[size_t(i)]->madeForUnknownLine_) RemoveAt(i);
}

void tPelPropertyList::WriteAll(tLines& target, bool shortFormat, int indent) {
    for (size_t i = 0; i < items_.size(); ++i)
        items_[i]->WriteTo(target, shortFormat, indent);
}

void tPelPropertyList::ClearModified() {
    for (size_t i = 0; i < items_.size(); ++i)
        items_[i]->SetModified(false);
}

// ============================================================================================
// tPelCompoundProperty
// ============================================================================================

tPelCompoundProperty::tPelCompoundProperty(const QString& name, tPelCompoundProperty* owner)
    : tPelBaseProperty(name, owner), children_(std::make_unique<tPelPropertyList>(this)) {}

tPelCompoundProperty::~tPelCompoundProperty() {
    children_.reset();
}

tPelBaseProperty* tPelCompoundProperty::Child(const QString& name) const {
    return children_->FindMatching(name, QString());
}

void tPelCompoundProperty::SetModified(bool flag) {
    if (flag == Modified()) return;
    tPelBaseProperty::SetModified(flag);
    if (!flag && children_) children_->ClearModified();
}

void tPelCompoundProperty::SetEnabled(bool flag) {
    if (flag == Enabled()) return;
    tPelBaseProperty::SetEnabled(flag);
    for (int i = 0; i < children_->Count(); ++i)
        children_->Items(i)->SetEnabled(flag);
}

void tPelCompoundProperty::Changed(tPelBaseProperty* sender) {
    const QScopedValueRollback<tPelBaseProperty*> changing(changedChild_, sender);
    tPelBaseProperty::Changed(sender);
}

void tPelCompoundProperty::Clear() {
    for (int i = 0; i < children_->Count(); ++i)
        children_->Items(i)->Clear();
    tPelBaseProperty::Clear();
}

bool tPelCompoundProperty::ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) {
    tPelBaseProperty::ReadBody(source, lineIndex, errors);
    // What another file held that nothing here knows is not this file's.
    children_->RemoveUnknownEntries();
    const bool ok = children_->Read(source, lineIndex, errors);
    SetModified(false);
    return ok;
}

bool tPelCompoundProperty::IsUnchanged() {
    const bool result = tPelBaseProperty::IsUnchanged();
    bool consult = false;
    switch (CompareMode()) {
    case 0:
        consult = Enabled() && result;
        break;
    case 1:
        consult = false;
        break;
    default:
        consult = result;
    }
    if (consult)
        for (int i = 0; i < children_->Count(); ++i)
            if (!children_->Items(i)->IsUnchanged()) return false;
    return result;
}

QString tPelBaseProperty::headerLine(bool shortFormat, int indent) const {
    QString line = Indent(indent);
    if (!shortFormat) line += TypeKeyword() + QLatin1Char(' ');
    line += nameWithKey();
    if (!Value().isEmpty()) line += QStringLiteral(" = ") + Value();
    return line;
}

void tPelCompoundProperty::WriteTo(tLines& target, bool shortFormat, int indent) {
    target.append(headerLine(shortFormat, indent));
    WriteHeader(target, indent);
    children_->WriteAll(target, shortFormat, indent + 2);
    target.append(Indent(indent) + EndKeyword());
    tPelBaseProperty::WriteTo(target, shortFormat, indent);
}

tPelBaseProperty* tPelCompoundProperty::CreateChild(const QString&, const QString&, const QString&,
                                                    const QString&, tErrorList*, int, int) {
    return nullptr;
}
