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
    // The file the question is about: its full path, shortened in the middle when long (the whole
    // path in its tooltip), or "<No Name>" for a configuration never saved.
    QLabel* LabelNotSavedFile() const { return labelNotSavedFile_; }
    void SetFileName(const QString& fileName);
    QPushButton* BitBtnYes() const { return bitBtnYes_; }
    QPushButton* BitBtnNo() const { return bitBtnNo_; }
    QPushButton* BitBtnCancel() const { return bitBtnCancel_; }

private:
    QLabel* labelNotSavedWarning_;
    QLabel* labelNotSavedFile_;
    QPushButton* bitBtnYes_;
    QPushButton* bitBtnNo_;
    QPushButton* bitBtnCancel_;
};
