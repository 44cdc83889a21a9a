#include "property/controls/PelControls.h"

#include "property/controls/ControlSupport.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// Puts `widget` right behind `after` in their window's tab order, whether or not `after` or the
// widgets between the two take the focus.
void placeInTabOrder(QWidget* after, QWidget* widget) {
    if (after->nextInFocusChain() == widget) return;
    // The toolkit moves a widget only behind one that takes focus, and leaves it where it is when no
    // widget that takes focus lies between the two (Tab would reach it next anyway, but not once
    // more widgets are placed behind `after`). Both are lent the focus for that moment.
    QList<std::pair<QWidget*, Qt::FocusPolicy>> lent;
    for (QWidget* w : {after, after->nextInFocusChain()})
        if (w->focusPolicy() == Qt::NoFocus) {
            lent.append({w, w->focusPolicy()});
            w->setFocusPolicy(Qt::TabFocus);
        }
    QWidget::setTabOrder(after, widget);
    for (const auto& [w, policy] : lent)
        w->setFocusPolicy(policy);
}
} // namespace

// ============================================================================================
// Edit boxes
// ============================================================================================

template <class Interface>
tLineEditControl<Interface>::tLineEditControl(QWidget* parent) : QLineEdit(parent) {
    QObject::connect(this, &QLineEdit::textChanged, this, [this] { FireEvent(onChange_, this); });
}

template <class Interface> bool tLineEditControl<Interface>::IsEnabled() const {
    return OwnEnabled(this);
}

template <class Interface> void tLineEditControl<Interface>::SetParentColour(bool parentColour) {
    ApplyParentColour(this, parentColour);
}

template class tLineEditControl<IEditBox>;
template class tLineEditControl<IMaskedEditBox>;

void TPelMaskEdit::SetEditMask(const QString& mask) {
    editMask_ = mask;
    converted_ = ConvertEditMask(mask);
    setInputMask(converted_.inputMask);
}

QString TPelMaskEdit::Text() const {
    if (converted_.saveLiterals) return text();
    const QString shown = displayText();
    QString entered;
    for (int i = 0; i < shown.size(); ++i) {
        const bool literal = i < converted_.literalAt.size() && converted_.literalAt[i];
        if (!literal && shown[i] != converted_.blank) entered += shown[i];
    }
    return entered;
}

// ============================================================================================
// TPelCheckBox
// ============================================================================================

TPelCheckBox::TPelCheckBox(const QString& text, QWidget* parent) : QCheckBox(text, parent) {
    // toggled: a user click, and every change of the checked state made by the program.
    connect(this, &QCheckBox::toggled, this, [this] { FireEvent(onClick_, this); });
}

bool TPelCheckBox::IsEnabled() const {
    return OwnEnabled(this);
}

// ============================================================================================
// TPelComboBox
// ============================================================================================

TPelComboBox::TPelComboBox(QWidget* parent) : QComboBox(parent) {
    setFocusPolicy(Qt::StrongFocus); // the wheel gives no focus
    connect(this, &QComboBox::activated, this, [this] { FireEvent(onChange_, this); });
}

void TPelComboBox::wheelEvent(QWheelEvent* event) {
    IgnoreWheelUnlessFocused(this, event, [&] { QComboBox::wheelEvent(event); });
}

bool TPelComboBox::IsEnabled() const {
    return OwnEnabled(this);
}

QStringList TPelComboBox::Items() const {
    QStringList items;
    for (int i = 0; i < count(); ++i)
        items.append(itemText(i));
    return items;
}

// ============================================================================================
// TPelRadioGroup
// ============================================================================================

TPelRadioGroup::TPelRadioGroup(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), buttons_(new QButtonGroup(this)), layout_(new QVBoxLayout(this)) {
    // idClicked: only a choice made by the user (mouse, keyboard), never setChecked.
    connect(buttons_, &QButtonGroup::idClicked, this, [this] { FireEvent(onClick_, this); });
}

bool TPelRadioGroup::IsEnabled() const {
    return OwnEnabled(this);
}

QAbstractButton* TPelRadioGroup::Button(int index) const {
    return buttons_->button(index);
}

QStringList TPelRadioGroup::Items() const {
    QStringList items;
    for (int i = 0; i < buttons_->buttons().size(); ++i)
        items.append(buttons_->button(i)->text());
    return items;
}

void TPelRadioGroup::ClearItems() {
    // A page may refill the list from within the click of one of these buttons, so they are
    // taken out at once but deleted later.
    for (QAbstractButton* button : buttons_->buttons()) {
        buttons_->removeButton(button);
        layout_->removeWidget(button);
        button->hide();
        button->deleteLater();
    }
}

