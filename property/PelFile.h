#pragma once
// The root of a document tree: knows its file, loads and saves it in the text format, keeps the
// window caption showing the file name and an unsaved-changes marker, and works with the save
// dialog (prompt and recent-file history). The menus are built by the widget side (TPelFileMenus),
// which this class tells when their state changes.

#include "property/Pelparse.h"
#include "property/SaveDialogInterface.h"

#include <functional>

using tCloseQueryEvent = std::function<void(tObject* sender, bool& canClose)>;

// The window whose caption shows the document and whose closing the document may refuse.
class IMainForm : public tObject {
public:
    virtual QString Caption() const = 0;
    virtual void SetCaption(const QString& caption) = 0;
    virtual tCloseQueryEvent OnCloseQuery() const = 0;
    virtual void SetOnCloseQuery(tCloseQueryEvent handler) = 0;
    virtual void CloseWindow() = 0;
};

// The File, Edit, Device and Help menus a document builds in its window's main menu.
class IFileMenus : public tObject {
public:
    virtual void UpdateHistoryMenu() = 0;
    virtual void UpdateEditItems() = 0;
    virtual void UpdateHelpItems() = 0;
};

// How a load ended; the document is untouched unless the status is Loaded or LoadedWithProblems.
struct tLoadResult {
    enum Status { Loaded, LoadedWithProblems, Unreadable, Empty, WrongFile };
    Status status = Unreadable;
    QString message; // why it failed (for the three failures)
    tErrorList errors;
    bool ok() const { return status == Loaded; }
    bool touchedDocument() const { return status == Loaded || status == LoadedWithProblems; }
};

// A value cannot hold "//": in a configuration file it starts a comment, so everything after it would be
// lost when the file is read again. Where a person types a value, it is refused with this message.
bool ValueCanBeStored(const QString& value);
QString ValueCannotBeStoredText();

class tPelFileProperty : public tPelCompoundProperty {
public:
    tPelFileProperty(const QString& name, tPelCompoundProperty* owner) : tPelCompoundProperty(name, owner) {}
    ~tPelFileProperty() override;

    QString TypeKeyword() const override { return QStringLiteral("File"); }
    void SetModified(bool flag) override;
    bool ReadBody(const tLines& source, int& lineIndex, tErrorList* errors) override;
    // True while a file's lines are read into the tree: what changes then comes from the file, not
    // from the user or a device.
    bool ReadingFile() const { return readingFile_; }
    // The file being read writes its blocks without type keywords (first line "ZCFG File").
    bool ReadingShortFormat() const { return readingShortFormat_; }

