#include "app/HelpWindow.h"

#include <QAction>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <array>

static void registerHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace {

const QString helpScheme = QStringLiteral("qrc");
const QString helpFolder = QStringLiteral("/help/");

struct HelpTopic {
    int context;
    const char* page;
};

// One topic per device page, numbered as the window's pages give them.
constexpr std::array<HelpTopic, 8> helpTopics{{
    {10, "staff-transmitter.html"},
    {20, "pendant.html"},
    {30, "mpd-call-point.html"},
    {40, "monitor-point.html"},
    {50, "day-night-switch.html"},
    {60, "relay-output.html"},
    {70, "zone-indicator.html"},
    {80, "zx250.html"},
}};

QUrl helpUrl(const QString& page) {
    QUrl url;
    url.setScheme(helpScheme);
    url.setPath(helpFolder + page);
    return url;
}

bool isHelpPage(const QUrl& url) {
    return url.scheme() == helpScheme && url.path().startsWith(helpFolder);
}

// A browser that loads nothing but the help's own pages and pictures.
class HelpBrowser : public QTextBrowser {
public:
    using QTextBrowser::QTextBrowser;

    QVariant loadResource(int type, const QUrl& name) override {
        const QUrl url = source().resolved(name);
        if (!isHelpPage(url)) return {};
        return QTextBrowser::loadResource(type, url);
    }
};

} // namespace

QString HelpTopicPage(int context) {
    for (const HelpTopic& topic : helpTopics)
        if (topic.context == context) return QString::fromLatin1(topic.page);
    return {};
}

QUrl HelpTopicUrl(int context) {
    const QString page = HelpTopicPage(context);
    return page.isEmpty() ? HelpContentsUrl() : helpUrl(page);
}

QUrl HelpContentsUrl() {
    return helpUrl(QStringLiteral("index.html"));
}

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    registerHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Zentara Configurator Help"));
    resize(760, 620);

    auto makeButton = [this](const QString& name, const QString& text, QStyle::StandardPixmap icon,
                             const QKeySequence& key) {
        auto* button = new QToolButton(this);
        button->setObjectName(name);
        button->setText(text);
        button->setIcon(style()->standardIcon(icon));
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        button->setAutoRaise(true);
        if (!key.isEmpty()) {
            button->setShortcut(key);
            button->setToolTip(QStringLiteral("%1 (%2)").arg(text, key.toString(QKeySequence::NativeText)));
        }
        return button;
    };
    backButton_ = makeButton(QStringLiteral("HelpBack"), tr("Back"), QStyle::SP_ArrowBack,
                             QKeySequence(QKeySequence::Back));
    forwardButton_ = makeButton(QStringLiteral("HelpForward"), tr("Forward"), QStyle::SP_ArrowForward,
                                QKeySequence(QKeySequence::Forward));
    homeButton_ = makeButton(QStringLiteral("HelpContents"), tr("Contents"), QStyle::SP_DirHomeIcon,
                             QKeySequence(Qt::ALT | Qt::Key_Home));
    findPreviousButton_ = makeButton(QStringLiteral("HelpFindPrevious"), tr("Previous"), QStyle::SP_ArrowUp,
                                     QKeySequence(QKeySequence::FindPrevious));
    findNextButton_ = makeButton(QStringLiteral("HelpFindNext"), tr("Next"), QStyle::SP_ArrowDown,
                                 QKeySequence(QKeySequence::FindNext));

    findEdit_ = new QLineEdit(this);
    findEdit_->setObjectName(QStringLiteral("HelpFind"));
    findEdit_->setPlaceholderText(tr("Find in page"));
    findEdit_->setClearButtonEnabled(true);
    auto* findAction = new QAction(this);
    findAction->setShortcut(QKeySequence::Find);
    connect(findAction, &QAction::triggered, this, [this] {
        findEdit_->setFocus(Qt::ShortcutFocusReason);
        findEdit_->selectAll();
    });
    addAction(findAction);

    browser_ = new HelpBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenLinks(false);
    browser_->setOpenExternalLinks(false);

    statusLabel_ = new QLabel(this);
    statusLabel_->setObjectName(QStringLiteral("HelpStatus"));

    auto* bar = new QHBoxLayout;
    bar->addWidget(backButton_);
    bar->addWidget(forwardButton_);
    bar->addWidget(homeButton_);
    bar->addStretch(1);
    bar->addWidget(findEdit_, 1);
    bar->addWidget(findPreviousButton_);
    bar->addWidget(findNextButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(browser_, 1);
    layout->addWidget(statusLabel_);

    backButton_->setEnabled(false);
    forwardButton_->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, backButton_, &QWidget::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forwardButton_, &QWidget::setEnabled);
    connect(backButton_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
    connect(forwardButton_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
    connect(homeButton_, &QToolButton::clicked, this, &THelpWindow::ShowHelpContents);
    connect(browser_, &QTextBrowser::anchorClicked, this, &THelpWindow::FollowLink);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = browser_->documentTitle();
        setWindowTitle(title.isEmpty() ? tr("Zentara Configurator Help")
                                       : tr("%1 - Zentara Configurator Help").arg(title));
        showStatus(QString());
    });

    // Typing searches from where the last match began, so a longer text extends the same match.
    connect(findEdit_, &QLineEdit::textEdited, this, [this](const QString& text) {
        QTextCursor cursor = browser_->textCursor();
        cursor.setPosition(cursor.selectionStart());
        browser_->setTextCursor(cursor);
        if (!text.isEmpty())
            FindInPage(text);
        else
            showStatus(QString());
    });
    connect(findEdit_, &QLineEdit::returnPressed, this, [this] { FindInPage(findEdit_->text()); });
    connect(findNextButton_, &QToolButton::clicked, this, [this] { FindInPage(findEdit_->text()); });
    connect(findPreviousButton_, &QToolButton::clicked, this,
            [this] { FindInPage(findEdit_->text(), true); });

    browser_->setSource(HelpContentsUrl());
}

void THelpWindow::ShowHelpTopic(int context) {
    showUrl(HelpTopicUrl(context));
}

void THelpWindow::ShowHelpContents() {
    showUrl(HelpContentsUrl());
}

void THelpWindow::showUrl(const QUrl& url) {
    if (browser_->source() != url) browser_->setSource(url);
    show();
    raise();
    activateWindow();
}

bool THelpWindow::FindInPage(const QString& text, bool backward) {
    if (text.isEmpty()) return false;
    const QTextDocument::FindFlags flags =
        backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    bool found = browser_->find(text, flags);
    if (!found) {
        // Go round: search again from the other end of the page.
        QTextCursor cursor = browser_->textCursor();
        cursor.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        browser_->setTextCursor(cursor);
        found = browser_->find(text, flags);
    }
    showStatus(found ? QString() : tr("\"%1\" is not on this page.").arg(text));
    return found;
}

void THelpWindow::FollowLink(const QUrl& link) {
    const QUrl url = browser_->source().resolved(link);
    if (!isHelpPage(url)) {
        showStatus(tr("This link leads outside the help and is not opened: %1").arg(link.toString()));
        return;
    }
    browser_->setSource(url);
}

void THelpWindow::showStatus(const QString& text) {
    statusLabel_->setText(text);
}
