#include "app/UnitUndoList.h"

#include <QScopeGuard>
#include <QScopedValueRollback>
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
    savedState_ = 0;
    mergeOpen_ = false;
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
    undoCounts_.push_back({0, groupId()});
    undoNesting_ = 0;
}

void tUndoRedo::EndGroup() {
    if (undoNesting_ > 0) {
        --undoNesting_;
        return;
    }
    undoGroupOpen_ = false;
    mergeClosedGroup();
}

// A group moved by undo or redo keeps its identity; every other group gets a new one.
quint64 tUndoRedo::groupId() {
    return carriedId_ ? carriedId_ : ++nextId_;
}

// Adds a step to the open group, or makes it a group of its own. A group whose count was dropped by
// Clear while it was open starts afresh.
void tUndoRedo::countStep(tUndoCountStack& counts, bool groupOpen) {
    if (groupOpen && !counts.empty())
        ++counts.back().Count;
    else
        counts.push_back({1, groupId()});
}

quint64 tUndoRedo::currentState() const {
    for (auto count = undoCounts_.rbegin(); count != undoCounts_.rend(); ++count)
        if (count->Count != 0) return count->Id;
    return 0;
}

void tUndoRedo::MarkSaved() {
    savedState_ = currentState();
    mergeOpen_ = false;
}

// The group just closed joins the one before when both are a single change of the same value that
// may merge; the earlier step keeps the text from before the first change.
void tUndoRedo::mergeClosedGroup() {
    const bool single = !redoing_ && !undoCounts_.empty() && undoCounts_.back().Count == 1 &&
                        !undoStack_.empty() && undoStack_.back().Kind == ckValue && mergeable_ &&
                        mergeable_(undoStack_.back().Property);
    if (!single) {
        mergeOpen_ = false;
        return;
    }
    const size_t n = undoStack_.size();
    const size_t groups = undoCounts_.size();
    if (mergeOpen_ && n >= 2 && groups >= 2 && undoCounts_[groups - 2].Count == 1 &&
        undoStack_[n - 2].Kind == ckValue && undoStack_[n - 2].Property == undoStack_.back().Property) {
        undoStack_.pop_back();
        undoCounts_.pop_back();
    }
    mergeOpen_ = true;
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
    if (!undoGroupOpen_) mergeOpen_ = false; // a change outside any group is never merged
}

void tUndoRedo::RecordRedo(tUndoable* property, tChangeKind kind, const QString& text) {
    if (redoStack_.empty()) fireRedoAvailable(true);
    redoStack_.push_back(
        {lastUndonePage_, kind, property, text, property ? property->AliveToken() : nullptr});
    countStep(redoCounts_, redoGroupOpen_);
}

// Pops groups until a non-empty one is found. Without one the remaining steps count singly.
tUndoCount tUndoRedo::popGroup(tUndoCountStack& counts) {
    while (!counts.empty()) {
        const tUndoCount group = counts.back();
        counts.pop_back();
        if (group.Count != 0) return group;
    }
    return {1, 0};
}

int tUndoRedo::Undo() {
    if (undoStack_.empty()) return -1;
    mergeOpen_ = false;
    const tUndoCount group = popGroup(undoCounts_);
    const int count = std::min<int>(group.Count, int(undoStack_.size()));
    const QScopedValueRollback<quint64> carrying(carriedId_, group.Id);
    redoGroupOpen_ = count > 1;
    if (redoGroupOpen_) redoCounts_.push_back({0, group.Id});
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
    mergeOpen_ = false;
    const tUndoCount group = popGroup(redoCounts_);
    const int count = std::min<int>(group.Count, int(redoStack_.size()));
    const QScopedValueRollback<quint64> carrying(carriedId_, group.Id);
    // The steps of a multi-step group go back onto the undo side as one group, which is closed
    // again afterwards (also when a step raises) so that the next change forms a step of its own.
    const bool opened = count > 1;
    redoing_ = true;
    undoGroupOpen_ = opened;
    if (opened) {
        undoCounts_.push_back({0, group.Id});
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