    // ---- State ----
    const QString& FileName() const { return fileName_; }
    // nullptr once a save dialog that is a tObject has been destroyed.
    ISaveDialog* SaveDialog() const { return saveDialogAlive_ && !*saveDialogAlive_ ? nullptr : saveDialog_; }
    void SetSaveDialog(ISaveDialog* dialog);
    tErrorList* Errors() const { return errors_; }
    void SetErrors(tErrorList* errors) { errors_ = errors; }
    bool ShortFormat() const { return shortFormat_; }
    IMainForm* MainForm() const { return mainForm_.get(); }
    void SetMainForm(IMainForm* form);
    const QString& CaptionBase() const { return captionBase_; }
    bool SavePlacementOnClose() const { return savePlacementOnClose_; }
    void SetSavePlacementOnClose(bool flag) { savePlacementOnClose_ = flag; }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }
    const QString& HelpCaption() const { return helpCaption_; }
    void SetHelpCaption(const QString& caption);
    bool UndoEnabled() const { return undoEnabled_; }
    bool RedoEnabled() const { return redoEnabled_; }
    void SetUndoEnabled(bool flag);
    void SetRedoEnabled(bool flag);
    bool HasAboutBox() const { return bool(showAbout_); }
    void SetAboutBox(std::function<void()> showAbout);
    void ShowAbout() const;
    void SetMenus(IFileMenus* menus) { menus_ = menus; }
    // While set, Save asks for a name first (starting from the current one): the document holds a
    // configuration that is not the file's (one read from a device). Saving or opening a file, and
    // New, clear it.
    bool SaveAsksForName() const { return saveAsksForName_; }
    void SetSaveAsksForName(bool ask);
    IFileMenus* Menus() const { return menus_.get(); }

    // ---- Events ----
    void SetOnAfterLoad(tFileEvent handler) { onAfterLoad_ = std::move(handler); }
    // Told after the document was written to its file (the undo history then marks that state).
    void SetOnSaved(std::function<void()> handler) { onSaved_ = std::move(handler); }
    const tNotifyEvent& OnUndoClick() const { return onUndoClick_; }
    void SetOnUndoClick(tNotifyEvent handler) { onUndoClick_ = std::move(handler); }
    const tNotifyEvent& OnRedoClick() const { return onRedoClick_; }
    void SetOnRedoClick(tNotifyEvent handler) { onRedoClick_ = std::move(handler); }
    const tNotifyEvent& OnCompare() const { return onCompare_; }
    void SetOnCompare(tNotifyEvent handler) { onCompare_ = std::move(handler); }
    const tNotifyEvent& OnSaveToDevice() const { return onSaveToDevice_; }
    void SetOnSaveToDevice(tNotifyEvent handler) { onSaveToDevice_ = std::move(handler); }
    const tNotifyEvent& OnLoadFromDevice() const { return onLoadFromDevice_; }
    void SetOnLoadFromDevice(tNotifyEvent handler) { onLoadFromDevice_ = std::move(handler); }

    // ---- Commands ----
    bool NewDocument();
    bool Open(const QString& fileName);
    bool Save(bool shortFormat = false);
    bool SaveAs(const QString& fileName, bool shortFormat = false);
    // The save dialog's load and save handlers: they show what went wrong and clear ok.
    void LoadFile(tObject* sender, bool& ok, const QString& fileName);
    void SaveFile(tObject* sender, bool& ok, const QString& fileName);
    void CloseQuery(tObject* sender, bool& canClose);
    void UpdateCaption();
    void UpdateHistoryMenu();

    // ---- Headless core ----
    // Reads a file into the tree. Unreadable, empty or foreign files leave the document as it was.
    tLoadResult LoadFromFile(const QString& fileName);
    // Reads lines as a file's content (first line "File ZCFG File" or the short "ZCFG File").
    tLoadResult LoadFromLines(const tLines& lines);
    // Writes the document as the lines of its file.
    tLines ToLines(bool shortFormat = false);
    // Writes the document to a file atomically; on failure the document stays modified.
    bool SaveToFile(const QString& fileName, QString& error, bool shortFormat = false);

    // Every value (as "Path = value") that a save cannot store as it is, such as one received from a
    // device that holds "//"; and the warning that names them.
    QStringList UnstorableValues() const;
    static QString UnstorableValuesText(const QString& fileName, const QStringList& values);

    // A file as messages name it: its full path.
    static QString ShownPath(const QString& fileName);
    // The warning shown for a file that loaded with problems: the first ten, then how many more.
    static QString ProblemsText(const QString& fileName, const tErrorList& errors);
    // The 1-based line an error refers to.
    static int ErrorLineNumber(const tError& error);

private:
    bool readingFile_ = false;
    bool readingShortFormat_ = false;
    QString fileName_;
    bool saveAsksForName_ = false;
    tFileEvent chainedSave_;
    tFileEvent onAfterLoad_;
    std::function<void()> onSaved_;
    ISaveDialog* saveDialog_ = nullptr;
    std::shared_ptr<const bool> saveDialogAlive_;
    tErrorList* errors_ = nullptr;
    bool shortFormat_ = false;
    tObjectRef<IMainForm> mainForm_; // the window and menus may be destroyed before the document
    QString captionBase_;
    tCloseQueryEvent chainedCloseQuery_;
    bool savePlacementOnClose_ = false;
    int helpContext_ = 0;
    tNotifyEvent onUndoClick_, onRedoClick_, onCompare_, onSaveToDevice_, onLoadFromDevice_;
    bool undoEnabled_ = false;
    bool redoEnabled_ = false;
    QString helpCaption_;
    std::function<void()> showAbout_;
    tObjectRef<IFileMenus> menus_;
};
