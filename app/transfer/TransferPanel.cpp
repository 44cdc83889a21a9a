#include "app/transfer/TransferPanel.h"

#include "device/TransferTypes.h"

#include <QDateTime>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>

TTransferPanel::TTransferPanel(QWidget* parent)
    : QWidget(parent), progress_(new QProgressBar(this)), step_(new QLabel(this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)), result_(new QLabel(this)),
      simulated_(new QLabel(this)) {
    setObjectName(QStringLiteral("PanelTransfer"));
    progress_->setObjectName(QStringLiteral("ProgressBarTransfer"));
    progress_->setAccessibleName(QStringLiteral("Transfer progress"));
    progress_->setTextVisible(false);
    progress_->setMaximumHeight(fontMetrics().height());
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

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(2);
    layout->addWidget(step_, 0, 0);
    layout->addWidget(progress_, 1, 0);
    layout->addWidget(cancel_, 0, 1, 2, 1, Qt::AlignVCenter);
    layout->addWidget(result_, 2, 0, 1, 2);
    layout->addWidget(simulated_, 3, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    setRunning(false);
}

void TTransferPanel::setRunning(bool running) {
    progress_->setVisible(running);
    step_->setVisible(running);
    cancel_->setVisible(running);
    cancel_->setEnabled(running);
    result_->setVisible(!running && !result_->text().isEmpty());
}

void TTransferPanel::ShowProgress(const tTransferProgress& progress) {
    if (progress.CurrentStep == tTransferProgress::Waking) result_->clear();
    setRunning(true);
    step_->setText(progress.Text());
    if (progress.Expected > 0) {
        progress_->setRange(0, progress.Expected);
        progress_->setValue(qMin(progress.Received, progress.Expected));
    } else {
        progress_->setRange(0, 0); // busy, length not known
    }
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
