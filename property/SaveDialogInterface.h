#pragma once
// What a document root needs of its save dialog (TPelSaveDialog implements it in app/): the
// "not saved" prompt, the save-as and open dialogs, the load/save handlers and the recent-file
// history of its settings store.

#include "property/PelObject.h"

#include <QString>
#include <functional>

// (sender, var ok, fileName): does the actual saving or loading; clears ok on failure.
using tFileEvent = std::function<void(tObject* sender, bool& ok, const QString& fileName)>;

class ISaveDialog {
public:
    virtual ~ISaveDialog() = default;

    virtual bool Modified() const = 0;
    virtual void SetModified(bool modified) = 0;

    virtual tFileEvent OnSave() const = 0;
    virtual void SetOnSave(tFileEvent handler) = 0;
    virtual tFileEvent OnLoad() const = 0;
    virtual void SetOnLoad(tFileEvent handler) = 0;

    // Save under fileName, or ask for a name when it is empty.
    virtual bool Save(const QString& fileName) = 0;
    // Ask for a name, starting from fileName.
    virtual bool SaveAs(const QString& fileName) = 0;
    // Load that file.
    virtual bool Open(const QString& fileName) = 0;
    // QuerySave, then let the user pick a file, then open it.
    virtual bool OpenWithDialog() = 0;
    // If modified, show the "not saved" prompt: Yes saves and goes on when the save succeeds,
    // No goes on, Cancel stops. true means "go on".
    virtual bool QuerySave() = 0;

    // The file the prompt's Yes saves into; the document keeps it in step with its own file name
    // (empty for an unnamed document, so that Yes asks for a name).
    virtual void SetFullFileName(const QString& fileName) = 0;
    // While set, saving the current file asks for a name first (starting from the current one), as
    // the document no longer holds that file's configuration; a save or an open clears it.
    virtual void SetAskForName(bool ask) { (void)ask; }

    // Told after a file was added to the recent-file history, so that its menu can be rebuilt.
    virtual tNotifyEvent OnHistoryChange() const { return {}; }
    virtual void SetOnHistoryChange(tNotifyEvent handler) { (void)handler; }

    // The settings store's recent-file history: entry 0 (newest) to 9, a full path or empty.
    virtual bool HasSettingsStore() const = 0;
    virtual QString History(int index) const = 0;
    virtual void SaveMainWindowPlacement() = 0;
};
