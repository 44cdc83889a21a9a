#pragma once
// One entry of the commissioning log: what was done to which device, by whom, with what result and
// which configuration; and the filter the history and the reports select entries with.

#include <QDateTime>
#include <QString>
#include <QStringList>

// The device's identity as an entry keeps it (the fields it answered with); a field the device does
// not send stays empty.
struct tLoggedIdentity {
    QString FactoryData;
    QString SerialNumber;
    QString HardwareRevision;
    QString FirmwareRevision;

    bool operator==(const tLoggedIdentity&) const = default;
};

// The transfers the log records.
enum class tCommissioningAction { Read, Program, FactoryProgram, Compare, Restore, SelfTest };

// "Read", "Program", "Factory Program", "Compare", "Restore", "Self-test": the action as an entry
// stores and shows it.
QString CommissioningActionText(tCommissioningAction action);

// What the adapter column holds when the simulated adapter did the transfer.
QString SimulatedAdapterName();

struct tCommissioningEntry {
    qint64 Id = 0;         // given by the log when the entry is written; 0 before
    QDateTime Time;        // UTC; the log stamps the time of Append when it is not set
    QString Operator;      // login name; the log fills in the current user when empty
    QString Host;          // the log fills in this computer's name when empty
    QString AdapterSerial; // the adapter's serial number, or SimulatedAdapterName()
    QString Action;        // CommissioningActionText
    QString DeviceType;    // the device type's name as the window shows it, "ZX320 Relay Output"
    tLoggedIdentity Identity;
    bool Success = false;
    QString Result;          // the message shown at the end of the transfer
    QStringList Differences; // the differing values of a verification with errors, one a line
    QString ConfigurationFile;
    QString Configuration;       // the configuration file's text as programmed or read
    QString ConfigurationSha256; // of Configuration's UTF-8 text, lower-case hex; set by the log
    QString BackupFile;          // where one was made
    QString Comments;            // the document's comments

    bool operator==(const tCommissioningEntry&) const = default;
};

// The SHA-256 of the text in UTF-8, in lower-case hexadecimal; empty for an empty text.
QString ConfigurationDigest(const QString& configuration);

// Which entries a query selects. Every condition left at its default selects everything.
struct tCommissioningFilter {
    // Found anywhere, in any case, in the device type, the identity, the configuration file, the
    // comments or the result.
    QString Text;
    QString DeviceType; // exactly this device type name; empty: every type
    QDateTime Since;    // from this time on; invalid: from the first entry
    QDateTime Until;    // before this time; invalid: up to the last entry
    bool FailuresOnly = false;
    bool OldestFirst = false; // the history shows the newest first; reports read oldest first
    int Limit = 0;            // at most this many entries; 0: no limit
    int Offset = 0;           // skipping this many first
};
