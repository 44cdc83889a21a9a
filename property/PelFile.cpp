#include "property/PelFile.h"

#include "property/PelError.h"
#include "property/TextFile.h"

#include <QDir>
#include <QFileInfo>

namespace {
bool localeAwareSame(const QString& a, const QString& b) {
    return a.toCaseFolded().localeAwareCompare(b.toCaseFolded()) == 0;
}

const QString commentStart = QStringLiteral("//");

void collectUnstorable(const tPelBaseProperty& node, const QString& path, QStringList& found) {
    if (!ValueCanBeStored(node.Value())) found << QStringLiteral("%1 = %2").arg(path, node.Value());
    const auto* compound = dynamic_cast<const tPelCompoundProperty*>(&node);
    if (!compound) return;
    for (int i = 0; i < compound->ChildCount(); ++i) {
        const tPelBaseProperty& child = *compound->Children().Items(i);
        QString childPath = path.isEmpty() ? child.Name() : path + QLatin1Char('/') + child.Name();
        if (child.HasKey()) childPath += QStringLiteral("(%1)").arg(child.Key());
        collectUnstorable(child, childPath, found);
    }
}
} // namespace

bool ValueCanBeStored(const QString& value) {
    return !value.contains(commentStart);
}

QString ValueCannotBeStoredText() {
    return QStringLiteral("A value cannot contain \"//\": it starts a comment in a configuration file");
}

tPelFileProperty::~tPelFileProperty() {
    if (IMainForm* form = mainForm_.get()) form->SetOnCloseQuery(chainedCloseQuery_);
}

void tPelFileProperty::SetModified(bool flag) {
    tPelCompoundProperty::SetModified(flag);
    if (ISaveDialog* dialog = SaveDialog()) dialog->SetModified(flag);
    UpdateCaption();
}

bool tPelFileProperty::ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) {
    const QScopedValueRollback<bool> reading(readingFile_, true);
    return tPelCompoundProperty::ReadBody(source, lineIndex, errors);
}

void tPelFileProperty::SetSaveDialog(ISaveDialog* dialog) {
    saveDialog_ = dialog;
    // The dialog of the editor is a tObject; its destruction is noticed like a control's.
    const auto* object = dynamic_cast<const tObject*>(dialog);
    saveDialogAlive_ = object ? object->AliveToken() : nullptr;
    if (!dialog) return;
    chainedSave_ = dialog->OnSave();
    // A dialog that outlives the document finds nothing to save or load.
    dialog->SetOnSave([this, alive = AliveToken()](tObject* sender, bool& ok, const QString& name) {
        if (*alive) SaveFile(sender, ok, name);
    });
    dialog->SetOnLoad([this, alive = AliveToken()](tObject* sender, bool& ok, const QString& name) {
        if (*alive) LoadFile(sender, ok, name);
    });
    dialog->SetModified(Modified());
    // The recent-file menu is rebuilt whenever the history changes, after saves and opens alike.
    dialog->SetOnHistoryChange([this, chained = dialog->OnHistoryChange()](tObject* sender) {
        UpdateHistoryMenu();
        if (chained) chained(sender);
    });
}

void tPelFileProperty::SetMainForm(IMainForm* form) {
    if (form && form == mainForm_.get()) return UpdateCaption();
    // A window given up gets its own close check back.
    if (IMainForm* previous = mainForm_.get()) previous->SetOnCloseQuery(chainedCloseQuery_);
    mainForm_ = form;
    chainedCloseQuery_ = nullptr;
    if (form) {
        captionBase_ = form->Caption();
        chainedCloseQuery_ = form->OnCloseQuery();
        form->SetOnCloseQuery([this, alive = AliveToken()](tObject* sender, bool& canClose) {
            if (*alive) CloseQuery(sender, canClose);
        });
    }
    UpdateCaption();
}

void tPelFileProperty::SetHelpCaption(const QString& caption) {
    helpCaption_ = caption;
    if (menus_) menus_->UpdateHelpItems();
}

void tPelFileProperty::SetUndoEnabled(bool flag) {
    undoEnabled_ = flag;
    if (menus_) menus_->UpdateEditItems();
}

void tPelFileProperty::SetRedoEnabled(bool flag) {
    redoEnabled_ = flag;
    if (menus_) menus_->UpdateEditItems();
}

void tPelFileProperty::SetAboutBox(std::function<void()> showAbout) {
    showAbout_ = std::move(showAbout);
    if (menus_) menus_->UpdateHelpItems();
}

void tPelFileProperty::ShowAbout() const {
    if (showAbout_) showAbout_();
}

