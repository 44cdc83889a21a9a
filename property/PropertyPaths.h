#pragma once
// Properties addressed by path ("Device/Zonal Data/Item(3)/Tone"), shown as a person reads them,
// and changed as the editor would change them.

#include "property/Pelparse.h"

#include <QString>
#include <QStringList>

class tZCfgFile;

// The path segment of a node: its name, with the key in parentheses when it has one.
QString PathSegment(const tPelBaseProperty* node);

// One line per value: "PATH = VALUE", followed by " (SHOWN)" where the shown text differs. Memo lines
// are listed as "PATH(n) = line" (n from 1).
QStringList ShowLines(tPelCompoundProperty* root);

// The node at a path below root, matching whole child segments (names may contain "/"), letter case
// ignored; nullptr when there is none.
tPelBaseProperty* ResolvePath(tPelCompoundProperty* root, const QString& path);

// The text a person sees for a value (model names, "Unassigned", display texts of enumerations).
QString ShownText(tPelBaseProperty* node);

// Changes a value as the editor would, so the same rules run. Returns an empty text on success,
// otherwise why the value was refused (nothing was changed then).
QString SetAsEditor(tPelBaseProperty* node, const QString& value);
