#include "app/transfer/TransferCoordinator.h"

#include "app/transfer/TransferPanel.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"

#include <QAction>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QWidget>

const QString TTransferCoordinator::StopAndCloseQuestion =
    QStringLiteral("A transfer with the device is running. Stop it and close the window?");

TTransferCoordinator::TTransferCoordinator(tZCfgFile& document, TTransferPanel& panel, QWidget& window)
    : QObject(&window), document_(document), panel_(panel) {
    document_.SetOnTransferProgress([this](const tTransferProgress& progress) { progressed(progress); });
    document_.SetOnTransferEnded([this](const tTransferOutcome& outcome) { ended(outcome); });
    connect(panel_.CancelButton(), &QPushButton::clicked, this, [this] { Cancel(); });
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    escape_->setObjectName(QStringLiteral("ShortcutCancelTransfer"));
    escape_->setEnabled(false);
    connect(escape_, &QShortcut::activated, this, [this] { Cancel(); });
    QPointer<QWidget> parentWindow(&window);
    ask_ = [parentWindow](const QString& question) {
        return QMessageBox::question(parentWindow, QStringLiteral("Zentara Configurator"), question) ==
               QMessageBox::Yes;
    };
}

void TTransferCoordinator::SetBusyControls(QList<QWidget*> widgets,
                                           std::function<QList<QAction*>()> actions) {
    busyWidgets_.clear();
    for (QWidget* widget : widgets)
        busyWidgets_ << widget;
    busyActions_ = std::move(actions);
}

bool TTransferCoordinator::Cancel() {
    if (document_.CancelTransfer()) return true;
    if (!stop_) return false;
    const std::function<void()> stop = stop_; // it may release the hold
    stop();
    return true;
}

void TTransferCoordinator::Hold(std::function<void()> stop) {
    stop_ = std::move(stop);
    setBusy(true);
}

void TTransferCoordinator::Release() {
    stop_ = nullptr;
    setBusy(document_.TransferRunning());
}

bool TTransferCoordinator::MayClose() {
    if (!document_.TransferRunning()) return true;
    if (!ask_ || !ask_(StopAndCloseQuestion)) return false;
    document_.CancelTransfer();
    return true;
}

void TTransferCoordinator::progressed(const tTransferProgress& progress) {
    setBusy(true);
    panel_.ShowProgress(progress);
}

void TTransferCoordinator::ended(const tTransferOutcome& outcome) {
    const tDeviceTypeInfo& info =
        DeviceTypeInfo(outcome.DeviceConfiguration ? outcome.DeviceConfiguration->GetDeviceType()
                                                   : document_.GetDeviceType());
    const QString device = info.Type == dt_None ? QString() : QLatin1String(info.ModelName);
    lastNote_.clear();
    if (outcomeNote_) Guarded([&] { lastNote_ = outcomeNote_(outcome); });
    panel_.ShowOutcome(outcome, device, DifferenceLines(outcome).join(QLatin1Char('\n')), lastNote_);
    setBusy(Held());
    for (const tOutcomeListener& listener : listeners_)
        Guarded([&] { listener(outcome); });
}

// Widgets and actions are disabled only if they were enabled, and only those are enabled again.
void TTransferCoordinator::setBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    escape_->setEnabled(busy);
    if (busy) {
        for (const QPointer<QWidget>& widget : busyWidgets_)
            if (widget && widget->isEnabled()) {
                widget->setEnabled(false);
                disabledWidgets_ << widget;
            }
        if (busyActions_)
            for (QAction* action : busyActions_())
                if (action && action->isEnabled()) {
                    action->setEnabled(false);
                    disabledActions_ << action;
                }
    } else {
        for (const QPointer<QWidget>& widget : std::as_const(disabledWidgets_))
            if (widget) widget->setEnabled(true);
        for (const QPointer<QAction>& action : std::as_const(disabledActions_))
            if (action) action->setEnabled(true);
        disabledWidgets_.clear();
        disabledActions_.clear();
    }
    if (onBusyChanged_) onBusyChanged_(busy);
    for (const auto& listener : busyListeners_)
        listener(busy);
}

QStringList TTransferCoordinator::DifferenceLines(const tTransferOutcome& outcome) const {
    QStringList lines;
    for (const tValueDifference& difference : outcome.Differences) {
        QString caption = captionOf_ ? captionOf_(difference.Path) : QString();
        if (caption.isEmpty()) caption = difference.Path.section(QLatin1Char('/'), -1);
        lines << QStringLiteral("%1: %2 -> %3").arg(caption, difference.Ours, difference.Theirs);
    }
    return lines;
}

QString TTransferCoordinator::ResultText(const QString& text) const {
    const tTransferOutcome& outcome = document_.LastOutcome();
    if (outcome.Message != text) return text;
    QString shown = text;
    if (!outcome.Differences.isEmpty()) {
        const QStringList lines = DifferenceLines(outcome);
        shown += QStringLiteral("\n\nIn the window -> read back from the device:\n") +
                 lines.mid(0, MaxListedDifferences).join(QLatin1Char('\n'));
        if (lines.size() > MaxListedDifferences)
            shown += QStringLiteral("\n... and %1 more").arg(lines.size() - MaxListedDifferences);
    }
    if (!lastNote_.isEmpty()) shown += QStringLiteral("\n\n") + lastNote_;
    return shown;
}