void tPelFileProperty::UpdateCaption() {
    IMainForm* form = mainForm_.get();
    if (!form) return;
    QString caption = captionBase_ + QStringLiteral(" - ");
    caption += fileName_.isEmpty()
                   ? QLatin1Char('<') + Translate(QStringLiteral("No Name")) + QLatin1Char('>')
                   : QFileInfo(fileName_).fileName();
    if (Modified()) caption += QStringLiteral(" *");
    form->SetCaption(caption);
}

void tPelFileProperty::UpdateHistoryMenu() {
    if (menus_) menus_->UpdateHistoryMenu();
}

void tPelFileProperty::CloseQuery(tObject* sender, bool& canClose) {
    if (chainedCloseQuery_) chainedCloseQuery_(sender, canClose);
    ISaveDialog* dialog = SaveDialog();
    if (canClose && dialog) canClose = dialog->QuerySave();
    if (canClose && savePlacementOnClose_ && dialog) dialog->SaveMainWindowPlacement();
}

// ---- Commands ------------------------------------------------------------------------------

bool tPelFileProperty::NewDocument() {
    ISaveDialog* dialog = SaveDialog();
    const bool ok = !Modified() || !dialog || dialog->QuerySave();
    if (!ok) return false;
    Clear();
    fileName_.clear();
    SetSaveAsksForName(false);
    // The prompt's Yes must ask for a name now, never save over the file that was open before.
    if (ISaveDialog* current = SaveDialog()) current->SetFullFileName(fileName_);
    SetModified(false);
    UpdateCaption();
    RecordUndo(this, ckReset, QString());
    return true;
}

bool tPelFileProperty::Open(const QString& fileName) {
    if (ISaveDialog* dialog = SaveDialog())
        return fileName.isEmpty() ? dialog->OpenWithDialog() : dialog->Open(fileName);
    bool ok = true;
    LoadFile(this, ok, fileName);
    UpdateHistoryMenu();
    return ok;
}

void tPelFileProperty::SetSaveAsksForName(bool ask) {
    saveAsksForName_ = ask;
    if (ISaveDialog* dialog = SaveDialog()) dialog->SetAskForName(ask);
}

bool tPelFileProperty::Save(bool shortFormat) {
    if (saveAsksForName_) return SaveAs(QString(), shortFormat);
    shortFormat_ = shortFormat;
    if (ISaveDialog* dialog = SaveDialog()) return dialog->Save(fileName_);
    bool ok = true;
    SaveFile(this, ok, fileName_);
    return ok;
}

bool tPelFileProperty::SaveAs(const QString& fileName, bool shortFormat) {
    shortFormat_ = shortFormat;
    if (ISaveDialog* dialog = SaveDialog()) return dialog->SaveAs(fileName.isEmpty() ? fileName_ : fileName);
    bool ok = true;
    SaveFile(this, ok, fileName.isEmpty() ? fileName_ : fileName);
    return ok;
}

QString tPelFileProperty::ShownPath(const QString& fileName) {
    return QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
}

void tPelFileProperty::SaveFile(tObject* sender, bool& ok, const QString& fileName) {
    const QString target = fileName.isEmpty() ? fileName_ : fileName;
    if (chainedSave_) chainedSave_(sender, ok, target);
    QString error;
    if (target.isEmpty()) {
        ok = false;
        ShowError(QStringLiteral("Cannot save: the configuration has no file name"));
        return;
    }
    if (!SaveToFile(target, error, shortFormat_)) {
        ok = false;
        ShowError(QStringLiteral("Cannot save \"%1\": %2").arg(ShownPath(target), error));
        return;
    }
    ok = true;
    UpdateHistoryMenu();
    const QStringList unstorable = UnstorableValues();
    if (!unstorable.isEmpty()) ShowWarning(UnstorableValuesText(ShownPath(target), unstorable));
}

void tPelFileProperty::LoadFile(tObject* sender, bool& ok, const QString& fileName) {
    const QString path = fileName.isEmpty() ? fileName_ : fileName;
    const tLoadResult result = LoadFromFile(path);
    ok = result.ok();
    if (!result.touchedDocument()) {
        ShowError(QStringLiteral("Cannot open \"%1\": %2").arg(ShownPath(path), result.message));
        return;
    }
    SetSaveAsksForName(false);
    if (onAfterLoad_) onAfterLoad_(sender, ok, fileName_);
    if (!result.errors.isEmpty()) ShowWarning(ProblemsText(ShownPath(path), result.errors));
}

// ---- Headless core ---------------------------------------------------------------------------

