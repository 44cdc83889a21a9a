#include "app/programmany/ProgramMany.h"

#include "app/programmany/ProgramManyPanel.h"
#include "app/transfer/TransferCoordinator.h"
#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"
#include "property/PelScalar.h"
#include "property/PropertyPaths.h"
#include "transfer/ProgramSeries.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QToolButton>

const QString TProgramMany::AttachNext = QStringLiteral("Attach the next device and press Enter");
const QString TProgramMany::AttachFirst = QStringLiteral("Attach the first device and press Next");
const QString TProgramMany::FailedQuestion =
    QStringLiteral("This unit was not programmed. Retry, Skip to the next device, or Stop?");
const QString TProgramMany::Programming = QStringLiteral("Programming unit %1...");

TProgramMany::TProgramMany(Parts parts) : parts_(std::move(parts)) {
    panel_ = new TProgramManyPanel(parts_.window);
    panel_->hide();
    if (auto* main = qobject_cast<QMainWindow*>(parts_.window))
        main->addDockWidget(Qt::RightDockWidgetArea, panel_);
    QAction* toggle = panel_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("ProgramMany1"));
    toggle->setText(QStringLiteral("Program &Many"));
    // Only a hide the user asked for unchecks the action (not a minimized window): that stops a run.
    connect(toggle, &QAction::toggled, this,
            [this](bool shown) { Guarded([&] { shown ? DocumentChanged() : Stop(); }); });
    connect(panel_->Next(), &QPushButton::clicked, this, [this] { Guarded([this] { Next(); }); });
    connect(panel_->Retry(), &QPushButton::clicked, this, [this] { Guarded([this] { Retry(); }); });
    connect(panel_->Skip(), &QPushButton::clicked, this, [this] { Guarded([this] { Skip(); }); });
    connect(panel_->Stop(), &QPushButton::clicked, this, [this] { Guarded([this] { Stop(); }); });
    connect(panel_->StepValue(), &QCheckBox::toggled, this, [this] {
        panel_->SetSettingsEnabled(true);
        showNextValue();
    });
    connect(panel_->SteppedValue(), &QComboBox::currentIndexChanged, this,
            [this] { Guarded([this] { steppedValueChosen(); }); });
    connect(panel_->Start(), &QSpinBox::valueChanged, this, [this] { showNextValue(); });
    // While the panel waits for the next unit the window is in transfer mode: no page takes Enter.
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* shortcut = new QShortcut(key, parts_.window);
        shortcut->setObjectName(QStringLiteral("ShortcutProgramManyNext"));
        shortcut->setEnabled(false);
        connect(shortcut, &QShortcut::activated, this, [this] { Guarded([this] { Next(); }); });
        (key == QKeySequence(Qt::Key_Return) ? enter_ : keypadEnter_) = shortcut;
    }
    parts_.transfers->AddOutcomeListener(
        [self = QPointer<TProgramMany>(this)](const tTransferOutcome& outcome) {
            if (self) self->outcome(outcome);
        });
    panel_->Prompt()->setText(AttachFirst);
}

TProgramMany::~TProgramMany() {
    if (Running()) Guarded([this] { end(QString()); });
    delete enter_;
    delete keypadEnter_;
}

TProgramManyPanel& TProgramMany::Panel() const {
    return *panel_;
}

QAction* TProgramMany::ToggleAction() const {
    return panel_->toggleViewAction();
}

void TProgramMany::SetToolbarToggle(QToolButton* toggle) {
    toggle->setDefaultAction(ToggleAction());
    toggle->setAccessibleName(QStringLiteral("Program Many"));
}

// ---- The run ------------------------------------------------------------------------------------

void TProgramMany::Next() {
    if (state_ == tState::Idle) {
        if (parts_.transfers->Busy() || !begin()) return; // another transfer runs
    } else if (state_ != tState::Prompting) {
        return;
    }
    programUnit();
}

void TProgramMany::Retry() {
    if (state_ == tState::Failed) programUnit();
}

// The unit is set aside; its value goes to the next one.
void TProgramMany::Skip() {
    if (state_ != tState::Failed) return;
    series_->Skipped();
    panel_->ShowCounters(series_->VerifiedCount(), series_->FailedCount(), series_->SkippedCount());
    setState(tState::Prompting);
}

