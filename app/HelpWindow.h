#pragma once
// The program's help: pages compiled into the program, shown in a window of its own. Topics go by
// number (10 to 80 for the device pages); the contents page lists them all.

#include <QDialog>

class QTextBrowser;

class THelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // Whether the program carries its help pages.
    static bool HasHelp();
    // The page of a topic; the contents page for a topic without a page of its own.
    static QUrl TopicUrl(int topic);

    void ShowContents();
    void ShowTopic(int topic);
    QTextBrowser* Browser() const { return browser_; }

private:
    void showUrl(const QUrl& url);

    QTextBrowser* browser_;
};
