#include "app/PelSaveDialog.h"

#include "app/PelRegistry.h"
#include "app/UnitFileNotSaved.h"

#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

namespace {
QString orDefault(const QString& text, const char* builtIn) {
    return text.isEmpty() ? QString::fromLatin1(builtIn) : text;
}

std::optional<QString> runFileDialog(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}
} // namespace

TPelSaveDialog::TPelSaveDialog(QWidget* parentWindow) : parentWindow_(parentWindow) {
    SetAskSaveFileName({});
    SetAskOpenFileName({});
    SetAskNotSaved({});
}

TPelSaveDialog::~TPelSaveDialog() {
    delete form_.data();
}

void TPelSaveDialog::SetAskSaveFileName(AskSaveFileNameHook hook) {
    if (!hook) hook = [this](const QString& start) { return runSaveDialog(start); };
    askSaveFileName_ = std::move(hook);
}

void TPelSaveDialog::SetAskOpenFileName(AskOpenFileNameHook hook) {
    if (!hook) hook = [this](const QString& start) { return runOpenDialog(start); };
    askOpenFileName_ = std::move(hook);
}

void TPelSaveDialog::SetAskNotSaved(AskNotSavedHook hook) {
    if (!hook) hook = [this] { return runNotSavedForm(); };
    askNotSaved_ = std::move(hook);
}

bool TPelSaveDialog::Save(const QString& fileName) {
    if (fileName.isEmpty()) return SaveAs(fileName);
    bool ok = true;
    if (onSave_) onSave_(this, ok, fileName);
    if (ok) {
        fullFileName_ = fileName;
        askForName_ = false;
        addToHistory(fileName);
    }
    return ok;
}

bool TPelSaveDialog::SaveAs(const QString& fileName) {
    setDialogStart(fileName);
    const std::optional<QString> chosen = askSaveFileName_(dialogStart());
    if (!chosen || chosen->isEmpty()) return false;
    return Save(*chosen);
}

// A file that could not be opened does not become the current one, so the prompt's Yes never
// saves into it; a file that loaded with problems does, through the document.
bool TPelSaveDialog::Open(const QString& fileName) {
    bool ok = true;
    if (onLoad_) onLoad_(this, ok, fileName);
    if (ok) {
        addToHistory(fileName);
        fullFileName_ = fileName;
    }
    setDialogStart(fileName);
    return ok;
}

bool TPelSaveDialog::OpenWithDialog() {
    if (!QuerySave()) return false;
    const std::optional<QString> chosen = askOpenFileName_(dialogStart());
    if (!chosen || chosen->isEmpty()) return false;
    Open(*chosen);
    return true;
}

bool TPelSaveDialog::QuerySave() {
    if (!modified_) return true;
    for (;;) {
        switch (askNotSaved_()) {
        case NotSavedAnswer::Cancel:
            return false;
        case NotSavedAnswer::No:
            return true;
        case NotSavedAnswer::Yes:
            if (SaveCurrent()) return true;
            break;
        }
    }
}

void TPelSaveDialog::SetFullFileName(const QString& fileName) {
    fullFileName_ = fileName;
    setDialogStart(fileName);
}

QString TPelSaveDialog::History(int index) const {
    return pelRegistry_ ? pelRegistry_->GetHistory(index) : QString();
}

void TPelSaveDialog::SaveMainWindowPlacement() {
    if (pelRegistry_) pelRegistry_->SaveMainWindowPlacement();
}

void TPelSaveDialog::addToHistory(const QString& fileName) {
    if (!pelRegistry_) return;
    pelRegistry_->AddHistory(fileName);
    if (onHistoryChange_) onHistoryChange_(this);
}

// Both dialogs start with the name part of fileName, in its directory when it has one.
void TPelSaveDialog::setDialogStart(const QString& fileName) {
    const qsizetype slash = fileName.lastIndexOf(QLatin1Char('/'));
    dialogFileName_ = fileName.mid(slash + 1);
    if (slash >= 0) initialDir_ = fileName.left(slash + 1);
}

QString TPelSaveDialog::dialogStart() const {
    return initialDir_ + dialogFileName_;
}

void TPelSaveDialog::SetNotSavedCaption(const QString& text) {
    notSavedCaption_ = text;
    applyTexts();
}

void TPelSaveDialog::SetNotSavedLabel(const QString& text) {
    notSavedLabel_ = text;
    applyTexts();
}

void TPelSaveDialog::SetYesText(const QString& text) {
    yesText_ = text;
    applyTexts();
}

void TPelSaveDialog::SetNoText(const QString& text) {
    noText_ = text;
    applyTexts();
}

void TPelSaveDialog::SetCancelText(const QString& text) {
    cancelText_ = text;
    applyTexts();
}

void TPelSaveDialog::applyTexts() {
    if (!form_) return;
    form_->setWindowTitle(orDefault(notSavedCaption_, "File Not Saved"));
    form_->LabelNotSavedWarning()->setText(
        orDefault(notSavedLabel_, "The file has not been saved. Save Now?"));
    form_->BitBtnYes()->setText(orDefault(yesText_, "&Yes"));
    form_->BitBtnNo()->setText(orDefault(noText_, "&No"));
    form_->BitBtnCancel()->setText(orDefault(cancelText_, "Cancel"));
}

TFormFileNotSaved& TPelSaveDialog::notSavedForm() {
    if (!form_) {
        form_ = new TFormFileNotSaved(parentWindow_);
        applyTexts();
    }
    return *form_;
}

std::optional<QString> TPelSaveDialog::runSaveDialog(const QString& start) {
    QFileDialog dialog(parentWindow_, QString(), start, filter_);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultExt_);
    return runFileDialog(dialog);
}

std::optional<QString> TPelSaveDialog::runOpenDialog(const QString& start) {
    QFileDialog dialog(parentWindow_, QString(), start, filter_);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(defaultExt_);
    return runFileDialog(dialog);
}

TPelSaveDialog::NotSavedAnswer TPelSaveDialog::runNotSavedForm() {
    TFormFileNotSaved& form = notSavedForm();
    form.SetFileName(fullFileName_); // the file Yes saves into
    switch (form.exec()) {
    case TFormFileNotSaved::ResultYes:
        return NotSavedAnswer::Yes;
    case TFormFileNotSaved::ResultNo:
        return NotSavedAnswer::No;
    default:
        return NotSavedAnswer::Cancel;
    }
}