void TPelRadioGroup::AddItem(const QString& text) {
    const QList<QAbstractButton*> earlier = buttons_->buttons();
    auto* button = new QRadioButton(text, this);
    buttons_->addButton(button, int(earlier.size()));
    layout_->addWidget(button);
    // A new widget joins the end of its window's tab order; this one goes after the group's last
    // button, or where the group itself stands.
    placeInTabOrder(earlier.isEmpty() ? static_cast<QWidget*>(this) : earlier.last(), button);
}

int TPelRadioGroup::ItemIndex() const {
    return buttons_->checkedId();
}

void TPelRadioGroup::SetItemIndex(int index) {
    if (QAbstractButton* button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    // No selection: an exclusive group never unchecks its checked button by itself.
    if (QAbstractButton* checked = buttons_->checkedButton()) {
        buttons_->setExclusive(false);
        checked->setChecked(false);
        buttons_->setExclusive(true);
    }
}

// ============================================================================================
// TPelCheckListBox
// ============================================================================================

TPelCheckListBox::TPelCheckListBox(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemChanged, this, &TPelCheckListBox::itemChanged);
}

bool TPelCheckListBox::IsEnabled() const {
    return OwnEnabled(this);
}

void TPelCheckListBox::itemChanged(QListWidgetItem*) {
    // Only the user's toggling reaches the handler; the program fills and checks items silently.
    if (!programmatic_) FireEvent(onClickCheck_, this);
}

void TPelCheckListBox::ClearItems() {
    programmatic_ = true;
    clear();
    programmatic_ = false;
}

void TPelCheckListBox::AddItem(const QString& text) {
    programmatic_ = true;
    auto* item = new QListWidgetItem(text, this);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    if (itemHeight_ >= 0) item->setSizeHint(QSize(-1, itemHeight_));
    programmatic_ = false;
}

bool TPelCheckListBox::Checked(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry && entry->checkState() == Qt::Checked;
}

void TPelCheckListBox::SetChecked(int index, bool checked) {
    QListWidgetItem* entry = item(index);
    if (!entry) return;
    programmatic_ = true;
    entry->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    programmatic_ = false;
}

void TPelCheckListBox::SetItemHeight(int height) {
    itemHeight_ = height;
    programmatic_ = true;
    for (int i = 0; i < count(); ++i)
        item(i)->setSizeHint(QSize(-1, height));
    programmatic_ = false;
}

// ============================================================================================
// TPelMemo
// ============================================================================================

TPelMemo::TPelMemo(QWidget* parent) : QPlainTextEdit(parent) {
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        changing_ = true;
        FireEvent(onChange_, this);
        changing_ = false;
    });
}

// The events through which the user edits: keys, input methods, paste by mouse, drops and the
// context menu's actions.
template <class Handle> bool TPelMemo::withSelectionBefore(QEvent* event, Handle handle) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::InputMethod:
    case QEvent::MouseButtonRelease:
    case QEvent::Drop:
    case QEvent::ContextMenu:
        break;
    default:
        return handle();
    }
    const std::optional<tSelection> outer = selectionBefore_;
    selectionBefore_ = liveSelection();
    const bool handled = handle();
    selectionBefore_ = outer;
    return handled;
}

bool TPelMemo::event(QEvent* event) {
    return withSelectionBefore(event, [&] { return QPlainTextEdit::event(event); });
}

bool TPelMemo::viewportEvent(QEvent* event) {
    return withSelectionBefore(event, [&] { return QPlainTextEdit::viewportEvent(event); });
}

TPelMemo::tSelection TPelMemo::liveSelection() const {
    const QTextCursor cursor = textCursor();
    return {cursor.selectionStart(), cursor.selectionEnd() - cursor.selectionStart()};
}

bool TPelMemo::IsEnabled() const {
    return OwnEnabled(this);
}

QStringList TPelMemo::Lines() const {
    QStringList lines = toPlainText().split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void TPelMemo::SetLines(const QStringList& lines) {
    setPlainText(lines.join(QLatin1Char('\n')));
}

int TPelMemo::clampPosition(int position) const {
    return qBound(0, position, document()->characterCount() - 1);
}

void TPelMemo::SetSelStart(int start) {
    QTextCursor cursor = textCursor();
    cursor.setPosition(clampPosition(start));
    setTextCursor(cursor);
}

int TPelMemo::SelStart() const {
    return changing_ && selectionBefore_ ? selectionBefore_->start : liveSelection().start;
}

int TPelMemo::SelLength() const {
    return changing_ && selectionBefore_ ? selectionBefore_->length : liveSelection().length;
}

void TPelMemo::SetSelLength(int length) {
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(clampPosition(start + length), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

// ============================================================================================
// TPelLabel
// ============================================================================================

bool TPelLabel::IsEnabled() const {
    return OwnEnabled(this);
}
