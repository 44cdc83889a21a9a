// The serial monitor on the "Development" page: whole exchanges as the "Rx Options" break them, how
// sent and received characters are shown, clearing, the line limit and saving the trace.
#include "app/SerialMonitor.h"
#include "property/PelError.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

namespace {
void receive(TSerialMonitor& monitor, const QByteArray& bytes) {
    for (char byte : bytes)
        monitor.MonitorReceiveByte(uint8_t(byte));
}

// Feeds a read exchange: the wake-up "B", five ENQ, then a reply of two frames with a CR between
// them, then one more request whose answer begins with a CR.
void feedExchange(TSerialMonitor& monitor) {
    monitor.MonitorTransmit(QStringLiteral("B"));
    monitor.MonitorTransmit(QString(5, QChar(5)));
    receive(monitor, "\001FD12\004\200\rX\001UD3\004\235");
    monitor.MonitorTransmit(QStringLiteral("R"));
    receive(monitor, "\rY");
}
} // namespace

class TestSerialMonitor : public QObject {
    Q_OBJECT
private slots:
    void exchange_data();
    void exchange();
    void characters();
    void clearKeepsState();
    void lineLimit();
    void boxFollowsEachBurst();
    void save();
};

void TestSerialMonitor::exchange_data() {
    QTest::addColumn<bool>("breakAfterCR");
    QTest::addColumn<bool>("breakBeforeSOH");
    QTest::addColumn<QStringList>("received"); // the lines of the two-frame reply
    const QString first = "<< <SOH>FD12<EOT>€<CR>", second = "<SOH>UD3<EOT><#9D>";
    QTest::newRow("both options (the default)") << true << true << QStringList{first, "<< X", "<< " + second};
    QTest::newRow("no break after CR") << false << true << QStringList{first + "X", "<< " + second};
    QTest::newRow("no break before SOH") << true << false << QStringList{first, "<< X" + second};
    QTest::newRow("neither") << false << false << QStringList{first + "X" + second};
}

void TestSerialMonitor::exchange() {
    QFETCH(bool, breakAfterCR);
    QFETCH(bool, breakBeforeSOH);
    QFETCH(QStringList, received);
    TSerialMonitor monitor;
    if (!breakAfterCR) QTest::mouseClick(monitor.CheckBoxBreakAfterCR(), Qt::LeftButton);
    if (!breakBeforeSOH) QTest::mouseClick(monitor.CheckBoxBreakBeforeSOH(), Qt::LeftButton);
    feedExchange(monitor);
    // A CR that begins a line after a transmit line always breaks after itself.
    const QStringList lines = QStringList{">> B", ">> <ENQ><ENQ><ENQ><ENQ><ENQ>"} + received +
                              QStringList{">> R", "<< <CR>", "<< Y"};
    QCOMPARE(monitor.Text().split(QLatin1Char('\n')), lines);
    QCOMPARE(monitor.LineCount(), lines.size());
}

void TestSerialMonitor::characters() {
    TSerialMonitor monitor;
    QVERIFY(monitor.MemoSerialMonitor()->isReadOnly());
    QCOMPARE(monitor.LineCount(), 0);
    // Received bytes go through Windows-1252; DEL, its five unassigned codes and the Latin-1 range
    // above it show by code. The first one, with nothing sent yet, begins the first line.
    receive(monitor, QByteArray("A\177\200\201\202\235\237\240\351\377", 10) + '\0');
    // Sent text takes no code-page step: U+0080 shows by code.
    monitor.MonitorTransmit(QString());
    monitor.MonitorTransmit(QString(QChar(127)) + QStringLiteral(" ~") + QChar(0x20AC) + QChar(0x80));
    const QStringList lines = {"<< A<#7F>€<#81>‚<#9D>Ÿ<#A0><#E9><#FF><NUL>", ">> ", ">> <#7F> ~€<#80>"};
    QCOMPARE(monitor.Text().split(QLatin1Char('\n')), lines);
}

