#pragma once
// The undo manager: records every change of the document as a step, groups the steps of one user
// action, and plays groups back on undo and redo.

#include "property/PelChange.h"

#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

// One recorded step.
struct tUndoRedoRec {
    int PageIndex = -1;                        // page that was in front when the step was recorded
    tChangeKind Kind = ckValue;                // what the step undoes
    tUndoable* Property = nullptr;             // not owned
    QString Text;                              // the text to restore
    std::shared_ptr<const bool> PropertyAlive; // false once the node is destroyed; its step is skipped

    void PlayUndo() const {
        if (Property && PropertyAlive && *PropertyAlive) Property->Undo(Kind, Text);
    }
    void PlayRedo() const {
        if (Property && PropertyAlive && *PropertyAlive) Property->Redo(Kind, Text);
    }
};

// The number of steps one undo or redo plays back together, and the group's identity, which goes
// with it from the undo side to the redo side and back.
struct tUndoCount {
    int Count = 0;
    quint64 Id = 0;
};

using tUndoRedoStack = std::vector<tUndoRedoRec>;
using tUndoCountStack = std::vector<tUndoCount>;

class tUndoRedo : public tObject {
public:
    // (sender, available): the matching stack became empty or non-empty.
    using tAvailableEvent = std::function<void(tUndoRedo* sender, bool available)>;

    bool CanUndo() const noexcept { return !undoStack_.empty(); }
    bool CanRedo() const noexcept { return !redoStack_.empty(); }

    // Both call the handler at once with the current state.
    void SetOnUndoAvailable(tAvailableEvent handler);
    void SetOnRedoAvailable(tAvailableEvent handler);

    void Clear();

    void BeginGroup();
    void EndGroup();

    void Record(int pageIndex, tUndoable* property, tChangeKind kind, const QString& text);
    void RecordRedo(tUndoable* property, tChangeKind kind, const QString& text);

    // Play back one group; the page index of the last step played, or -1 when there was none.
    int Undo();
    int Redo();

    int LastUndonePage() const noexcept { return lastUndonePage_; }

    // The history's position when the document was last saved (or loaded, or made new: Clear).
    // AtSavedState is true there, and again whenever undo or redo come back to it.
    void MarkSaved();
    bool AtSavedState() const { return currentState() == savedState_; }

    // Consecutive changes of one value, each a step of its own, join into one step when the value
    // is one of these (typing into a field): undo then goes back to the value before the typing.
    void SetMergeable(std::function<bool(const tUndoable* property)> mergeable) {
        mergeable_ = std::move(mergeable);
    }
    // The next change starts a step of its own (the user moved to another control).
    void BreakMerging() { mergeOpen_ = false; }

private:
    static tUndoCount popGroup(tUndoCountStack& counts);
    void countStep(tUndoCountStack& counts, bool groupOpen);
    quint64 groupId();
    quint64 currentState() const;
    void mergeClosedGroup();
    int playRedoStep();
    void endRedo(bool closeGroup);
    void fireUndoAvailable(bool available);
    void fireRedoAvailable(bool available);

    tUndoRedoStack undoStack_;
    tUndoRedoStack redoStack_;
    tUndoCountStack undoCounts_;
    tUndoCountStack redoCounts_;
    tAvailableEvent onUndoAvailable_;
    tAvailableEvent onRedoAvailable_;
    bool undoGroupOpen_ = false;
    int undoNesting_ = 0;
    bool redoGroupOpen_ = false;
    bool redoing_ = false;
    int lastUndonePage_ = -1;
    quint64 nextId_ = 0;
    quint64 carriedId_ = 0; // the identity of the group undo or redo is moving
    quint64 savedState_ = 0;
    bool mergeOpen_ = false;
    std::function<bool(const tUndoable*)> mergeable_;
};
