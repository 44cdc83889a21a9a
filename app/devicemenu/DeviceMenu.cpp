#include "app/devicemenu/DeviceMenu.h"

#include "app/PelRegistry.h"
#include "app/ProgrammerWorkflows.h"
#include "app/UnitFormOK.h"
#include "app/devicemenu/DifferencesWindow.h"
#include "app/devicemenu/RestoreDialog.h"
#include "app/transfer/TransferCoordinator.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"
#include "property/controls/PelFileMenus.h"
#include "transfer/ProgramBackup.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

TDeviceMenu::TDeviceMenu(Parts parts) : parts_(std::move(parts)) {
    backup_ = std::make_unique<tProgramBackup>(*parts_.document);
    backup_->SetEnabled(parts_.settings->ReadIntegerDefault(KeepBackupsSetting, 1) != 0);
    QPointer<QWidget> window(parts_.window);
    ask_ = [window](const QString& question) {
        return QMessageBox::question(window, QStringLiteral("Zentara Configurator"), question) ==
               QMessageBox::Yes;
    };
    buildMenu();
    QPointer<TDeviceMenu> self(this);
    parts_.transfers->SetCaptionLookup(
        [self](const QString& path) { return self ? self->Caption(path).Text() : QString(); });
    parts_.transfers->SetOutcomeNote([self](const tTransferOutcome& outcome) {
        return self && outcome.Kind == tTransferKind::Program ? self->backupNote() : QString();
    });
    parts_.transfers->AddOutcomeListener([self](const tTransferOutcome& outcome) {
        if (self) self->outcome(outcome);
    });
}

TDeviceMenu::~TDeviceMenu() {
    tZCfgFile& document = *parts_.document;
    document.SetOnCompare(nullptr);
    document.SetOnLoadFromDevice(nullptr);
    document.SetOnSaveToDevice(nullptr);
    if (parts_.resultForm) parts_.resultForm->SetOnShowDifferences(nullptr);
}

// The document's Device menu gets its three events, then Restore after a separator; the Tools menu
// gets the backup setting. Shift+F2, Shift+F3 and Shift+F4 belong to the Device menu alone: the Tools
// entries for Read and Program do the same but give up their keys, since two actions holding one
// key would make it ambiguous and it would do nothing.
void TDeviceMenu::buildMenu() {
    tZCfgFile& document = *parts_.document;
    document.SetOnCompare([this](tObject*) { Compare(); });
    document.SetOnLoadFromDevice([this](tObject*) { parts_.read(); });
    document.SetOnSaveToDevice([this](tObject*) { parts_.program(); });
    parts_.menus->UpdateDeviceItems();
    for (QAction* entry : parts_.toolsTransfers)
        entry->setShortcut(QKeySequence());

    QMenu* device = parts_.menus->DeviceMenu();
    device->addSeparator();
    restore_ = device->addAction(QStringLiteral("&Restore Previous Configuration\u2026"));
    restore_->setObjectName(QStringLiteral("RestorePreviousConfiguration"));
    connect(restore_, &QAction::triggered, this, [this] { Guarded([this] { Restore(); }); });

    keepBackups_ = new QAction(QStringLiteral("Keep a &Backup Before Programming"), parts_.tools);
    keepBackups_->setObjectName(QStringLiteral("KeepBackups"));
    keepBackups_->setCheckable(true);
    keepBackups_->setChecked(backup_->Enabled());
    keepBackups_->setToolTip(QStringLiteral("Before programming a device, keep what it holds in ") +
                             QDir::toNativeSeparators(backup_->Store().Folder()));
    const QList<QAction*> tools = parts_.tools->actions();
    const qsizetype after = tools.indexOf(parts_.toolsAfter);
    parts_.tools->insertAction(after >= 0 ? tools.value(after + 1) : nullptr, keepBackups_);
    connect(keepBackups_, &QAction::toggled, this, [this](bool on) {
        backup_->SetEnabled(on);
        parts_.settings->WriteInteger(KeepBackupsSetting, on ? 1 : 0);
    });
}

TDifferencesWindow* TDeviceMenu::DifferencesWindow() const {
    return differences_;
}

TRestoreDialog* TDeviceMenu::RestoreDialog() const {
    return restoreDialog_;
}

QList<QAction*> TDeviceMenu::Actions() const {
    QList<QAction*> actions;
    if (QMenu* device = parts_.menus->DeviceMenu()) actions = device->actions();
    actions << keepBackups_;
    return actions;
}

tValueName TDeviceMenu::Caption(const QString& path) const {
    return ValueName(*parts_.document, path);
}

void TDeviceMenu::Compare() {
    parts_.workflows->OpenLink();
    comparing_ = true;
    parts_.document->StartCompare();
}

void TDeviceMenu::Restore() {
    parts_.workflows->OpenLink();
    restoring_ = true;
    parts_.document->StartIdentify();
}

// The backup a Program kept, for its result: the file's name, then its folder.
QString TDeviceMenu::backupNote() {
    const QString note = backup_->TakeNote();
    const QString path = backup_->LastBackup();
    if (note.isEmpty() || path.isEmpty()) return note;
    const QFileInfo file(path);
    return QStringLiteral("Backup: %1\nin %2").arg(file.fileName(), QDir::toNativeSeparators(file.path()));
}

