// The programmer link driven against the simulated adapter library through the real driver binding.
// Time advances only by explicit Tick calls.

#include "SimHarness.h"
#include "programmer/ProgrammerLinkSetup.h"
#include "programmer/USBPanel.h"
#include "property/PelError.h"

#include <QFile>
#include <QTest>
#include <memory>

namespace {
const QByteArray kEnquiry(5, '\x05');

QString enquiryText() {
    return QString::fromLatin1(kEnquiry);
}

QString latin1(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}
} // namespace

class TestUSBPanel : public QObject {
    Q_OBJECT

    std::unique_ptr<SimHarness> sim;
    std::unique_ptr<TUSBPanel> link;
    QByteArray received;
    int opens = 0, closes = 0, timeOuts = 0;
    QList<QPair<MessageKind, QString>> shown;

    // A link configured like the editor's, with recorders on its events.
    TUSBPanel& makeLink() {
        link.reset();
        link = std::make_unique<TUSBPanel>(nullptr, false);
        ConfigureProgrammerLink(*link);
        link->SetOnChar([this](tObject*, uint8_t c) { received.append(char(c)); });
        link->SetOnOpen([this](tObject*) { ++opens; });
        link->SetOnClose([this](tObject*) { ++closes; });
        link->SetOnTimeOut([this](tObject*) { ++timeOuts; });
        return *link;
    }

    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            link->Tick();
    }

    // Sends a read request the way the device transfers do: "B" at once, ENQ x5 two ticks later.
    void sendReadRequest() {
        link->WriteText(QStringLiteral("B"));
        link->SetSendDelay(2);
        link->WriteText(enquiryText());
    }

    QString thrownBy(const std::function<void()>& f) {
        try {
            f();
        } catch (const EZcfgError& e) {
            return e.Message();
        }
        return {};
    }

