#pragma once
// The backups of the attached device, newest first, to choose the one to program back. Modal to the
// main window without blocking the caller: "Restore" (or a double click) tells the chosen backup.

#include "transfer/Backups.h"

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

class TRestoreDialog : public QDialog {
    Q_OBJECT
public:
    using tChosen = std::function<void(const tBackupEntry& backup)>;

    explicit TRestoreDialog(QWidget* parent);

    void ShowBackups(const QString& heading, const QList<tBackupEntry>& backups, tChosen chosen);

    QLabel* Heading() const { return heading_; }
    QTreeWidget* List() const { return list_; }
    QPushButton* RestoreButton() const { return restore_; }

private:
    void restoreCurrent();

    QLabel* heading_;
    QTreeWidget* list_;
    QPushButton* restore_;
    QList<tBackupEntry> backups_;
    tChosen onChosen_;
};
