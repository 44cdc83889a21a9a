#pragma once
// Where two property trees of the same shape hold different values: the document against what a
// device sent back, or against another configuration. Values take part by the rules a verification
// uses: a disabled value and one whose compare mode excludes it never differ, integers compare by
// number ("007" and "7" are the same).

#include "property/Pelparse.h"

#include <QList>
#include <QString>

struct tValueDifference {
    QString Path;      // as `zcfg show` names it: "Device/User Data/Beeper Enabled"
    QString Ours;      // the value the first tree holds, as a person reads it
    QString Theirs;    // the value the second tree holds, as a person reads it
    QString OursValue; // the stored texts, for tools that need them exactly
    QString TheirsValue;
};

// The values of `ours` that `theirs` holds differently. `path` is the path of `ours` itself (empty for
// a document root, whose children then start the paths). The trees are walked side by side; where
// their shapes part (another number of items), that node is one difference.
QList<tValueDifference> FindValueDifferences(tPelBaseProperty* ours, tPelBaseProperty* theirs,
                                             const QString& path = QString());

// One line per difference: "PATH: OURS -> THEIRS".
QString DifferenceLine(const tValueDifference& difference);
