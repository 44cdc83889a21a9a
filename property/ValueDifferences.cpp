#include "property/ValueDifferences.h"

#include "property/PropertyPaths.h"

namespace {

QString childPath(const QString& path, const tPelBaseProperty* child) {
    return path.isEmpty() ? PathSegment(child) : path + QLatin1Char('/') + PathSegment(child);
}

bool takesPart(const tPelBaseProperty* node) {
    switch (node->CompareMode()) {
    case 0:
        return node->Enabled();
    case 1:
        return false;
    default:
        return true;
    }
}

void addDifference(tPelBaseProperty* ours, tPelBaseProperty* theirs, const QString& path,
                   QList<tValueDifference>& out) {
    out.append({path, ShownText(ours), ShownText(theirs), ours->Value(), theirs->Value()});
}

void collect(tPelBaseProperty* ours, tPelBaseProperty* theirs, const QString& path,
             QList<tValueDifference>& out) {
    if (!takesPart(ours)) return;
    auto* ourCompound = dynamic_cast<tPelCompoundProperty*>(ours);
    auto* theirCompound = dynamic_cast<tPelCompoundProperty*>(theirs);
    if (!ourCompound || !theirCompound) {
        // The node's own comparison decides (integers by number); the reference is scratch state
        // that only a comparison reads, and taking the other tree's value changes nothing else.
        ours->SetReference(theirs->Value());
        if (!ours->IsUnchanged()) addDifference(ours, theirs, path, out);
        return;
    }
    if (!path.isEmpty() && ours->Value() != theirs->Value()) addDifference(ours, theirs, path, out);
    const int count = ourCompound->ChildCount();
    if (count != theirCompound->ChildCount()) {
        addDifference(ours, theirs, path, out);
        return;
    }
    for (int i = 0; i < count; ++i) {
        tPelBaseProperty* ourChild = ourCompound->Children().Items(i);
        tPelBaseProperty* theirChild = theirCompound->Children().Items(i);
        if (!theirChild->Matches(ourChild->Name(), ourChild->HasKey() ? ourChild->Key() : QString())) {
            addDifference(ours, theirs, path, out);
            return;
        }
        collect(ourChild, theirChild, childPath(path, ourChild), out);
    }
}

} // namespace

QList<tValueDifference> FindValueDifferences(tPelBaseProperty* ours, tPelBaseProperty* theirs,
                                             const QString& path) {
    QList<tValueDifference> out;
    if (ours && theirs) collect(ours, theirs, path, out);
    return out;
}

QString DifferenceLine(const tValueDifference& difference) {
    return QStringLiteral("%1: %2 -> %3").arg(difference.Path, difference.Ours, difference.Theirs);
}
