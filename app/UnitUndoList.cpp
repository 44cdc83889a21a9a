#include "app/UnitUndoList.h"

#include <QScopeGuard>
#include <algorithm>

void tUndoRedo::SetOnUndoAvailable(tAvailableEvent handler) {
    onUndoAvailable_ = std::move(handler);
    fireUndoAvailable(CanUndo());
}

void tUndoRedo::SetOnRedoAvailable(tAvailableEvent handler) {
    onRedoAvailable_ = std::move(handler);
    fireRedoAvailable(CanRedo());
}

void tUndoRedo::fireUndoAvailable(bool available) {
    if (onUndoAvailable_) onUndoAvailable_(this, available);
}

void tUndoRedo::fireRedoAvailable(bool available) {
    if (onRedoAvailable_) onRedoAvailable_(this, available);
}

void tUndoRedo::Clear() {
    undoStack_.clear();
    undoCounts_.clear();
    fireUndoAvailable(false);
    redoStack_.clear();
    redoCounts_.clear();
    fireRedoAvailable(false);
}

void tUndoRedo::BeginGroup() {
    if (undoGroupOpen_) {
        ++undoNesting_;
        return;
    }
    undoGroupOpen_ = true;
    undoCounts_.push_back({0});
    undoNesting_ = 0;
}

void tUndoRedo::EndGroup() {
    if (undoNesting_ > 0)
        --undoNesting_;
    else
        undoGroupOpen_ = false;
}

// Adds a step to the open group, or makes it a group of its own. A group whose count was dropped by
// Clear while it was open starts afresh.
void tUndoRedo::countStep(tUndoCountStack& counts, bool groupOpen) {
    if (groupOpen && !counts.empty())
        ++counts.back().Count;
    else
        counts.push_back({1});
}

void tUndoRedo::Record(int pageIndex, tUndoable* property, tChangeKind kind, const QString& text) {
    if (!redoing_) {
        redoStack_.clear();
        redoCounts_.clear();
        fireRedoAvailable(false);
    }
    if (undoStack_.empty()) fireUndoAvailable(true);
    undoStack_.push_back({pageIndex, kind, property, text, property ? property->AliveToken() : nullptr});
    countStep(undoCounts_, undoGroupOpen_);
}

void tUndoRedo::RecordRedo(tUndoable* property, tChangeKind kind, const QString& text) {
    if (redoStack_.empty()) fireRedoAvailable(true);
    redoStack_.push_back(
        {lastUndonePage_, kind, property, text, property ? property->AliveToken() : nullptr});
    countStep(redoCounts_, redoGroupOpen_);
}

// Pops group sizes until a non-empty group is found. Without one the remaining steps count singly.
int tUndoRedo::popGroupSize(tUndoCountStack& counts) {
    while (!counts.empty()) {
        const int count = counts.back().Count;
        counts.pop_back();
        if (count != 0) return count;
    }
    return 1;
}

int tUndoRedo::Undo() {
    if (undoStack_.empty()) return -1;
    const int count = std::min<int>(popGroupSize(undoCounts_), int(undoStack_.size()));
    redoGroupOpen_ = count > 1;
    if (redoGroupOpen_) redoCounts_.push_back({0});
    int page = -1;
    for (int i = 0; i < count && !undoStack_.empty(); ++i) {
        const tUndoRedoRec step = std::move(undoStack_.back());
        undoStack_.pop_back();
        if (undoStack_.empty()) fireUndoAvailable(false);
        lastUndonePage_ = step.PageIndex;
        page = step.PageIndex;
        step.PlayUndo();
    }
    redoGroupOpen_ = false;
    return page;
}

int tUndoRedo::Redo() {
    if (redoStack_.empty()) return -1;
    const int count = std::min<int>(popGroupSize(redoCounts_), int(redoStack_.size()));
    // The steps of a multi-step group go back onto the undo side as one group, which is closed
    // again afterwards (also when a step raises) so that the next change forms a step of its own.
    const bool opened = count > 1;
    redoing_ = true;
    undoGroupOpen_ = opened;
    if (opened) {
        undoCounts_.push_back({0});
        undoNesting_ = 0;
    }
    const auto end = qScopeGuard([this, opened] { endRedo(opened); });
    int page = -1;
    for (int i = 0; i < count && !redoStack_.empty(); ++i)
        page = playRedoStep();
    return page;
}

int tUndoRedo::playRedoStep() {
    const tUndoRedoRec step = std::move(redoStack_.back());
    redoStack_.pop_back();
    if (redoStack_.empty()) fireRedoAvailable(false);
    step.PlayRedo();
    return step.PageIndex;
}

void tUndoRedo::endRedo(bool closeGroup) {
    redoing_ = false;
    if (closeGroup) undoGroupOpen_ = false;
}
