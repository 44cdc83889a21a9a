#pragma once
// The "Development" page's serial monitor: the traffic between the PC and the programming adapter as
// readable text. Sent texts show as whole lines marked ">> "; received bytes arrive one at a time and
// are gathered into lines marked "<< ", broken after a CR and before a SOH as the "Rx Options" say.
// Control characters show by name. The box keeps the last MaxLines lines, dropping the oldest, and
// adding a character costs the same however long the trace has grown: characters are gathered
// and reach the box in one insertion per burst. While the page is hidden the trace waits as plain
// text (the last MaxLines lines of it), which costs a tenth of what the box's lines cost.

#include <QString>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QPlainTextEdit;
class QPushButton;

namespace Ui {
class TSerialMonitor;
}

class TSerialMonitor : public QWidget {
    Q_OBJECT
public:
    enum Direction : uint8_t { None = 0, Receive = 1, Transmit = 2 };
    static constexpr int MaxLines = 2000;

    // Asks for the file the trace is saved into; nothing means cancelled. Replaceable so that tests
    // can answer; the default runs a non-native save dialog.
    using AskSaveFileNameHook = std::function<std::optional<QString>()>;

    explicit TSerialMonitor(QWidget* parent = nullptr);
    ~TSerialMonitor() override;

    // One sent text: a line ">> " and the text with its control characters named.
    void MonitorTransmit(const QString& text);
    // One received character (a one-character text).
    void MonitorReceive(const QString& c);
    // One received byte, turned into a character through Windows-1252.
    void MonitorReceiveByte(uint8_t byte) { MonitorReceive(QString(CharFromByte(byte))); }
    static QChar CharFromByte(uint8_t byte);

    // "Clear": empties the box; the direction and the pending break stay as they are.
    void ButtonClearClick();
    // "Save…": asks for a file and writes the trace into it. false when cancelled or failed (a
    // failure is shown as an error).
    bool ButtonSaveClick();
    // Writes the trace, lines ending CR LF, in UTF-8; false with a reason in error on failure.
    bool SaveTrace(const QString& fileName, QString& error) const;

    void SetAskSaveFileName(AskSaveFileNameHook hook) { askSaveFileName_ = std::move(hook); }

    uint8_t LastDirection() const { return lastDirection_; }
    bool BreakPending() const { return breakPending_; }
    QString Text() const;
    int LineCount() const;

    QCheckBox* CheckBoxBreakAfterCR() const;
    QCheckBox* CheckBoxBreakBeforeSOH() const;
    QPlainTextEdit* MemoSerialMonitor() const;
    QPushButton* ButtonClear() const;
    QPushButton* ButtonSave() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void appendLine(const QString& line);
    void appendToLastLine(const QString& text);
    void scheduleFlush();
    // Moves the text gathered since the last flush into the box.
    void flush() const;
    // Keeps the waiting text to its last MaxLines lines.
    void trimPending();

    std::unique_ptr<Ui::TSerialMonitor> ui_;
    uint8_t lastDirection_ = None;
    bool breakPending_ = false;
    bool hasLine_ = false;
    // Text waiting to be appended to the box. Received bytes arrive one at a time but in bursts (a
    // link tick drains everything received); the box takes each burst in one insertion, once control
    // returns to the event loop or when its text is read.
    mutable QString pending_;
    mutable int pendingLines_ = 0;
    mutable bool flushScheduled_ = false;
    mutable bool replaceBox_ = false; // what waits has dropped lines the box still holds
    AskSaveFileNameHook askSaveFileName_;
    bool fontSet_ = false;
};
