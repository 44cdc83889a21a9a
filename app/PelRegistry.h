#pragma once
// The program's per-user settings: one key of the settings store holding integer values, the main
// window placement and the ten most recently used files.

#include <QPointer>
#include <QString>
#include <QVariant>
#include <array>
#include <memory>

class QSettings;
class QWidget;

// How much of a window must lie on a screen for the user to reach its title bar and borders.
constexpr int MinimumVisibleExtent = 48;

class TPelRegistry {
public:
    static constexpr int HistorySize = 10;

    // Settings in the platform's per-user store under the key "Zentara Configurator".
    TPelRegistry();
    // Settings in the INI file settingsFile, the key being a group inside it (tests, portable use).
    explicit TPelRegistry(const QString& settingsFile);
    // Writes the history if the key was opened in this run.
    ~TPelRegistry();

    TPelRegistry(const TPelRegistry&) = delete;
    TPelRegistry& operator=(const TPelRegistry&) = delete;

    const QString& Key() const noexcept { return key_; }
    // Closes the key; it is opened again on the next use.
    void SetKey(const QString& key);
    bool KeyOpen() const noexcept { return open_; }
    void Close();

    // The file that holds the settings; empty where the platform keeps them elsewhere (Windows).
    QString StoreFile() const;
    // Why the settings file cannot be used (a pipe, a device, a folder, far too large); empty when it
    // can. Such a file is left alone: the settings of the run are kept in memory only, and a warning
    // says so when the key is opened.
    const QString& StoreProblem() const noexcept { return storeProblem_; }

    // Entry 0 (newest) to 9; empty when unused or out of range.
    QString GetHistory(int index);
    void AddHistory(const QString& fileName);

    void WriteInteger(const QString& name, int value);
    // Raises EZcfgError when the value is missing or not an integer.
    int ReadInteger(const QString& name);
    int ReadIntegerDefault(const QString& name, int defaultValue) noexcept;
    void WriteString(const QString& name, const QString& value);
    // Empty when missing.
    QString ReadString(const QString& name);

    // The window whose placement is saved and restored; none by default.
    void SetMainWindow(QWidget* window) { mainWindow_ = window; }
    QWidget* MainWindow() const { return mainWindow_; }
    void SaveMainWindowPlacement();
    // True when a stored placement (normal or maximized) was found and applied.
    bool RestoreMainWindowPlacement();

private:
    void openKey();
    QVariant value(const QString& name);
    void restorePlacementValues(QWidget& window);
    void writeValue(const QString& name, const QVariant& value);

    QString key_ = QStringLiteral("Zentara Configurator");
    QString settingsFile_;
    bool open_ = false;
    QString storeProblem_;
    std::unique_ptr<QSettings> settings_; // none while the settings file cannot be used
    QVariantHash unsaved_;                // the values of such a run
    std::array<QString, HistorySize> history_;
    QPointer<QWidget> mainWindow_;
};
