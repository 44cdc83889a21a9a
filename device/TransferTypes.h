#pragma once
// What a transfer with the device reports while it runs and when it ends: its progress in words and
// bytes, and an outcome that says how it ended, what was shown, which values differ and what the
// device holds. The window, the command-line tool and the commissioning log all read these.

#include "property/ValueDifferences.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <memory>

class tZCfgFile;

enum class tTransferKind : uint8_t {
    None,
    Read,           // the device's configuration into the document
    Program,        // the document into the device, verified by reading it back
    FactoryProgram, // a transmitter's factory record, then its user record, verified
    Compare,        // the device read into a scratch copy, compared with the document
    Identify,       // the device read into a scratch copy, to say what it is
};

QString TransferKindName(tTransferKind kind); // "Read", "Program", ...

struct tTransferProgress {
    enum Step : uint8_t { Waking, Identifying, Receiving, SendingFactoryRecord, Sending, Verifying };
    tTransferKind Kind = tTransferKind::None;
    Step CurrentStep = Waking;
    int Received = 0; // bytes of the record(s) received so far in this step
    int Expected = 0; // bytes the record(s) will have; 0 while unknown
    // "Receiving 24 of 33 bytes", "Sending the configuration", ...
    QString Text() const;
};

struct tTransferOutcome {
    enum Status : uint8_t { Succeeded, Failed, Cancelled, TimedOut };
    tTransferKind Kind = tTransferKind::None;
    Status Result = Failed;
    QString Message;                     // the text shown (result form or message box)
    bool Warning = false;                // shown as a warning rather than an error
    bool DeviceWritten = false;          // a programming frame went out
    bool Verified = false;               // the device read back holds the document's configuration
    QList<tValueDifference> Differences; // a verification with errors, a compare
    // What the device holds, as read (read, compare, identify; the identification before a Program).
    // Null when nothing complete came.
    std::shared_ptr<tZCfgFile> DeviceConfiguration;
    // What a Program wrote when it was not the document itself (StartProgramOf);
    // null: the document.
    std::shared_ptr<tZCfgFile> Programmed;

    bool Ok() const { return Result == Succeeded; }
};
