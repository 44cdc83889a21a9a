// The serial monitor on the "Development" page: whole exchanges as the "Rx Options" break them, the
// code page of received bytes, clearing, the line limit and saving the trace.
#include "app/SerialMonitor.h"
#include "property/PelError.h"

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>

namespace {
// Feeds a read exchange: the wake-up "B", five ENQ, then a reply of two frames with a CR between
// them, then one more request whose answer begins with a CR.
void feedExchange(TSerialMonitor& monitor) {
    monitor.MonitorTransmit(QStringLiteral("B"));
    monitor.MonitorTransmit(QString(5, QChar(5)));
    const QByteArray reply("\x01"
                           "FD12\x04\x80\r"
                           "X\x01"
                           "UD3\x04\x9D",
                           15);
    for (char byte : reply)
        monitor.MonitorReceiveByte(uint8_t(byte));
    monitor.MonitorTransmit(QStringLiteral("R"));
    monitor.MonitorReceiveByte('\r');
    monitor.MonitorReceiveByte('Y');
}
} // namespace

class TestSerialMonitor : public QObject {
    Q_OBJECT
private slots:
    void startState();
    void exchange_data();
    void exchange();
    void edgeCases();
    void receivedBytes_data();
    void receivedBytes();
    void clearKeepsState();
    void lineLimit();
    void boxFollowsEachBurst();
    void save();
};

void TestSerialMonitor::startState() {
    TSerialMonitor monitor;
    QVERIFY(monitor.CheckBoxBreakAfterCR()->isChecked());
    QVERIFY(monitor.CheckBoxBreakBeforeSOH()->isChecked());
    QVERIFY(monitor.MemoSerialMonitor()->isReadOnly());
    QCOMPARE(monitor.LastDirection(), TSerialMonitor::None);
    QVERIFY(!monitor.BreakPending());
    QCOMPARE(monitor.LineCount(), 0);
}

void TestSerialMonitor::exchange_data() {
    QTest::addColumn<bool>("breakAfterCR");
    QTest::addColumn<bool>("breakBeforeSOH");
    QTest::addColumn<QStringList>("lines");
    const QStringList sent = {">> B", ">> <ENQ><ENQ><ENQ><ENQ><ENQ>"};
    // A CR that begins a line after a transmit line always breaks after itself.
    const QStringList tail = {">> R", "<< <CR>", "<< Y"};
    QTest::newRow("both options") << true << true
                                  << sent +
                                         QStringList{"<< <SOH>FD12<EOT>€<CR>", "<< X",
                                                     "<< <SOH>UD3<EOT><#9D>"} +
                                         tail;
    QTest::newRow("no break after CR")
        << false << true << sent + QStringList{"<< <SOH>FD12<EOT>€<CR>X", "<< <SOH>UD3<EOT><#9D>"} + tail;
    QTest::newRow("no break before SOH")
        << true << false << sent + QStringList{"<< <SOH>FD12<EOT>€<CR>", "<< X<SOH>UD3<EOT><#9D>"} + tail;
    QTest::newRow("neither") << false << false
                             << sent + QStringList{"<< <SOH>FD12<EOT>€<CR>X<SOH>UD3<EOT><#9D>"} + tail;
}

void TestSerialMonitor::exchange() {
    QFETCH(bool, breakAfterCR);
    QFETCH(bool, breakBeforeSOH);
    QFETCH(QStringList, lines);
    TSerialMonitor monitor;
    if (!breakAfterCR) QTest::mouseClick(monitor.CheckBoxBreakAfterCR(), Qt::LeftButton);
    if (!breakBeforeSOH) QTest::mouseClick(monitor.CheckBoxBreakBeforeSOH(), Qt::LeftButton);
    QCOMPARE(monitor.CheckBoxBreakAfterCR()->isChecked(), breakAfterCR);
    feedExchange(monitor);
    QCOMPARE(monitor.Text().split(QLatin1Char('\n')), lines);
    QCOMPARE(monitor.LineCount(), lines.size());
    QCOMPARE(monitor.LastDirection(), TSerialMonitor::Receive);
}

void TestSerialMonitor::edgeCases() {
    TSerialMonitor monitor;
    // The first character received, with nothing sent yet, begins the first line.
    monitor.MonitorReceive(QStringLiteral("a"));
    QCOMPARE(monitor.Text(), "<< a");
    monitor.MonitorTransmit(QString());
    monitor.MonitorTransmit(QString(QChar(127)) + QStringLiteral(" ~") + QChar(0x20AC));
    QCOMPARE(monitor.LastDirection(), TSerialMonitor::Transmit);
    QCOMPARE(monitor.Text(), "<< a\n>> \n>> <#7F> ~€");
    // Sent text is shown without a code-page step: U+0080 is shown by code.
    monitor.MonitorTransmit(QString(QChar(0x80)));
    QVERIFY(monitor.Text().endsWith("\n>> <#80>"));
}

void TestSerialMonitor::receivedBytes_data() {
    QTest::addColumn<int>("byte");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << 0x41 << "A";
    QTest::newRow("DEL") << 0x7F << "<#7F>";
    QTest::newRow("euro") << 0x80 << "€";
    QTest::newRow("unassigned 0x81") << 0x81 << "<#81>";
    QTest::newRow("low quotation mark") << 0x82 << "‚";
    QTest::newRow("unassigned 0x9D") << 0x9D << "<#9D>";
    QTest::newRow("Y with diaeresis") << 0x9F << "Ÿ";
    QTest::newRow("no-break space") << 0xA0 << "<#A0>";
    QTest::newRow("e acute") << 0xE9 << "<#E9>";
    QTest::newRow("y diaeresis") << 0xFF << "<#FF>";
    QTest::newRow("NUL") << 0x00 << "<NUL>";
}

void TestSerialMonitor::receivedBytes() {
    QFETCH(int, byte);
    QFETCH(QString, shown);
    TSerialMonitor monitor;
    monitor.MonitorReceiveByte(uint8_t(byte));
    QCOMPARE(monitor.Text(), "<< " + shown);
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
    monitor.MonitorReceive(QStringLiteral("y"));
    monitor.MonitorReceive(QStringLiteral("z"));
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
    monitor.MonitorReceive(QStringLiteral("a"));
    monitor.MonitorReceive(QStringLiteral("b"));
    QCOMPARE(monitor.LineCount(), TSerialMonitor::MaxLines);
    QCOMPARE(document->lastBlock().text(), "<< ab");
    QCOMPARE(document->firstBlock().text(), ">> " + QString::number(extra + 1));
}

void TestSerialMonitor::boxFollowsEachBurst() {
    TSerialMonitor monitor;
    auto* box = monitor.findChild<QPlainTextEdit*>(QStringLiteral("MemoSerialMonitor"));
    QVERIFY(box);
    monitor.MonitorTransmit(QStringLiteral("B"));
    monitor.MonitorReceiveByte('P');
    monitor.MonitorReceiveByte('I');
    QCoreApplication::processEvents(); // the burst reaches the box when control returns
    QCOMPARE(box->toPlainText(), ">> B\n<< PI");
    monitor.MonitorReceiveByte('\r');
    monitor.MonitorReceiveByte('1');
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
    QCOMPARE(file.readAll(), expected);
    QVERIFY(expected.contains("\xE2\x82\xAC")); // the euro sign survives

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
