// The help: every topic exists, every link leads somewhere real, nothing outside the help opens, and
// the window's back, forward, contents and find work.
#include "app/HelpWindow.h"

#include <QDirIterator>
#include <QLabel>
#include <QLineEdit>
#include <QQueue>
#include <QSet>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QToolButton>

namespace {

// The links and the anchor names of the page that the browser shows, as the browser sees them.
void collectLinks(const QTextDocument& document, QStringList& links, QSet<QString>& anchors) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isAnchor() && !format.anchorHref().isEmpty()) links.append(format.anchorHref());
            for (const QString& name : format.anchorNames())
                anchors.insert(name);
        }
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void topicOpensItsPage_data() {
        QTest::addColumn<int>("context");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");
        const struct {
            int context;
            const char *page, *title;
        } topics[] = {{10, "staff-transmitter.html", "ZX140 Staff Transmitter"},
                      {20, "pendant.html", "ZX160 Pendant Transmitter"},
                      {30, "mpd-call-point.html", "ZX310 (Call Point)"},
                      {40, "monitor-point.html", "ZX310 (Monitor Point)"},
                      {50, "day-night-switch.html", "ZX310 (Day/Night Switch)"},
                      {60, "relay-output.html", "ZX320 Relay Output"},
                      {70, "zone-indicator.html", "ZX330 ZI or ZX390/2 Sounder"},
                      {80, "zx250.html", "ZX250/9 or ZX270RX Call Point"},
                      {0, "index.html", "Zentara Configurator Help"}, // no topic: the contents
                      {15, "index.html", "Zentara Configurator Help"},
                      {-1, "index.html", "Zentara Configurator Help"}};
        for (const auto& topic : topics)
            QTest::addRow("%d", topic.context) << topic.context << topic.page << topic.title;
    }
    void topicOpensItsPage() {
        QFETCH(int, context);
        QFETCH(QString, page);
        QFETCH(QString, title);
        THelpWindow window;
        window.ShowHelpTopic(context);
        QVERIFY(window.isVisible());
        QCOMPARE(window.Browser()->source().fileName(), page);
        QCOMPARE(window.Browser()->documentTitle(), title);
        QVERIFY(window.windowTitle().startsWith(title));
    }

    // Walks the help from the contents: every link resolves to a page of the help and, where it names
    // a place, to an anchor of that page; every page is reached.
    void everyLinkResolves() {
        THelpWindow window;
        QSet<QString> visited;
        QQueue<QString> queue;
        queue.enqueue(QStringLiteral("index.html"));
        QList<QPair<QString, QUrl>> links;
        QHash<QString, QSet<QString>> anchors;
        while (!queue.isEmpty()) {
            const QString page = queue.dequeue();
            if (visited.contains(page)) continue;
            visited.insert(page);
            window.Browser()->setSource(QUrl(QStringLiteral("qrc:/help/") + page));
            QVERIFY2(!window.Browser()->document()->isEmpty(), qPrintable(page));
            QStringList hrefs;
            collectLinks(*window.Browser()->document(), hrefs, anchors[page]);
            for (const QString& href : hrefs) {
                const QUrl link(href);
                QVERIFY2(link.isRelative(), qPrintable(page + ": " + href));
                const QUrl target = window.Browser()->source().resolved(link);
                const QString targetPage = target.fileName();
                QVERIFY2(QFile::exists(QStringLiteral(":/help/") + targetPage),
                         qPrintable(page + ": " + href));
                links.append({page, target});
                queue.enqueue(targetPage);
            }
        }
        int pages = 0;
        for (QDirIterator it(QStringLiteral(":/help"), {QStringLiteral("*.html")}); it.hasNext(); it.next())
            ++pages;
        QCOMPARE(visited.size(), pages);
        for (const auto& [page, target] : links)
            if (target.hasFragment())
                QVERIFY2(anchors.value(target.fileName()).contains(target.fragment()),
                         qPrintable(page + " -> " + target.toString()));
    }

    // A link inside the help opens like a click on it; anything outside is named, not opened.
    void onlyLinksInsideTheHelpOpen() {
        THelpWindow window;
        window.ShowHelpTopic(60);
        for (const char* link : {"https://example.org/", "mailto:someone@example.org", "file:///etc/passwd",
                                 "qrc:/app/pictures/result_ok.svg"}) {
            emit window.Browser()->anchorClicked(QUrl(link));
            QCOMPARE(window.Browser()->source().fileName(), QStringLiteral("relay-output.html"));
            QVERIFY2(window.StatusLabel()->text().contains(QLatin1String(link)), link);
            QVERIFY2(!window.Browser()->loadResource(QTextDocument::HtmlResource, QUrl(link)).isValid(),
                     link);
        }
        emit window.Browser()->anchorClicked(QUrl(QStringLiteral("troubleshooting.html#version")));
        QCOMPARE(window.Browser()->source().fileName(), QStringLiteral("troubleshooting.html"));
        QCOMPARE(window.Browser()->source().fragment(), QStringLiteral("version"));
    }

    void backForwardAndContents() {
        THelpWindow window;
        QVERIFY(!window.BackButton()->isEnabled());
        window.ShowHelpTopic(10);
        window.ShowHelpTopic(20);
        QVERIFY(window.BackButton()->isEnabled());
        QTest::mouseClick(window.BackButton(), Qt::LeftButton);
        QCOMPARE(window.Browser()->source().fileName(), QStringLiteral("staff-transmitter.html"));
        QVERIFY(window.ForwardButton()->isEnabled());
        QTest::mouseClick(window.ForwardButton(), Qt::LeftButton);
        QCOMPARE(window.Browser()->source().fileName(), QStringLiteral("pendant.html"));
        QTest::mouseClick(window.HomeButton(), Qt::LeftButton);
        QCOMPARE(window.Browser()->source(), HelpContentsUrl());
    }

    void findInPage() {
        THelpWindow window;
        window.ShowHelpTopic(10);
        QTest::keyClicks(window.FindEdit(), QStringLiteral("radio group"));
        QCOMPARE(window.Browser()->textCursor().selectedText().toLower(), QStringLiteral("radio group"));
        const int first = window.Browser()->textCursor().selectionStart();
        QVERIFY(window.FindInPage(QStringLiteral("radio group")));
        const int second = window.Browser()->textCursor().selectionStart();
        QVERIFY(second > first);
        // Going on past the last place starts again at the top.
        int next = second;
        for (int i = 0; i < 20 && next >= second; ++i) {
            QVERIFY(window.FindInPage(QStringLiteral("radio group")));
            next = window.Browser()->textCursor().selectionStart();
        }
        QCOMPARE(next, first);
        QVERIFY(window.FindInPage(QStringLiteral("radio group"), true));
        QVERIFY(window.StatusLabel()->text().isEmpty());
        QVERIFY(!window.FindInPage(QStringLiteral("no such words here")));
        QVERIFY(!window.StatusLabel()->text().isEmpty());
    }

    // Each message the program can show about the adapter and the transfers is explained, word for
    // word as the program shows it.
    void troubleshootingExplainsEveryMessage() {
        const char* messages[] = {
            "Data Transferred",
            "Data Transferred and Verified",
            "Data Transferred but Errors Found",
            "Unable to connect to programmer. Check device is connected and retry",
            "Error opening by ID",
            "Cannot find device. Check it is connected and powered, then retry",
            "Unrecognised Record. Data retrieval aborted. Please try again",
            "Unrecognised Device",
            "Device attached cannot be programmed with this data (wrong type). Configuration aborted.",
            "Device attached cannot be programmed with this data (wrong type). Programming aborted.",
            "Device Attached does not support Attack function. Transfer Aborted",
            "Device Attached does not support Emergency function. Transfer Aborted",
            "Device Attached does not support Attendance function. Transfer Aborted",
            "Error - Device not suitable for configuring with factory data",
            "Unexpected Version Number. If you program this device results may be erroneous or incomplete",
            "Extra data detected. This may contain important information which is ignored",
            "Invalid Data received from device",
            "Error Reading data. Details may be corrupt. Please try again.",
            "Unexpected end of record (MPD device)",
            "Invalid MPD Mode",
            "Unexpected end of record (Relay)",
            "Unexpected End of Record (Zonal Indicator)",
            "Error reading from device. Data may be corrupt. Please retry",
            "Unexpected field in factory record",
            "Format Error - hex field expected",
            "Unexpected End of Record (IRRF user record)",
            "Unexpected field in record (IRRF user record - PT field missing)",
            "is not a valid integer value",
            "Error Opening USB - Device Not Found...",
        };
        THelpWindow window;
        window.FollowLink(QUrl(QStringLiteral("troubleshooting.html")));
        const QString text = window.Browser()->document()->toPlainText().simplified();
        for (const char* message : messages)
            QVERIFY2(text.contains(QLatin1String(message)), message);
        // The adapter's failures: the call that failed, then the driver's reason.
        for (const char* context : {"Opening USB", "Getting USB Device Count", "Setting Data Characteristics",
                                    "writing flow control", "writing to USB port", "Reading from USB Port",
                                    "programming USB device", "reading USB device EEPROM",
                                    "Invalid Handle...", "Device Not Found...", "Device Not Opened...",
                                    "General IO Error...", "Insufficient Resources...",
                                    "Invalid Parameter ...", "Unformatted device...", "Undefined Error"})
            QVERIFY2(text.contains(QLatin1String(context)), context);
    }
};

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
