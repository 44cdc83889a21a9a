#pragma once
// The commissioning log's entry for a transfer with a device: what the transfer's outcome, its
// document and the programmer link say, in the log's words. The window and zcfg both record their
// transfers through it, so the same transfer makes the same entry in either.

#include "commissioning/CommissioningEntry.h"
#include "device/TransferTypes.h"

#include <optional>

class TUSBPanel;
class tZCfgFile;

// The action a transfer is recorded as; none for one the log does not record (Read Device Type).
std::optional<tCommissioningAction> CommissioningActionOf(tTransferKind kind);

// What the outcome does not say about a transfer.
struct tTransferContext {
    QString AdapterSerial;                      // TransferAdapterName of the link
    std::optional<tCommissioningAction> Action; // instead of the transfer's own: Restore, Self-test
    // The differing values as the caller shows them ("Caption: in the window -> in the device");
    // empty: one "PATH: OURS -> THEIRS" line per difference of the outcome.
    QStringList Differences;
    QString BackupFile; // the backup made before the transfer, if any
};

// The device's identity as a configuration holds it (IdentifyDevice): hardware and firmware revision
// ("HW", "SW" or "Version"), and the rest as its factory data (a wired device's factory string, a
// transmitter's "W/O ..., Date ..."). None of the devices sends a serial number of its own, so that
// field stays empty.
tLoggedIdentity ConfigurationIdentity(tZCfgFile& configuration);

// The configuration as its file holds it, every line ended by CR LF. The document's modified state
// is kept (writing the lines would clear it, as a save does).
QString ConfigurationText(tZCfgFile& document);
// The lines of such a text, for loading it (CR LF, LF and a last line without an end all taken).
QStringList ConfigurationLines(const QString& text);

// What the adapter column records: SimulatedAdapterName() while the simulated adapter is in use,
// otherwise the adapter's serial number.
QString TransferAdapterName(const TUSBPanel& link);

// The entry for a transfer that ended with `outcome` on `document`:
// - the action is the transfer's own unless the context names another;
// - the device type and identity are the device's as it answered (for a Program, as it identified
//   itself before being written; for a verified Factory Program, the factory record it now holds);
//   without an answer, the document's type;
// - what a Program, Factory Program or Restore wrote is the configuration it was given (StartProgramOf)
//   or else the document: its text, file and comments are recorded;
// - the configuration is the written text for a Program, Factory Program and Restore, and what
//   the device sent for a Read, Compare and self-test; the file is named for those that write the
//   document's configuration and for a Compare, which compares it;
// - a transfer succeeded when it ended with success, and a Compare only when nothing differs.
tCommissioningEntry TransferEntry(const tTransferOutcome& outcome, tZCfgFile& document,
                                  const tTransferContext& context);
