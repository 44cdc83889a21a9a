#pragma once
// The help window: the program's own HTML help, compiled in as a resource, in a browser with back,
// forward, contents and find-in-page. It never opens anything outside the help: no network, no web
// browser.

#include <QString>
#include <QUrl>
#include <QWidget>

class QLabel;
class QLineEdit;
class QTextBrowser;
class QToolButton;

// The page of a help topic by its number (10 to 80 for the device pages); empty for an unknown one.
QString HelpTopicPage(int context);
// Where a topic is shown: its page, or the contents for a number without a topic.
QUrl HelpTopicUrl(int context);
QUrl HelpContentsUrl();

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // F1: the topic of the page in front; an unknown number shows the contents.
    void ShowHelpTopic(int context);
    // Shift+F1 and the Help menu's Contents.
    void ShowHelpContents();

    // Finds the next (or previous) place of text on the page, going round at its end; false when the
    // page does not hold it.
    bool FindInPage(const QString& text, bool backward = false);
    // Follows a link as a click on it does: pages of the help open, anything else is refused.
    void FollowLink(const QUrl& link);

    QTextBrowser* Browser() const { return browser_; }
    QLineEdit* FindEdit() const { return findEdit_; }
    QToolButton* BackButton() const { return backButton_; }
    QToolButton* ForwardButton() const { return forwardButton_; }
    QToolButton* HomeButton() const { return homeButton_; }
    QLabel* StatusLabel() const { return statusLabel_; }

private:
    void showUrl(const QUrl& url);
    void showStatus(const QString& text);

    QTextBrowser* browser_ = nullptr;
    QLineEdit* findEdit_ = nullptr;
    QToolButton* backButton_ = nullptr;
    QToolButton* forwardButton_ = nullptr;
    QToolButton* homeButton_ = nullptr;
    QToolButton* findNextButton_ = nullptr;
    QToolButton* findPreviousButton_ = nullptr;
    QLabel* statusLabel_ = nullptr;
};
