#include "property/controls/PelFileMenus.h"

#include "property/PelError.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

TPelFileMenus::TPelFileMenus(tPelFileProperty& document, QMenuBar* mainMenu, QWidget* window)
    : document_(&document), window_(window) {
    if (!mainMenu) throw EZcfgError(QStringLiteral("Cannot create File menu - Main Menu not defined"));
    buildFileMenu(mainMenu);
    buildEditMenu(mainMenu);
    buildDeviceMenu(mainMenu);
    buildHelpMenu(mainMenu);
    document_->SetMenus(this);
    UpdateHistoryMenu();
    UpdateEditItems();
    UpdateDeviceItems();
    UpdateHelpItems();
}

TPelFileMenus::~TPelFileMenus() {
    if (document_ && document_->Menus() == this) document_->SetMenus(nullptr);
    for (QMenu* menu : {fileMenu_.data(), editMenu_.data(), deviceMenu_.data(), helpMenu_.data()})
        delete menu;
}

QAction* TPelFileMenus::addItem(QMenu* menu, const char* caption, const char* shortcut,
                                std::function<void()> action) {
    QAction* item = menu->addAction(document_->Translate(QLatin1String(caption)));
    if (shortcut) item->setShortcut(QKeySequence(QLatin1String(shortcut)));
    // Menus that outlive their document do nothing.
    connect(item, &QAction::triggered, this, [this, action = std::move(action)] {
        if (document_) Guarded(action);
    });
    return item;
}

namespace {
QMenu* insertMenu(QMenuBar* mainMenu, const QString& title, int position) {
    auto* menu = new QMenu(title, mainMenu);
    const QList<QAction*> existing = mainMenu->actions();
    if (position >= 0 && position < existing.size())
        mainMenu->insertMenu(existing[position], menu);
    else
        mainMenu->addMenu(menu);
    return menu;
}
} // namespace

void TPelFileMenus::buildFileMenu(QMenuBar* mainMenu) {
    fileMenu_ = insertMenu(mainMenu, document_->Translate(QStringLiteral("&File")), 0);
    addItem(fileMenu_, "&New", "Alt+F2", [this] { document_->NewDocument(); });
    addItem(fileMenu_, "&Load", "Alt+F3", [this] { document_->Open(QString()); });
    addItem(fileMenu_, "&Save", "Alt+F4", [this] { document_->Save(false); });
    addItem(fileMenu_, "Save &As", "Alt+F5", [this] { document_->SaveAs(QString(), false); });
    fileMenu_->addSeparator();
    addItem(fileMenu_, "E&xit", "Ctrl+Alt+F4", [this] {
        if (window_) window_->close();
    });
    fileMenu_->addSeparator();
    for (int i = 0; i < 10; ++i)
        history_ << addItem(fileMenu_, "", nullptr, [this, i] { openHistory(i); });
}

void TPelFileMenus::buildEditMenu(QMenuBar* mainMenu) {
    editMenu_ = insertMenu(mainMenu, document_->Translate(QStringLiteral("&Edit")), 1);
    undo_ = addItem(editMenu_, "&Undo", "Alt+Backspace", [this] {
        if (document_->OnUndoClick()) document_->OnUndoClick()(document_.get());
    });
    redo_ = addItem(editMenu_, "&Redo", "Shift+Alt+Backspace", [this] {
        if (document_->OnRedoClick()) document_->OnRedoClick()(document_.get());
    });
}

void TPelFileMenus::buildDeviceMenu(QMenuBar* mainMenu) {
    // Shift+F3 and Shift+F4 read and program as the Tools entries do; the window leaves the keys to
    // these items, so each key acts once.
    deviceMenu_ = insertMenu(mainMenu, document_->Translate(QStringLiteral("&Device")), 2);
    compare_ = addItem(deviceMenu_, "&Compare", "Shift+F2", [this] {
        if (document_->OnCompare()) document_->OnCompare()(document_.get());
    });
    loadFromDevice_ = addItem(deviceMenu_, "&Load from Device", "Shift+F3", [this] {
        if (document_->OnLoadFromDevice()) document_->OnLoadFromDevice()(document_.get());
    });
    saveToDevice_ = addItem(deviceMenu_, "&Save to Device", "Shift+F4", [this] {
        if (document_->OnSaveToDevice()) document_->OnSaveToDevice()(document_.get());
    });
}

