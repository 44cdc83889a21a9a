#include "app/UnitFormOK.h"

#include "app/AppResources.h"
#include "property/PelError.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>

namespace {
QLabel* makePicture(QWidget* parent, const char* name) {
    auto* image = new QLabel(parent);
    image->setObjectName(QLatin1String(name));
    image->setGeometry(12, 20, 100, 100);
    image->setAlignment(Qt::AlignCenter);
    return image;
}
} // namespace

TFormOK::TFormOK(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormOK"));
    setWindowTitle(QStringLiteral("Status"));
    setFixedSize(363, 172);

    imageOK_ = makePicture(this, "ImageOK");
    imageError_ = makePicture(this, "ImageError");
    imageError_->hide();

    memoResult_ = new QTextEdit(this);
    memoResult_->setObjectName(QStringLiteral("MemoResult"));
    memoResult_->setGeometry(124, 20, 227, 100);
    memoResult_->setReadOnly(true);
    memoResult_->setFrameShape(QFrame::NoFrame);
    memoResult_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette memoPalette = memoResult_->palette();
    memoPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    memoResult_->setPalette(memoPalette);
    showText(QStringLiteral("Operation Complete"));

    bitBtnOK_ = new QPushButton(QStringLiteral("OK"), this);
    bitBtnOK_->setObjectName(QStringLiteral("BitBtnOK"));
    bitBtnOK_->setGeometry(144, 132, 75, 28);
    bitBtnOK_->setDefault(true);
    connect(bitBtnOK_, &QPushButton::clicked, this, &QDialog::accept);

    bitBtnShowDifferences_ = new QPushButton(QStringLiteral("Show &Differences"), this);
    bitBtnShowDifferences_->setObjectName(QStringLiteral("BitBtnShowDifferences"));
    bitBtnShowDifferences_->setAccessibleName(QStringLiteral("Show Differences"));
    bitBtnShowDifferences_->setGeometry(184, 132, 130, 28);
    bitBtnShowDifferences_->hide();
    connect(bitBtnShowDifferences_, &QPushButton::clicked, this, [this] {
        showDifferences_ = true;
        accept();
    });

    timerDone_ = new QTimer(this);
    timerDone_->setObjectName(QStringLiteral("TimerDone"));
    timerDone_->setInterval(3000);
    connect(timerDone_, &QTimer::timeout, this, [this] { TimerDoneTimer(); });

    SetRunModal({});
}

void TFormOK::SetRunModal(RunModalHook hook) {
    if (!hook) hook = [](TFormOK& form) { return form.exec(); };
    runModal_ = std::move(hook);
}

// Every line centred.
void TFormOK::showText(const QString& text) {
    memoResult_->setPlainText(text);
    QTextCursor cursor(memoResult_->document());
    cursor.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    cursor.mergeBlockFormat(centred);
}

// The pictures are loaded when a result is first shown, not while the program starts.
void TFormOK::loadPictures() {
    if (!imageOK_->pixmap().isNull()) return;
    imageOK_->setPixmap(AppPicture(QStringLiteral("result_ok")));
    imageError_->setPixmap(AppPicture(QStringLiteral("result_error")));
    bitBtnOK_->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
}

bool TFormOK::ShowResult(const QString& text, bool success) noexcept {
    try {
        if (onResult_) onResult_(this, success);
        loadPictures();
        showText(text);
        if (success)
            timerDone_->start();
        else
            timerDone_->stop();
        imageOK_->setVisible(success);
        imageError_->setVisible(!success);
        const bool differences = bool(onShowDifferences_);
        bitBtnShowDifferences_->setVisible(differences);
        bitBtnOK_->move(differences ? 94 : 144, 132);
        showDifferences_ = false;
        const bool accepted = runModal_(*this) == QDialog::Accepted;
        if (showDifferences_ && onShowDifferences_) Guarded(onShowDifferences_);
        return accepted;
    } catch (...) {
        return true;
    }
}

void TFormOK::TimerDoneTimer() {
    timerDone_->stop();
    accept();
}

void TFormOK::done(int result) {
    timerDone_->stop();
    QDialog::done(result);
}

ResultPresenter MakeResultPresenter(TFormOK& form) {
    return [&form](const QString& text, bool success) { return form.ShowResult(text, success); };
}
