#pragma once
// Change kinds passed with every change notification of the property tree, and the two operations
// through which the undo manager plays a recorded change back.

#include "property/PelObject.h"

#include <QString>
#include <cstdint>
#include <memory>

enum tChangeKind : uint8_t {
    ckReset = 0,        // forget the undo history (a body was read, a new document was made)
    ckValue = 1,        // a value text (old or new)
    ckArraySize = 2,    // item count limit of an object array
    ckItemAdded = 3,    // index of an appended item
    ckItemInserted = 4, // index of an inserted item
    ckItemDeleted = 5,  // index of a deleted item
    ckSelStart = 6,     // memo selection start
    ckSelLength = 7,    // memo selection length
};

// A node on which a recorded change can be undone or redone (every property node is one).
// Nodes can be destroyed while the undo history still names them (a device object replaced by one of
// another class), so a recorder keeps AliveToken() next to the pointer and skips steps whose node is gone.
class tUndoable : public tObject {
public:
    tUndoable() = default;
    tUndoable(const tUndoable&) = delete;
    tUndoable& operator=(const tUndoable&) = delete;

    virtual void Undo(tChangeKind kind, const QString& text) = 0;
    virtual void Redo(tChangeKind kind, const QString& text) = 0;
};
