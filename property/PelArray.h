#pragma once
// Arrays: compounds whose children are numbered items "Item( 0 )", "Item( 1 )", ..., written after a
// "Max = n" line holding the highest index. Adding and deleting items are undoable changes.

#include "property/Pelparse.h"

#include <functional>

using tItemEvent = std::function<void(tPelBaseProperty* item)>;

// What an object array makes its items from: the class's type keyword and its keyed constructor.
struct tPropertyClass {
    QString TypeKeyword;
    std::function<tPelBaseProperty*(const QString& name, const QString& key, tPelCompoundProperty* owner)>
        CreateWithKey;
};

template <class T> tPropertyClass PropertyClassOf(const QString& typeKeyword = QStringLiteral("Object")) {
    return {typeKeyword,
            [](const QString& name, const QString& key, tPelCompoundProperty* owner) -> tPelBaseProperty* {
                return ::CreateWithKey<T>(name, key, owner);
            }};
}

// The largest item count a "Max" line may ask for; larger sizes are refused when reading.
constexpr int MaxArrayIndex = 9999;

class tPelArrayProperty : public tPelCompoundProperty {
public:
    using tPelCompoundProperty::tPelCompoundProperty;

    int MaxIndex() const { return maxIndex_; }
    bool ClearDeletesItems() const { return clearDeletesItems_; }
    void SetClearDeletesItems(bool flag) { clearDeletesItems_ = flag; }
    void SetOnItemAdded(tItemEvent handler) { onItemAdded_ = std::move(handler); }
    void SetOnItemDeleting(tItemEvent handler) { onItemDeleting_ = std::move(handler); }

    tPelBaseProperty* GetItem(int index) const;
    virtual tPelBaseProperty* AddItem();
    virtual tPelBaseProperty* InsertItem(int index);
    virtual void DeleteItem(int index);
    virtual void SetMaxIndex(int value);
    void Renumber();

    void Clear() override;
    bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) override;
    void WriteTo(tLines& target, bool shortFormat, int indent) override;
    void WriteHeader(tLines& target, int indent) override;
    void Undo(tChangeKind kind, const QString& text) override;
    void Redo(tChangeKind kind, const QString& text) override;
    QString TypeKeyword() const override { return QStringLiteral("Array"); }

protected:
    // Makes one item named "Item" with the key; raises "Unable to create child" when none is made.
    virtual tPelBaseProperty* makeItem(const QString& key);
    void recordItemChange(tChangeKind kind, int index);
    void setMaxIndexSilently(int value) { maxIndex_ = value; }
    void resizeItems(int value);
    void itemAdded(tPelBaseProperty* item);
    virtual bool warnsWithoutSizeLine() const { return false; }

private:
    void playBack(tChangeKind kind, const QString& text);

    int maxIndex_ = -1;
    bool clearDeletesItems_ = false;
    tItemEvent onItemAdded_;
    tItemEvent onItemDeleting_;
};

// An "Array" or "ObjectArray" block of a file that the program does not know, made by the reader.
// Nothing says what its items are, so it makes none: it keeps its keyword, its size line and every
// item as read and writes them back so.
class tPelUnknownArray : public tPelArrayProperty {
public:
    tPelUnknownArray(const QString& name, tPelCompoundProperty* owner,
                     QString typeKeyword = QStringLiteral("Array"))
        : tPelArrayProperty(name, owner), typeKeyword_(std::move(typeKeyword)) {}

    bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) override;
    void WriteTo(tLines& target, bool shortFormat, int indent) override;
    void WriteHeader(tLines& target, int indent) override;
    QString TypeKeyword() const override { return typeKeyword_; }

private:
    QString typeKeyword_;
    bool hasSizeLine_ = false;
    QString sizeText_;
};

class tPelObjectArray : public tPelArrayProperty {
public:
    tPelObjectArray(const QString& name, tPelCompoundProperty* owner, tPropertyClass itemClass)
        : tPelArrayProperty(name, owner), itemClass_(std::move(itemClass)) {}

    const tPropertyClass& ItemClass() const { return itemClass_; }

    tPelBaseProperty* AddItem() override;
    void SetMaxIndex(int value) override;
    void Clear() override;
    tPelBaseProperty* CreateChild(const QString& name, const QString& key, const QString& value,
                                  const QString& comment, tErrorList* errors, int reserved1,
                                  int reserved2) override;
    QString TypeKeyword() const override { return QStringLiteral("ObjectArray"); }

protected:
    tPelBaseProperty* makeItem(const QString& key) override;
    bool warnsWithoutSizeLine() const override { return true; }

private:
    tPropertyClass itemClass_;
};