void TDeviceMenu::outcome(const tTransferOutcome& outcome) {
    // A verification that found errors offers its differences with the result that follows.
    if (parts_.resultForm) {
        const bool verification =
            outcome.Kind == tTransferKind::Program || outcome.Kind == tTransferKind::FactoryProgram;
        QPointer<TDeviceMenu> self(this);
        parts_.resultForm->SetOnShowDifferences(verification && !outcome.Differences.isEmpty()
                                                    ? std::function<void()>([self, outcome] {
                                                          if (self) self->showDifferences(outcome);
                                                      })
                                                    : nullptr);
    }
    // A restore's Program that ended before it identified the device leaves no demand behind.
    if (outcome.Kind == tTransferKind::Program) backup_->RequireDevice(std::nullopt);
    if (outcome.Kind == tTransferKind::Compare && std::exchange(comparing_, false) && outcome.Ok())
        showDifferences(outcome);
    if (outcome.Kind == tTransferKind::Identify && std::exchange(restoring_, false) && outcome.Ok())
        offerBackups(outcome);
}

// The differences of a Compare (what the device holds now, which the document may take) or of a
// verification (what the device held back after programming).
void TDeviceMenu::showDifferences(const tTransferOutcome& outcome) {
    const bool compare = outcome.Kind == tTransferKind::Compare;
    QList<TDifferencesWindow::tRow> rows;
    for (const tValueDifference& difference : outcome.Differences)
        rows << TDifferencesWindow::tRow{Caption(difference.Path), difference.Ours, difference.Theirs};
    QString heading;
    if (!compare)
        heading = TransferText::TransferredButErrors +
                  QStringLiteral(": read back after programming, the device holds these values otherwise "
                                 "than the window.");
    else if (rows.isEmpty())
        heading = QStringLiteral("The device holds this configuration.");
    else if (outcome.Differences.first().Path == parts_.document->DeviceTypeProperty()->Name())
        heading = QStringLiteral("The device is of another type than the window.");
    else
        heading =
            rows.size() == 1
                ? QStringLiteral("The device holds one value otherwise than the window.")
                : QStringLiteral("The device holds %1 values otherwise than the window.").arg(rows.size());
    TDifferencesWindow::tTake take;
    if (compare && outcome.DeviceConfiguration) {
        tZCfgFile* document = parts_.document;
        std::shared_ptr<tZCfgFile> device = outcome.DeviceConfiguration;
        take = [document, device] {
            if (document->TransferRunning())
                throw EZcfgError(QStringLiteral("A transfer with the device is running; take the values "
                                                "once it has ended."));
            document->TakeDeviceConfiguration(*device);
        };
    }
    if (!differences_) differences_ = new TDifferencesWindow(parts_.window);
    differences_->ShowDifferences(heading, rows, take);
}

QString TDeviceMenu::NoBackupsText(const QString& device, const QString& folder) {
    return QStringLiteral("There is no backup of the %1 in \"%2\". A backup is kept each time a device is "
                          "programmed while Tools, Keep a Backup Before Programming is on.")
        .arg(device, folder);
}

QString TDeviceMenu::RestoreQuestion(const QString& device, const QString& read, bool backupFirst) {
    QString question = QStringLiteral("Program the %1 with the configuration read from it on %2?\n\nThe "
                                      "backup opens in the window in place of the present configuration, "
                                      "then it is programmed and verified.")
                           .arg(device, read);
    if (backupFirst) question += QStringLiteral(" What the device holds now is kept as a backup first.");
    return question;
}

// The attached device has been identified: its backups, newest first, to choose from.
void TDeviceMenu::offerBackups(const tTransferOutcome& outcome) {
    if (!outcome.DeviceConfiguration) return;
    const tDeviceIdentity attached = IdentifyDevice(*outcome.DeviceConfiguration);
    const QString device = attached.Description();
    const QList<tBackupEntry> backups = backup_->Store().BackupsOf(attached);
    if (backups.isEmpty()) {
        ShowWarning(NoBackupsText(device, QDir::toNativeSeparators(backup_->Store().Folder())));
        return;
    }
    if (!restoreDialog_) restoreDialog_ = new TRestoreDialog(parts_.window);
    restoreDialog_->ShowBackups(
        QStringLiteral("Backups of the attached %1, newest first:").arg(device), backups,
        [this, device](const tBackupEntry& chosen) { restoreBackup(chosen, device); });
}

// The chosen backup becomes the document (after the save prompt, as Open asks it) and is programmed;
// the Program goes ahead only into the device the backup was taken from.
void TDeviceMenu::restoreBackup(const tBackupEntry& backup, const QString& device) {
    const QString read = backup.Taken.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!ask_ || !ask_(RestoreQuestion(device, read, backup_->Enabled()))) return;
    tZCfgFile& document = *parts_.document;
    ISaveDialog* dialog = document.SaveDialog();
    if (dialog && !dialog->QuerySave()) return;
    if (!document.Open(backup.FilePath)) return;
    // Saving goes elsewhere than over the backup itself.
    document.SetSaveAsksForName(true);
    parts_.workflows->OpenLink();
    backup_->RequireDevice(IdentifyDevice(document));
    if (parts_.restoring) parts_.restoring();
    document.StartProgram();
}
