#pragma once
// zcfg's record of its transfers in the commissioning log: one entry for every read, program and
// factory program, as the window makes them. A log that cannot be written stops nothing; zcfg says
// so once on standard error.

#include "commissioning/CommissioningEntry.h"

#include <memory>
#include <optional>

class TUSBPanel;
class tCommissioningLog;
class tZCfgFile;

class tTransferRecorder {
public:
    tTransferRecorder();
    ~tTransferRecorder();
    tTransferRecorder(const tTransferRecorder&) = delete;
    tTransferRecorder& operator=(const tTransferRecorder&) = delete;

    // Records the transfer that has just ended on the document, through the link, with the backup the
    // transfer kept first (empty: none).
    void Record(tZCfgFile& document, const TUSBPanel& link, const QString& backupFile);
    // The next transfer is recorded as this action (a Restore) rather than as its own.
    void SetNextAction(tCommissioningAction action) { nextAction_ = action; }

private:
    std::unique_ptr<tCommissioningLog> log_; // opened with the first entry
    std::optional<tCommissioningAction> nextAction_;
};
