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
    if (edit_) edit_->SetOnChange(controlHandler_);
    edit_ = nullptr;
    controlHandler_ = nullptr;
}

void tPelTextProperty::SetEdit(IControl* control) {
    if (control && control == edit_) return;
    unbind();
    if (!control) return;
    control->SetEnabled(Enabled());
    auto* edit = dynamic_cast<IEditBox*>(control);
    if (!edit) throw EZcfgError(editorNotRecognised(Name()));
    edit_ = edit;
    controlHandler_ = edit->OnChange();
    edit->SetOnChange([this](tObject* sender) { EditChanged(sender); });
    edit->SetText(Translate(Value()));
}

void tPelTextProperty::EditChanged(tObject* sender) {
    if (edit_) SetValueText(edit_->Text());
    if (controlHandler_) controlHandler_(sender);
}

void tPelTextProperty::Changed(tPelBaseProperty* sender) {
    tPelSimpleProperty::Changed(sender);
    if (!edit_ || edit_->Text() == Value()) return;
    edit_->SetText(Value());
    // A masked box whose mask fixes a character the value lacks (a pendant's "P" in a hardware
    // revision read as "00T0") shows its own text without reporting a change. The value takes what
    // the box shows, as it does when the mask is applied to a box already bound, so the page and the
    // document agree. Undo and redo restore the value exactly; the page follows the type they restore.
    if (dynamic_cast<IMaskedEditBox*>(edit_) && edit_->Text() != Value() && !Undoing())
        SetValueText(edit_->Text());
}

void tPelTextProperty::SetEnabled(bool flag) {
    tPelSimpleProperty::SetEnabled(flag);
    if (edit_) edit_->SetEnabled(flag);
}

// ============================================================================================
// tPelBooleanProperty
// ============================================================================================

tPelBooleanProperty::~tPelBooleanProperty() {
    if (checkBox_) checkBox_->SetOnClick(controlHandler_);
}

