#pragma once
// The about box: the program's name and version, and a concealed gesture on its icon that switches
// the factory pages on and off (Ctrl+Shift held while the left button is released over the icon).

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    using tIconGestureEvent = std::function<void(TAboutBox* sender)>;
    // Shows the box modally and returns its result; the default is QDialog::exec().
    using RunModalHook = std::function<int(TAboutBox& box)>;

    explicit TAboutBox(QWidget* parent = nullptr);

    // Shows the box modally (from the Help menu's About entry).
    int ShowModal();
    void SetRunModal(RunModalHook hook) { runModal_ = std::move(hook); }

    tIconGestureEvent OnIconGesture() const { return onIconGesture_; }
    void SetOnIconGesture(tIconGestureEvent handler) { onIconGesture_ = std::move(handler); }

    QLabel* ImageIcon() const { return imageIcon_; }
    QLabel* ProductName() const { return productName_; }
    QLabel* Version() const { return version_; }
    QPushButton* OKButton() const { return okButton_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fitTexts();
    QLabel* imageIcon_;
    QLabel* productName_;
    QLabel* version_;
    QPushButton* okButton_;
    tIconGestureEvent onIconGesture_;
    RunModalHook runModal_;
};
