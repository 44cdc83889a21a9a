#pragma once
// The undo manager: records every change of the document as a step, groups the steps of one user
// action, and plays groups back on undo and redo.

#include "property/PelChange.h"

#include <QString>
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

// The number of steps one undo or redo plays back together.
struct tUndoCount {
    int Count = 0;
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

private:
    static int popGroupSize(tUndoCountStack& counts);
    static void countStep(tUndoCountStack& counts, bool groupOpen);
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
};
