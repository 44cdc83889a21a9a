#pragma once
// What the window shows of the transfers with the device, in its "Programmer" group: while one runs,
// its step in words, a progress bar and a Cancel button; afterwards the last result (what, when,
// which device, success or failure) until the next transfer starts; and, when the adapter is the
// simulated one, a mark saying so, so that no screenshot or report passes a simulation for a device.

#include <QString>
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;
struct tTransferOutcome;
struct tTransferProgress;

class TTransferPanel : public QWidget {
    Q_OBJECT
public:
    explicit TTransferPanel(QWidget* parent = nullptr);

    // Shown once the work in hand is done (a tick's bytes come together): a progress bar repaints
    // at once on every value, which would cost more than the transfer itself.
    void ShowProgress(const tTransferProgress& progress);
    // The result of the transfer that ended, for the device named; `details` (the values that differ)
    // go into the result's tooltip. The first line of `note` (the backup a Program kept) is shown
    // under the result, the whole of it in the tooltip.
    void ShowOutcome(const tTransferOutcome& outcome, const QString& deviceName, const QString& details,
                     const QString& note = QString());
    // Names the simulated device; empty: a real adapter, no mark.
    void SetSimulated(const QString& deviceName);

    QProgressBar* ProgressBar() const { return progress_; }
    QPushButton* CancelButton() const { return cancel_; }
    QLabel* StepText() const { return step_; }
    QLabel* LastResult() const { return result_; }
    QLabel* SimulatedMark() const { return simulated_; }

private:
    void setRunning(bool running);
    void showLatestProgress();

    QStackedWidget* stack_;
    QProgressBar* progress_;
    QLabel* step_;
    QPushButton* cancel_;
    QLabel* result_;
    QLabel* simulated_;
    QString stepText_;
    int value_ = 0;
    bool updatePending_ = false;
};