tLoadResult tPelFileProperty::LoadFromFile(const QString& fileName) {
    tLines lines;
    QString error;
    if (!ReadTextFile(fileName, lines, error)) {
        tLoadResult result;
        result.status = tLoadResult::Unreadable;
        result.message = error;
        return result;
    }
    tLoadResult result = LoadFromLines(lines);
    if (result.touchedDocument()) {
        fileName_ = fileName;
        if (ISaveDialog* dialog = SaveDialog()) dialog->SetFullFileName(fileName_);
        UpdateCaption();
    }
    return result;
}

tLoadResult tPelFileProperty::LoadFromLines(const tLines& lines) {
    tLoadResult result;
    if (lines.isEmpty()) {
        result.status = tLoadResult::Empty;
        result.message = QStringLiteral("Empty File");
        return result;
    }
    QString name, key, value, comment;
    bool shortFormat = false;
    const bool parsed = ParseLine(lines[0], name, key, value, comment);
    if (parsed && localeAwareSame(name, TypeKeyword() + QLatin1Char(' ') + Name())) {
        // the long format
    } else if (parsed && localeAwareSame(name, Name())) {
        shortFormat = true;
        AddError(&result.errors, 0, 0,
                 QStringLiteral("Warning - Short format. May not be backwards compatible"));
    } else {
        result.status = tLoadResult::WrongFile;
        result.message =
            QStringLiteral("Error - wrong file: a configuration file starts with \"%1\", this one "
                           "with \"%2\"")
                .arg(TypeKeyword() + QLatin1Char(' ') + Name(), Excerpt(lines[0]));
        return result;
    }
    int lineIndex = 1;
    const QScopedValueRollback<bool> format(readingShortFormat_, shortFormat);
    const bool bodyOk = ReadBody(lines, lineIndex, &result.errors);
    if (errors_) *errors_ += result.errors;
    result.status = bodyOk && result.errors.isEmpty() ? tLoadResult::Loaded : tLoadResult::LoadedWithProblems;
    SetModified(false);
    // Values read from a file are not edits: the history starts afresh with the loaded document.
    RecordUndo(this, ckReset, QString());
    return result;
}

tLines tPelFileProperty::ToLines(bool shortFormat) {
    tLines lines;
    WriteTo(lines, shortFormat, 0);
    return lines;
}

bool tPelFileProperty::SaveToFile(const QString& fileName, QString& error, bool shortFormat) {
    const bool wasModified = Modified();
    const tLines lines = ToLines(shortFormat); // clears every modified flag
    if (!WriteTextFile(fileName, lines, error)) {
        if (wasModified) SetModified(true);
        return false;
    }
    fileName_ = fileName;
    if (ISaveDialog* dialog = SaveDialog()) dialog->SetFullFileName(fileName_);
    SetSaveAsksForName(false);
    SetModified(false);
    if (onSaved_) onSaved_();
    return true;
}

QStringList tPelFileProperty::UnstorableValues() const {
    QStringList found;
    collectUnstorable(*this, QString(), found);
    return found;
}

QString tPelFileProperty::UnstorableValuesText(const QString& fileName, const QStringList& values) {
    return QStringLiteral("\"%1\" was saved, but these values contain \"//\", which starts a comment in a "
                          "configuration file; they cannot be stored as they are and will read back cut "
                          "short:\n%2")
        .arg(fileName, values.join(QLatin1Char('\n')));
}

int tPelFileProperty::ErrorLineNumber(const tError& error) {
    // "Unexpected" entries are recorded one past the index of their line, and the end of the file at
    // the line count; every other entry at the 0-based index of its line.
    if (error.Text.startsWith(QStringLiteral("Unexpected \"")) ||
        error.Text == QLatin1String("Unexpected end of file"))
        return qMax(1, error.Line);
    return error.Line + 1;
}

QString tPelFileProperty::ProblemsText(const QString& fileName, const tErrorList& errors) {
    constexpr int shown = 10;
    QString text = QStringLiteral("\"%1\" was loaded with problems:").arg(fileName);
    // Each problem quotes at most an excerpt of its line; the cut here keeps a message box quick
    // whatever a reader put in a text.
    constexpr qsizetype longest = 300;
    for (int i = 0; i < errors.size() && i < shown; ++i)
        text +=
            QStringLiteral("\nLine %1: %2").arg(ErrorLineNumber(errors[i])).arg(errors[i].Text.left(longest));
    if (errors.size() > shown) text += QStringLiteral("\n... and %1 more").arg(errors.size() - shown);
    return text;
}
