#pragma once
// Helpers shared by the bindable controls: raising a single-handler event from a Qt signal, and the
// two background looks of an edit field.

#include "property/PelError.h"
#include "property/PelObject.h"

#include <QPalette>
#include <QWheelEvent>
#include <QWidget>

// Calls a control's handler, if one is set, without letting an error reach Qt's event loop. The
// handler is copied first: it may rebind the control and so replace itself while it runs.
inline void FireEvent(const tNotifyEvent& handler, tObject* sender) {
    if (!handler) return;
    const tNotifyEvent call = handler;
    Guarded([&] { call(sender); });
}

// true: the field takes its parent's window colour (a display-only look); false: the system's
// edit-field colour.
// A palette is set only when the colour changes: every new palette is a new key to the style's
// pixmap cache, which would grow with every binding of the page.
inline void ApplyParentColour(QWidget* widget, bool parentColour) {
    const bool own = widget->testAttribute(Qt::WA_SetPalette);
    if (!parentColour) {
        if (own) widget->setPalette(QPalette());
        return;
    }
    const QColor window = widget->parentWidget() ? widget->parentWidget()->palette().color(QPalette::Window)
                                                 : QPalette().color(QPalette::Window);
    if (own && widget->palette().color(QPalette::Base) == window) return;
    QPalette palette;
    palette.setColor(QPalette::Base, window);
    widget->setPalette(palette);
}

// The control's own enabled flag, whatever the state of its parents.
inline bool OwnEnabled(const QWidget* widget) {
    return !widget->testAttribute(Qt::WA_ForceDisabled);
}

// A value control takes the mouse wheel only while it has the focus; otherwise the wheel goes on to
// its parents, so scrolling a page over a list or a number changes nothing.
template <class Handle>
void IgnoreWheelUnlessFocused(const QWidget* control, QWheelEvent* event, Handle handle) {
    if (control->hasFocus())
        handle();
    else
        event->ignore();
}