void TProgramMany::Stop() {
    if (state_ == tState::Idle) return;
    if (parts_.document->TransferRunning()) parts_.document->CancelTransfer();
    end(QString());
}

// A new run: new counters, the stepped value at its start. The window stays in transfer mode until
// the run ends, and a verified unit's result goes to the panel rather than to the result form.
bool TProgramMany::begin() {
    showConfiguration();
    series_ = std::make_unique<tProgramSeries>(*parts_.document);
    if (panel_->StepValue()->isChecked() && panel_->SteppedValue()->currentIndex() >= 0) {
        const tSteppedValue value{panel_->SteppedValue()->currentData().toString(), panel_->Start()->value(),
                                  panel_->Step()->value()};
        QString error;
        if (!series_->SetSteppedValue(value, error)) {
            series_.reset();
            panel_->LastResult()->setText(error);
            return false;
        }
    }
    panel_->ShowCounters(0, 0, 0);
    panel_->LastResult()->clear();
    panel_->SetSettingsEnabled(false);
    parts_.transfers->Hold([this] { Stop(); });
    savedPresenter_ = parts_.document->ResultPresenter();
    parts_.document->SetResultPresenter([saved = savedPresenter_](const QString& text, bool success) {
        return success || !saved || saved(text, success);
    });
    return true;
}

void TProgramMany::programUnit() {
    if (!series_->NextInRange()) {
        end(series_->PastRangeText(valueName()));
        return;
    }
    QString refusal;
    const std::shared_ptr<tZCfgFile> configuration = series_->NextConfiguration(refusal);
    if (!configuration) {
        end(refusal);
        return;
    }
    setState(tState::Programming);
    try {
        parts_.openLink();
    } catch (const EZcfgError& error) {
        series_->Failed();
        unitFailed(error.Message());
        return;
    }
    parts_.document->StartProgramOf(configuration);
}

void TProgramMany::outcome(const tTransferOutcome& outcome) {
    if (state_ != tState::Programming || outcome.Kind != tTransferKind::Program) return;
    const int unit = series_->Unit();
    QString shown = QStringLiteral("Unit %1").arg(unit);
    if (series_->SteppedValue())
        shown += QStringLiteral(" (%1 %2)").arg(valueName()).arg(series_->NextValue());
    if (!(outcome.Ok() && outcome.Verified)) {
        series_->Failed();
        unitFailed(shown + QStringLiteral(": ") + outcome.Message);
        return;
    }
    series_->Verified();
    panel_->ShowCounters(series_->VerifiedCount(), series_->FailedCount(), series_->SkippedCount());
    panel_->LastResult()->setText(shown + QStringLiteral(": ") + outcome.Message);
    if (!series_->NextInRange()) {
        end(series_->PastRangeText(valueName()));
        return;
    }
    setState(tState::Prompting);
}

void TProgramMany::unitFailed(const QString& message) {
    panel_->ShowCounters(series_->VerifiedCount(), series_->FailedCount(), series_->SkippedCount());
    panel_->LastResult()->setText(message);
    setState(tState::Failed);
}

// The window leaves transfer mode and the result form comes back. The start moves on to the value
// the next unit would have had, so Next carries on where the run ended.
void TProgramMany::end(const QString& reason) {
    setState(tState::Idle);
    parts_.document->SetResultPresenter(savedPresenter_);
    savedPresenter_ = nullptr;
    parts_.transfers->Release();
    panel_->SetSettingsEnabled(true);
    if (!reason.isEmpty()) panel_->LastResult()->setText(reason);
    if (series_->SteppedValue() && series_->NextInRange())
        panel_->Start()->setValue(int(series_->NextValue()));
    panel_->Prompt()->setText(QStringLiteral("Stopped: %1 verified, %2 failed, %3 skipped.\n%4")
                                  .arg(series_->VerifiedCount())
                                  .arg(series_->FailedCount())
                                  .arg(series_->SkippedCount())
                                  .arg(AttachFirst));
    showNextValue();
}

