#pragma once
// The Differences window: one row per value that the device holds otherwise than the window (the
// group and caption as the page shows them, the value in the window, the value in the device), or a
// line saying the device holds this configuration. "Take Device Values" takes every device value into
// the document as one undo step; "Copy" puts the list on the clipboard as text.
//
// It is modal to the main window but does not block the caller: it opens and returns, and its
// buttons act when pressed.

#include "report/PageCaptions.h"

#include <QDialog>
#include <QList>
#include <functional>

class QLabel;
class QPushButton;
class QTreeWidget;

class TDifferencesWindow : public QDialog {
    Q_OBJECT
public:
    struct tRow {
        tValueName Name;
        QString Ours, Theirs;
    };
    // Runs "Take Device Values"; raises what stops it (the window then stays open).
    using tTake = std::function<void()>;

    explicit TDifferencesWindow(QWidget* parent);

    // Shows the heading and the rows; `take` null hides "Take Device Values" (a verification, where
    // the device read back is not what the document should become).
    void ShowDifferences(const QString& heading, const QList<tRow>& rows, tTake take);

    // The list as Copy puts it: the heading, then "Group: Caption: in the window -> in the device".
    QString Text() const;

    QLabel* Heading() const { return heading_; }
    QTreeWidget* List() const { return list_; }
    QPushButton* TakeButton() const { return take_; }
    QPushButton* CopyButton() const { return copy_; }
    QPushButton* CloseButton() const { return close_; }

private:
    void takeValues();

    QLabel* heading_;
    QTreeWidget* list_;
    QPushButton* take_;
    QPushButton* copy_;
    QPushButton* close_;
    QList<tRow> rows_;
    tTake onTake_;
};
