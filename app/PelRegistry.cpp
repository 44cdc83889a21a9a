#include "app/PelRegistry.h"

#include "property/PelError.h"
#include "property/TextFile.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QWidget>
#include <algorithm>
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
    if (!open_) return;
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
    unsaved_.clear();
    open_ = false;
}

QString TPelRegistry::StoreFile() const {
    if (!settingsFile_.isEmpty()) return settingsFile_;
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)
    // Where QSettings keeps a user's settings of an organisation without an application name.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QLatin1Char('/') + key_ +
           QStringLiteral(".conf");
#else
    return QString();
#endif
}

// Opens the key on first use and reads the history. The settings file is looked at first: QSettings
// reads it whole as it opens it, and would wait for ever on a pipe or read a device without end.
void TPelRegistry::openKey() {
    if (open_) return;
    open_ = true;
    const QString file = StoreFile();
    storeProblem_ = file.isEmpty() ? QString() : RegularFileProblem(file, MaxTextFileSize);
    if (!storeProblem_.isEmpty()) {
        ShowWarning(
            QStringLiteral("The settings file \"%1\" cannot be used: %2. The settings of this run (recent "
                           "files, window placement, device type) are not kept.")
                .arg(QDir::toNativeSeparators(file), storeProblem_));
    } else if (settingsFile_.isEmpty()) {
        settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, key_);
    } else {
        settings_ = std::make_unique<QSettings>(settingsFile_, QSettings::IniFormat);
        settings_->beginGroup(key_);
    }
    for (int i = 0; i < HistorySize; ++i)
        history_[size_t(i)] = value(historyName(i)).toString();
}

QVariant TPelRegistry::value(const QString& name) {
    openKey();
    return settings_ ? settings_->value(name) : unsaved_.value(name);
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
    openKey();
    if (!settings_) {
        unsaved_.insert(name, value);
        return;
    }
    if (settings_->contains(name) && settings_->value(name).toString() == value.toString()) return;
    settings_->setValue(name, value);
}

int TPelRegistry::ReadInteger(const QString& name) {
    const QVariant value = this->value(name);
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
    return value(name).toString();
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

namespace {
// The available area of every present screen together.
QRect screensArea(const QWidget& window) {
    QRect area;
    for (const QScreen* screen : QGuiApplication::screens())
        area |= screen->availableGeometry();
    return area.isValid() ? area : QRect(window.pos(), window.size());
}

int within(int value, int low, int high) {
    return std::clamp(value, low, std::max(low, high));
}
} // namespace

// Applies top, left, width and height in this order; a missing value stops, keeping what was applied.
// Each value is kept within the screens first: a stored value may be anything, and one far outside
// them puts the window where no one sees it (and overflows the arithmetic of its geometry).
void TPelRegistry::restorePlacementValues(QWidget& window) {
    const QRect area = screensArea(window);
    try {
        window.move(window.pos().x(),
                    within(ReadInteger(kTop), area.top(), area.bottom() - MinimumVisibleExtent));
        window.move(within(ReadInteger(kLeft), area.left(), area.right() - MinimumVisibleExtent),
                    window.pos().y());
        window.resize(within(ReadInteger(kWidth), 1, area.width()), window.height());
        window.resize(window.width(), within(ReadInteger(kHeight), 1, area.height()));
    } catch (const EZcfgError&) {
    }
}
