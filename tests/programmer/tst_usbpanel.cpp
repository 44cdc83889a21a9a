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

QString latin1(const QByteArray& bytes) {
    return QString::fromLatin1(bytes);
}

// The text of the error a call raises, or nothing.
QString thrownBy(const std::function<void()>& f) {
    try {
        f();
    } catch (const EZcfgError& e) {
        return e.Message();
    }
    return {};
}

// The received stream in short: each frame by its first two letters ("!" after a wrong check byte),
// "?" for a run of bytes outside any frame.
QString shape(const QByteArray& bytes) {
    QStringList parts;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\x04', at);
        if (bytes[at] == '\x01' && end > 0 && end + 1 < bytes.size()) {
            const ReceivedFrame f = SplitFrames(bytes.mid(at, end + 2 - at)).first();
            parts << latin1(f.payload.left(2)) + (f.checkOk ? "" : "!");
            at = end + 2;
        } else {
            if (parts.isEmpty() || parts.last() != "?") parts << "?";
            const qsizetype next = bytes.indexOf('\x01', at + 1);
            at = next < 0 ? bytes.size() : next;
        }
    }
    return parts.join(' ');
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

    // The link after n more ticks: open or not, and the opens and closes seen so far.
    QString after(int n) {
        ticks(n);
        return QStringLiteral("%1, %2 opens, %3 closes")
            .arg(link->Active() ? "open" : "closed")
            .arg(opens)
            .arg(closes);
    }

    int timeOutsAfter(int n) {
        ticks(n);
        return timeOuts;
    }

    // Sends a read request the way the device transfers do: "B" at once, ENQ x5 two ticks later.
    void sendReadRequest() {
        link->WriteText(QStringLiteral("B"));
        link->SetSendDelay(2);
        link->WriteText(latin1(kEnquiry));
    }