private slots:
    void initTestCase() {
        qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
        qunsetenv("ZCFG_SIM");
        sim = std::make_unique<SimHarness>(QStringLiteral(ZCFG_SIM_LIBRARY));
        SetMessagePresenter([this](MessageKind kind, const QString& text) { shown.append({kind, text}); });
    }

    void init() {
        qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
        sim->reset();
        received.clear();
        shown.clear();
        opens = closes = timeOuts = 0;
    }

    void cleanup() { link.reset(); }

    void opensTheConfiguredAdapter_data() {
        QTest::addColumn<QStringList>("serials");
        QTest::addColumn<QStringList>("products");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("deviceNo");
        QTest::addColumn<int>("expected"); // -1: no adapter opens

        const QStringList dbc0x2{"DBC0", "DBC0"};
        QTest::newRow("serial: second adapter matches")
            << QStringList{"AV000002", "AV000001"} << dbc0x2 << int(omBySerialNo) << 0 << 1;
        QTest::newRow("serial: letter case differs")
            << QStringList{"av000001"} << QStringList{"DBC0"} << int(omBySerialNo) << 0 << -1;
        QTest::newRow("serial: right number, wrong product")
            << QStringList{"AV000001", "AV000001"} << QStringList{"6001", "DBC0"} << int(omBySerialNo) << 0
            << 1;
        QTest::newRow("id: lowest index wins") << QStringList{"X1", "X2"} << dbc0x2 << int(omByID) << 0 << 0;
        QTest::newRow("id: other product skipped")
            << QStringList{"X1", "X2"} << QStringList{"6001", "DBC0"} << int(omByID) << 0 << 1;
        QTest::newRow("device: index taken as given")
            << QStringList{"X1", "X2"} << QStringList{"6001", "6001"} << int(omByDevice) << 1 << 1;
        QTest::newRow("device: no such index")
            << QStringList{"X1"} << QStringList{"DBC0"} << int(omByDevice) << 3 << -1;
    }

    void opensTheConfiguredAdapter() {
        QFETCH(QStringList, serials);
        QFETCH(QStringList, products);
        QFETCH(int, method);
        QFETCH(int, deviceNo);
        QFETCH(int, expected);
        sim->loadKeyword("absent");
        for (int i = 0; i < serials.size(); ++i) {
            sim->addAdapter("relay");
            sim->setIdentity(i, "serial", serials[i].toLatin1().constData());
            sim->setIdentity(i, "product", products[i].toLatin1().constData());
        }
        TUSBPanel& l = makeLink();
        l.SetOpenMethod(TUSB_OpenMethod(method));
        l.SetDeviceNo(deviceNo);
        l.SetErrorStyle(esHideErrors);
        l.Open();

        QCOMPARE(l.Active(), expected >= 0);
        QCOMPARE(opens, expected >= 0 ? 1 : 0);
        for (int i = 0; i < serials.size(); ++i)
            QCOMPARE(sim->counter(i, "open"), i == expected ? 1 : 0); // tried adapters were closed again
        if (expected < 0) return;
        QCOMPARE(l.DeviceNo(), expected);
        QCOMPARE(sim->counter(expected, "baud"), 9600);
        QCOMPARE(sim->counter(expected, "word-length"), 8);
        QCOMPARE(sim->counter(expected, "stop-bits"), 0);
        QCOMPARE(sim->counter(expected, "parity"), 0);
        if (method != omByDevice) // the descriptor read while scanning is what the link now shows
            QCOMPARE(l.SerialNo(), latin1(sim->Identity(expected, "serial")));
    }

    void failedOpenByIdIsReportedEveryTime() {
        sim->setIdentity(0, "serial", "AV999999");
        TUSBPanel& l = makeLink();
        QCOMPARE(thrownBy([&] { l.Open(); }), QStringLiteral("Error opening by ID"));
        QCOMPARE(thrownBy([&] { l.Open(); }), QStringLiteral("Error opening by ID"));
        l.SetErrorStyle(esPopUpErrors);
        l.Open();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].second, QStringLiteral("Error opening by ID"));
    }

    void withoutDriverLibraryStaysClosedAndSilent() {
        qputenv("ZCFG_D2XX_LIBRARY", "/nonexistent/libmissing-driver.so");
        TUSBPanel& l = makeLink();
        FakeImage send;
        l.SetSendBufferImage(&send);
        l.SetErrorStyle(esHideErrors);
        QString setText;
        l.SetOnSetText([&](tObject*, const QString& t) { setText = t; });
        ticks(5);
        l.Open();
        l.WriteText(QStringLiteral("B"));
        ticks(20);
        QVERIFY(!l.Active());
        QCOMPARE(l.DeviceCount(), 0);
        QCOMPARE(setText, QStringLiteral("B"));
        QCOMPARE(send.index, 1);
        QCOMPARE(l.PendingSendBytes(), 0);
        QCOMPARE(opens, 0);
        QVERIFY(shown.isEmpty());
    }

    // A driver without one entry point: without FT_GetQueueStatus nothing is received (and no
    // identity is read while polling); without FT_EE_Read there is no status to examine and
    // receiving goes on.
    void missingEntryPoint_data() {
        QTest::addColumn<QString>("library");
        QTest::addColumn<bool>("receives");
        QTest::newRow("FT_GetQueueStatus") << ZCFG_SIM_NOQUEUE_LIBRARY << false;
        QTest::newRow("FT_EE_Read") << ZCFG_SIM_NOEEREAD_LIBRARY << true;
    }
    void missingEntryPoint() {
        QFETCH(QString, library);
        QFETCH(bool, receives);
        link.reset(); // the binding is released with the last link, so the next one binds anew
        qputenv("ZCFG_D2XX_LIBRARY", QFile::encodeName(library));
        SimHarness other{library};
        other.reset();
        other.loadKeyword("relay");
        TUSBPanel& l = makeLink();
        l.SetOpenMethod(omByDevice); // without an identity to choose by
        l.Open();
        QVERIFY(l.Active());
        const int readsAfterOpen = other.counter(0, "ee-read");
        sendReadRequest();
        ticks(6);
        QCOMPARE(other.Written(0), "B" + kEnquiry);
        QCOMPARE(SplitFrames(received).size(), receives ? 1 : 0);
        if (!receives) QCOMPARE(other.counter(0, "ee-read"), readsAfterOpen);
        if (!receives) QVERIFY(other.counter(0, "pending") > 0);
        QCOMPARE(timeOuts, 0);
        QVERIFY(shown.isEmpty());
    }

    void blankAdapterEEPROM_data() {
        QTest::addColumn<bool>("autoProgram");
        QTest::newRow("left blank") << false;
        QTest::newRow("programmed automatically") << true;
    }

    void blankAdapterEEPROM() {
        QFETCH(bool, autoProgram);
        sim->setIdentity(0, "blank", "1");
        TUSBPanel& l = makeLink();
        if (autoProgram) {
            l.SetAutoProgram(true); // opens at once
        } else {
            QCOMPARE(thrownBy([&] { l.Open(); }), QStringLiteral("Error opening by ID"));
        }
        QCOMPARE(l.Active(), autoProgram);
        QCOMPARE(sim->Identity(0, "blank"), autoProgram ? "0" : "1");
        if (autoProgram) {
            QCOMPARE(sim->Identity(0, "serial"), "AV000001");
            QCOMPARE(sim->Identity(0, "product"), "DBC0");
            QCOMPARE(sim->Identity(0, "manufacturer"), "Arvel");
        }
    }

    void blankEEPROMMetWhilePollingIsProgrammed() {
        sim->setIdentity(0, "blank", "1");
        TUSBPanel& l = makeLink();
        l.SetOpenMethod(omByDevice);
        int blanks = 0, programs = 0;
        l.SetOnBlankEEPROM([&](tObject*) { ++blanks; });
        l.SetOnProgram([&](tObject*) { ++programs; });
        l.SetAutoProgram(true);
        QVERIFY(l.Active());
        ticks(1);
        QCOMPARE(blanks, 1);
        QCOMPARE(programs, 1);
        QCOMPARE(sim->counter(0, "ee-program"), 2);
        QCOMPARE(sim->Identity(0, "serial"), "AV000001");
        ticks(3);
        QCOMPARE(blanks, 1);
    }

    void unpluggingClosesTheLink_data() {
        QTest::addColumn<bool>("otherAdapterStays");
        QTest::newRow("last adapter unplugged") << false;
        QTest::newRow("another adapter remains") << true;
    }

    void unpluggingClosesTheLink() {
        QFETCH(bool, otherAdapterStays);
        if (otherAdapterStays) sim->setIdentity(sim->addAdapter("relay"), "serial", "OTHER");
        TUSBPanel& l = makeLink();
        int errors = 0;
        l.SetOnErr([&](tObject*, uint32_t, const QString&, bool&) { ++errors; });
        FakeImage openImage;
        l.SetOpenImage(&openImage);
        l.Open();
        ticks(1);
        QCOMPARE(openImage.index, 1);
        sim->detach(0);
        ticks(1);
        QVERIFY(!l.Active());
        QCOMPARE(closes, 1);
        QCOMPARE(openImage.index, 0);
        QCOMPARE(l.DeviceCount(), otherAdapterStays ? 1 : 0);
        QCOMPARE(errors, 0); // losing the adapter is not reported as a failed call
        ticks(3);
        QCOMPARE(closes, 1);
    }

    void autoOpenWhenAnAdapterIsAttached() {
        sim->detach(0);
        TUSBPanel& l = makeLink();
        l.SetAutoOpen(true);
        ticks(2);
        QVERIFY(!l.Active());
        sim->attach(0);
        ticks(1);
        QVERIFY(l.Active());
        QCOMPARE(opens, 1);

        sim->setIdentity(sim->addAdapter("none"), "serial", "OTHER"); // a further adapter: close and reopen
        ticks(1);
        QVERIFY(l.Active());
        QCOMPARE(closes, 1);
        QCOMPARE(opens, 2);
        QCOMPARE(l.DeviceNo(), 0);
    }

    void heldTextLeavesOnTheThirdTickAndPollingPauses() {
        TUSBPanel& l = makeLink();
        l.Open();
        link->WriteText(QStringLiteral("B"));
        QCOMPARE(sim->Written(), "B");
        l.SetSendDelay(2);
        l.WriteText(enquiryText());
        const int reads = sim->counter(0, "ee-read");
        ticks(2);
        QCOMPARE(sim->Written(), "B");
        QCOMPARE(sim->counter(0, "ee-read"), reads); // no receive polling while held
        QVERIFY(received.isEmpty());
        ticks(1);
        QCOMPARE(sim->Written(), "B" + kEnquiry);
        QCOMPARE(l.SendDelay(), 0);
        QCOMPARE(SplitFrames(received).size(), 2); // the staff transmitter answered within the tick
    }

    void timeOutFiresOnceAfterTheLastByte() {
        TUSBPanel& l = makeLink();
        FakeImage rcv;
        l.SetRcvBufferImage(&rcv);
        QCOMPARE(rcv.index, 5);
        l.Open();
        sim->setFault(0, "no-answer", 1);
        sendReadRequest();
        ticks(9);
        QCOMPARE(timeOuts, 0);
        ticks(1);
        QCOMPARE(timeOuts, 1);
        QCOMPARE(rcv.index, 3);
        ticks(30);
        QCOMPARE(timeOuts, 1);

        sim->Inject(0, "xyz"); // a received byte restarts the countdown, and that tick counts
        ticks(1);
        QCOMPARE(received, "xyz");
        ticks(8);
        QCOMPARE(timeOuts, 1);
        ticks(1);
        QCOMPARE(timeOuts, 2);
    }

    void startupTimeOutFollowsALowerSetting() {
        TUSBPanel l(nullptr, false);
        int fired = 0;
        l.SetOnTimeOut([&](tObject*) { ++fired; });
        QCOMPARE(l.TimeOutCountdown(), 300);
        l.SetTimeOut(10);
        for (int i = 0; i < 10; ++i)
            l.Tick();
        QCOMPARE(fired, 1);
    }

    void failedStatusMessages_data() {
        QTest::addColumn<uint>("status");
        QTest::addColumn<QString>("message");
        const QString context = QStringLiteral("Error Getting USB Device Count");
        QTest::newRow("1") << 1u << context + " - Invalid Handle...";
        QTest::newRow("2") << 2u << context + " - Device Not Found...";
        QTest::newRow("3") << 3u << context + " - Device Not Opened...";
        QTest::newRow("4") << 4u << context + " - General IO Error...";
        QTest::newRow("5") << 5u << context + " - Insufficient Resources...";
        QTest::newRow("6") << 6u << context + " - Invalid Parameter ...";
        QTest::newRow("15") << 15u << context + " - Unformatted device...";
        QTest::newRow("other") << 99u << context + " - Undefined Error 99";
    }

    void failedStatusMessages() {
        QFETCH(uint, status);
        QFETCH(QString, message);
        TUSBPanel& l = makeLink();
        QList<QPair<QString, bool>> calls;
        l.SetOnErr([&](tObject*, uint32_t s, const QString& text, bool& handled) {
            QCOMPARE(s, status);
            calls.append({text, handled});
        });
        sim->setStatus("FT_ListDevices", status);
        QCOMPARE(thrownBy([&] { l.Tick(); }), message);
        QCOMPARE(thrownBy([&] { l.Tick(); }), QString()); // the same kind is reported once per open
        QCOMPARE(calls.size(), 2);
        QCOMPARE(calls[1], qMakePair(QString(), true));
        // Opening empties the reported kinds: the count inside the open reports again.
        QCOMPARE(thrownBy([&] { l.Open(); }), message);
    }

    void errorStyles_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("handledByOnErr");
        QTest::addColumn<bool>("raises");
        QTest::addColumn<int>("boxes");
        QTest::newRow("raise") << int(esThrowErrors) << false << true << 0;
        QTest::newRow("pop up") << int(esPopUpErrors) << false << false << 1;
        QTest::newRow("hide") << int(esHideErrors) << false << false << 0;
        QTest::newRow("raise, handled") << int(esThrowErrors) << true << false << 0;
        QTest::newRow("pop up, handled") << int(esPopUpErrors) << true << false << 0;
    }

    void errorStyles() {
        QFETCH(int, style);
        QFETCH(bool, handledByOnErr);
        QFETCH(bool, raises);
        QFETCH(int, boxes);
        TUSBPanel& l = makeLink();
        l.Open();
        l.SetErrorStyle(tErrorStyle(style));
        l.SetOnErr([&](tObject*, uint32_t, const QString&, bool& handled) { handled = handledByOnErr; });
        sim->setStatus("FT_Write", 4);
        const QString error = thrownBy([&] { l.WriteText(QStringLiteral("B")); });
        QCOMPARE(!error.isEmpty(), raises);
        QCOMPARE(shown.size(), boxes);
        if (boxes)
            QCOMPARE(shown[0], qMakePair(MessageKind::Error,
                                         QStringLiteral("Error writing to USB port - General IO Error...")));
        // A raised report leaves the text for the next tick; otherwise the failed write emptied the buffer.
        QCOMPARE(l.PendingSendBytes(), raises ? 1 : 0);
        sim->setStatus("FT_Write", 0);
        ticks(1);
        QCOMPARE(sim->Written(), raises ? "B" : "");
    }

    void longTextIsSentCompletelyInPieces_data() {
        QTest::addColumn<int>("sendDelay");
        QTest::newRow("sent at once") << 0;
        QTest::newRow("held") << 2;
    }

    void longTextIsSentCompletelyInPieces() {
        QFETCH(int, sendDelay);
        sim->loadKeyword("none");
        TUSBPanel& l = makeLink();
        l.SetWriteBufferSize(16);
        l.Open();
        l.SetSendDelay(sendDelay);
        QByteArray text;
        for (int i = 0; i < 100; ++i)
            text.append(char('A' + i % 26));
        l.WriteText(latin1(text.left(40)));
        l.WriteText(latin1(text.mid(40)));
        ticks(sendDelay + 1);
        QCOMPARE(sim->Written(), text);
        QCOMPARE(l.PendingSendBytes(), 0);
    }

    void receivedBytesBeyondTheBuffer() {
        sim->loadKeyword("none");
        TUSBPanel& l = makeLink();
        l.SetReadBufferSize(4);
        QString taken;
        l.SetOnGetText([&](tObject*, const QString& t) { taken = t; });
        l.Open();
        sim->Inject(0, "0123456789");
        ticks(1);
        QCOMPARE(received, "0123456789"); // every byte reaches OnChar, one at a time
        QCOMPARE(l.ReadText(), QStringLiteral("0123"));
        QCOMPARE(taken, QStringLiteral("0123"));
        sim->Inject(0, "abcd");
        ticks(1);
        l.SetReadBufferSize(2); // shrinking keeps what fits
        QCOMPARE(l.ReadText(), QStringLiteral("ab"));
        QCOMPARE(l.ReadText(), QString());
    }

    void readRequestToEachDeviceType_data() {
        QTest::addColumn<QByteArray>("device");
        QTest::addColumn<QByteArrayList>("prefixes");
        QTest::addColumn<QByteArray>("userFrame");
        QTest::addColumn<QByteArrayList>("answer");
        const QByteArray ud = "UD1PT0BT11BT21BT31CO0BP10BP20BP30RF10RF20RF30TM0ID1IC000BV1GP000";
        QTest::newRow("staff") << QByteArray("staff") << QByteArrayList{"FD2 SW02A0 HW00T0", "UD1"} << ud
                               << QByteArrayList{"OK", ud};
        QTest::newRow("pendant") << QByteArray("pendant") << QByteArrayList{"FD2 SW02A0 HW00P0", "UD1"} << ud
                                 << QByteArrayList{"OK", ud};
        QTest::newRow("mpd call point") << QByteArray("mpd-call-point") << QByteArrayList{"PI000201"}
                                        << QByteArray("7F7F01") << QByteArrayList{"OK"};
        QTest::newRow("mpd monitor point") << QByteArray("mpd-monitor-point") << QByteArrayList{"PI000201"}
                                           << QByteArray("490802") << QByteArrayList{"OK"};
        QTest::newRow("mpd day/night") << QByteArray("mpd-day-night") << QByteArrayList{"PI000201"}
                                       << QByteArray("490803") << QByteArrayList{"OK"};
        QTest::newRow("relay") << QByteArray("relay") << QByteArrayList{"PI0101"} << QByteArray("28")
                               << QByteArrayList{"OK"};
        QTest::newRow("zone indicator") << QByteArray("zone-indicator") << QByteArrayList{"PI020201"}
                                        << QByteArray("0000242424242421C345") << QByteArrayList{"OK"};
        QTest::newRow("zx250") << QByteArray("zx250") << QByteArrayList{"PI0301"} << QByteArray("010203")
                               << QByteArrayList{"OK"};
    }

    void readRequestToEachDeviceType() {
        QFETCH(QByteArray, device);
        QFETCH(QByteArrayList, prefixes);
        QFETCH(QByteArray, userFrame);
        QFETCH(QByteArrayList, answer);
        QCOMPARE(sim->loadKeyword(device.constData()), 0);
        TUSBPanel& l = makeLink();
        l.Open();
        sendReadRequest();
        ticks(3);
        QList<ReceivedFrame> frames = SplitFrames(received);
        QCOMPARE(frames.size(), prefixes.size());
        for (int i = 0; i < frames.size(); ++i) {
            QVERIFY2(frames[i].payload.startsWith(prefixes[i]), frames[i].payload.constData());
            QVERIFY(frames[i].checkOk);
        }

        // Program: "B", then the user frame; the device stores it and acknowledges.
        received.clear();
        l.WriteText(QStringLiteral("B"));
        l.SetSendDelay(2);
        unsigned sum = 5;
        for (char c : userFrame)
            sum += uchar(c);
        l.WriteText(latin1('\x01' + userFrame + '\x04' + char(sum & 0xFF)));
        ticks(4);
        frames = SplitFrames(received);
        QCOMPARE(frames.size(), answer.size());
        for (int i = 0; i < frames.size(); ++i) {
            QCOMPARE(frames[i].payload, answer[i]);
            QVERIFY(frames[i].checkOk);
        }
        const bool transmitter = prefixes.size() == 2;
        QVERIFY(sim->Record(0, transmitter ? "ud" : "pi").endsWith(userFrame));
    }

    void injectedFaultsAreObservable_data() {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<int>("value");
        QTest::newRow("no answer") << QByteArray("no-answer") << 1;
        QTest::newRow("wrong check byte") << QByteArray("bad-check") << 1;
        QTest::newRow("garbage") << QByteArray("garbage") << 1;
        QTest::newRow("truncated") << QByteArray("truncate") << 1;
        QTest::newRow("UD before FD") << QByteArray("ud-before-fd") << 1;
        QTest::newRow("split across polls") << QByteArray("bytes-per-poll") << 7;
        QTest::newRow("reply delay") << QByteArray("reply-delay") << 2;
        QTest::newRow("unplugged mid-reply") << QByteArray("unplug-after") << 20;
    }

    void injectedFaultsAreObservable() {
        // Everything except an unplug runs without a single reported error.
        QFETCH(QByteArray, fault);
        QFETCH(int, value);
        TUSBPanel& l = makeLink();
        l.Open();
        QCOMPARE(sim->setFault(0, fault.constData(), value), 0);
        sendReadRequest();
        QStringList errors;
        auto tick = [&] {
            const QString e = thrownBy([&] { l.Tick(); });
            if (!e.isEmpty()) errors.append(e);
        };
        for (int i = 0; i < 3; ++i)
            tick();
        const QByteArray firstTick = received;
        for (int i = 0; i < 20; ++i)
            tick();
        const QList<ReceivedFrame> frames = SplitFrames(received);

        if (fault != "unplug-after") QVERIFY2(errors.isEmpty(), qPrintable(errors.join('\n')));
        if (fault == "no-answer") {
            QVERIFY(received.isEmpty());
            QCOMPARE(timeOuts, 1);
        } else if (fault == "bad-check") {
            QCOMPARE(frames.size(), 2);
            QVERIFY(!frames[0].checkOk && !frames[1].checkOk);
        } else if (fault == "garbage") {
            QVERIFY(!received.startsWith('\x01'));
            QCOMPARE(frames.size(), 2);
        } else if (fault == "truncate") {
            QVERIFY(!received.isEmpty());
            QVERIFY(!received.contains('\x04')); // no frame ever ends
        } else if (fault == "ud-before-fd") {
            QCOMPARE(frames.size(), 2);
            QVERIFY(frames[0].payload.startsWith("UD") && frames[1].payload.startsWith("FD"));
        } else if (fault == "bytes-per-poll") {
            QCOMPARE(firstTick.size(), value);
            QCOMPARE(frames.size(), 2);
        } else if (fault == "reply-delay") {
            QVERIFY(firstTick.isEmpty());
            QCOMPARE(frames.size(), 2);
        } else if (fault == "unplug-after") {
            QCOMPARE(received.size(), value);
            // The adapter vanished in the middle of the drain: one I/O error, then the count closes the link.
            QCOMPARE(errors, QStringList{"Error Reading from USB Port - General IO Error..."});
            QVERIFY(!l.Active());
            QCOMPARE(closes, 1);
        }
    }

    void replyDelayCountsPolls() {
        TUSBPanel& l = makeLink();
        l.Open();
        sim->setFault(0, "reply-delay", 2);
        sendReadRequest();
        ticks(4);
        QVERIFY(received.isEmpty());
        ticks(1);
        QCOMPARE(SplitFrames(received).size(), 2);
    }

    void pacedRepliesFollowTheClock() {
        sim->loadKeyword("relay");
        sim->setPacing(1);
        TUSBPanel& l = makeLink();
        l.Open();
        sendReadRequest();
        ticks(3);
        QVERIFY(received.isEmpty());
        sim->advanceClock(10 * 1042); // ten bytes at 9600 baud
        ticks(1);
        QCOMPARE(received.size(), 10);
        sim->advanceClock(1000000);
        ticks(1);
        QCOMPARE(SplitFrames(received).size(), 1);
    }

    void flowControlReachesTheAdapterOnlyWhenChangedWhileOpen() {
        TUSBPanel& l = makeLink();
        l.SetFlowControl(fcXON_XOFF);
        l.Open();
        QCOMPARE(sim->counter(0, "flow"), 0);
        l.SetXON(0x11 + 1);
        QCOMPARE(sim->counter(0, "flow"), int(fcXON_XOFF));
        QCOMPARE(sim->counter(0, "xon"), 0x12);
        l.SetFlowControl(fcRTS_CTS);
        QCOMPARE(sim->counter(0, "flow"), int(fcRTS_CTS));
        QCOMPARE(l.FlowControl(), fcRTS_CTS);
        sim->setStatus("FT_SetDataCharacteristics", 6);
        QCOMPARE(thrownBy([&] { l.SetParity(pEven); }), QStringLiteral("Unable to set USB parity"));
    }

    void descriptorPropertyRules() {
        TUSBPanel l(nullptr, false);
        l.SetVendorID(QStringLiteral("dbc0"));
        QCOMPARE(l.VendorID(), QStringLiteral("DBC0"));
        QVERIFY(!thrownBy([&] { l.SetProductID(QStringLiteral("xyz")); }).isEmpty());
        QCOMPARE(l.ProductID(), QStringLiteral("6001"));
        for (int bad : {0, 501})
            QCOMPARE(thrownBy([&] { l.SetMaxPower(bad); }),
                     QStringLiteral("USB Max power must lie in range 1-500"));
        l.SetMaxPower(1);
        l.SetMaxPower(500);
        QCOMPARE(l.MaxPower(), uint16_t(500));

        const QString longText(80, QLatin1Char('x'));
        l.SetManufacturer(longText);
        l.SetDescription(longText);
        l.SetSerialNo(longText);
        QCOMPARE(l.Manufacturer().size(), 50);
        QCOMPARE(l.Description().size(), 50); // reads stop at 50 characters
        QCOMPARE(int(qstrlen(l.ProgramDescriptor().Description)), 64);
        QCOMPARE(int(qstrlen(l.ProgramDescriptor().SerialNumber)), 52);
        l.SetManufacturer(QString::fromUtf8("Ärvel"));
        QCOMPARE(l.Manufacturer(), QString::fromUtf8("Ärvel")); // one byte per character, code kept
    }

    void baudRateMapping() {
        TUSBPanel l(nullptr, false);
        QCOMPARE(l.BaudRate(), br__9600);
        l.SetBaudRate(br115200);
        QCOMPARE(l.BaudRateBitsPerSecond(), 115200u);
        QCOMPARE(l.BaudRate(), br115200);
        l.SetBaudRate(TFTBaudRate(42)); // not a member: ignored
        QCOMPARE(l.BaudRate(), br115200);
    }
};

QTEST_GUILESS_MAIN(TestUSBPanel)
#include "tst_usbpanel.moc"