void tPelBooleanProperty::SetAsBoolean(bool flag) {
    SetValueText(flag ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
    if (checkBox_ && checkBox_->Checked() != AsBoolean()) checkBox_->SetChecked(AsBoolean());
}

void tPelBooleanProperty::SetCheckBox(ICheckBox* control) {
    if (checkBox_) checkBox_->SetOnClick(controlHandler_);
    checkBox_ = control;
    controlHandler_ = nullptr;
    if (!checkBox_) return;
    controlHandler_ = checkBox_->OnClick();
    checkBox_->SetOnClick([this](tObject* sender) { CheckBoxClicked(sender); });
    checkBox_->SetChecked(AsBoolean());
    checkBox_->SetEnabled(Enabled());
}

void tPelBooleanProperty::CheckBoxClicked(tObject* sender) {
    if (checkBox_ && checkBox_->Checked() != AsBoolean()) SetAsBoolean(checkBox_->Checked());
    if (controlHandler_) controlHandler_(sender);
}

void tPelBooleanProperty::Changed(tPelBaseProperty* sender) {
    tPelSimpleProperty::Changed(sender);
    // Setting the box fires its click handler, so the page's own handler also runs after undo, file
    // load or device read.
    if (checkBox_ && checkBox_->Checked() != AsBoolean()) checkBox_->SetChecked(AsBoolean());
}

void tPelBooleanProperty::SetEnabled(bool flag) {
    tPelSimpleProperty::SetEnabled(flag);
    if (checkBox_) checkBox_->SetEnabled(Enabled());
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

tPelIntegerProperty::~tPelIntegerProperty() {
    if (spinEdit_) spinEdit_->SetOnChange(controlHandler_);
}

void tPelIntegerProperty::SetSpinEdit(ISpinEdit* control) {
    if (control && control == spinEdit_) return;
    if (spinEdit_) spinEdit_->SetOnChange(controlHandler_);
    spinEdit_ = control;
    controlHandler_ = nullptr;
    if (!spinEdit_) return;
    controlHandler_ = spinEdit_->OnChange();
    spinEdit_->SetMaxValue(Max());
    spinEdit_->SetMinValue(Min());
    spinEdit_->SetOnChange([this](tObject* sender) { SpinEditChanged(sender); });
    int value = 0;
    if (TryStrToInt(Value(), value)) spinEdit_->SetValue(value);
    SetEnabled(Enabled());
}

void tPelIntegerProperty::SpinEditChanged(tObject* sender) {
    if (spinEdit_) SetAsInteger(spinEdit_->Value());
    if (controlHandler_) controlHandler_(sender);
}

void tPelIntegerProperty::SetEnabled(bool flag) {
    tPelBaseIntegerProperty::SetEnabled(flag);
    if (!spinEdit_) return;
    spinEdit_->SetEnabled(flag);
    spinEdit_->SetEditable(flag);
    spinEdit_->SetMinValue(Min());
    spinEdit_->SetMaxValue(Max());
}

void tPelIntegerProperty::Changed(tPelBaseProperty* sender) {
    tPelBaseIntegerProperty::Changed(sender);
    int value = 0;
    if (spinEdit_ && TryStrToInt(Value(), value) && spinEdit_->Value() != value) spinEdit_->SetValue(value);
}

void tPelIntegerProperty::SetAsInteger(int value) {
    tPelBaseIntegerProperty::SetAsInteger(value);
    if (spinEdit_ && spinEdit_->Value() != value) spinEdit_->SetValue(value);
}

void tPelIntegerProperty::SetMax(int value) {
    tPelBaseIntegerProperty::SetMax(value);
    if (spinEdit_) spinEdit_->SetMaxValue(value);
}

void tPelIntegerProperty::SetMin(int value) {
    tPelBaseIntegerProperty::SetMin(value);
    if (spinEdit_) spinEdit_->SetMinValue(value);
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
    if (memo_) {
        memo_->SetEnabled(false);
        memo_->SetOnChange(controlHandler_);
    }
}

void tMemoProperty::Clear() {
    tPelBaseProperty::Clear();
    lines_.clear();
    CopyLinesTo(memo_); // after New the memo shows the empty text the document now holds
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
        if (memo_) {
            RecordUndo(this, ckSelLength, QString::number(memo_->SelLength()));
            RecordUndo(this, ckSelStart, QString::number(memo_->SelStart()));
        }
        RecordUndo(this, ckValue, oldText);
    }
    lines_ = SplitLines(newText);
    try {
        SetModified(true);
        Changed(this);
    } catch (...) {
        if (notify) EndChange(this, ckValue, newText);
        throw;
    }
    if (notify) EndChange(this, ckValue, newText);
}

void tMemoProperty::CopyLinesTo(IMemoControl* control) {
    if (!control) return;
    setUpdating(true);
    control->SetLines(lines_);
    setUpdating(false);
}

void tMemoProperty::MemoChanged(tObject* sender) {
    if (Updating()) return;
    if (memo_) SetLinesFrom(memo_->Lines());
    if (controlHandler_) controlHandler_(sender);
}

void tMemoProperty::SetMemo(IMemoControl* control) {
    if (memo_) {
        memo_->SetEnabled(false);
        memo_->SetOnChange(controlHandler_);
    }
    memo_ = control;
    controlHandler_ = nullptr;
    if (!memo_) return;
    CopyLinesTo(memo_);
    controlHandler_ = memo_->OnChange();
    memo_->SetOnChange([this](tObject* sender) { MemoChanged(sender); });
    memo_->SetEnabled(true);
}

void tMemoProperty::applyText(const QString& text, bool undoing) {
    if (memo_) {
        memo_->SetText(text); // the control's change handler records the displaced text
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
    setUndoing(true);
    try {
        if (kind == ckValue) {
            if (memo_) {
                RecordRedo(this, ckSelStart, QString::number(memo_->SelStart()));
                RecordRedo(this, ckSelLength, QString::number(memo_->SelLength()));
            }
            applyText(text, true);
        } else if (kind == ckSelStart && memo_) {
            memo_->SetSelStart(text.toInt());
        } else if (kind == ckSelLength && memo_) {
            memo_->SetSelLength(text.toInt());
        }
    } catch (...) {
        setUndoing(false);
        throw;
    }
    setUndoing(false);
}

void tMemoProperty::Redo(tChangeKind kind, const QString& text) {
    if (kind == ckValue) {
        if (memo_) {
            RecordUndo(this, ckSelLength, QString::number(memo_->SelLength()));
            RecordUndo(this, ckSelStart, QString::number(memo_->SelStart()));
        }
        applyText(text, false);
    } else if (kind == ckSelStart && memo_) {
        memo_->SetSelStart(text.toInt());
    } else if (kind == ckSelLength && memo_) {
        memo_->SetSelLength(text.toInt());
    }
}

void tMemoProperty::WriteTo(tLines& target, bool shortFormat, int indent) {
    target.append(headerLine(shortFormat, indent));
    const QString lineIndent = Indent(indent + 2) + QStringLiteral("// ");
    for (const QString& line : lines_)
        target.append(lineIndent + line);
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
            CopyLinesTo(memo_);
            return result;
        }
        lines_.append(comment);
    }
    AddError(errors, lineIndex, QStringLiteral("Unexpected end of file"));
    CopyLinesTo(memo_); // a cut-off file still shows the lines that were read
    return false;
}
