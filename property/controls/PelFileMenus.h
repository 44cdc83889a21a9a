#pragma once
// The File, Edit, Device and Help menus a document builds in its window's main menu at run time, and
// the window side of its caption and close check.

#include "property/PelFile.h"

#include <QIcon>
#include <QList>
#include <QObject>
#include <QPointer>

class QAction;
class QMainWindow;
#include <QMenu>
class QMenuBar;

// The menus belong to the window's menu bar and the document is owned elsewhere: either may be
// destroyed before this object, which then stops updating or acting on what is gone.
class TPelFileMenus : public QObject, public IFileMenus {
    Q_OBJECT
public:
    // Inserts File as the first menu, Edit as the second, Device as the third and appends Help.
    // Raises "Cannot create File menu - Main Menu not defined" without a menu bar.
    TPelFileMenus(tPelFileProperty& document, QMenuBar* mainMenu, QWidget* window);
    ~TPelFileMenus() override;

    // Pictures for Undo and Redo: enabled undo, enabled redo, disabled undo, disabled redo.
    void SetImageList(const QList<QIcon>& images);
    // Whether the program has a help file (Contents is shown only then).
    void SetHasHelpFile(bool hasHelp);
    void SetOnHelpContents(std::function<void()> handler) { onHelpContents_ = std::move(handler); }
    void SetOnHelpTopic(std::function<void(int topic)> handler) { onHelpTopic_ = std::move(handler); }

    void UpdateHistoryMenu() override;
    void UpdateEditItems() override;
    void UpdateHelpItems() override;
    void UpdateDeviceItems();

    QMenu* FileMenu() const { return fileMenu_; }
    QMenu* EditMenu() const { return editMenu_; }
    QMenu* DeviceMenu() const { return deviceMenu_; }
    QMenu* HelpMenu() const { return helpMenu_; }
    QAction* HistoryItem(int index) const { return history_.value(index); }

private:
    QAction* addItem(QMenu* menu, const char* caption, const char* shortcut, std::function<void()> action);
    void buildFileMenu(QMenuBar* mainMenu);
    void buildEditMenu(QMenuBar* mainMenu);
    void buildDeviceMenu(QMenuBar* mainMenu);
    void buildHelpMenu(QMenuBar* mainMenu);
    void openHistory(int index);

    tObjectRef<tPelFileProperty> document_; // the document may be destroyed before its menus
    QPointer<QWidget> window_;
    QPointer<QMenu> fileMenu_, editMenu_, deviceMenu_, helpMenu_;
    QAction *undo_ = nullptr, *redo_ = nullptr;
    QAction *compare_ = nullptr, *loadFromDevice_ = nullptr, *saveToDevice_ = nullptr;
    QAction *contents_ = nullptr, *topic_ = nullptr, *about_ = nullptr;
    QList<QAction*> history_;
    QList<QIcon> images_;
    bool hasHelpFile_ = false;
    std::function<void()> onHelpContents_;
    std::function<void(int)> onHelpTopic_;
};

// A main window as the document sees it: its caption and its close check.
class TPelMainFormAdapter : public QObject, public IMainForm {
    Q_OBJECT
public:
    explicit TPelMainFormAdapter(QMainWindow* window);
    QString Caption() const override;
    void SetCaption(const QString& caption) override;
    tCloseQueryEvent OnCloseQuery() const override { return onCloseQuery_; }
    void SetOnCloseQuery(tCloseQueryEvent handler) override { onCloseQuery_ = std::move(handler); }
    void CloseWindow() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_; // a QWidget pointer: it is compared while the window is being destroyed
    tCloseQueryEvent onCloseQuery_;
};