void TPelFileMenus::buildHelpMenu(QMenuBar* mainMenu) {
    helpMenu_ = insertMenu(mainMenu, document_->Translate(QStringLiteral("&Help")), -1);
    contents_ = addItem(helpMenu_, "&Contents", "Shift+F1", [this] {
        if (onHelpContents_) onHelpContents_();
    });
    topic_ = addItem(helpMenu_, "", "F1", [this] {
        if (onHelpTopic_) onHelpTopic_(document_->HelpContext());
    });
    about_ = addItem(helpMenu_, "&About...", nullptr, [this] { document_->ShowAbout(); });
}

void TPelFileMenus::SetImageList(const QList<QIcon>& images) {
    images_ = images;
    UpdateEditItems();
}

void TPelFileMenus::SetHasHelpFile(bool hasHelp) {
    hasHelpFile_ = hasHelp;
    UpdateHelpItems();
}

void TPelFileMenus::UpdateHistoryMenu() {
    if (!document_ || !fileMenu_) return; // the items go with their menu
    ISaveDialog* dialog = document_->SaveDialog();
    const bool hasStore = dialog && dialog->HasSettingsStore();
    for (int i = 0; i < history_.size(); ++i) {
        const QString name = hasStore ? QFileInfo(dialog->History(i)).fileName() : QString();
        history_[i]->setText(QStringLiteral("&%1: %2").arg(i).arg(name));
        history_[i]->setVisible(!name.isEmpty());
    }
}

void TPelFileMenus::openHistory(int index) {
    ISaveDialog* dialog = document_->SaveDialog();
    if (dialog && dialog->QuerySave()) dialog->Open(dialog->History(index));
}

void TPelFileMenus::UpdateEditItems() {
    if (!document_ || !editMenu_) return; // the items go with their menu
    undo_->setEnabled(document_->UndoEnabled());
    redo_->setEnabled(document_->RedoEnabled());
    if (images_.size() >= 4) {
        undo_->setIcon(images_[document_->UndoEnabled() ? 0 : 2]);
        redo_->setIcon(images_[document_->RedoEnabled() ? 1 : 3]);
    }
}

void TPelFileMenus::UpdateDeviceItems() {
    if (!document_ || !deviceMenu_) return; // the items go with their menu
    compare_->setVisible(bool(document_->OnCompare()));
    loadFromDevice_->setVisible(bool(document_->OnLoadFromDevice()));
    saveToDevice_->setVisible(bool(document_->OnSaveToDevice()));
    deviceMenu_->menuAction()->setVisible(compare_->isVisible() || loadFromDevice_->isVisible() ||
                                          saveToDevice_->isVisible());
}

void TPelFileMenus::UpdateHelpItems() {
    if (!document_ || !helpMenu_) return; // the items go with their menu
    contents_->setVisible(hasHelpFile_);
    about_->setVisible(document_->HasAboutBox());
    topic_->setText(document_->HelpCaption());
    topic_->setVisible(!document_->HelpCaption().isEmpty());
    helpMenu_->menuAction()->setVisible(contents_->isVisible() || about_->isVisible() || topic_->isVisible());
}

// ---- TPelMainFormAdapter ------------------------------------------------------------------------

TPelMainFormAdapter::TPelMainFormAdapter(QMainWindow* window) : QObject(window), window_(window) {
    if (window_) window_->installEventFilter(this);
}

QString TPelMainFormAdapter::Caption() const {
    return window_ ? window_->windowTitle() : QString();
}

void TPelMainFormAdapter::SetCaption(const QString& caption) {
    if (window_) window_->setWindowTitle(caption);
}

void TPelMainFormAdapter::CloseWindow() {
    if (window_) window_->close();
}

bool TPelMainFormAdapter::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::Close && onCloseQuery_) {
        bool canClose = true;
        if (!Guarded([&] { onCloseQuery_(this, canClose); })) canClose = false;
        if (!canClose) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
