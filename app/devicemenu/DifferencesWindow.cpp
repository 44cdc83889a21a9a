#include "app/devicemenu/DifferencesWindow.h"

#include "property/PelError.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TDifferencesWindow::TDifferencesWindow(QWidget* parent)
    : QDialog(parent), heading_(new QLabel(this)), list_(new QTreeWidget(this)),
      take_(new QPushButton(QStringLiteral("&Take Device Values"), this)),
      copy_(new QPushButton(QStringLiteral("&Copy"), this)),
      close_(new QPushButton(QStringLiteral("Close"), this)) {
    setObjectName(QStringLiteral("FormDifferences"));
    setWindowTitle(QStringLiteral("Differences"));
    setWindowModality(Qt::WindowModal);
    heading_->setObjectName(QStringLiteral("LabelDifferencesHeading"));
    heading_->setAccessibleName(QStringLiteral("Compare result"));
    heading_->setWordWrap(true);
    heading_->setTextFormat(Qt::PlainText);
    list_->setObjectName(QStringLiteral("ListDifferences"));
    list_->setAccessibleName(QStringLiteral("Differences"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({QStringLiteral("Group"), QStringLiteral("Value"), QStringLiteral("In the window"),
                            QStringLiteral("In the device")});
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    take_->setObjectName(QStringLiteral("ButtonTakeDeviceValues"));
    take_->setAccessibleName(QStringLiteral("Take Device Values"));
    take_->setToolTip(QStringLiteral("Take every value the device holds into the window (one undo step)"));
    copy_->setObjectName(QStringLiteral("ButtonCopyDifferences"));
    copy_->setAccessibleName(QStringLiteral("Copy"));
    copy_->setToolTip(QStringLiteral("Copy the list as text"));
    close_->setObjectName(QStringLiteral("ButtonCloseDifferences"));
    close_->setAccessibleName(QStringLiteral("Close"));
    close_->setDefault(true);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(take_, QDialogButtonBox::ActionRole);
    buttons->addButton(copy_, QDialogButtonBox::ActionRole);
    buttons->addButton(close_, QDialogButtonBox::RejectRole);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);

    connect(take_, &QPushButton::clicked, this, [this] { Guarded([this] { takeValues(); }); });
    connect(copy_, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setText(Text()); });
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    resize(680, 360);
}

void TDifferencesWindow::ShowDifferences(const QString& heading, const QList<tRow>& rows, tTake take) {
    heading_->setText(heading);
    rows_ = rows;
    onTake_ = std::move(take);
    list_->clear();
    for (const tRow& row : rows)
        list_->addTopLevelItem(
            new QTreeWidgetItem(QStringList{row.Name.Group, row.Name.Caption, row.Ours, row.Theirs}));
    list_->setVisible(!rows.isEmpty());
    take_->setVisible(bool(onTake_));
    take_->setEnabled(!rows.isEmpty());
    copy_->setEnabled(!rows.isEmpty());
    if (!rows.isEmpty()) list_->setCurrentItem(list_->topLevelItem(0));
    show();
    raise();
    activateWindow();
}

QString TDifferencesWindow::Text() const {
    QStringList lines{heading_->text()};
    for (const tRow& row : rows_)
        lines << QStringLiteral("%1: %2 -> %3").arg(row.Name.Text(), row.Ours, row.Theirs);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

// The window closes once the values are in the document; a refusal leaves it open.
void TDifferencesWindow::takeValues() {
    if (!onTake_) return;
    onTake_();
    accept();
}
