#include "property/PelScalar.h"

#include "property/PelError.h"

namespace {
QString editorNotRecognised(const QString& name) {
    return QStringLiteral("Editor type not recognised for ") + name;
}
} // namespace

// ============================================================================================
// tPelTextProperty
// ============================================================================================

tPelTextProperty::~tPelTextProperty() {
    unbind();
}

void tPelTextProperty::unbind() {
    // The previous control always gets its own handler back, so it no longer edits this node.
    if (IEditBox* edit = edit_.get()) edit->SetOnChange(controlHandler_);
    edit_ = nullptr;
    controlHandler_ = nullptr;
}

void tPelTextProperty::SetEdit(IControl* control) {
    if (control && control == edit_.get()) return;
    unbind();
    if (!control) return;
    control->SetEnabled(Enabled());
    auto* edit = dynamic_cast<IEditBox*>(control);
    if (!edit) throw EZcfgError(editorNotRecognised(Name()));
    edit_ = edit;
    controlHandler_ = edit->OnChange();
    edit->SetOnChange(whileAlive([this](tObject* sender) { EditChanged(sender); }));
    edit->SetText(Translate(Value()));
}

void tPelTextProperty::EditChanged(tObject* sender) {
    // The change may rebind this node (a page rebuilt for another device), so the control's own
    // handler is taken first.
    const tNotifyEvent chained = controlHandler_;
    if (IEditBox* edit = edit_.get()) SetValueText(edit->Text());
    if (chained) chained(sender);
}

void tPelTextProperty::Changed(tPelBaseProperty* sender) {
    tPelSimpleProperty::Changed(sender);
    IEditBox* edit = edit_.get();
    if (!edit || edit->Text() == Value()) return;
    edit->SetText(Value());
    // A masked box whose mask fixes a character the value lacks (a pendant's "P" in a hardware
    // revision read as "00T0") shows its own text without reporting a change. The value takes what
    // the box shows, as it does when the mask is applied to a box already bound, so the page and the
    // document agree. Undo and redo restore the value exactly; the page follows the type they restore.
    if (dynamic_cast<IMaskedEditBox*>(edit) && edit->Text() != Value() && !Undoing())
        SetValueText(edit->Text());
}

void tPelTextProperty::SetEnabled(bool flag) {
    tPelSimpleProperty::SetEnabled(flag);
    if (IEditBox* edit = edit_.get()) edit->SetEnabled(flag);
}

// ============================================================================================
// tPelBooleanProperty
// ============================================================================================

tPelBooleanProperty::~tPelBooleanProperty() {
    if (ICheckBox* box = checkBox_.get()) box->SetOnClick(controlHandler_);
}

