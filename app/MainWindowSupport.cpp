#include "app/MainWindowSupport.h"

#include "app/PelRegistry.h"
#include "property/controls/PelFileMenus.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {
constexpr int kMinimumVisible = MinimumVisibleExtent;
// Redo's other usual key, which not every desktop lists among its own.
const QKeySequence RedoAlternative(Qt::CTRL | Qt::Key_Y);

// The keys a desktop user expects go first, and the first is the one the menu shows; the entry's own
// keys (Alt+F2 ...) follow, still working wherever the desktop lets them reach the window (Alt+F4 and
// Ctrl+Alt+F4 it keeps for itself). A key another entry already answers to is left out (F1 is both
// the desktop's help key and the current device's help topic): a key shared by two entries would
// trigger neither.
void addKeys(QMenu* menu, const QString& caption, QKeySequence::StandardKey standard,
             const QList<QKeySequence>& usual, QList<QKeySequence>& taken) {
    if (!menu) return;
    for (QAction* action : menu->actions()) {
        if (action->text() != caption) continue;
        QList<QKeySequence> keys;
        for (const QKeySequence& key : QKeySequence::keyBindings(standard) + usual)
            if (!keys.contains(key) && !taken.contains(key)) keys << key;
        taken << keys;
        action->setShortcuts(keys + action->shortcuts());
    }
}

QList<QKeySequence> shortcutsOf(const QList<QMenu*>& menus) {
    QList<QKeySequence> keys;
    for (const QMenu* menu : menus)
        if (menu)
            for (const QAction* action : menu->actions())
                keys << action->shortcuts();
    return keys;
}
} // namespace

bool MoveOntoScreen(QWidget& window) {
    const QRect frame = window.frameGeometry();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shown = screen->availableGeometry().intersected(frame);
        if (shown.width() >= kMinimumVisible && shown.height() >= kMinimumVisible) return false;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return false;
    const QRect available = primary->availableGeometry();
    const QSize size = window.size().boundedTo(available.size());
    window.resize(size);
    QRect target(QPoint(0, 0), window.frameGeometry().size().boundedTo(available.size()));
    target.moveCenter(available.center());
    window.move(target.topLeft());
    return true;
}

bool FitOntoScreen(QWidget& window) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return false;
    const QRect available = screen->availableGeometry();
    const QSize frameExtra = window.frameGeometry().size() - window.size();
    const QSize fitted =
        window.size().boundedTo(available.size() - frameExtra).expandedTo(window.minimumSizeHint());
    const bool resized = fitted != window.size();
    if (resized) window.resize(fitted);
    QRect frame = window.frameGeometry();
    if (available.contains(frame)) return resized;
    // Slide the window in from whichever edge it crosses, its top left corner kept on the screen.
    frame.moveRight(std::min(frame.right(), available.right()));
    frame.moveBottom(std::min(frame.bottom(), available.bottom()));
    frame.moveLeft(std::max(frame.left(), available.left()));
    frame.moveTop(std::max(frame.top(), available.top()));
    window.move(frame.topLeft());
    return true;
}

void AddStandardKeys(TPelFileMenus& menus) {
    QMenu* file = menus.FileMenu();
    QMenu* edit = menus.EditMenu();
    QMenu* help = menus.HelpMenu();
    QList<QKeySequence> taken = shortcutsOf({file, edit, menus.DeviceMenu(), help});
    if (QWidget* window = file ? file->parentWidget() ? file->parentWidget()->window() : nullptr : nullptr)
        for (const QAction* action : window->findChildren<QAction*>())
            taken << action->shortcuts();
    // The desktop's own keys first; on every Linux desktop they are these.
    const auto ctrl = [](Qt::Key key, Qt::KeyboardModifiers more = {}) {
        return QList<QKeySequence>{QKeySequence(Qt::ControlModifier | more | key)};
    };
    addKeys(file, QStringLiteral("&New"), QKeySequence::New, ctrl(Qt::Key_N), taken);
    addKeys(file, QStringLiteral("&Load"), QKeySequence::Open, ctrl(Qt::Key_O), taken);
    addKeys(file, QStringLiteral("&Save"), QKeySequence::Save, ctrl(Qt::Key_S), taken);
    addKeys(file, QStringLiteral("Save &As"), QKeySequence::SaveAs, ctrl(Qt::Key_S, Qt::ShiftModifier),
            taken);
    addKeys(file, QStringLiteral("E&xit"), QKeySequence::Quit, ctrl(Qt::Key_Q), taken);
    addKeys(edit, QStringLiteral("&Undo"), QKeySequence::Undo, ctrl(Qt::Key_Z), taken);
    addKeys(edit, QStringLiteral("&Redo"), QKeySequence::Redo,
            ctrl(Qt::Key_Z, Qt::ShiftModifier) + QList<QKeySequence>{RedoAlternative}, taken);
    addKeys(help, QStringLiteral("&Contents"), QKeySequence::HelpContents, {}, taken);
}

TUndoKeyRouter::TUndoKeyRouter(QWidget& window) : QObject(&window), window_(window) {
    qApp->installEventFilter(this);
}

bool TUndoKeyRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == &window_) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
            QKeySequence(key->keyCombination()) == RedoAlternative) {
            // Not overridden: the key goes on to the window's shortcuts.
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
