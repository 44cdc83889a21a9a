#pragma once
// The property tree: named nodes holding their value as text, compound nodes owning ordered
// children, change/undo notification up to the root, reference values for verification, and the
// indented text format every node writes and reads.

#include "property/Controls.h"
#include "property/ErrorList.h"
#include "property/PelChange.h"

#include <QHash>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class tPelBaseProperty;
class tPelCompoundProperty;

using tLines = QStringList;

// What setting a value does, decided by the root of the tree while a device record is applied.
enum tReferenceMode : uint8_t {
    rmNormal = 0,    // the value changes
    rmReading = 1,   // the value changes and is recorded as the reference
    rmVerifying = 2, // only the reference is recorded; the value stays
};

// How deeply blocks may nest in a file; configurations use four levels.
constexpr int MaxBlockNesting = 32;

using tPropertyEvent = std::function<void(tPelBaseProperty* sender)>;
using tModifiedEvent = std::function<void(tPelBaseProperty* sender, bool flag)>;
using tChangeEvent = std::function<void(tPelBaseProperty* sender, tChangeKind kind, const QString& text)>;
using tTranslateEvent = std::function<void(const QString& text, QString& out)>;

// Builds a node in two phases: the constructors (which create children), then AfterConstruction,
// which applies the class defaults through the virtual Clear and ends the loading state.
// A constructor that raises leaves nothing behind: the base constructor has already appended the
// node to its owner, and ~tPelBaseProperty takes it out again. A node whose AfterConstruction raises
// is destroyed the same way.
template <class T, class... Args> T* Create(Args&&... args) {
    T* node = new T(std::forward<Args>(args)...);
    auto destroy = qScopeGuard([node] { delete node; });
    node->AfterConstruction();
    destroy.dismiss();
    return node;
}

// As Create, then sets the key; the node has a key even when the key text is empty.
template <class T, class... Args>
T* CreateWithKey(const QString& name, const QString& key, tPelCompoundProperty* owner, Args&&... args) {
    T* node = Create<T>(name, owner, std::forward<Args>(args)...);
    node->SetKeyPresent(key);
    return node;
}

class tPelBaseProperty : public tUndoable {
public:
    tPelBaseProperty(const QString& name, tPelCompoundProperty* owner);
    ~tPelBaseProperty() override;

    // Ends construction: applies the defaults (Clear) and clears the loading state.
    void AfterConstruction();

    // ---- Fields ----
    const QString& Name() const { return name_; }
    bool HasKey() const { return hasKey_; }
    const QString& Key() const { return key_; }
    void SetKey(const QString& key);        // HasKey := key not empty
    void SetKeyPresent(const QString& key); // HasKey := true, whatever the text
    bool Modified() const { return modified_; }
    const QString& Value() const { return value_; }
    const QString& Reference() const { return reference_; }
    void SetReference(const QString& reference) { reference_ = reference; }
    bool Enabled() const { return enabled_; }
    tReferenceMode ReferenceMode() const { return referenceMode_; }
    void SetReferenceMode(tReferenceMode mode) { referenceMode_ = mode; }
    bool Undoing() const { return undoing_; }
    ILabelControl* Label() const { return label_.get(); }
    int CompareMode() const { return compareMode_; }
    void SetCompareMode(int mode) { compareMode_ = mode; }
    tPelCompoundProperty* Owner() const { return owner_; }
    bool Loading() const { return loading_; }
    bool Updating() const { return updating_; }
    // Made by the reader for a line nothing in the tree knows; such a node belongs to the file it
    // was read from, and goes when its block is read again.
    bool MadeForUnknownLine() const { return madeForUnknownLine_; }

    // ---- Events ----
    const tPropertyEvent& OnChange() const { return onChange_; }
    void SetOnChange(tPropertyEvent handler); // calls a given handler at once
    void SetOnModifiedChange(tModifiedEvent handler) { onModifiedChange_ = std::move(handler); }
    void SetOnRecordUndo(tChangeEvent handler) { onRecordUndo_ = std::move(handler); }
    void SetOnRecordRedo(tChangeEvent handler) { onRecordRedo_ = std::move(handler); }
    void SetOnBeginChange(tChangeEvent handler) { onBeginChange_ = std::move(handler); }
    void SetOnEndChange(tChangeEvent handler) { onEndChange_ = std::move(handler); }
    void SetOnTranslate(tTranslateEvent handler) { onTranslate_ = std::move(handler); }
    const tTranslateEvent& OnTranslate() const { return onTranslate_; }