void tPelBooleanProperty::SetAsBoolean(bool flag) {
    SetValueText(flag ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    if (ICheckBox* box = checkBox_.get(); box && box->Checked() != AsBoolean()) box->SetChecked(AsBoolean());
}

QString tPelBooleanProperty::ValueProblem() const {
    if (Value() == QLatin1String("TRUE") || Value() == QLatin1String("FALSE")) return QString();
    return QStringLiteral("Invalid value \"%1\" for %2 (TRUE or FALSE)").arg(Excerpt(Value()), Name());
}

void tPelBooleanProperty::SetCheckBox(ICheckBox* control) {
    if (ICheckBox* previous = checkBox_.get()) previous->SetOnClick(controlHandler_);
    checkBox_ = control;
    controlHandler_ = nullptr;
    if (!control) return;
    controlHandler_ = control->OnClick();
    control->SetOnClick(whileAlive([this](tObject* sender) { CheckBoxClicked(sender); }));
    control->SetChecked(AsBoolean());
    control->SetEnabled(Enabled());
}

void tPelBooleanProperty::CheckBoxClicked(tObject* sender) {
    const tNotifyEvent chained = controlHandler_; // the change may rebind this node
    if (ICheckBox* box = checkBox_.get(); box && box->Checked() != AsBoolean()) SetAsBoolean(box->Checked());
    if (chained) chained(sender);
}

void tPelBooleanProperty::Changed(tPelBaseProperty* sender) {
    tPelSimpleProperty::Changed(sender);
    // Setting the box fires its click handler, so the page's own handler also runs after undo, file
    // load or device read.
    if (ICheckBox* box = checkBox_.get(); box && box->Checked() != AsBoolean()) box->SetChecked(AsBoolean());
}

void tPelBooleanProperty::SetEnabled(bool flag) {
    tPelSimpleProperty::SetEnabled(flag);
    if (ICheckBox* box = checkBox_.get()) box->SetEnabled(Enabled());
}

// ============================================================================================
// Integers
// ============================================================================================

int tPelBaseIntegerProperty::AsInteger() const {
    return StrToInt(Value());
}

void tPelBaseIntegerProperty::SetAsInteger(int value) {
    SetValueText(QString::number(value));
}

QString tPelBaseIntegerProperty::ValueToText(int value) const {
    return QString::number(value);
}

QString tPelBaseIntegerProperty::ValueProblem() const {
    int value = 0;
    if (TryStrToInt(Value(), value)) return QString();
    return QStringLiteral("'%1' is not a valid integer value for %2").arg(Excerpt(Value()), Name());
}

tPelIntegerProperty::~tPelIntegerProperty() {
    if (ISpinEdit* spin = spinEdit_.get()) spin->SetOnChange(controlHandler_);
}

void tPelIntegerProperty::SetSpinEdit(ISpinEdit* control) {
    if (control && spinEdit_ == control) return;
    if (ISpinEdit* previous = spinEdit_.get()) previous->SetOnChange(controlHandler_);
    spinEdit_ = control;
    controlHandler_ = nullptr;
    if (!control) return;
    controlHandler_ = control->OnChange();
    control->SetMaxValue(Max());
    control->SetMinValue(Min());
    control->SetOnChange(whileAlive([this](tObject* sender) { SpinEditChanged(sender); }));
    int value = 0;
    if (TryStrToInt(Value(), value)) control->SetValue(value);
    SetEnabled(Enabled());
}

void tPelIntegerProperty::SpinEditChanged(tObject* sender) {
    const tNotifyEvent chained = controlHandler_; // the change may rebind this node
    if (ISpinEdit* spin = spinEdit_.get()) SetAsInteger(spin->Value());
    if (chained) chained(sender);
}

void tPelIntegerProperty::SetEnabled(bool flag) {
    tPelBaseIntegerProperty::SetEnabled(flag);
    ISpinEdit* spin = spinEdit_.get();
    if (!spin) return;
    spin->SetEnabled(flag);
    spin->SetEditable(flag);
    spin->SetMinValue(Min());
    spin->SetMaxValue(Max());
}

void tPelIntegerProperty::Changed(tPelBaseProperty* sender) {
    tPelBaseIntegerProperty::Changed(sender);
    int value = 0;
    if (ISpinEdit* spin = spinEdit_.get(); spin && TryStrToInt(Value(), value) && spin->Value() != value)
        spin->SetValue(value);
}

void tPelIntegerProperty::SetAsInteger(int value) {
    tPelBaseIntegerProperty::SetAsInteger(value);
    if (ISpinEdit* spin = spinEdit_.get(); spin && spin->Value() != value) spin->SetValue(value);
}

void tPelIntegerProperty::SetMax(int value) {
    tPelBaseIntegerProperty::SetMax(value);
    if (ISpinEdit* spin = spinEdit_.get()) spin->SetMaxValue(value);
}

void tPelIntegerProperty::SetMin(int value) {
    tPelBaseIntegerProperty::SetMin(value);
    if (ISpinEdit* spin = spinEdit_.get()) spin->SetMinValue(value);
}

// Integers compare by number ("007" and "7" are the same); whether the node takes part follows the
// compare mode as for any node, so a disabled value (a device's own zone address) never counts.
bool tPelIntegerProperty::IsUnchanged() {
    int value = 0;
    int reference = 0;
    if (!TryStrToInt(Value(), value) || !TryStrToInt(Reference(), reference))
        return tPelBaseIntegerProperty::IsUnchanged();
    switch (CompareMode()) {
    case 0:
        return !Enabled() || value == reference;
    case 1:
        return true;
    default:
        return value == reference;
    }
}

QString tPelIntegerProperty::GetComment() {
    if (!Comment().isEmpty()) return Comment();
    // A value that is not an integer has no comment; it is written back as it was read.
    int value = 0;
    if (!TryStrToInt(Value(), value)) return QString();
    const QString shown = ValueToText(value);
    return shown != Value() ? shown : QString();
}

// ============================================================================================
// tMemoProperty
// ============================================================================================

QString tMemoProperty::JoinLines(const QStringList& lines) {
    QString text;
    for (const QString& line : lines)
        text += line + QLatin1Char('\n');
    return text;
}

QStringList tMemoProperty::SplitLines(const QString& text) {
    QStringList lines;
    QString current;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines.append(current);
            current.clear();
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
        } else {
            current += c;
        }
    }
    if (!current.isEmpty()) lines.append(current);
    return lines;
}

tMemoProperty::~tMemoProperty() {
    if (IMemoControl* memo = memo_.get()) {
        memo->SetEnabled(false);
        memo->SetOnChange(controlHandler_);
    }
}

void tMemoProperty::Clear() {
    tPelBaseProperty::Clear();
    lines_.clear();
    CopyLinesTo(memo_.get()); // after New the memo shows the empty text the document now holds
    SetModified(true);
}

