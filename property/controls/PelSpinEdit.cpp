#include "property/controls/PelSpinEdit.h"

#include "property/controls/ControlSupport.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QStatusTipEvent>
#include <limits>
#include <optional>

namespace {
const QColor RefusedColour(255, 200, 200);

// The whole number the text holds, without the box's prefix and suffix; none for anything else.
std::optional<qint64> enteredNumber(const QSpinBox* box, QString text) {
    if (text.startsWith(box->prefix())) text.remove(0, box->prefix().size());
    if (text.endsWith(box->suffix())) text.chop(box->suffix().size());
    static const QRegularExpression number(QStringLiteral("^[+-]?[0-9]{1,18}$"));
    text = text.trimmed();
    if (!number.match(text).hasMatch()) return std::nullopt;
    return text.toLongLong();
}
} // namespace

TPelSpinEdit::TPelSpinEdit(QWidget* parent) : QSpinBox(parent) {
    setFocusPolicy(Qt::StrongFocus); // the wheel gives no focus
    applyLimits();
    connect(this, &QSpinBox::valueChanged, this, [this] { FireEvent(onChange_, this); });
    connect(lineEdit(), &QLineEdit::textChanged, this, &TPelSpinEdit::entryChanged);
    // Enter and leaving the box put back the value held, under signals the box keeps to itself.
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        committed_ = value();
        entryChanged(lineEdit()->text());
    });
}

bool TPelSpinEdit::IsEnabled() const {
    return OwnEnabled(this);
}

void TPelSpinEdit::SetValue(int value) {
    setValue(value);
    committed_ = this->value();
    entryChanged(lineEdit()->text());
}

void TPelSpinEdit::SetMinValue(int minimum) {
    minValue_ = minimum;
    applyLimits();
}

void TPelSpinEdit::SetMaxValue(int maximum) {
    maxValue_ = maximum;
    applyLimits();
}

void TPelSpinEdit::applyLimits() {
    if (minValue_ == maxValue_)
        setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    else
        setRange(minValue_, std::max(minValue_, maxValue_));
    applyRangeTips();
}

void TPelSpinEdit::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    applyLook();
}

void TPelSpinEdit::SetEditable(bool editable) {
    editable_ = editable;
    applyLook();
}

void TPelSpinEdit::applyLook() {
    const bool locked = readOnly_ || !editable_;
    setReadOnly(locked);
    setButtonSymbols(locked ? QAbstractSpinBox::NoButtons : QAbstractSpinBox::UpDownArrows);
    ApplyParentColour(this, !editable_);
    if (refused_) {
        QPalette palette = this->palette();
        palette.setColor(QPalette::Base, RefusedColour);
        setPalette(palette);
    }
}

// ---- The limits shown and kept ------------------------------------------------------------------

QString TPelSpinEdit::caption() const {
    if (parentWidget())
        for (const QLabel* label : parentWidget()->findChildren<QLabel*>())
            if (label->buddy() == this) return label->text().remove(QLatin1Char('&')).trimmed();
    return accessibleName().isEmpty() ? QStringLiteral("The value") : accessibleName();
}

QString TPelSpinEdit::RangeText() const {
    if (minValue_ == maxValue_) return QString();
    return QStringLiteral("%1: %2 to %3").arg(caption()).arg(minimum()).arg(maximum());
}

void TPelSpinEdit::applyRangeTips() {
    const QScopedValueRollback<bool> setting(settingTip_, true);
    if (minValue_ == maxValue_) {
        setToolTip(ownToolTip_);
        return;
    }
    const QString range = QStringLiteral("Range %1 to %2").arg(minimum()).arg(maximum());
    setToolTip(ownToolTip_.isEmpty() ? range : ownToolTip_ + QLatin1Char('\n') + range);
}

void TPelSpinEdit::showStatus(const QString& text) {
    if (minValue_ == maxValue_) return; // a box without limits has nothing to say
    // Handed up to the main window, which shows it in its status bar.
    QStatusTipEvent tip(text);
    QCoreApplication::sendEvent(this, &tip);
}

QValidator::State TPelSpinEdit::validate(QString& input, int& pos) const {
    const QValidator::State state = QSpinBox::validate(input, pos);
    // A number beyond the limits stays in the box, shown as refused, rather than losing the keystroke
    // that took it there (which would leave "30" of "300", or "1" of "-1", looking accepted).
    const QString sign = input.trimmed();
    if (state == QValidator::Invalid &&
        (enteredNumber(this, input) || sign == QLatin1String("-") || sign == QLatin1String("+")))
        return QValidator::Intermediate;
    return state;
}

void TPelSpinEdit::entryChanged(const QString& text) {
    if (restoring_) return;
    const std::optional<qint64> entered = enteredNumber(this, text);
    const bool outside = entered && (*entered < minimum() || *entered > maximum());
    if (outside != refused_) {
        refused_ = outside;
        applyLook();
    }
    if (!outside) return;
    showStatus(QStringLiteral("%1 is not accepted: %2 takes %3 to %4. It stays %5.")
                   .arg(text.trimmed(), caption())
                   .arg(minimum())
                   .arg(maximum())
                   .arg(committed_));
    refusalShown_ = true;
    if (value() == committed_) return;
    // The numbers typed on the way to this one were taken as they came; the value goes back to the
    // one the entry started from, and the box keeps showing what was typed.
    const QScopedValueRollback<bool> restoring(restoring_, true);
    const int cursor = lineEdit()->cursorPosition();
    setValue(committed_);
    lineEdit()->setText(text);
    lineEdit()->setCursorPosition(cursor);
}

void TPelSpinEdit::stepBy(int steps) {
    QSpinBox::stepBy(steps);
    committed_ = value();
    entryChanged(lineEdit()->text());
}

bool TPelSpinEdit::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ToolTipChange: // the page's own tooltip, to which the limits are added
        if (!settingTip_) {
            ownToolTip_ = toolTip();
            applyRangeTips();
        }
        break;
    case QEvent::Enter:
        if (!refused_) {
            showStatus(RangeText());
            refusalShown_ = false;
        }
        break;
    case QEvent::Leave: // a refusal stays in the status bar until the limits are shown again
        if (!refusalShown_) showStatus(QString());
        break;
    default:
        break;
    }
    return QSpinBox::event(event);
}

void TPelSpinEdit::focusInEvent(QFocusEvent* event) {
    QSpinBox::focusInEvent(event);
    committed_ = value();
    showStatus(RangeText());
    refusalShown_ = false;
}

void TPelSpinEdit::wheelEvent(QWheelEvent* event) {
    IgnoreWheelUnlessFocused(this, event, [&] { QSpinBox::wheelEvent(event); });
}
