#include "app/transfer/TransferPanel.h"

#include "device/TransferTypes.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>

namespace {
// The steps of each kind of transfer, in order; the bar moves through them.
QList<tTransferProgress::Step> stepsOf(tTransferKind kind) {
    using P = tTransferProgress;
    switch (kind) {
    case tTransferKind::Program:
        return {P::Waking, P::Identifying, P::Sending, P::Verifying};
    case tTransferKind::FactoryProgram:
        return {P::Waking, P::Identifying, P::SendingFactoryRecord, P::Sending, P::Verifying};
    default:
        return {P::Waking, P::Receiving};
    }
}
constexpr int barScale = 1000;
} // namespace

TTransferPanel::TTransferPanel(QWidget* parent)
    : QWidget(parent), stack_(new QStackedWidget(this)), progress_(new QProgressBar), step_(new QLabel),
      cancel_(new QPushButton(QStringLiteral("Cancel"))), result_(new QLabel), simulated_(new QLabel(this)) {
    setObjectName(QStringLiteral("PanelTransfer"));
    progress_->setObjectName(QStringLiteral("ProgressBarTransfer"));
    progress_->setAccessibleName(QStringLiteral("Transfer progress"));
    progress_->setTextVisible(false);
    progress_->setRange(0, barScale);
    progress_->setMinimumWidth(120);
    step_->setObjectName(QStringLiteral("LabelTransferStep"));
    step_->setAccessibleName(QStringLiteral("Transfer step"));
    cancel_->setObjectName(QStringLiteral("ButtonCancelTransfer"));
    cancel_->setAccessibleName(QStringLiteral("Cancel transfer"));
    cancel_->setToolTip(QStringLiteral("Stop the transfer with the device now (Esc)"));
    result_->setObjectName(QStringLiteral("LabelLastResult"));
    result_->setAccessibleName(QStringLiteral("Last transfer result"));
    result_->setTextFormat(Qt::PlainText);
    simulated_->setObjectName(QStringLiteral("LabelSimulatedAdapter"));
    simulated_->setAccessibleName(QStringLiteral("Simulated adapter"));
    simulated_->setStyleSheet(QStringLiteral("QLabel { color: #8a5a00; font-weight: bold; }"));
    simulated_->hide();

    // The running transfer and the last result take turns in one place of one size, so that neither
    // moves anything else in the window when it comes and goes. All of it stands in one row, so the
    // "Programmer" group is no taller than its buttons.
    auto* running = new QWidget;
    auto* runningLayout = new QHBoxLayout(running);
    runningLayout->setContentsMargins(0, 0, 0, 0);
    runningLayout->addWidget(step_);
    runningLayout->addWidget(progress_, 1);
    runningLayout->addWidget(cancel_);
    auto* ended = new QWidget;
    auto* endedLayout = new QHBoxLayout(ended);
    endedLayout->setContentsMargins(0, 0, 0, 0);
    endedLayout->addWidget(result_);
    stack_->addWidget(ended);
    stack_->addWidget(running);

    // As tall as its row, never more: the pages above take the window's height.
    stack_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(stack_, 1);
    layout->addWidget(simulated_);
    setRunning(false);
}

void TTransferPanel::setRunning(bool running) {
    stack_->setCurrentIndex(running ? 1 : 0);
    cancel_->setEnabled(running);
}

void TTransferPanel::ShowProgress(const tTransferProgress& progress) {
    stepText_ = progress.Text();
    // A bar that moves through the steps, and through the bytes of a step where their number is
    // known; never the busy animation, which repaints all the time.
    const QList<tTransferProgress::Step> steps = stepsOf(progress.Kind);
    const double within = progress.Expected > 0
                              ? double(qMin(progress.Received, progress.Expected)) / progress.Expected
                              : (progress.Received > 0 ? 0.5 : 0.0);
    value_ = int(barScale * (qMax(0, int(steps.indexOf(progress.CurrentStep))) + within) / steps.size());
    if (progress.CurrentStep == tTransferProgress::Waking && progress.Received == 0) {
        result_->clear();
        setRunning(true);
        showLatestProgress();
        return;
    }
    if (updatePending_) return;
    updatePending_ = true;
    QTimer::singleShot(0, this, [this] { showLatestProgress(); });
}

void TTransferPanel::showLatestProgress() {
    updatePending_ = false;
    if (!cancel_->isEnabled()) return; // the transfer ended meanwhile
    step_->setText(stepText_);
    progress_->setValue(value_);
}

void TTransferPanel::ShowOutcome(const tTransferOutcome& outcome, const QString& deviceName,
                                 const QString& details, const QString& note) {
    const QString time = QLocale().toString(QTime::currentTime(), QLocale::ShortFormat);
    QString text =
        QStringLiteral("%1 %2").arg(outcome.Ok() ? QStringLiteral("\u2714") : QStringLiteral("\u2716"), time);
    if (!deviceName.isEmpty()) text += QStringLiteral(" \u00b7 ") + deviceName;
    text += QStringLiteral(" \u00b7 ") + TransferKindName(outcome.Kind) + QStringLiteral(": ") +
            outcome.Message.section(QLatin1Char('\n'), 0, 0);
    if (!note.isEmpty()) text += QLatin1Char('\n') + note.section(QLatin1Char('\n'), 0, 0);
    result_->setText(text);
    QString tip = details.isEmpty() ? outcome.Message : outcome.Message + QStringLiteral("\n\n") + details;
    if (!note.isEmpty()) tip += QStringLiteral("\n\n") + note;
    result_->setToolTip(tip);
    result_->setStyleSheet(outcome.Ok() ? QStringLiteral("QLabel { color: #1f6f2b; }")
                                        : QStringLiteral("QLabel { color: #b00020; }"));
    setRunning(false);
}

void TTransferPanel::SetSimulated(const QString& deviceName) {
    simulated_->setText(deviceName.isEmpty() ? QString()
                                             : QStringLiteral("Simulated adapter: ") + deviceName);
    simulated_->setVisible(!deviceName.isEmpty());
}
