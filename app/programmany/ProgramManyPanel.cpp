#include "app/programmany/ProgramManyPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
QLabel* valueLabel(const QString& name, const QString& accessibleName, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAccessibleName(accessibleName);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QPushButton* button(const QString& name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(QString(text).remove(QLatin1Char('&')));
    // Enter presses the button that has the focus, as in a dialog.
    button->setAutoDefault(true);
    return button;
}
} // namespace

TProgramManyPanel::TProgramManyPanel(QWidget* parent) : QDockWidget(QStringLiteral("Program Many"), parent) {
    setObjectName(QStringLiteral("DockProgramMany"));
    setAccessibleName(QStringLiteral("Program Many"));
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    auto* body = new QWidget(this);
    auto* column = new QVBoxLayout(body);

    auto* heading = new QFormLayout;
    configuration_ = valueLabel(QStringLiteral("LabelConfiguration"), QStringLiteral("Configuration"), body);
    configuration_->setWordWrap(true);
    heading->addRow(QStringLiteral("Configuration:"), configuration_);
    column->addLayout(heading);

    auto* stepping = new QGroupBox(QStringLiteral("Value that steps"), body);
    stepping->setObjectName(QStringLiteral("GroupBoxSteppedValue"));
    auto* steppingForm = new QFormLayout(stepping);
    stepValue_ = new QCheckBox(QStringLiteral("Step a value from unit to unit"), stepping);
    stepValue_->setObjectName(QStringLiteral("CheckBoxStepValue"));
    stepValue_->setAccessibleName(QStringLiteral("Step a value from unit to unit"));
    steppingForm->addRow(stepValue_);
    steppedValue_ = new QComboBox(stepping);
    steppedValue_->setObjectName(QStringLiteral("ComboBoxSteppedValue"));
    steppedValue_->setAccessibleName(QStringLiteral("Value"));
    steppedValue_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    steppedValue_->setMinimumContentsLength(16);
    steppingForm->addRow(QStringLiteral("&Value:"), steppedValue_);
    start_ = new QSpinBox(stepping);
    start_->setObjectName(QStringLiteral("SpinEditStart"));
    start_->setAccessibleName(QStringLiteral("Start"));
    steppingForm->addRow(QStringLiteral("S&tart:"), start_);
    step_ = new QSpinBox(stepping);
    step_->setObjectName(QStringLiteral("SpinEditStep"));
    step_->setAccessibleName(QStringLiteral("Step"));
    step_->setRange(1, 1);
    step_->setValue(1);
    steppingForm->addRow(QStringLiteral("St&ep:"), step_);
    nextValue_ = valueLabel(QStringLiteral("LabelNextValue"), QStringLiteral("Next unit gets"), stepping);
    QFont large = nextValue_->font();
    large.setPointSizeF(large.pointSizeF() * 2.5);
    large.setBold(true);
    nextValue_->setFont(large);
    steppingForm->addRow(QStringLiteral("Next unit gets:"), nextValue_);
    column->addWidget(stepping);

    auto* counters = new QFormLayout;
    verified_ = valueLabel(QStringLiteral("LabelVerified"), QStringLiteral("Programmed and verified"), body);
    failed_ = valueLabel(QStringLiteral("LabelFailed"), QStringLiteral("Failed"), body);
    skipped_ = valueLabel(QStringLiteral("LabelSkipped"), QStringLiteral("Skipped"), body);
    counters->addRow(QStringLiteral("Programmed and verified:"), verified_);
    counters->addRow(QStringLiteral("Failed:"), failed_);
    counters->addRow(QStringLiteral("Skipped:"), skipped_);
    lastResult_ = valueLabel(QStringLiteral("LabelLastResult"), QStringLiteral("Last result"), body);
    lastResult_->setWordWrap(true);
    counters->addRow(QStringLiteral("Last result:"), lastResult_);
    column->addLayout(counters);

    prompt_ = valueLabel(QStringLiteral("LabelPrompt"), QStringLiteral("Prompt"), body);
    prompt_->setWordWrap(true);
    QFont bold = prompt_->font();
    bold.setBold(true);
    prompt_->setFont(bold);
    column->addWidget(prompt_);

    auto* buttons = new QHBoxLayout;
    next_ = button(QStringLiteral("ButtonNext"), QStringLiteral("&Next"), body);
    retry_ = button(QStringLiteral("ButtonRetry"), QStringLiteral("&Retry"), body);
    skip_ = button(QStringLiteral("ButtonSkip"), QStringLiteral("S&kip"), body);
    stop_ = button(QStringLiteral("ButtonStop"), QStringLiteral("&Stop"), body);
    for (QPushButton* each : {next_, retry_, skip_, stop_})
        buttons->addWidget(each);
    buttons->addStretch(1);
    column->addLayout(buttons);
    column->addStretch(1);
    setWidget(body);

    ShowCounters(0, 0, 0);
    ShowButtons(tButtons::Next, false);
}

void TProgramManyPanel::ShowButtons(tButtons buttons, bool running) {
    next_->setVisible(buttons == tButtons::Next);
    retry_->setVisible(buttons == tButtons::Failure);
    skip_->setVisible(buttons == tButtons::Failure);
    stop_->setEnabled(running);
    QPushButton* first = buttons == tButtons::Next ? next_ : retry_;
    first->setEnabled(true);
    if (isVisible()) first->setFocus(Qt::OtherFocusReason);
}

void TProgramManyPanel::SetSettingsEnabled(bool enabled) {
    stepValue_->setEnabled(enabled && steppedValue_->count() > 0);
    const bool stepping = enabled && stepValue_->isChecked() && stepValue_->isEnabled();
    steppedValue_->setEnabled(stepping);
    start_->setEnabled(stepping);
    step_->setEnabled(stepping);
}

void TProgramManyPanel::ShowCounters(int verified, int failed, int skipped) {
    verified_->setText(QString::number(verified));
    failed_->setText(QString::number(failed));
    skipped_->setText(QString::number(skipped));
}
