#pragma once
// Two services of the main window that the desktop asks for: a stored placement that lies off every
// present screen is brought back onto the primary screen, and the platform's standard keys work
// beside the document's own menu shortcuts.

class QWidget;
class TPelFileMenus;

// Moves window onto the primary screen (and shrinks it to fit) when no present screen shows enough
// of it to be grabbed. Returns whether it moved the window.
bool MoveOntoScreen(QWidget& window);

// Adds QKeySequence::New, Open, Save, SaveAs, Quit, Undo, Redo and HelpContents to the matching menu
// entries, keeping each entry's own shortcut first; a standard key another entry already uses is left out.
void AddStandardKeys(TPelFileMenus& menus);