void tMemoProperty::SetLinesFrom(const QStringList& lines) {
    const QString newText = JoinLines(lines);
    const QString oldText = JoinLines(lines_);
    if (newText == oldText) return;
    const bool notify = !Undoing() && !IsLoading();
    if (Undoing()) {
        RecordRedo(this, ckValue, oldText);
    } else if (notify) {
        BeginChange(this, ckValue, oldText);
        if (IMemoControl* memo = memo_.get()) {
            RecordUndo(this, ckSelLength, QString::number(memo->SelLength()));
            RecordUndo(this, ckSelStart, QString::number(memo->SelStart()));
        }
        RecordUndo(this, ckValue, oldText);
    }
    lines_ = SplitLines(newText);
    auto closeOnError = qScopeGuard([&] {
        if (notify) endChangeAfterError(ckValue, newText);
    });
    SetModified(true);
    Changed(this);
    closeOnError.dismiss();
    if (notify) EndChange(this, ckValue, newText);
}

void tMemoProperty::CopyLinesTo(IMemoControl* control) {
    if (!control) return;
    const auto updating = updatingScope();
    control->SetLines(lines_);
}

void tMemoProperty::MemoChanged(tObject* sender) {
    if (Updating()) return;
    const tNotifyEvent chained = controlHandler_; // the change may rebind this node
    if (IMemoControl* memo = memo_.get()) SetLinesFrom(memo->Lines());
    if (chained) chained(sender);
}

void tMemoProperty::SetMemo(IMemoControl* control) {
    if (IMemoControl* previous = memo_.get()) {
        previous->SetEnabled(false);
        previous->SetOnChange(controlHandler_);
    }
    memo_ = control;
    controlHandler_ = nullptr;
    if (!control) return;
    CopyLinesTo(control);
    controlHandler_ = control->OnChange();
    control->SetOnChange(whileAlive([this](tObject* sender) { MemoChanged(sender); }));
    control->SetEnabled(true);
}

void tMemoProperty::applyText(const QString& text, bool undoing) {
    if (IMemoControl* memo = memo_.get()) {
        memo->SetText(text); // the control's change handler records the displaced text
        return;
    }
    const QString displaced = JoinLines(lines_);
    if (undoing)
        RecordRedo(this, ckValue, displaced);
    else
        RecordUndo(this, ckValue, displaced);
    lines_ = SplitLines(text);
}

void tMemoProperty::Undo(tChangeKind kind, const QString& text) {
    const auto undoing = undoingScope();
    IMemoControl* memo = memo_.get();
    if (kind == ckValue) {
        if (memo) {
            RecordRedo(this, ckSelStart, QString::number(memo->SelStart()));
            RecordRedo(this, ckSelLength, QString::number(memo->SelLength()));
        }
        applyText(text, true);
    } else if (kind == ckSelStart && memo) {
        memo->SetSelStart(text.toInt());
    } else if (kind == ckSelLength && memo) {
        memo->SetSelLength(text.toInt());
    }
}

void tMemoProperty::Redo(tChangeKind kind, const QString& text) {
    IMemoControl* memo = memo_.get();
    if (kind == ckValue) {
        if (memo) {
            RecordUndo(this, ckSelLength, QString::number(memo->SelLength()));
            RecordUndo(this, ckSelStart, QString::number(memo->SelStart()));
        }
        applyText(text, false);
    } else if (kind == ckSelStart && memo) {
        memo->SetSelStart(text.toInt());
    } else if (kind == ckSelLength && memo) {
        memo->SetSelLength(text.toInt());
    }
}

void tMemoProperty::WriteTo(tLines& target, bool shortFormat, int indent) {
    target.append(headerLine(shortFormat, indent));
    // An empty line is written as "//" alone: a blank after it would be read back as the line's text.
    const QString lineIndent = Indent(indent + 2) + QStringLiteral("//");
    for (const QString& line : lines_)
        target.append(line.isEmpty() ? lineIndent : lineIndent + QLatin1Char(' ') + line);
    target.append(Indent(indent) + EndKeyword());
    tPelBaseProperty::WriteTo(target, shortFormat, indent);
}

bool tMemoProperty::ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) {
    bool result = tPelBaseProperty::ReadBody(source, lineIndex, errors);
    lines_.clear();
    const QString endText = EndKeyword();
    QString name, key, value, comment;
    while (lineIndex < source.size()) {
        if (!ParseLine(source[lineIndex], name, key, value, comment)) {
            result = false;
            AddError(errors, lineIndex, QStringLiteral("Syntax error"));
            ++lineIndex;
            continue;
        }
        ++lineIndex;
        if (AsciiSameText(name, endText)) {
            CopyLinesTo(memo_.get());
            return result;
        }
        lines_.append(comment);
    }
    AddError(errors, lineIndex, QStringLiteral("Unexpected end of file"));
    CopyLinesTo(memo_.get()); // a cut-off file still shows the lines that were read
    return false;
}