void TProgramMany::setState(tState state) {
    state_ = state;
    const bool prompting = state == tState::Prompting;
    enter_->setEnabled(prompting);
    keypadEnter_->setEnabled(prompting);
    panel_->Next()->setEnabled(state != tState::Programming);
    switch (state) {
    case tState::Idle:
        panel_->ShowButtons(TProgramManyPanel::tButtons::Next, false);
        break;
    case tState::Programming:
        panel_->Prompt()->setText(Programming.arg(series_->Unit()));
        panel_->ShowButtons(TProgramManyPanel::tButtons::Next, true);
        panel_->Next()->setEnabled(false);
        break;
    case tState::Prompting:
        panel_->Prompt()->setText(AttachNext);
        panel_->ShowButtons(TProgramManyPanel::tButtons::Next, true);
        break;
    case tState::Failed:
        panel_->Prompt()->setText(FailedQuestion);
        panel_->ShowButtons(TProgramManyPanel::tButtons::Failure, true);
        break;
    }
    showNextValue();
}

// ---- The value that steps -------------------------------------------------------------------------

// Only while the panel is shown: a device type switch need not try the values of a hidden panel.
void TProgramMany::DocumentChanged() {
    if (Running() || !ToggleAction()->isChecked()) return;
    tZCfgFile& document = *parts_.document;
    showConfiguration();
    QComboBox* values = panel_->SteppedValue();
    const QString chosen = values->currentData().toString();
    const QSignalBlocker quiet(values);
    values->clear();
    // Each value by its caption on the page ("Transmitter ID Code"), with its group where two share one.
    const QStringList paths = SteppableValuePaths(document);
    QList<tValueName> captions;
    QStringList shortNames;
    for (const QString& path : paths) {
        captions << (parts_.captionOf ? parts_.captionOf(path) : tValueName{});
        shortNames << captions.last().Caption;
    }
    for (qsizetype i = 0; i < paths.size(); ++i) {
        QString name = shortNames.count(shortNames[i]) > 1 ? captions[i].Text() : shortNames[i];
        values->addItem(name.isEmpty() ? paths[i] : name, paths[i]);
    }
    const int kept = values->findData(chosen);
    values->setCurrentIndex(kept >= 0 ? kept : 0);
    if (values->count() == 0) panel_->StepValue()->setChecked(false);
    steppedValueChosen();
    panel_->SetSettingsEnabled(true);
}

void TProgramMany::showConfiguration() {
    const tZCfgFile& document = *parts_.document;
    const tDeviceTypeInfo& info = DeviceTypeInfo(document.GetDeviceType());
    const QString file = document.FileName().isEmpty() ? QStringLiteral("Untitled")
                                                       : QFileInfo(document.FileName()).fileName();
    panel_->Configuration()->setText(
        info.Type == dt_None ? file : QStringLiteral("%1 (%2)").arg(file, QLatin1String(info.ModelName)));
}

// The start and step follow the value's limits; the start is what the document holds.
void TProgramMany::steppedValueChosen() {
    auto* number = dynamic_cast<tPelIntegerProperty*>(
        ResolvePath(parts_.document, panel_->SteppedValue()->currentData().toString()));
    if (number) {
        int held = number->Min();
        if (!TryStrToInt(number->Value(), held)) held = number->Min();
        panel_->Start()->setRange(number->Min(), number->Max());
        panel_->Start()->setValue(held);
        panel_->Step()->setRange(1, qMax(1, number->Max() - number->Min()));
    }
    showNextValue();
}

void TProgramMany::showNextValue() {
    QString text;
    if (series_ && series_->SteppedValue() && Running())
        text = QString::number(series_->NextValue());
    else if (panel_->StepValue()->isChecked() && panel_->SteppedValue()->currentIndex() >= 0)
        text = QString::number(panel_->Start()->value());
    panel_->NextValue()->setText(text);
}

QString TProgramMany::valueName() const {
    const QString path = series_ && series_->SteppedValue() ? series_->SteppedValue()->Path : QString();
    const int index = panel_->SteppedValue()->findData(path);
    return index >= 0 ? panel_->SteppedValue()->itemText(index) : path;
}
