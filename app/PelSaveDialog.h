#pragma once
// The document's file dialogs: save-as and open dialogs, the "not saved" prompt, the load and save
// handlers and the recent-file history kept in the settings store.

#include "property/SaveDialogInterface.h"

#include <QPointer>
#include <QString>
#include <functional>
#include <optional>

class QWidget;
class TFormFileNotSaved;
class TPelRegistry;

class TPelSaveDialog : public tObject, public ISaveDialog {
public:
    enum class NotSavedAnswer { Yes, No, Cancel };

    // The user interactions, replaceable so that tests and headless tools can answer them. The
    // defaults run non-native QFileDialogs and the TFormFileNotSaved prompt modally.
    using AskSaveFileNameHook = std::function<std::optional<QString>(const QString& start)>;
    using AskOpenFileNameHook = std::function<std::optional<QString>(const QString& start)>;
    using AskNotSavedHook = std::function<NotSavedAnswer()>;

    explicit TPelSaveDialog(QWidget* parentWindow = nullptr);
    ~TPelSaveDialog() override;

    TPelSaveDialog(const TPelSaveDialog&) = delete;
    TPelSaveDialog& operator=(const TPelSaveDialog&) = delete;

    // ---- ISaveDialog
    bool Modified() const override { return modified_; }
    void SetModified(bool modified) override { modified_ = modified; }
    tFileEvent OnSave() const override { return onSave_; }
    void SetOnSave(tFileEvent handler) override { onSave_ = std::move(handler); }
    tFileEvent OnLoad() const override { return onLoad_; }
    void SetOnLoad(tFileEvent handler) override { onLoad_ = std::move(handler); }
    bool Save(const QString& fileName) override;
    bool SaveAs(const QString& fileName) override;
    bool Open(const QString& fileName) override;
    bool OpenWithDialog() override;
    bool QuerySave() override;
    bool HasSettingsStore() const override { return pelRegistry_ != nullptr; }
    QString History(int index) const override;
    void SaveMainWindowPlacement() override;

    bool SaveCurrent() { return askForName_ ? SaveAs(fullFileName_) : Save(fullFileName_); }
    void SetAskForName(bool ask) override { askForName_ = ask; }
    bool AskForName() const { return askForName_; }

    TPelRegistry* PelRegistry() const { return pelRegistry_; }
    void SetPelRegistry(TPelRegistry* registry) { pelRegistry_ = registry; }
    tNotifyEvent OnHistoryChange() const override { return onHistoryChange_; }
    void SetOnHistoryChange(tNotifyEvent handler) override { onHistoryChange_ = std::move(handler); }

    // The file the component works with: the last one saved or opened.
    const QString& FullFileName() const noexcept { return fullFileName_; }
    // Also where the dialogs start, so that an unnamed document offers no old name to save over.
    void SetFullFileName(const QString& fileName) override;

    // Texts of the prompt; empty gives the built-in text. Applied at once to an existing prompt.
    const QString& NotSavedCaption() const noexcept { return notSavedCaption_; }
    void SetNotSavedCaption(const QString& text);
    const QString& NotSavedLabel() const noexcept { return notSavedLabel_; }
    void SetNotSavedLabel(const QString& text);
    const QString& YesText() const noexcept { return yesText_; }
    void SetYesText(const QString& text);
    const QString& NoText() const noexcept { return noText_; }
    void SetNoText(const QString& text);
    const QString& CancelText() const noexcept { return cancelText_; }
    void SetCancelText(const QString& text);

    // Dialog settings. The filter uses Qt's syntax ("Description (*.ext)", several joined by ";;").
    const QString& DefaultExt() const noexcept { return defaultExt_; }
    void SetDefaultExt(const QString& extension) { defaultExt_ = extension; }
    const QString& Filter() const noexcept { return filter_; }
    void SetFilter(const QString& filter) { filter_ = filter; }
    // Where the dialogs start: the name part and the directory of the last name they were given.
    const QString& DialogFileName() const noexcept { return dialogFileName_; }
    const QString& InitialDir() const noexcept { return initialDir_; }

    void SetAskSaveFileName(AskSaveFileNameHook hook);
    void SetAskOpenFileName(AskOpenFileNameHook hook);
    void SetAskNotSaved(AskNotSavedHook hook);

    // The prompt form, once the first prompt has created it.
    TFormFileNotSaved* NotSavedForm() const { return form_; }

private:
    void addToHistory(const QString& fileName);
    void setDialogStart(const QString& fileName);
    QString dialogStart() const;
    TFormFileNotSaved& notSavedForm();
    void applyTexts();
    std::optional<QString> runSaveDialog(const QString& start);
    std::optional<QString> runOpenDialog(const QString& start);
    NotSavedAnswer runNotSavedForm();

    QPointer<QWidget> parentWindow_;
    TPelRegistry* pelRegistry_ = nullptr;
    tFileEvent onSave_;
    tFileEvent onLoad_;
    tNotifyEvent onHistoryChange_;
    bool modified_ = false;
    QString fullFileName_;
    bool askForName_ = false;
    QString notSavedCaption_;
    QString notSavedLabel_;
    QString yesText_;
    QString noText_;
    QString cancelText_;
    QString defaultExt_ = QStringLiteral("zcf");
    QString filter_ = QStringLiteral("Zentara Configurator Files (*.zcf)");
    QString dialogFileName_;
    QString initialDir_;
    AskSaveFileNameHook askSaveFileName_;
    AskOpenFileNameHook askOpenFileName_;
    AskNotSavedHook askNotSaved_;
    QPointer<TFormFileNotSaved> form_;
};
