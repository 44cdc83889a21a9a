#pragma once
// The window's Device menu: "Compare" reads the attached device without touching the document and
// shows what differs in the Differences window; "Load from Device" and "Save to Device" are Read and
// Program; "Restore Previous Configuration..." programs the attached device with one of its backups.
// It also keeps the backup before every Program (with its Tools setting), names it with the result,
// and offers "Show Differences" on a result whose verification found errors.

#include "report/PageCaptions.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class QAction;
class QMenu;
class QWidget;
class TDifferencesWindow;
class TFormOK;
class TPelFileMenus;
class TPelRegistry;
class TProgrammerWorkflows;
class TRestoreDialog;
class TTransferCoordinator;
class tProgramBackup;
class tZCfgFile;
struct tBackupEntry;
struct tTransferOutcome;

class TDeviceMenu : public QObject {
    Q_OBJECT
public:
    struct Parts {
        QWidget* window = nullptr;
        tZCfgFile* document = nullptr;
        TProgrammerWorkflows* workflows = nullptr;
        TTransferCoordinator* transfers = nullptr;
        TPelRegistry* settings = nullptr;
        TPelFileMenus* menus = nullptr;
        QMenu* tools = nullptr;          // gets the backup setting
        QAction* toolsAfter = nullptr;   // the Tools entry the setting follows
        QPointer<TFormOK> resultForm;    // gets "Show Differences"
        std::function<void()> read;      // the window's Read
        std::function<void()> program;   // the window's Program
        QList<QAction*> toolsTransfers;  // Tools entries whose keys go to the Device menu
        std::function<void()> restoring; // told just before a backup is programmed back (a Restore)
    };
    // Asks a yes/no question; true for yes.
    using tAskHook = std::function<bool(const QString& question)>;

    explicit TDeviceMenu(Parts parts);
    ~TDeviceMenu() override;

    void Compare();
    void Restore();

    // The Device menu's entries and the setting, off while a transfer runs.
    QList<QAction*> Actions() const;
    QAction* RestoreAction() const { return restore_; }
    QAction* KeepBackupsAction() const { return keepBackups_; }
    tProgramBackup& Backup() const { return *backup_; }
    // The windows, once made; null before.
    TDifferencesWindow* DifferencesWindow() const;
    TRestoreDialog* RestoreDialog() const;
    void SetAsk(tAskHook ask) { ask_ = std::move(ask); }

    // How the values that differ are named: as the page shows them.
    tValueName Caption(const QString& path) const;
    static QString NoBackupsText(const QString& device, const QString& folder);
    static QString RestoreQuestion(const QString& device, const QString& read, bool backupFirst);

private:
    void buildMenu();
    void outcome(const tTransferOutcome& outcome);
    void showDifferences(const tTransferOutcome& outcome);
    void offerBackups(const tTransferOutcome& outcome);
    void restoreBackup(const tBackupEntry& backup, const QString& device);
    QString backupNote();

    Parts parts_;
    std::unique_ptr<tProgramBackup> backup_;
    QPointer<QAction> restore_;
    QPointer<QAction> keepBackups_;
    QPointer<TDifferencesWindow> differences_;
    QPointer<TRestoreDialog> restoreDialog_;
    tAskHook ask_;
    bool comparing_ = false; // a Compare of ours is running
    bool restoring_ = false; // the identification before a restore is running
};