private slots:
    void init() {
        qunsetenv("ZCFG_SIM");
        qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
        if (!sim) sim = std::make_unique<SimHarness>(QStringLiteral(ZCFG_SIM_LIBRARY));
        SetMessagePresenter([this](MessageKind kind, const QString& text) { shown.append({kind, text}); });
        sim->reset();
        received.clear();
        shown.clear();
        opens = closes = timeOuts = 0;
    }

    void cleanup() { link.reset(); }

    // Adapters as "serial/product" words; expected: the index that opens, -1 none.
    void opensTheConfiguredAdapter_data() {
        QTest::addColumn<QString>("adapters");
        QTest::addColumn<int>("method");
        QTest::addColumn<int>("deviceNo");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QString>("error");
        const int bySerial = omBySerialNo, byId = omByID, byDevice = omByDevice;
        QTest::newRow("serial: second matches") << "AV000002/DBC0 AV000001/DBC0" << bySerial << 0 << 1 << "";
        QTest::newRow("serial: letter case differs")
            << "av000001/DBC0" << bySerial << 0 << -1 << "Error opening by ID";
        QTest::newRow("serial: wrong product") << "AV000001/6001 AV000001/DBC0" << bySerial << 0 << 1 << "";
        QTest::newRow("id: lowest index wins") << "X1/DBC0 X2/DBC0" << byId << 0 << 0 << "";
        QTest::newRow("id: other product skipped") << "X1/6001 X2/DBC0" << byId << 0 << 1 << "";
        QTest::newRow("device: index taken as given") << "X1/6001 X2/6001" << byDevice << 1 << 1 << "";
        QTest::newRow("device: no such index")
            << "X1/DBC0" << byDevice << 3 << -1 << "Error Opening USB - Device Not Found...";
    }

    void opensTheConfiguredAdapter() {
        QFETCH(QString, adapters);
        QFETCH(int, method);
        QFETCH(int, deviceNo);
        QFETCH(int, expected);
        QFETCH(QString, error);
        sim->loadKeyword("absent");
        const QStringList words = adapters.split(' ');
        for (const QString& word : words) {
            const int i = sim->addAdapter("relay");
            sim->setIdentity(i, "serial", word.section('/', 0, 0).toLatin1().constData());
            sim->setIdentity(i, "product", word.section('/', 1).toLatin1().constData());
        }
        TUSBPanel& l = makeLink();
        l.SetOpenMethod(TUSB_OpenMethod(method));
        l.SetDeviceNo(deviceNo);
        // Opened afresh at every try; a failure is reported every time, in the style set.
        for (tErrorStyle style : {esThrowErrors, esThrowErrors, esPopUpErrors, esHideErrors}) {
            l.SetErrorStyle(style);
            QCOMPARE(thrownBy([&] { l.Open(); }), style == esThrowErrors ? error : QString());
        }
        QCOMPARE(shown.size(), error.isEmpty() ? 0 : 1);
        QCOMPARE(shown.value(0).second, error);
        QCOMPARE(l.Active(), expected >= 0);
        QCOMPARE(opens, expected >= 0 ? 4 : 0);
        for (int i = 0; i < words.size(); ++i)
            QCOMPARE(sim->counter(i, "open"), i == expected ? 1 : 0); // tried adapters were closed again
        if (expected < 0) return;
        QCOMPARE(l.DeviceNo(), expected);
        for (auto [setting, value] :
             {std::pair{"baud", 9600}, {"word-length", 8}, {"stop-bits", 0}, {"parity", 0}})
            QCOMPARE(sim->counter(expected, setting), value);
        if (method != omByDevice) // the descriptor read while scanning is what the link now shows
            QCOMPARE(l.SerialNo(), latin1(sim->Identity(expected, "serial")));
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
        QCOMPARE(l.DeviceCount() + l.PendingSendBytes() + opens, 0); // no adapter, nothing held, no open
        QCOMPARE(setText, QString());                                // a closed link takes no text
        QVERIFY(send.index != 1);
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
        if (!receives)
            QVERIFY(other.counter(0, "ee-read") == readsAfterOpen && other.counter(0, "pending") > 0);
        QCOMPARE(timeOuts, 0);
        QVERIFY(shown.isEmpty());
    }

    // events: how often OnBlankEEPROM and OnProgram fire; writes: EEPROM writes the adapter saw. A
    // blank adapter is programmed only once the owner, told which adapter it is, has said yes.
    void blankAdapterEEPROM_data() {
        QTest::addColumn<int>("method");
        QTest::addColumn<bool>("autoProgram");
        QTest::addColumn<int>("answer"); // -1: no handler, 0: no, 1: yes, 2: yes after the link ticked
        QTest::addColumn<int>("events");
        QTest::addColumn<int>("writes");
        QTest::newRow("left blank") << int(omBySerialNo) << false << 1 << 0 << 0;
        QTest::newRow("programmed when opened") << int(omBySerialNo) << true << 1 << 0 << 1;
        QTest::newRow("programmed while polling") << int(omByDevice) << true << 1 << 1 << 2;
        QTest::newRow("ticks while the user is asked") << int(omByDevice) << true << 2 << 1 << 2;
        QTest::newRow("refused when opened") << int(omBySerialNo) << true << 0 << 0 << 0;
        QTest::newRow("refused while polling") << int(omByDevice) << true << 0 << 0 << 0;
        QTest::newRow("nobody asked") << int(omBySerialNo) << true << -1 << 0 << 0;
    }

    void blankAdapterEEPROM() {
        QFETCH(int, method);
        QFETCH(bool, autoProgram);
        QFETCH(int, answer);
        QFETCH(int, events);
        QFETCH(int, writes);
        sim->setIdentity(0, "blank", "1");
        TUSBPanel& l = makeLink();
        l.SetOpenMethod(TUSB_OpenMethod(method));
        int blanks = 0, programs = 0;
        QStringList asked;
        l.SetOnBlankEEPROM([&](tObject*) { ++blanks; });
        l.SetOnProgram([&](tObject*) { ++programs; });
        if (answer >= 0)
            l.SetOnConfirmBlankAdapter([&](tObject*, const QString& adapter) {
                if (answer == 2) ticks(2); // as a message box's event loop does
                return asked << adapter, answer > 0;
            });
        const bool programmed = autoProgram && answer > 0;
        if (autoProgram)
            l.SetAutoProgram(true); // opens at once
        else
            QCOMPARE(thrownBy([&] { l.Open(); }), QStringLiteral("Error opening by ID"));
        QCOMPARE(l.Active(), programmed || (autoProgram && method == omByDevice));
        // An adapter left blank while open fails its polls, reported once; the owner is asked once.
        QStringList errors;
        for (int i = 0; i < 4; ++i)
            if (const QString error = thrownBy([&] { ticks(1); }); !error.isEmpty()) errors << error;
        QCOMPARE(errors.size(), programmed || !l.Active() ? 0 : 1);
        QCOMPARE(QList<int>({programs, sim->counter(0, "ee-program")}), QList<int>({events, writes}));
        QVERIFY(blanks >= events);
        QCOMPARE(asked, autoProgram && answer >= 0 ? QStringList{"the adapter at index 0"} : QStringList());
        QCOMPARE(sim->Identity(0, "blank"), programmed ? "0" : "1");
        if (!programmed) return;
        for (auto [field, value] :
             {std::pair{"serial", "AV000001"}, {"product", "DBC0"}, {"manufacturer", "Arvel"}})
            QCOMPARE(sim->Identity(0, field), value);
    }

    // An adapter the driver has lost closes the link before the failure is reported, so that Connect
    // opens it again without unplugging.
    void lostAdapterClosesTheLink() {
        TUSBPanel& l = makeLink();
        l.Open();
        sim->setStatus("FT_EE_Read", FT_IO_ERROR);
        QCOMPARE(thrownBy([&] { ticks(1); }),
                 QStringLiteral("Error Reading from USB Port - General IO Error..."));
        QCOMPARE(after(0), "closed, 1 opens, 1 closes");
        sim->setStatus("FT_EE_Read", FT_OK);
        l.Open();
        QCOMPARE(after(1), "open, 2 opens, 1 closes");
    }

    // With automatic open the link follows the adapters: it opens its adapter when plugged in, opens
    // afresh when a further adapter comes, and closes, reporting no failed call, when its adapter goes.
    void followsTheAdaptersPluggedIn() {
        const int other = sim->addAdapter("none");
        sim->setIdentity(other, "serial", "OTHER");
        sim->detach(0);
        sim->detach(other);
        TUSBPanel& l = makeLink();
        int errors = 0;
        l.SetOnErr([&](tObject*, uint32_t, const QString&, bool&) { ++errors; });
        FakeImage openImage;
        l.SetOpenImage(&openImage);
        l.SetAutoOpen(true);
        QCOMPARE(after(2), "closed, 0 opens, 0 closes");
        sim->attach(0);
        QCOMPARE(after(1), "open, 1 opens, 0 closes");
        QCOMPARE(openImage.index, 1);
        sim->attach(other);
        QCOMPARE(after(1), "open, 2 opens, 1 closes");
        QCOMPARE(l.DeviceNo(), 0);
        sim->detach(0); // another adapter remains
        QCOMPARE(after(1), "closed, 2 opens, 2 closes");
        QCOMPARE(openImage.index, 0);
        QCOMPARE(l.DeviceCount(), 1);
        sim->attach(0);
        QCOMPARE(after(1), "open, 3 opens, 2 closes");
        sim->detach(0); // the last adapter unplugged
        sim->detach(other);
        QCOMPARE(after(4), "closed, 3 opens, 3 closes");
        QCOMPARE(l.DeviceCount() + errors, 0); // no adapter left, and no failed call reported
    }

    // The buffer sizes bound the pieces, not the content: a long text goes out whole, and every
    // received byte reaches OnChar while ReadText gives what the read buffer holds.
    void bufferSizes() {
        sim->loadKeyword("none");
        TUSBPanel& l = makeLink();
        l.SetWriteBufferSize(16);
        l.SetReadBufferSize(4);
        QString taken;
        l.SetOnGetText([&](tObject*, const QString& t) { taken = t; });
        l.Open();
        const QByteArray text = QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ").repeated(4).left(100);
        l.WriteText(latin1(text.left(40)));
        l.WriteText(latin1(text.mid(40)));
        QCOMPARE(sim->Written(), text);
        QCOMPARE(l.PendingSendBytes(), 0);

        sim->Inject(0, "0123456789");
        ticks(1);
        QCOMPARE(received, "0123456789");
        QCOMPARE(l.ReadText(), QStringLiteral("0123"));
        QCOMPARE(taken, QStringLiteral("0123"));
        sim->Inject(0, "abcd");
        ticks(1);
        l.SetReadBufferSize(2); // shrinking keeps what fits
        QCOMPARE(l.ReadText(), QStringLiteral("ab"));
        QCOMPARE(l.ReadText(), QString());
    }

    void timeOutFiresOnceAfterTheLastByte() {
        TUSBPanel& l = makeLink();
        FakeImage rcv;
        l.SetRcvBufferImage(&rcv);
        QCOMPARE(rcv.index, 5);
        QCOMPARE(timeOutsAfter(10), 1); // the count from start-up follows the lower setting
        l.Open();
        sim->setFault(0, "no-answer", 1);
        sendReadRequest();
        QCOMPARE(timeOutsAfter(9), 1);
        QCOMPARE(timeOutsAfter(1), 2);
        QCOMPARE(rcv.index, 3);
        QCOMPARE(timeOutsAfter(30), 2);
        sim->Inject(0, "xyz"); // a received byte restarts the countdown, and that tick counts
        QCOMPARE(timeOutsAfter(9), 2);
        QCOMPARE(received, "xyz");
        QCOMPARE(timeOutsAfter(1), 3);
    }

    // A failed driver call: its message for each status, reported once per kind until the link opens
    // again, and raised, shown or kept quiet as the style says unless OnErr has handled it.
    void failedCallReports_data() {
        QTest::addColumn<uint>("status");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("style");
        QTest::addColumn<bool>("handledByOnErr");
        const std::pair<uint, const char*> statuses[] = {
            {1, "Invalid Handle..."},      {2, "Device Not Found..."},       {3, "Device Not Opened..."},
            {4, "General IO Error..."},    {5, "Insufficient Resources..."}, {6, "Invalid Parameter ..."},
            {15, "Unformatted device..."}, {99, "Undefined Error 99"}};
        for (const auto& [status, text] : statuses)
            QTest::newRow(text) << status << QString::fromLatin1(text) << int(esThrowErrors) << false;
        const QString io = QStringLiteral("General IO Error...");
        QTest::newRow("pop up") << 4u << io << int(esPopUpErrors) << false;
        QTest::newRow("hide") << 4u << io << int(esHideErrors) << false;
        QTest::newRow("raise, handled") << 4u << io << int(esThrowErrors) << true;
        QTest::newRow("pop up, handled") << 4u << io << int(esPopUpErrors) << true;
    }

    void failedCallReports() {
        QFETCH(uint, status);
        QFETCH(QString, suffix);
        QFETCH(int, style);
        QFETCH(bool, handledByOnErr);
        const bool raises = style == esThrowErrors && !handledByOnErr;
        const bool box = style == esPopUpErrors && !handledByOnErr;
        TUSBPanel& l = makeLink();
        l.SetErrorStyle(tErrorStyle(style));
        QList<QPair<QString, bool>> calls;
        l.SetOnErr([&](tObject*, uint32_t s, const QString& text, bool& handled) {
            QCOMPARE(s, status);
            calls.append({text, handled});
            handled = handled || handledByOnErr;
        });
        const QString count = "Error Getting USB Device Count - " + suffix;
        sim->setStatus("FT_ListDevices", status);
        QCOMPARE(thrownBy([&] { l.Tick(); }), raises ? count : QString());
        QCOMPARE(thrownBy([&] { l.Tick(); }), QString()); // the same kind is reported once per open
        QCOMPARE(calls, (QList<QPair<QString, bool>>{{count, false}, {QString(), true}}));
        QCOMPARE(shown.size(), box ? 1 : 0);
        QCOMPARE(shown.value(0),
                 (box ? qMakePair(MessageKind::Error, count) : QPair<MessageKind, QString>()));
        // Opening empties the reported kinds: the count inside the open reports again.
        if (raises) QCOMPARE(thrownBy([&] { l.Open(); }), count);

        sim->setStatus("FT_ListDevices", 0);
        l.Open();
        sim->setStatus("FT_Write", status);
        const QString write = "Error writing to USB port - " + suffix;
        QCOMPARE(thrownBy([&] { l.WriteText(QStringLiteral("B")); }), raises ? write : QString());
        QCOMPARE(shown.size(), box ? 2 : 0);
        if (box) QCOMPARE(shown[1].second, write);
        // A raised report leaves the text for the next tick; otherwise the failed write emptied the buffer.
        QCOMPARE(l.PendingSendBytes(), raises ? 1 : 0);
        sim->setStatus("FT_Write", 0);
        ticks(1);
        QCOMPARE(sim->Written(), raises ? "B" : "");
    }

    // Row names are the device keywords; identity: how the reply's first frame starts.
    void readRequestToEachDeviceType_data() {
        QTest::addColumn<QByteArray>("identity");
        QTest::addColumn<QByteArray>("userFrame");
        const QByteArray ud = "UD1PT0BT11BT21BT31CO0BP10BP20BP30RF10RF20RF30TM0ID1IC000BV1GP000";
        QTest::newRow("staff") << QByteArray("FD2 SW02A0 HW00T0") << ud;
        QTest::newRow("pendant") << QByteArray("FD2 SW02A0 HW00P0") << ud;
        QTest::newRow("mpd-call-point") << QByteArray("PI000201") << QByteArray("7F7F01");
        QTest::newRow("mpd-monitor-point") << QByteArray("PI000201") << QByteArray("490802");
        QTest::newRow("mpd-day-night") << QByteArray("PI000201") << QByteArray("490803");
        QTest::newRow("relay") << QByteArray("PI0101") << QByteArray("28");
        QTest::newRow("zone-indicator") << QByteArray("PI020201") << QByteArray("0000242424242421C345");
        QTest::newRow("zx250") << QByteArray("PI0301") << QByteArray("010203");
    }

    void readRequestToEachDeviceType() {
        QFETCH(QByteArray, identity);
        QFETCH(QByteArray, userFrame);
        const bool transmitter = identity.startsWith("FD"); // sends its user data after the identity
        auto payloads = [this] {                            // a frame with a wrong check byte shows as "?"
            QByteArrayList out;
            for (const ReceivedFrame& f : SplitFrames(received))
                out << (f.checkOk ? f.payload : "?");
            return out;
        };
        QCOMPARE(sim->loadKeyword(QTest::currentDataTag()), 0);
        TUSBPanel& l = makeLink();
        l.SetWriteBufferSize(2);
        l.Open();
        sendReadRequest(); // the held text leaves on the third tick, in pieces; receiving pauses meanwhile
        const int reads = sim->counter(0, "ee-read");
        ticks(2);
        QCOMPARE(sim->Written(), "B");
        QCOMPARE(sim->counter(0, "ee-read"), reads);
        QVERIFY(received.isEmpty());
        ticks(1);
        QCOMPARE(sim->Written(), "B" + kEnquiry);
        const QByteArrayList reply = payloads();
        QCOMPARE(reply.size(), transmitter ? 2 : 1);
        QVERIFY2(reply[0].startsWith(identity), reply[0].constData());
        if (transmitter) QVERIFY2(reply[1].startsWith("UD1"), reply[1].constData());

        // Program: "B", then the user frame; the device stores it and acknowledges.
        received.clear();
        l.WriteText(QStringLiteral("B"));
        l.SetSendDelay(2);
        unsigned sum = 5;
        for (char c : userFrame)
            sum += uchar(c);
        l.WriteText(latin1('\x01' + userFrame + '\x04' + char(sum & 0xFF)));
        ticks(4);
        QCOMPARE(payloads(), transmitter ? QByteArrayList({"OK", userFrame}) : QByteArrayList({"OK"}));
        QVERIFY(sim->Record(0, transmitter ? "ud" : "pi").endsWith(userFrame));
    }

    // Row names are the faults. stream: the whole reply in short (see shape); firstTick: the tick the
    // first byte came in (0: none), firstBytes: how many came then (-1: any); errors: those reported.
    void injectedFaultsAreObservable_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("stream");
        QTest::addColumn<int>("firstTick");
        QTest::addColumn<int>("firstBytes");
        QTest::addColumn<QString>("errors");
        QTest::newRow("no-answer") << 1 << "" << 0 << 0 << "";
        QTest::newRow("bad-check") << 1 << "FD! UD!" << 3 << -1 << "";
        QTest::newRow("garbage") << 1 << "? FD ? UD" << 3 << -1 << "";
        QTest::newRow("truncate") << 1 << "?" << 3 << -1 << "";
        QTest::newRow("ud-before-fd") << 1 << "UD FD" << 3 << -1 << "";
        QTest::newRow("bytes-per-poll") << 7 << "FD UD" << 3 << 7 << "";
        QTest::newRow("reply-delay") << 2 << "FD UD" << 5 << -1 << "";
        QTest::newRow("unplug-after")
            << 20 << "?" << 3 << 20 << "Error Reading from USB Port - General IO Error...";
    }

    void injectedFaultsAreObservable() {
        QFETCH(int, value);
        QFETCH(QString, stream);
        QFETCH(int, firstTick);
        QFETCH(int, firstBytes);
        QFETCH(QString, errors);
        const QByteArray fault = QTest::currentDataTag();
        TUSBPanel& l = makeLink();
        l.Open();
        QCOMPARE(sim->setFault(0, fault.constData(), value), 0);
        sendReadRequest();
        QStringList reported;
        int tick = 0;
        for (int t = 1; t <= 23; ++t) {
            const QString e = thrownBy([&] { l.Tick(); });
            if (!e.isEmpty()) reported.append(e);
            if (!tick && !received.isEmpty()) {
                tick = t;
                if (firstBytes >= 0) QCOMPARE(received.size(), firstBytes);
            }
        }
        QCOMPARE(tick, firstTick);
        QCOMPARE(shape(received), stream);
        if (received.isEmpty()) QCOMPARE(timeOuts, 1);
        QCOMPARE(reported.join('\n'), errors);
        // An adapter that vanished in the middle of the drain gives one I/O error, then the count closes the
        // link.
        QCOMPARE(closes, errors.isEmpty() ? 0 : 1);
        if (!errors.isEmpty()) QCOMPARE(received.size(), value);
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

    // Line settings reach the open adapter when they change; opening sets the line but not the flow control.
    void lineSettingsReachTheOpenAdapter() {
        TUSBPanel& l = makeLink();
        l.SetFlowControl(fcXON_XOFF);
        l.Open();
        QCOMPARE(sim->counter(0, "flow"), 0);
        l.SetXON(0x11 + 1);
        QCOMPARE(sim->counter(0, "flow"), int(fcXON_XOFF));
        QCOMPARE(sim->counter(0, "xon"), 0x12);
        l.SetFlowControl(fcRTS_CTS);
        QCOMPARE(sim->counter(0, "flow"), int(fcRTS_CTS));
        l.SetBaudRate(br115200);
        l.SetBaudRate(TFTBaudRate(42)); // not a member: ignored
        QCOMPARE(sim->counter(0, "baud"), 115200);
        QCOMPARE(l.BaudRate(), br115200);
        sim->setStatus("FT_SetDataCharacteristics", 6);
        QCOMPARE(thrownBy([&] { l.SetParity(pEven); }), QStringLiteral("Unable to set USB parity"));
        // A rate the adapter refuses is reported, and an adapter that cannot take it is not left open.
        sim->setStatus("FT_SetDataCharacteristics", 0);
        sim->setStatus("FT_SetBaudRate", 4);
        QCOMPARE(thrownBy([&] { l.SetBaudRate(br__9600); }),
                 QStringLiteral("Error Setting Baud Rate - General IO Error..."));
        l.Close();
        QVERIFY(!thrownBy([&] { l.Open(); }).isEmpty());
        QVERIFY(!l.Active());
    }

    void descriptorPropertyRules() {
        TUSBPanel l(nullptr, false);
        l.SetVendorID(QStringLiteral("dbc0"));
        QCOMPARE(l.VendorID(), QStringLiteral("DBC0"));
        QVERIFY(!thrownBy([&] { l.SetProductID(QStringLiteral("xyz")); }).isEmpty());
        QCOMPARE(l.ProductID(), QStringLiteral("6001")); // a refused value leaves the one before
        const QString outOfRange = QStringLiteral("USB Max power must lie in range 1-500");
        for (int milliamps : {0, 1, 500, 501})
            QCOMPARE(thrownBy([&] { l.SetMaxPower(milliamps); }),
                     milliamps == 0 || milliamps == 501 ? outOfRange : QString());
        QCOMPARE(l.MaxPower(), uint16_t(500));

        const QString longText(80, QLatin1Char('x'));
        l.SetManufacturer(longText);
        l.SetDescription(longText);
        QCOMPARE(l.Description().size(), 50);                          // reads stop at 50 characters
        QCOMPARE(int(qstrlen(l.ProgramDescriptor().Description)), 64); // stored as far as it fits
        l.SetManufacturer(QString::fromUtf8("Ärvel"));
        QCOMPARE(l.Manufacturer(), QString::fromUtf8("Ärvel")); // one byte per character, code kept
    }
};

QTEST_GUILESS_MAIN(TestUSBPanel)
#include "tst_usbpanel.moc"