    // ---- Virtual operations ----
    virtual void SetModified(bool flag);
    virtual QString GetInfoText() { return QString(); }
    virtual QString GetRecordText() { return QString(); }
    virtual void SetRecordText(const QString& text) { (void)text; }
    virtual void SetEnabled(bool flag);
    virtual void Changed(tPelBaseProperty* sender);
    virtual void Clear();
    virtual void BeginChange(tPelBaseProperty* sender, tChangeKind kind, const QString& text);
    virtual void RecordUndo(tPelBaseProperty* sender, tChangeKind kind, const QString& text);
    virtual void EndChange(tPelBaseProperty* sender, tChangeKind kind, const QString& text);
    virtual void RecordRedo(tPelBaseProperty* sender, tChangeKind kind, const QString& text);
    virtual bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors);
    virtual bool IsUnchanged();
    virtual void WriteTo(tLines& target, bool shortFormat, int indent);
    void Undo(tChangeKind kind, const QString& text) override;
    void Redo(tChangeKind kind, const QString& text) override;
    virtual QString TypeKeyword() const = 0;
    virtual QString EndKeyword() const { return QStringLiteral("End ") + TypeKeyword(); }
    // Why the value text is not one this node can hold ("MAYBE" for a Boolean); empty when it is.
    // Reading a file reports it at the value's line and keeps the text as read.
    virtual QString ValueProblem() const { return QString(); }

    // ---- Non-virtual operations ----
    // The one way a value changes: notifies, records undo/redo, honours the reference mode.
    void SetValueText(const QString& text);
    bool Matches(const QString& name, const QString& key) const;
    bool IsLoading() const;
    tReferenceMode GetReferenceMode() const;
    tPelBaseProperty* Root();
    void SetLabel(ILabelControl* label);
    QString Translate(const QString& text) const;

protected:
    void setValueSilently(const QString& value) { value_ = value; }
    // Marks the node as playing back a recorded change until the returned object goes.
    [[nodiscard]] QScopedValueRollback<bool> undoingScope() {
        return QScopedValueRollback<bool>(undoing_, true);
    }
    // Marks the node as updating its own control until the returned object goes.
    [[nodiscard]] QScopedValueRollback<bool> updatingScope() {
        return QScopedValueRollback<bool>(updating_, true);
    }
    // Closes a change bracket on the way out of an error; a second error raised while closing is
    // dropped, so the first one is the one reported.
    void endChangeAfterError(tChangeKind kind, const QString& text) noexcept;
    // The name followed by "( key )" when the node has a key.
    QString nameWithKey() const;
    // The header line of a block: keyword (unless short), name, key, " = " value when not empty.
    QString headerLine(bool shortFormat, int indent) const;
    // The handler a node installs in a control it binds: runs work while the node lives, so a
    // control that outlives its node (or fires while the node is being replaced) never reaches it.
    template <class F> tNotifyEvent whileAlive(F work) const {
        return [alive = AliveToken(), work = std::move(work)](tObject* sender) {
            if (*alive) work(sender);
        };
    }

private:
    friend class tPelPropertyList;
    QString name_;
    bool hasKey_ = false;
    QString key_;
    bool modified_ = false;
    QString value_;
    QString reference_;
    tPropertyEvent onChange_;
    tModifiedEvent onModifiedChange_;
    tChangeEvent onRecordUndo_;
    tChangeEvent onRecordRedo_;
    tTranslateEvent onTranslate_;
    tChangeEvent onBeginChange_;
    tChangeEvent onEndChange_;
    bool enabled_ = true;
    tReferenceMode referenceMode_ = rmNormal;
    bool undoing_ = false;
    tObjectRef<ILabelControl> label_;
    int compareMode_ = 0;
    tPelCompoundProperty* owner_ = nullptr;
    bool loading_ = true;
    bool updating_ = false;
    quint64 sequence_ = 0; // order of creation among its siblings; keeps lookups first-match
    bool listed_ = false;  // held by its owner's child list
    bool madeForUnknownLine_ = false;
};

// A leaf written as one "Name = Value" line.
class tPelSimpleProperty : public tPelBaseProperty {
public:
    tPelSimpleProperty(const QString& name, tPelCompoundProperty* owner) : tPelBaseProperty(name, owner) {}

    const QString& Comment() const { return comment_; }
    void SetComment(const QString& comment) { comment_ = comment; }
    virtual QString GetComment() { return comment_; }

    bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) override;
    void WriteTo(tLines& target, bool shortFormat, int indent) override;
    QString TypeKeyword() const override { return QString(); }
    QString EndKeyword() const override { return QString(); }

private:
    QString comment_;
};

