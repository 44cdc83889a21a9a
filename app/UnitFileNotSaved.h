#pragma once
// The "save now?" prompt shown before unsaved work would be lost.

#include <QDialog>

class QLabel;
class QPushButton;

class TFormFileNotSaved : public QDialog {
    Q_OBJECT
public:
    // The results the form closes with; closing it any other way counts as cancel.
    enum Result { ResultCancel = QDialog::Rejected, ResultYes = 100, ResultNo = 101 };

    explicit TFormFileNotSaved(QWidget* parent = nullptr);

    QLabel* LabelNotSavedWarning() const { return labelNotSavedWarning_; }
    QPushButton* BitBtnYes() const { return bitBtnYes_; }
    QPushButton* BitBtnNo() const { return bitBtnNo_; }
    QPushButton* BitBtnCancel() const { return bitBtnCancel_; }

private:
    QLabel* labelNotSavedWarning_;
    QPushButton* bitBtnYes_;
    QPushButton* bitBtnNo_;
    QPushButton* bitBtnCancel_;
};
