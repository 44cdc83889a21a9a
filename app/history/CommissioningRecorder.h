#pragma once
// The window's record of its transfers in the commissioning log: every Read, Program, Factory
// Program, Compare, Restore and adapter self-test the transfer coordinator hears the end of becomes
// one entry. The log is opened once, with the window's settings, when it is first needed. When it
// cannot be written, the status bar and one warning say so, once until it has been written again;
// the transfers go on and their entries wait in memory, written with the next entry or, at the
// latest, by a retry every half minute.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QTimer;
class TUSBPanel;
class tCommissioningLog;
class tZCfgFile;
struct tTransferOutcome;

class TCommissioningRecorder : public QObject {
public:
    // settingsFile: the window's settings file (tests, portable use); empty: the per-user settings.
    TCommissioningRecorder(tZCfgFile& document, const TUSBPanel& link, const QString& settingsFile,
                           QObject* parent);
    ~TCommissioningRecorder() override;

    // The log, opened on first use. The history window shares it: a query it keeps open must be gone
    // before the log closes, whichever of the two goes first.
    std::shared_ptr<tCommissioningLog> Log();

    // The coordinator's outcome listener: records the transfer that ended.
    void Record(const tTransferOutcome& outcome);
    // Whether a Read that ends is the adapter self-test's.
    void SetSelfTestQuery(std::function<bool()> selfTest) { selfTest_ = std::move(selfTest); }
    // The backup file the last Program kept before writing the device; empty when none was kept.
    void SetBackupQuery(std::function<QString()> backup) { backup_ = std::move(backup); }
    // The next Program is recorded as a Restore (a backup, or a configuration from the log,
    // programmed again). Any other outcome, or false, takes that back.
    void ExpectRestore(bool expect) { expectRestore_ = expect; }
    // Where the problem is shown besides the warning (the status bar).
    void SetOnStatusMessage(std::function<void(const QString&)> show) { statusMessage_ = std::move(show); }
    // Told after every entry was recorded (the history window shows it).
    void AddOnRecorded(std::function<void()> handler) { onRecorded_.push_back(std::move(handler)); }

private:
    tZCfgFile& document_;
    const TUSBPanel& link_;
    const QString settingsFile_;
    std::shared_ptr<tCommissioningLog> log_;
    std::function<bool()> selfTest_;
    std::function<QString()> backup_;
    std::function<void(const QString&)> statusMessage_;
    std::vector<std::function<void()>> onRecorded_;
    bool expectRestore_ = false;
    QTimer* retry_ = nullptr; // runs while entries wait

    void retryWaiting();
};
