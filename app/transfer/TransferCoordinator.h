#pragma once
// A transfer with the device is a mode of the window. While one runs, what would change or replace
// the document (New, Open, the recent files, the device type, undo and redo, the pages' values, the
// transfers themselves) is disabled, Escape and the Cancel button end it, and closing the window
// first asks whether to stop it. The coordinator takes the document's progress and outcome events,
// shows them in the transfer panel and passes every outcome on to whoever listens (the log, the
// compare window, programming many).

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QAction;
class QShortcut;
class QWidget;
class TTransferPanel;
class tZCfgFile;
struct tTransferOutcome;
struct tTransferProgress;

class TTransferCoordinator : public QObject {
    Q_OBJECT
public:
    using tOutcomeListener = std::function<void(const tTransferOutcome& outcome)>;
    // Asks a yes/no question; true for yes.
    using tAskHook = std::function<bool(const QString& question)>;
    // The caption a value has on its page ("Group: Caption"); empty when the value has no control.
    using tCaptionLookup = std::function<QString(const QString& path)>;
    // A note on how a transfer ended, beyond its result (which backup a Program kept); empty for none.
    using tOutcomeNote = std::function<QString(const tTransferOutcome& outcome)>;

    static const QString StopAndCloseQuestion;
    static constexpr int MaxListedDifferences = 10;

    TTransferCoordinator(tZCfgFile& document, TTransferPanel& panel, QWidget& window);

    // What is disabled while a transfer runs. `actions` is asked each time, since menus are built
    // and rebuilt after the coordinator.
    void SetBusyControls(QList<QWidget*> widgets, std::function<QList<QAction*>()> actions);
    // Told after the busy state changed (the window then sets Undo and Redo again).
    void SetOnBusyChanged(std::function<void(bool busy)> handler) { onBusyChanged_ = std::move(handler); }
    // A mode that spans several transfers (programming many devices) keeps the window in transfer mode
    // from Hold to Release, between its transfers too. While no transfer runs, Escape calls `stop`.
    void Hold(std::function<void()> stop);
    void Release();
    bool Held() const { return bool(stop_); }
    void AddOutcomeListener(tOutcomeListener listener) { listeners_.push_back(std::move(listener)); }
    // Told, after the window's own handler, whenever a transfer starts or ends (the history window).
    void AddBusyListener(std::function<void(bool busy)> listener) {
        busyListeners_.push_back(std::move(listener));
    }
    void SetAsk(tAskHook ask) { ask_ = std::move(ask); }
    void SetCaptionLookup(tCaptionLookup lookup) { captionOf_ = std::move(lookup); }
    // Asked once per outcome; the note is shown with the last result and in the result form.
    void SetOutcomeNote(tOutcomeNote note) { outcomeNote_ = std::move(note); }
    const QString& LastNote() const { return lastNote_; }

    bool Busy() const { return busy_; }
    // Ends the running transfer at once (Cancel button, Escape), or else a held mode; false when
    // neither runs.
    bool Cancel();
    // The window's close check: true when no transfer runs, or the user chose to stop it.
    bool MayClose();
    // The text of a result as the result form shows it: the document's text and, for values that
    // differ, the first ten of them ("Caption: in the window -> in the device") and how many more;
    // then the outcome's note.
    QString ResultText(const QString& text) const;
    // The values that differ, one per line, captions as on the page.
    QStringList DifferenceLines(const tTransferOutcome& outcome) const;

private:
    void progressed(const tTransferProgress& progress);
    void ended(const tTransferOutcome& outcome);
    void setBusy(bool busy);

    tZCfgFile& document_;
    TTransferPanel& panel_;
    QPointer<QShortcut> escape_;
    QList<QPointer<QWidget>> busyWidgets_;
    std::function<QList<QAction*>()> busyActions_;
    QList<QPointer<QAction>> disabledActions_;
    QList<QPointer<QWidget>> disabledWidgets_;
    std::function<void(bool)> onBusyChanged_;
    std::function<void()> stop_; // the held mode's own stop
    std::vector<tOutcomeListener> listeners_;
    std::vector<std::function<void(bool)>> busyListeners_;
    tAskHook ask_;
    tCaptionLookup captionOf_;
    tOutcomeNote outcomeNote_;
    QString lastNote_;
    bool busy_ = false;
};
