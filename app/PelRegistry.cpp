#include "app/PelRegistry.h"

#include "property/PelError.h"

#include <QSettings>
#include <QWidget>
#include <utility>

namespace {
QString historyName(int index) {
    return QStringLiteral("History %1").arg(index);
}

const QString kState = QStringLiteral("Main Window State");
const QString kTop = QStringLiteral("Main Window Top");
const QString kLeft = QStringLiteral("Main Window Left");
const QString kWidth = QStringLiteral("Main Window Width");
const QString kHeight = QStringLiteral("Main Window Height");
} // namespace

TPelRegistry::TPelRegistry() = default;

TPelRegistry::TPelRegistry(const QString& settingsFile) : settingsFile_(settingsFile) {}

TPelRegistry::~TPelRegistry() {
    if (!settings_) return;
    for (int i = 0; i < HistorySize; ++i)
        writeValue(historyName(i), history_[size_t(i)]);
    Close();
}

void TPelRegistry::SetKey(const QString& key) {
    Close();
    key_ = key;
}

void TPelRegistry::Close() {
    if (settings_) settings_->sync();
    settings_.reset();
}

// Opens the key on first use and reads the history.
QSettings& TPelRegistry::openKey() {
    if (settings_) return *settings_;
    if (settingsFile_.isEmpty()) {
        settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, key_);
    } else {
        settings_ = std::make_unique<QSettings>(settingsFile_, QSettings::IniFormat);
        settings_->beginGroup(key_);
    }
    for (int i = 0; i < HistorySize; ++i)
        history_[size_t(i)] = settings_->value(historyName(i)).toString();
    return *settings_;
}

QString TPelRegistry::GetHistory(int index) {
    openKey();
    return index >= 0 && index < HistorySize ? history_[size_t(index)] : QString();
}

// Moves the name to the front; a new name pushes the last entry out.
void TPelRegistry::AddHistory(const QString& fileName) {
    openKey();
    QString carry = fileName;
    for (QString& entry : history_) {
        QString previous = std::exchange(entry, carry);
        if (previous == fileName) return;
        carry = std::move(previous);
    }
}

void TPelRegistry::WriteInteger(const QString& name, int value) {
    writeValue(name, value);
}

// A value stored as it stands is not written again: a run that changes nothing, such as a start that
// writes back the program mode it read, leaves the file alone instead of rewriting and syncing it.
void TPelRegistry::writeValue(const QString& name, const QVariant& value) {
    QSettings& settings = openKey();
    if (settings.contains(name) && settings.value(name).toString() == value.toString()) return;
    settings.setValue(name, value);
}

int TPelRegistry::ReadInteger(const QString& name) {
    const QVariant value = openKey().value(name);
    bool ok = false;
    const int result = value.toInt(&ok);
    if (!value.isValid() || !ok) throw EZcfgError(QStringLiteral("Invalid data type for '%1'").arg(name));
    return result;
}

int TPelRegistry::ReadIntegerDefault(const QString& name, int defaultValue) noexcept {
    try {
        return ReadInteger(name);
    } catch (...) {
        return defaultValue;
    }
}

void TPelRegistry::WriteString(const QString& name, const QString& value) {
    writeValue(name, value);
}

QString TPelRegistry::ReadString(const QString& name) {
    return openKey().value(name).toString();
}

void TPelRegistry::SaveMainWindowPlacement() {
    openKey();
    QWidget* window = mainWindow_;
    if (!window || window->isMinimized()) return;
    if (window->isMaximized()) {
        WriteString(kState, QStringLiteral("Maximized"));
        return;
    }
    WriteString(kState, QStringLiteral("Normal"));
    WriteInteger(kTop, window->pos().y());
    WriteInteger(kLeft, window->pos().x());
    WriteInteger(kWidth, window->width());
    WriteInteger(kHeight, window->height());
}

bool TPelRegistry::RestoreMainWindowPlacement() {
    openKey();
    QWidget* window = mainWindow_;
    if (!window) return false;
    const QString state = ReadString(kState);
    if (state == QLatin1String("Maximized")) {
        window->setWindowState(Qt::WindowMaximized);
        return true;
    }
    if (state == QLatin1String("Normal")) {
        window->setWindowState(Qt::WindowNoState);
        restorePlacementValues(*window);
        return true;
    }
    return false;
}

// Applies top, left, width and height in this order; a missing value stops, keeping what was applied.
void TPelRegistry::restorePlacementValues(QWidget& window) {
    try {
        window.move(window.pos().x(), ReadInteger(kTop));
        window.move(ReadInteger(kLeft), window.pos().y());
        window.resize(ReadInteger(kWidth), window.height());
        window.resize(window.width(), ReadInteger(kHeight));
    } catch (const EZcfgError&) {
    }
}
