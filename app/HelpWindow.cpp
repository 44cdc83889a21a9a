#include "app/HelpWindow.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

static void registerHelpResources() {
    Q_INIT_RESOURCE(help);
}

namespace {
const QString kContents = QStringLiteral("qrc:/help/index.html");

void initHelpResources() {
    static const bool registered = (registerHelpResources(), true);
    (void)registered;
}
} // namespace

THelpWindow::THelpWindow(QWidget* parent) : QDialog(parent) {
    initHelpResources();
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Zentara Configurator Help"));
    browser_ = new QTextBrowser(this);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::hide);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_, 1);
    layout->addWidget(buttons);
    resize(560, 480);
}

bool THelpWindow::HasHelp() {
    initHelpResources();
    return QFile::exists(QStringLiteral(":/help/index.html"));
}

QUrl THelpWindow::TopicUrl(int topic) {
    initHelpResources();
    const QString page = QStringLiteral(":/help/topic%1.html").arg(topic);
    return QUrl(QFile::exists(page) ? QStringLiteral("qrc") + page : kContents);
}

void THelpWindow::ShowContents() {
    showUrl(QUrl(kContents));
}

void THelpWindow::ShowTopic(int topic) {
    showUrl(TopicUrl(topic));
}

void THelpWindow::showUrl(const QUrl& url) {
    browser_->setSource(url);
    if (!isVisible()) {
        // No larger than most of the screen, so the Close button stays in reach on small or scaled screens.
        const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
        if (screen) resize(size().boundedTo(screen->availableGeometry().size() * 9 / 10));
    }
    show();
    raise();
    activateWindow();
}
