#pragma once
// The toolbar's pictures. They are drawn by the program when first painted, at the size and pixel
// density they are shown at: nothing is read or decoded while the window starts, and they stay sharp
// at any scale. A disabled picture is drawn in grey.

#include <QIcon>

// More: the chevron of a menu bar or tool bar too narrow for all its entries.
enum class tToolbarGlyph { New, Open, Save, Read, Program, Undo, Redo, More };

QIcon ToolbarIcon(tToolbarGlyph glyph);
