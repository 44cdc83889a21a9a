#include "app/history/CommissioningRecorder.h"

#include "commissioning/CommissioningLog.h"
#include "commissioning/TransferEntries.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"
#include "report/PageCaptions.h"

#include <QTimer>
#include <QtGlobal>
#include <utility>

TCommissioningRecorder::TCommissioningRecorder(tZCfgFile& document, const TUSBPanel& link,
                                               const QString& settingsFile, QObject* parent)
    : QObject(parent), document_(document), link_(link), settingsFile_(settingsFile),
      retry_(new QTimer(this)) {
    retry_->setInterval(30000);
    connect(retry_, &QTimer::timeout, this, [this] { retryWaiting(); });
}

// Entries that could not be written are tried again while they wait, so a log that is back takes
// them even when no transfer follows.
void TCommissioningRecorder::retryWaiting() {
    if (!log_ || log_->Flush()) retry_->stop();
}

// Closing the log writes what still waits; entries that cannot be written even then are lost, and
// the window is going: that is said on standard error rather than in a box.
TCommissioningRecorder::~TCommissioningRecorder() {
    if (log_)
        log_->SetOnProblem(
            [](tCommissioningLog*, const QString& message) { qWarning("%s", qPrintable(message)); });
}

std::shared_ptr<tCommissioningLog> TCommissioningRecorder::Log() {
    if (!log_) {
        log_ = std::make_shared<tCommissioningLog>(ReadCommissioningLogSettings(settingsFile_));
        log_->SetOnProblem([this](tCommissioningLog*, const QString& message) {
            if (statusMessage_) statusMessage_(message);
            ShowWarning(message);
        });
    }
    return log_;
}

void TCommissioningRecorder::Record(const tTransferOutcome& outcome) {
    tTransferContext context;
    if (std::exchange(expectRestore_, false) && outcome.Kind == tTransferKind::Program)
        context.Action = tCommissioningAction::Restore;
    else if (outcome.Kind == tTransferKind::Read && selfTest_ && selfTest_())
        context.Action = tCommissioningAction::SelfTest;
    if (!context.Action && !CommissioningActionOf(outcome.Kind)) return;
    context.AdapterSerial = TransferAdapterName(link_);
    // A Program that identified the device has kept its backup, if backups are on.
    if (outcome.Kind == tTransferKind::Program && outcome.DeviceConfiguration && backup_)
        context.BackupFile = backup_();
    const tZCfgFile& written = outcome.Programmed ? *outcome.Programmed : document_;
    context.Differences = CaptionedDifferenceLines(outcome.Differences, written.GetDeviceType());
    Log()->Append(TransferEntry(outcome, document_, context));
    if (log_->PendingCount() > 0 && !retry_->isActive()) retry_->start();
    for (const auto& handler : onRecorded_)
        handler();
}
