#pragma once
// The Program Many panel, docked in the window: the configuration being programmed, the value that
// steps from unit to unit (which value, its start, its step and, large, what the next unit gets), the
// counters, the last result, the prompt, and the buttons that move the run on. It only shows; the run
// itself is TProgramMany's.

#include <QDockWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

class TProgramManyPanel : public QDockWidget {
    Q_OBJECT
public:
    explicit TProgramManyPanel(QWidget* parent = nullptr);

    // Which buttons are offered: Next (waiting for a unit) or Retry and Skip (after a failure); Stop
    // whenever a run is on.
    enum class tButtons { Next, Failure };
    void ShowButtons(tButtons buttons, bool running);
    // The stepping settings can be changed only between runs.
    void SetSettingsEnabled(bool enabled);
    void ShowCounters(int verified, int failed, int skipped);

    QLabel* Configuration() const { return configuration_; }
    QCheckBox* StepValue() const { return stepValue_; }
    QComboBox* SteppedValue() const { return steppedValue_; }
    QSpinBox* Start() const { return start_; }
    QSpinBox* Step() const { return step_; }
    QLabel* NextValue() const { return nextValue_; }
    QLabel* Verified() const { return verified_; }
    QLabel* Failed() const { return failed_; }
    QLabel* Skipped() const { return skipped_; }
    QLabel* LastResult() const { return lastResult_; }
    QLabel* Prompt() const { return prompt_; }
    QPushButton* Next() const { return next_; }
    QPushButton* Retry() const { return retry_; }
    QPushButton* Skip() const { return skip_; }
    QPushButton* Stop() const { return stop_; }

private:
    QLabel* configuration_;
    QCheckBox* stepValue_;
    QComboBox* steppedValue_;
    QSpinBox* start_;
    QSpinBox* step_;
    QLabel* nextValue_;
    QLabel* verified_;
    QLabel* failed_;
    QLabel* skipped_;
    QLabel* lastResult_;
    QLabel* prompt_;
    QPushButton* next_;
    QPushButton* retry_;
    QPushButton* skip_;
    QPushButton* stop_;
};