void TestSerialMonitor::clearKeepsState() {
    TSerialMonitor monitor;
    monitor.MonitorTransmit(QStringLiteral("B"));
    monitor.MonitorReceive(QStringLiteral("\r"));
    QVERIFY(monitor.BreakPending());
    QTest::mouseClick(monitor.ButtonClear(), Qt::LeftButton);
    QCOMPARE(monitor.Text(), QString());
    QCOMPARE(monitor.LineCount(), 0);
    QCOMPARE(monitor.LastDirection(), TSerialMonitor::Receive);
    QVERIFY(monitor.BreakPending());

    // With no break pending, the first character after "Clear" still begins a new line.
    monitor.MonitorReceive(QStringLiteral("x"));
    QVERIFY(!monitor.BreakPending());
    monitor.ButtonClearClick();
    receive(monitor, "yz");
    QCOMPARE(monitor.Text(), "<< yz");
}

void TestSerialMonitor::lineLimit() {
    TSerialMonitor monitor;
    const int extra = 5;
    for (int i = 0; i < TSerialMonitor::MaxLines + extra; ++i)
        monitor.MonitorTransmit(QString::number(i));
    QCOMPARE(monitor.LineCount(), TSerialMonitor::MaxLines);
    const QTextDocument* document = monitor.MemoSerialMonitor()->document();
    QCOMPARE(document->firstBlock().text(), ">> " + QString::number(extra));
    // Received characters still go onto the newest line.
    receive(monitor, "ab");
    QCOMPARE(monitor.LineCount(), TSerialMonitor::MaxLines);
    QCOMPARE(document->lastBlock().text(), "<< ab");
    QCOMPARE(document->firstBlock().text(), ">> " + QString::number(extra + 1));
}

// While the page is hidden the trace waits, as plain text of at most MaxLines lines; on screen the
// box follows each burst.
void TestSerialMonitor::boxFollowsEachBurst() {
    TSerialMonitor monitor;
    auto* box = monitor.findChild<QPlainTextEdit*>(QStringLiteral("MemoSerialMonitor"));
    QVERIFY(box);
    for (int i = 0; i < TSerialMonitor::MaxLines + 3; ++i)
        monitor.MonitorTransmit(QString::number(i));
    QCoreApplication::processEvents();
    QVERIFY(box->toPlainText().isEmpty());
    monitor.show();
    QCOMPARE(box->document()->blockCount(), TSerialMonitor::MaxLines);
    QCOMPARE(box->document()->firstBlock().text(), QStringLiteral(">> 3"));
    monitor.ButtonClearClick();
    monitor.MonitorTransmit(QStringLiteral("B"));
    receive(monitor, "PI");
    QCoreApplication::processEvents(); // the burst reaches the box when control returns
    QCOMPARE(box->toPlainText(), ">> B\n<< PI");
    receive(monitor, "\r1");
    QCoreApplication::processEvents();
    QCOMPARE(box->toPlainText(), ">> B\n<< PI<CR>\n<< 1");
}

void TestSerialMonitor::save() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    TSerialMonitor monitor;
    QList<QString> messages;
    const MessagePresenter previous =
        SetMessagePresenter([&messages](MessageKind, const QString& text) { messages << text; });

    // Cancelled: nothing written.
    monitor.SetAskSaveFileName([] { return std::nullopt; });
    QVERIFY(!monitor.ButtonSaveClick());

    feedExchange(monitor);
    const QString fileName = dir.filePath(QStringLiteral("trace.txt"));
    monitor.SetAskSaveFileName([fileName] { return fileName; });
    QTest::mouseClick(monitor.ButtonSave(), Qt::LeftButton);
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray expected =
        (monitor.Text().replace(QLatin1Char('\n'), QLatin1String("\r\n")) + "\r\n").toUtf8();
    QCOMPARE(file.readAll(), expected); // in UTF-8: the trace holds a euro sign

    // A file that cannot be written gives a message and reports failure.
    const QString badName = dir.filePath(QStringLiteral("missing/trace.txt"));
    monitor.SetAskSaveFileName([badName] { return badName; });
    QVERIFY(!monitor.ButtonSaveClick());
    QCOMPARE(messages.size(), 1);
    QVERIFY(messages.front().startsWith("Cannot save the serial monitor trace to " + badName));
    SetMessagePresenter(previous);
}

QTEST_MAIN(TestSerialMonitor)
#include "tst_SerialMonitor.moc"