// The ordered, owning child list of a compound. Lookups by name and key use an index kept in step
// with the list, so reading a block stays linear however many entries it holds.
class tPelPropertyList {
public:
    explicit tPelPropertyList(tPelCompoundProperty* owner) : owner_(owner) {}
    virtual ~tPelPropertyList();
    tPelPropertyList(const tPelPropertyList&) = delete;
    tPelPropertyList& operator=(const tPelPropertyList&) = delete;

    tPelCompoundProperty* Owner() const { return owner_; }
    int Count() const { return int(items_.size()); }
    tPelBaseProperty* Items(int index) const; // raises for an index out of range
    int IndexOf(const tPelBaseProperty* item) const;

    // Reads child lines up to the owner's end line.
    virtual bool Read(const tLines& source, int& lineIndex, tErrorList* errors);
    // The generic factory for lines that match no child.
    virtual tPelBaseProperty* CreateChild(const QString& name, const QString& key, const QString& value,
                                          const QString& comment, tErrorList* errors, int reserved1,
                                          int reserved2);
    // Depth first, locale case-insensitive on name and key; first match wins.
    virtual tPelBaseProperty* FindChild(const QString& name, const QString& key, bool recursive) const;
    // The first child that answers to a scanned name and key; with entriesOnly, the first that is
    // no block (a line without a type keyword, in a file that writes every block with one).
    tPelBaseProperty* FindMatching(const QString& name, const QString& key, bool entriesOnly = false) const;

    void WriteAll(tLines& target, bool shortFormat, int indent);
    void ClearModified();

    // Ownership.
    void Append(tPelBaseProperty* item);
    void RemoveAt(int index);                            // destroys the item
    std::unique_ptr<tPelBaseProperty> TakeAt(int index); // hands the item to the caller
    void Rekey(tPelBaseProperty* item, const QString& oldKey);
    // Moves an item to another place in the list (and so in the file); lookups are not affected.
    void Move(tPelBaseProperty* item, int index);
    // Takes out, without destroying it, an item being destroyed while still listed (a constructor
    // that raised). Makes no virtual call on the item.
    void Forget(tPelBaseProperty* item);
    // Destroys the items an earlier reading made for unknown lines.
    void RemoveUnknownEntries();

private:
    void indexItem(tPelBaseProperty* item);
    void unindexItem(tPelBaseProperty* item, const QString& key);
    void flushPendingIndex() const;
    static QString lookupKey(const QString& name, const QString& key);

    tPelCompoundProperty* owner_;
    std::vector<std::unique_ptr<tPelBaseProperty>> items_;
    QHash<QString, std::vector<tPelBaseProperty*>> index_; // each bucket in list order
    std::vector<tPelBaseProperty*> pendingIndex_;          // appended, not yet indexed
    quint64 nextSequence_ = 1;
};

// A node owning an ordered list of children, written as a block between a header and an end line.
class tPelCompoundProperty : public tPelBaseProperty {
public:
    tPelCompoundProperty(const QString& name, tPelCompoundProperty* owner);
    ~tPelCompoundProperty() override;

    tPelPropertyList& Children() { return *children_; }
    const tPelPropertyList& Children() const { return *children_; }
    int ChildCount() const { return children_ ? children_->Count() : -1; }
    int CurrentIndex() const { return currentIndex_; }
    void SetCurrentIndex(int index) { currentIndex_ = index; }
    tPelBaseProperty* ChangedChild() const { return changedChild_; }

    // The child with this name (ASCII case-insensitive, no key), or nullptr.
    tPelBaseProperty* Child(const QString& name) const;

    void SetModified(bool flag) override;
    void SetEnabled(bool flag) override;
    void Changed(tPelBaseProperty* sender) override;
    void Clear() override;
    bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) override;
    bool IsUnchanged() override;
    void WriteTo(tLines& target, bool shortFormat, int indent) override;
    void Undo(tChangeKind, const QString&) override {}
    void Redo(tChangeKind, const QString&) override {}
    QString TypeKeyword() const override { return QStringLiteral("Object"); }

    // Hook asked first by the factory for a line that matches no child; nothing in the base.
    virtual tPelBaseProperty* CreateChild(const QString& name, const QString& key, const QString& value,
                                          const QString& comment, tErrorList* errors, int reserved1,
                                          int reserved2);
    // Extra lines after the header (array size lines).
    virtual void WriteHeader(tLines& target, int indent) { (void)target, (void)indent; }
    // A block whose content this program does not know, kept as read: lines inside it that match no
    // child are taken without being reported.
    virtual bool KeepsUnknownContent() const { return false; }

private:
    std::unique_ptr<tPelPropertyList> children_;
    int currentIndex_ = -1;
    tPelBaseProperty* changedChild_ = nullptr;
};

// n blanks.
inline QString Indent(int n) {
    return QString(n, QLatin1Char(' '));
}
