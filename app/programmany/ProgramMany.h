#pragma once
// Program Many: one configuration programmed into one unit after another, from the docked panel.
// Each unit is a normal Program of a copy of the document (StartProgramOf), with the backup, the
// verification and every listener of the transfers' outcomes; the copy holds the unit's own value
// when one value steps, so the document never changes. From the first unit to the end of the run the
// window stays in transfer mode. After a verified unit the panel asks for the next one (Enter goes
// on, Escape stops); after a failure it asks Retry, Skip or Stop. A stepped value past its range ends
// the run before anything is written.

#include "report/PageCaptions.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QAction;
class QShortcut;
class QToolButton;
class QWidget;
class TProgramManyPanel;
class TTransferCoordinator;
class tProgramSeries;
class tZCfgFile;
struct tTransferOutcome;

class TProgramMany : public QObject {
    Q_OBJECT
public:
    static const QString AttachNext;     // "Attach the next device and press Enter"
    static const QString AttachFirst;    // before the first unit
    static const QString FailedQuestion; // after a failure
    static const QString Programming;

    struct Parts {
        QWidget* window = nullptr;
        tZCfgFile* document = nullptr;
        TTransferCoordinator* transfers = nullptr;
        std::function<void()> openLink;                           // raises when the link cannot open
        std::function<tValueName(const QString& path)> captionOf; // a value as its page names it
    };
    explicit TProgramMany(Parts parts);
    ~TProgramMany() override;

    TProgramManyPanel& Panel() const;
    // The Tools entry and the toolbar toggle: both show and hide the panel; hiding it stops a run.
    QAction* ToggleAction() const;
    void SetToolbarToggle(QToolButton* toggle);

    bool Running() const { return state_ != tState::Idle; }
    const tProgramSeries* Series() const { return series_.get(); }

    // The panel's buttons.
    void Next();
    void Retry();
    void Skip();
    void Stop();
    // The device type or file changed: the values that may step are those of the document's type.
    // Looked at when the panel is shown, and while it is.
    void DocumentChanged();

private:
    enum class tState { Idle, Programming, Prompting, Failed };

    bool begin();
    void programUnit();
    void outcome(const tTransferOutcome& outcome);
    void unitFailed(const QString& message);
    void end(const QString& reason);
    void setState(tState state);
    void showConfiguration();
    void showNextValue();
    void steppedValueChosen();
    QString valueName() const;

    Parts parts_;
    QPointer<TProgramManyPanel> panel_;
    QPointer<QShortcut> enter_;
    QPointer<QShortcut> keypadEnter_;
    std::unique_ptr<tProgramSeries> series_;
    std::function<bool(const QString&, bool)> savedPresenter_;
    tState state_ = tState::Idle;
};
