#include "app/UnitFileNotSaved.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {
QPushButton* makeButton(QWidget* parent, const char* name, const QString& text, QStyle::StandardPixmap icon) {
    auto* button = new QPushButton(parent->style()->standardIcon(icon), text, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}
} // namespace

TFormFileNotSaved::TFormFileNotSaved(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormFileNotSaved"));
    setWindowTitle(QStringLiteral("File Not Saved"));

    labelNotSavedWarning_ = new QLabel(QStringLiteral("The file has not been saved. Save Now?"), this);
    labelNotSavedWarning_->setObjectName(QStringLiteral("LabelNotSavedWarning"));
    labelNotSavedWarning_->setAlignment(Qt::AlignCenter);
    labelNotSavedWarning_->setWordWrap(true);
    QFont bold = labelNotSavedWarning_->font();
    bold.setBold(true);
    labelNotSavedWarning_->setFont(bold);

    labelNotSavedFile_ = new QLabel(this);
    labelNotSavedFile_->setObjectName(QStringLiteral("LabelNotSavedFile"));
    labelNotSavedFile_->setAlignment(Qt::AlignCenter);
    labelNotSavedFile_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    labelNotSavedFile_->setAccessibleName(QStringLiteral("File"));
    SetFileName(QString());

    bitBtnYes_ = makeButton(this, "BitBtnYes", QStringLiteral("&Yes"), QStyle::SP_DialogYesButton);
    bitBtnNo_ = makeButton(this, "BitBtnNo", QStringLiteral("&No"), QStyle::SP_DialogNoButton);
    bitBtnCancel_ = makeButton(this, "BitBtnCancel", QStringLiteral("Cancel"), QStyle::SP_DialogCancelButton);
    bitBtnYes_->setDefault(true);
    connect(bitBtnYes_, &QPushButton::clicked, this, [this] { done(ResultYes); });
    connect(bitBtnNo_, &QPushButton::clicked, this, [this] { done(ResultNo); });
    connect(bitBtnCancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bitBtnYes_);
    buttons->addWidget(bitBtnNo_);
    buttons->addWidget(bitBtnCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    layout->addWidget(labelNotSavedWarning_);
    layout->addWidget(labelNotSavedFile_);
    layout->addStretch(1);
    layout->addLayout(buttons);
    resize(305, 137);
}

void TFormFileNotSaved::SetFileName(const QString& fileName) {
    const QString shown = fileName.isEmpty()
                              ? QStringLiteral("<No Name>")
                              : QDir::toNativeSeparators(QFileInfo(fileName).absoluteFilePath());
    // About sixty characters of the dialog's font; the path keeps its start and its file name.
    const int room = labelNotSavedFile_->fontMetrics().averageCharWidth() * 60;
    labelNotSavedFile_->setText(labelNotSavedFile_->fontMetrics().elidedText(shown, Qt::ElideMiddle, room));
    labelNotSavedFile_->setToolTip(shown);
    labelNotSavedFile_->setAccessibleDescription(shown);
}
