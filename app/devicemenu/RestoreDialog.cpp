#include "app/devicemenu/RestoreDialog.h"

#include "device/DeviceTypeTable.h"
#include "property/PelError.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TRestoreDialog::TRestoreDialog(QWidget* parent)
    : QDialog(parent), heading_(new QLabel(this)), list_(new QTreeWidget(this)),
      restore_(new QPushButton(QStringLiteral("&Restore"), this)) {
    setObjectName(QStringLiteral("FormRestore"));
    setWindowTitle(QStringLiteral("Restore Previous Configuration"));
    setWindowModality(Qt::WindowModal);
    heading_->setObjectName(QStringLiteral("LabelRestoreHeading"));
    heading_->setWordWrap(true);
    heading_->setTextFormat(Qt::PlainText);
    heading_->setBuddy(list_);
    list_->setObjectName(QStringLiteral("ListBackups"));
    list_->setAccessibleName(QStringLiteral("Backups"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({QStringLiteral("Read"), QStringLiteral("Device type"), QStringLiteral("File")});
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    restore_->setObjectName(QStringLiteral("ButtonRestore"));
    restore_->setAccessibleName(QStringLiteral("Restore"));
    restore_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("ButtonCancelRestore"));
    cancel->setAccessibleName(QStringLiteral("Cancel"));

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(restore_, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancel, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);

    connect(restore_, &QPushButton::clicked, this, [this] { restoreCurrent(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, [this] { restoreCurrent(); });
    connect(list_, &QTreeWidget::currentItemChanged, this,
            [this] { restore_->setEnabled(list_->currentItem() != nullptr); });
    resize(780, 320);
}

void TRestoreDialog::ShowBackups(const QString& heading, const QList<tBackupEntry>& backups, tChosen chosen) {
    heading_->setText(heading);
    backups_ = backups;
    onChosen_ = std::move(chosen);
    list_->clear();
    for (const tBackupEntry& backup : backups) {
        const QString read = backup.Taken.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        auto* item =
            new QTreeWidgetItem(QStringList{read, QLatin1String(DeviceTypeInfo(backup.Type).ModelName),
                                            QFileInfo(backup.FilePath).fileName()});
        item->setToolTip(2, QDir::toNativeSeparators(backup.FilePath));
        list_->addTopLevelItem(item);
    }
    list_->setCurrentItem(list_->topLevelItem(0));
    restore_->setEnabled(list_->currentItem() != nullptr);
    show();
    raise();
    activateWindow();
}

// The dialog closes first: what follows (a question, the save prompt, the Program) is the window's.
void TRestoreDialog::restoreCurrent() {
    const int row = list_->indexOfTopLevelItem(list_->currentItem());
    if (row < 0 || row >= backups_.size()) return;
    const tBackupEntry chosen = backups_[row];
    accept();
    if (onChosen_) Guarded([&] { onChosen_(chosen); });
}
