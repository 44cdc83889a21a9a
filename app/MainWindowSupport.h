#pragma once
// Two services of the main window that the desktop asks for: a stored placement that lies off every
// present screen is brought back onto the primary screen, and the platform's standard keys work
// beside the document's own menu shortcuts.

#include <QObject>

class QWidget;
class TPelFileMenus;

// Moves window onto the primary screen (and shrinks it to fit) when no present screen shows enough
// of it to be grabbed. Returns whether it moved the window.
bool MoveOntoScreen(QWidget& window);

// Shrinks window to the available area of its screen (not below its minimum size) and slides it
// inside that area. Returns whether it changed the window.
bool FitOntoScreen(QWidget& window);

// Gives the File and Edit entries the desktop's standard keys (Ctrl+N, Ctrl+O, Ctrl+S, Ctrl+Shift+S,
// Ctrl+Q, Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y), shown in the menus, and keeps each entry's own shortcut
// working behind them; Contents keeps its own key shown. A key another entry already uses is left out.
void AddStandardKeys(TPelFileMenus& menus);

// Sends the desktop's undo and redo keys, pressed in any text field of window, to the window's own
// Undo and Redo (which undo through the document and bring the page to front) instead of the text
// field's private undo, which knows nothing of the document.
class TUndoKeyRouter : public QObject {
public:
    explicit TUndoKeyRouter(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget& window_;
};
