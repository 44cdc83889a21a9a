#include "cli/TransferRecorder.h"

#include "cli/CliSupport.h"
#include "commissioning/CommissioningLog.h"
#include "commissioning/TransferEntries.h"
#include "report/PageCaptions.h"

#include <utility>

tTransferRecorder::tTransferRecorder() = default;

// Closing the log writes what waits; what still cannot be written is reported lost.
tTransferRecorder::~tTransferRecorder() = default;

void tTransferRecorder::Record(tZCfgFile& document, const TUSBPanel& link, const QString& backupFile) {
    const tTransferOutcome& outcome = document.LastOutcome();
    tTransferContext context;
    context.Action = std::exchange(nextAction_, std::nullopt);
    if (!context.Action && !CommissioningActionOf(outcome.Kind)) return;
    if (!log_) {
        log_ = std::make_unique<tCommissioningLog>();
        log_->SetOnProblem([](tCommissioningLog*, const QString& message) { PrintError(message); });
    }
    context.AdapterSerial = TransferAdapterName(link);
    context.BackupFile = backupFile;
    const tZCfgFile& written = outcome.Programmed ? *outcome.Programmed : document;
    context.Differences = CaptionedDifferenceLines(outcome.Differences, written.GetDeviceType());
    log_->Append(TransferEntry(outcome, document, context));
}
