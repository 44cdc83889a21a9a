#include "app/SerialMonitor.h"

#include "programmer/Common.h"
#include "ui_SerialMonitor.h"

#include <QFileDialog>
#include <QSaveFile>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <utility>

namespace {
constexpr ushort SOH = 1;
constexpr ushort CR = 13;

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; 0 marks the five unassigned codes, which
// stay the control characters of the same code.
const char16_t cp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                 0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool isChar(const QString& c, ushort code) {
    return c.size() == 1 && c.at(0).unicode() == code;
}
} // namespace

TSerialMonitor::TSerialMonitor(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Ui::TSerialMonitor>()) {
    ui_->setupUi(this);
    ui_->MemoSerialMonitor->setMaximumBlockCount(MaxLines);
    connect(ui_->ButtonClear, &QPushButton::clicked, this, [this] { ButtonClearClick(); });
    connect(ui_->ButtonSave, &QPushButton::clicked, this, [this] { ButtonSaveClick(); });
}

TSerialMonitor::~TSerialMonitor() = default;

// The trace's font is looked up when the page is first shown: the page is hidden while the program
// starts, and finding a font the system may lack takes a noticeable moment.
void TSerialMonitor::showEvent(QShowEvent* event) {
    if (!fontSet_) {
        fontSet_ = true;
        ui_->MemoSerialMonitor->setFont(QFont(QStringLiteral("Tahoma"), 8));
    }
    QWidget::showEvent(event);
    flush();
}

QCheckBox* TSerialMonitor::CheckBoxBreakAfterCR() const {
    return ui_->CheckBoxBreakAfterCR;
}
QCheckBox* TSerialMonitor::CheckBoxBreakBeforeSOH() const {
    return ui_->CheckBoxBreakBeforeSOH;
}
QPlainTextEdit* TSerialMonitor::MemoSerialMonitor() const {
    flush();
    return ui_->MemoSerialMonitor;
}
QPushButton* TSerialMonitor::ButtonClear() const {
    return ui_->ButtonClear;
}
QPushButton* TSerialMonitor::ButtonSave() const {
    return ui_->ButtonSave;
}

QChar TSerialMonitor::CharFromByte(uint8_t byte) {
    const char16_t high = byte >= 0x80 && byte <= 0x9F ? cp1252High[byte - 0x80] : 0;
    return QChar(high ? high : char16_t(byte));
}

void TSerialMonitor::appendLine(const QString& line) {
    if (hasLine_) {
        pending_ += QLatin1Char('\n');
        ++pendingLines_;
    }
    pending_ += line;
    hasLine_ = true;
    if (pendingLines_ > MaxLines) trimPending();
    scheduleFlush();
}

// Drops the oldest waiting lines, from the start of a line on; the box's own lines are older still
// and go with them.
void TSerialMonitor::trimPending() {
    qsizetype cut = 0;
    for (int drop = pendingLines_ - MaxLines; drop > 0; --drop)
        cut = pending_.indexOf(QLatin1Char('\n'), cut) + 1;
    pending_.remove(0, cut);
    pendingLines_ = MaxLines;
    replaceBox_ = true;
}

void TSerialMonitor::appendToLastLine(const QString& text) {
    pending_ += text;
    scheduleFlush();
}

// The box takes the text only while it is on screen; hidden, it waits in pending_.
void TSerialMonitor::scheduleFlush() {
    if (flushScheduled_ || !isVisible()) return;
    flushScheduled_ = true;
    QMetaObject::invokeMethod(this, &TSerialMonitor::flush, Qt::QueuedConnection);
}

void TSerialMonitor::flush() const {
    flushScheduled_ = false;
    if (pending_.isEmpty()) return;
    QPlainTextEdit* memo = ui_->MemoSerialMonitor;
    if (std::exchange(replaceBox_, false)) {
        memo->clear();
        if (pending_.startsWith(QLatin1Char('\n'))) pending_.remove(0, 1);
    }
    QScrollBar* bar = memo->verticalScrollBar();
    const bool atBottom = bar->value() == bar->maximum();
    // One insertion for everything that arrived since the last one: the box's block limit then
    // drops the oldest lines once, not once per line.
    QTextCursor cursor(memo->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(pending_);
    pending_.clear();
    pendingLines_ = 0;
    if (atBottom) bar->setValue(bar->maximum());
}

void TSerialMonitor::MonitorTransmit(const QString& text) {
    appendLine(QStringLiteral(">> ") + RenderControlChars(text));
    lastDirection_ = Transmit;
}

void TSerialMonitor::MonitorReceive(const QString& c) {
    const QString rendered = RenderControlChars(c);
    const bool isCR = isChar(c, CR);
    if (lastDirection_ == Transmit) {
        appendLine(QStringLiteral("<< ") + rendered);
        breakPending_ = isCR;
        lastDirection_ = Receive;
        return;
    }
    if (isChar(c, SOH) && ui_->CheckBoxBreakBeforeSOH->isChecked()) breakPending_ = true;
    if (breakPending_) {
        appendLine(QStringLiteral("<< ") + rendered);
        breakPending_ = isCR;
    } else {
        if (hasLine_)
            appendToLastLine(rendered);
        else
            appendLine(QStringLiteral("<< ") + rendered);
        if (isCR) breakPending_ = ui_->CheckBoxBreakAfterCR->isChecked();
    }
    lastDirection_ = Receive;
}

void TSerialMonitor::ButtonClearClick() {
    pending_.clear();
    pendingLines_ = 0;
    replaceBox_ = false;
    ui_->MemoSerialMonitor->clear();
    hasLine_ = false;
}

QString TSerialMonitor::Text() const {
    flush();
    return ui_->MemoSerialMonitor->toPlainText();
}

int TSerialMonitor::LineCount() const {
    flush();
    return hasLine_ ? ui_->MemoSerialMonitor->document()->blockCount() : 0;
}

bool TSerialMonitor::SaveTrace(const QString& fileName, QString& error) const {
    QString text = Text();
    if (hasLine_) text += QLatin1Char('\n');
    text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

bool TSerialMonitor::ButtonSaveClick() {
    std::optional<QString> fileName;
    if (askSaveFileName_) {
        fileName = askSaveFileName_();
    } else {
        const QString chosen = QFileDialog::getSaveFileName(
            this, QStringLiteral("Save Serial Monitor Trace"), QStringLiteral("serial-monitor.txt"),
            QStringLiteral("Text Files (*.txt);;All Files (*)"), nullptr, QFileDialog::DontUseNativeDialog);
        if (!chosen.isEmpty()) fileName = chosen;
    }
    if (!fileName || fileName->isEmpty()) return false;
    QString error;
    if (SaveTrace(*fileName, error)) return true;
    ShowError(QStringLiteral("Cannot save the serial monitor trace to %1: %2").arg(*fileName, error));
    return false;
}
