#pragma once
// The result form: shows the outcome of a transfer with a picture; a success closes it by itself
// after three seconds, a failure waits for OK.

#include <QDialog>
#include <QString>
#include <functional>

class QLabel;
class QPushButton;
class QTextEdit;
class QTimer;

class TFormOK : public QDialog {
    Q_OBJECT
public:
    // (sender, success): told first whenever a result is about to be shown.
    using tResultEvent = std::function<void(TFormOK* sender, bool success)>;
    // Shows the form modally and returns its result; the default is QDialog::exec().
    using RunModalHook = std::function<int(TFormOK& form)>;

    explicit TFormOK(QWidget* parent = nullptr);

    // true when closed with OK (button or timer); also true if anything raised on the way.
    bool ShowResult(const QString& text, bool success) noexcept;
    // The close timer's handler.
    void TimerDoneTimer();

    tResultEvent OnResult() const { return onResult_; }
    void SetOnResult(tResultEvent handler) { onResult_ = std::move(handler); }
    void SetRunModal(RunModalHook hook);
    // Shows "Show Differences" with the results that follow while a handler is set; pressing it closes
    // the form, and the handler runs once the form is closed.
    void SetOnShowDifferences(std::function<void()> handler) { onShowDifferences_ = std::move(handler); }

    QLabel* ImageOK() const { return imageOK_; }
    QLabel* ImageError() const { return imageError_; }
    QTextEdit* MemoResult() const { return memoResult_; }
    QPushButton* BitBtnOK() const { return bitBtnOK_; }
    QPushButton* BitBtnShowDifferences() const { return bitBtnShowDifferences_; }
    QTimer* TimerDone() const { return timerDone_; }

    void done(int result) override;

private:
    void showText(const QString& text);
    void loadPictures();

    QLabel* imageOK_;
    QLabel* imageError_;
    QTextEdit* memoResult_;
    QPushButton* bitBtnOK_;
    QPushButton* bitBtnShowDifferences_;
    QTimer* timerDone_;
    tResultEvent onResult_;
    RunModalHook runModal_;
    std::function<void()> onShowDifferences_;
    bool showDifferences_ = false; // "Show Differences" closed the form
};

// What the document calls to show a transfer result: (text, success) -> closed with OK.
using ResultPresenter = std::function<bool(const QString& text, bool success)>;

// A presenter showing results in form, which must outlive it.
ResultPresenter MakeResultPresenter(TFormOK& form);
