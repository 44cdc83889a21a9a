// Device transfers end to end: the configuration document, the programmer link, the real driver
// binding and the simulated adapter with its virtual devices. Time advances only by link ticks.

#include "TransferFixture.h"
#include "device/DeviceTypeTable.h"

#include <QTest>
#include <typeinfo>

using namespace TransferText;

namespace {
const QByteArray enquiry(5, '\x05');
const QByteArray relayRecord = "PI010102ABCDEFGHIJKLMNOP050328";
const char* const zoneIndicatorRecord = "PI020201ZENTARA-SIM-000101010000242424242421C345";
const int staff = dt_Staff_Transmitter, pendant = dt_Pendant_Transmitter, relayOutput = dt_Relay_Output;

bool isTransmitter(int type) {
    return type == staff || type == pendant;
}

// Values of its own, apart from the defaults of the device and of a new document: a read that
// touches them shows, and programming has something to send.
void editDocument(tZCfgFile& doc) {
    const int type = doc.GetDeviceType();
    doc.Comments()->SetValueText(QStringLiteral("prepared for ward 7"));
    if (isTransmitter(type)) {
        tIRRFDevice* t = doc.AsIRRFDevice();
        t->FactoryRecord()->WO()->SetValueText(QStringLiteral("424242"));
        t->UserRecord()->ID()->SetAsInteger(77);
        t->UserRecord()->TransmitMode()->SetAsEnum(tm_Auto_Stop);
        t->UserRecord()->Button(2)->BeeperSounds()->SetAsBoolean(true);
    } else if (type == dt_Relay_Output) {
        doc.AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
        doc.AsRelayOutput()->ActiveInEmergency()->SetAsBoolean(true);
    } else if (type == dt_Zone_Indicator) {
        doc.AsZonalIndicator()->ModeData(1)->Tone()->SetAsEnum(zt_Ding_Dong);
    } else if (type == dt_ZX250_Call_Point) {
        doc.AsCallPoint250()->UserData()->BeeperEnabled()->SetAsBoolean(true);
    } else {
        doc.AsMPD()->UserData()->DayNightSwitchLEDLit()->SetAsEnum(dn_Day);
    }
}
} // namespace

class TestTransfers : public QObject {
    Q_OBJECT

    TransferFixture f;

private slots:
    void initTestCase() { f.setUp(); }
    void cleanupTestCase() { f.tearDown(); }
    void cleanup() { f.finish(); }

    void relayReadAndProgramBackByteForByte() {
        f.connect("relay");
        f.sim->setRecord(0, "pi", relayRecord.constData());
        tZCfgFile& doc = f.makeDocument(dt_Staff_Transmitter);

        f.start(&tZCfgFile::StartRead);
        QCOMPARE(f.sim->Written(), QByteArray("B")); // the wake-up goes out at once
        f.tick(2);
        QCOMPARE(f.sim->Written(), QByteArray("B")); // the delay counts 2, 1
        QVERIFY(f.results.isEmpty());
        f.tick();
        QCOMPARE(f.sim->Written(), "B" + enquiry);
        QCOMPARE(f.monitored, '\x01' + relayRecord + "\x04\x7C"); // the serial monitor saw every byte
        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        QCOMPARE(f.results, (QList<ShownResult>{{DataTransferred, true}}));
        QCOMPARE(f.errors + f.warnings, QStringList());
        QCOMPARE(doc.GetDeviceType(), uint8_t(dt_Relay_Output));
        tRelayOutput* relay = doc.AsRelayOutput();
        const bool expected[tRelayOutput::ConditionCount] = {false, false, false, true, false, true};
        for (int bit = 0; bit < tRelayOutput::ConditionCount; ++bit)
            QCOMPARE(relay->Condition(bit)->AsBoolean(), expected[bit]);
        QVERIFY(relay->ActiveInPresence()->AsBoolean() && relay->ActiveInAttack()->AsBoolean());

        // Programming it back: identify, the user frame three ticks after its wake-up, verify.
        f.results.clear();
        f.sim->clearWritten(0);
        f.start(&tZCfgFile::StartProgram);
        f.tick(3);
        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsProgramSent));
        QCOMPARE(f.sim->Written(), "B" + enquiry + "B");
        f.tick(2);
        QCOMPARE(f.sim->Written(), "B" + enquiry + "B");
        f.tick();
        const QByteArray userFrame("\x01\x32\x38\x04\x6F");
        QVERIFY(f.sim->Written().startsWith("B" + enquiry + "B" + userFrame));
        f.runUntilIdle();
        QCOMPARE(f.sim->Written(), "B" + enquiry + "B" + userFrame + "B" + enquiry);
        QCOMPARE(f.results, (QList<ShownResult>{{TransferredAndVerified, true}}));
        QVERIFY(f.errors.isEmpty());
        QCOMPARE(f.sim->Record(0, "pi"), relayRecord);
    }

    // Reads of every device type, from a document of another class so that the read has to replace the
    // device object.
    void readsEveryDeviceType_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("record"); // the wired device's reply; empty: as the device comes
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("fault");
        const auto row = [](const char* name, int type, const char* keyword, const char* record, int start,
                            const char* fault = "") {
            QTest::newRow(name) << type << keyword << record << start << fault;
        };
        // The MPD mode is in the low bits of the second byte.
        const char* const records[] = {"",
                                       "",
                                       "",
                                       "PI000201ZENTARA-SIM-0001A2077B5C01",
                                       "PI000201ZENTARA-SIM-00010101490A00",
                                       "PI000201ZENTARA-SIM-00010101490B01",
                                       "PI010103ZENTARA-SIM-0002FE123F",
                                       "PI020201ZENTARA-SIM-00031009400428180820081B2C3D",
                                       "PI030101ZENTARA-SIM-00040B0C134202"};
        for (const tDeviceTypeInfo& info : DeviceTypes())
            row(info.ModelName, info.Type, info.Keyword, records[info.Type],
                isTransmitter(info.Type) ? relayOutput : staff);
        row("staff, user record first", staff, "staff", "", relayOutput, "ud-before-fd");
        row("pendant, user record first", pendant, "pendant", "", relayOutput, "ud-before-fd");
        // The simulated MPD units as they come read as the mode they are set to.
        row("MPD monitor point as it comes", dt_MPD_Monitor_Point, "mpd-monitor-point", "",
            dt_MPD_Call_Point);
        row("MPD day/night switch as it comes", dt_MPDDayNightSwitch, "mpd-day-night", "", dt_MPD_Call_Point);
    }
    void readsEveryDeviceType() {
        QFETCH(int, type);
        QFETCH(QString, keyword);
        QFETCH(QString, record);
        QFETCH(int, start);
        QFETCH(QString, fault);
        f.connect(qPrintable(keyword));
        if (!record.isEmpty()) f.sim->setRecord(0, "pi", qPrintable(record));
        if (!fault.isEmpty()) QCOMPARE(f.sim->setFault(0, qPrintable(fault), 1), 0);
        tZCfgFile& doc = f.makeDocument(uint8_t(start));
        editDocument(doc);
        f.undo->Clear();
        const tLines before = doc.ToLines();
        const tConfiguratorDevice* startDevice = doc.Device();
        const std::type_info& startClass = typeid(*startDevice);

        f.start(&tZCfgFile::StartRead);
        f.runUntilIdle();

        QCOMPARE(f.results, (QList<ShownResult>{{DataTransferred, true}}));
        QCOMPARE(f.errors + f.warnings, QStringList());
        QCOMPARE(int(doc.GetDeviceType()), type);
        QCOMPARE(doc.GetComboMode(), uint8_t(tZCfgFile::ConfigurationMode));
        // Nothing shows before the last record is in, and the read is over with it.
        QCOMPARE(f.afterFrames.size(), isTransmitter(type) ? 2 : 1);
        QCOMPARE(f.afterFrames.last().state, uint8_t(tZCfgFile::tsIdle));
        if (isTransmitter(type)) {
            const FrameSnapshot first = f.afterFrames.first();
            QCOMPARE(first.state, uint8_t(tZCfgFile::tsReading));
            QCOMPARE(first.results + first.errors + first.warnings, 0);
            tIRRFDevice* t = doc.AsIRRFDevice();
            QCOMPARE(t->FactoryRecord()->GetRecordText(), QString::fromLatin1(f.sim->Record(0, "fd")));
            QCOMPARE(t->UserRecord()->GetRecordText(), QString::fromLatin1(f.sim->Record(0, "ud")));
            QCOMPARE(t->TransmitterKind(),
                     type == pendant ? int(tIRRFDevice::Pendant) : int(tIRRFDevice::Staff));
        } else {
            const QByteArray pi = f.sim->Record(0, "pi");
            tOtherDevice* wired = doc.AsOtherDevice();
            QCOMPARE(wired->Version()->Value(), QString::fromLatin1(pi.mid(4, 4)));
            QCOMPARE(wired->FactoryString()->Value(), QString::fromLatin1(pi.mid(8, 16)));
            QCOMPARE(wired->NodeAddress()->AsInteger(), pi.mid(24, 2).toInt(nullptr, 16));
            QCOMPARE(wired->ZoneGroupAddress()->AsInteger(), pi.mid(26, 2).toInt(nullptr, 16));
            // What the document would send back is what the device holds.
            QCOMPARE(payloadOf(wired->ComposeUserFrame()), QString::fromLatin1(pi.mid(28)));
        }

        // The whole read is one undo step, the replaced device object included; redo brings it back.
        const tLines read = doc.ToLines();
        f.undo->Undo();
        QVERIFY(!f.undo->CanUndo());
        QCOMPARE(doc.ToLines(), before);
        const tConfiguratorDevice* restored = doc.Device();
        QVERIFY(typeid(*restored) == startClass);
        f.undo->Redo();
        QCOMPARE(doc.ToLines(), read);
        f.undo->Undo();
        QCOMPARE(doc.ToLines(), before);
    }

    // Programming and factory programming: every device type programmed and verified, a verification
    // that finds the device keeping (or reporting back) something other than what was sent, and the
    // checks made before anything is sent. A device of another type, or a transmitter whose firmware
    // lacks a button's function, is refused with a message and left alone.
    void programsVerifiesAndRefuses_data() {
        QTest::addColumn<bool>("factory"); // factory programming rather than programming
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("factoryRecord"); // the transmitter's; empty: as it comes
        QTest::addColumn<int>("button");            // 0: none set, the document edited as for a read
        QTest::addColumn<int>("buttonType");
        QTest::addColumn<bool>("answersWrong");
        QTest::addColumn<QString>("message"); // the refusal; empty: programmed

        const auto row = [](const QString& name, bool factory, int type, const char* keyword,
                            const QString& fd, int button, int buttonType, bool wrong,
                            const QString& message) {
            QTest::newRow(qPrintable(name))
                << factory << type << keyword << fd << button << buttonType << wrong << message;
        };
        for (const tDeviceTypeInfo& info : DeviceTypes()) {
            const QString name = QLatin1String(info.ModelName);
            row(name, false, info.Type, info.Keyword, {}, 0, 0, false, {});
            row(name + QLatin1String(", answering wrong"), false, info.Type, info.Keyword, {}, 0, 0, true,
                {});
        }
        const auto attached = [&](const char* name, bool factory, int type, const char* keyword,
                                  const QString& message = {}) {
            row(name, factory, type, keyword, {}, 0, 0, false, message);
        };
        attached("factory: staff transmitter", true, staff, "staff");
        attached("factory: pendant", true, pendant, "pendant");
        attached("factory: transmitter document, relay attached", true, staff, "relay", WrongTypeProgramming);
        attached("factory: relay document, staff transmitter attached", true, relayOutput, "staff",
                 WrongTypeProgramming);
        attached("factory: relay document, relay attached", true, relayOutput, "relay",
                 QStringLiteral("Error - Device not suitable for configuring with factory data"));
        attached("pendant document, staff transmitter attached", false, pendant, "staff",
                 WrongTypeConfiguration);

        // The button checks, the document prepared for current firmware that allows every function.
        const auto button = [&](const char* name, int type, int n, int callType, const QString& fd,
                                const char* lacking = nullptr) {
            const QString message =
                lacking ? QStringLiteral("Device Attached does not support %1 function. Transfer Aborted")
                              .arg(QLatin1String(lacking))
                        : QString();
            row(name, false, type, type == pendant ? "pendant" : "staff", fd, n, callType, false, message);
        };
        const auto fd = [](const char* head, const char* flags = "") {
            return QStringLiteral("%1 W/O 000001 Date 01/02/09 CC003 %2CN Arvel")
                .arg(QLatin1String(head), QLatin1String(flags));
        };
        const QString staffOld = fd("FD1 SW0199 HW00T0"), pendantOld = fd("FD1 SW0199 HW00P0");
        const QString staffFd1 = fd("FD1 SW02A0 HW00T0");
        button("old staff firmware, attendance", staff, 1, irrf_Attendance, staffOld, "Attendance");
        button("old staff firmware, attack", staff, 2, irrf_Attack, staffOld);
        button("old pendant firmware, attack", pendant, 2, irrf_Attack, pendantOld, "Attack");
        button("old pendant firmware, emergency", pendant, 2, irrf_Emergency, pendantOld, "Emergency");
        button("old pendant firmware, attendance", pendant, 2, irrf_Attendance, pendantOld, "Attendance");
        button("old pendant firmware, help required", pendant, 2, irrf_Help_Required, pendantOld);
        button("SF without attack", staff, 2, irrf_Attack, fd("FD2 SW02A0 HW00T0", "SF006 "), "Attack");
        button("SF without emergency", staff, 3, irrf_Emergency, fd("FD2 SW02A0 HW00T0", "SF005 "),
               "Emergency");
        button("SF without attendance", staff, 1, irrf_Attendance, fd("FD2 SW02A0 HW00T0", "SF003 "),
               "Attendance");
        button("pendant, SF 001, attack", pendant, 2, irrf_Attack, fd("FD2 SW02A0 HW00P0", "SF001 "));
        button("pendant, SF 001, emergency", pendant, 2, irrf_Emergency, fd("FD2 SW02A0 HW00P0", "SF001 "),
               "Emergency");
        button("FD 1, SW 02A0: attendance", staff, 1, irrf_Attendance, staffFd1);
        button("FD 1, SW 02A0: emergency", staff, 3, irrf_Emergency, staffFd1);
        button("FD 1, SW 02A0: attack", staff, 2, irrf_Attack, staffFd1);
        button("FD 1, SW 02A0: pendant attendance", pendant, 2, irrf_Attendance, fd("FD1 SW02A0 HW00P0"));
    }
    void programsVerifiesAndRefuses() {
        QFETCH(bool, factory);
        QFETCH(int, type);
        QFETCH(QString, keyword);
        QFETCH(QString, factoryRecord);
        QFETCH(int, button);
        QFETCH(int, buttonType);
        QFETCH(bool, answersWrong);
        QFETCH(QString, message);
        f.connect(qPrintable(keyword));
        if (!factoryRecord.isEmpty()) f.sim->setRecord(0, "fd", qPrintable(factoryRecord));
        tZCfgFile& doc = f.makeDocument(uint8_t(type));
        if (!button) editDocument(doc);
        tIRRFFactoryRecord* fd = isTransmitter(type) ? doc.AsIRRFDevice()->FactoryRecord() : nullptr;
        if (button) {
            fd->FD()->SetAsInteger(2);
            fd->SW()->SetValueText(QStringLiteral("02A0"));
            for (tIRSpecialFlags flag : {sf_Allow_Attack, sf_Allow_Emergency, sf_Allow_Attendance})
                fd->SF()->SetFlag(flag, true);
            doc.AsIRRFDevice()->UserRecord()->Button(button)->ButtonType()->SetAsInteger(buttonType);
        } else if (fd && factory) {
            fd->WO()->SetValueText(QStringLiteral("123456"));
            fd->Date()->SetValueText(QStringLiteral("02/03/10"));
            fd->CC()->SetAsInteger(7);
            fd->FD()->SetAsInteger(2);
            fd->SW()->SetValueText(QStringLiteral("02B0"));
        }
        const tLines before = doc.ToLines();
        const tConfiguratorDevice* device = doc.Device();

        f.start(factory ? &tZCfgFile::StartFactoryProgram : &tZCfgFile::StartProgram);
        if (answersWrong && fd) {
            // The transmitter takes the frame but the answer is ours: the record it reports has the
            // battery-status flag flipped.
            QVERIFY(f.runUntilState(tZCfgFile::tsProgramSent));
            f.sim->setFault(0, "no-answer", 1);
            for (int n = 0; n < 10 && f.sim->counter(0, "frames-accepted") == 0; ++n)
                f.tick();
            QByteArray reported = f.sim->Record(0, "ud");
            const qsizetype bv = reported.indexOf("BV") + 2;
            QVERIFY(bv > 2);
            reported[bv] = reported[bv] == '1' ? '0' : '1';
            f.sim->Inject(0, frameBytes("OK") + frameBytes(reported));
        } else if (answersWrong) {
            // The wired device stores another last digit (its lowest bit flipped) than it was sent.
            QVERIFY(f.runUntilState(tZCfgFile::tsWiredVerify));
            QByteArray pi = f.sim->Record(0, "pi");
            pi.back() = QByteArray::number(QByteArray(1, pi.back()).toInt(nullptr, 16) ^ 1, 16).toUpper()[0];
            f.sim->setRecord(0, "pi", pi.constData());
        }
        f.runUntilIdle();
        f.tick(15);

        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        if (!message.isEmpty()) {
            QCOMPARE(f.errors, QStringList{message});
            QVERIFY(f.results.isEmpty());
            QCOMPARE(f.sim->Written(), "B" + enquiry); // identified only: no frame was sent
            QCOMPARE(f.sim->counter(0, "frames-accepted"), 0);
            QCOMPARE(doc.Device(), device);
            QCOMPARE(doc.ToLines(), before);
            return;
        }
        QCOMPARE(f.errors, QStringList());
        QCOMPARE(f.sim->counter(0, "frames-accepted"), factory ? 2 : 1);
        if (answersWrong) {
            QCOMPARE(f.results, (QList<ShownResult>{{TransferredButErrors, false}}));
            return;
        }
        QCOMPARE(f.results, (QList<ShownResult>{{TransferredAndVerified, true}}));
        QCOMPARE(int(doc.GetDeviceType()), type);
        if (isTransmitter(type)) {
            // The document took over the transmitter's factory data while identifying it.
            tIRRFDevice* t = doc.AsIRRFDevice();
            QCOMPARE(t->FactoryRecord()->GetRecordText(), QString::fromLatin1(f.sim->Record(0, "fd")));
            QCOMPARE(t->UserRecord()->GetRecordText(), QString::fromLatin1(f.sim->Record(0, "ud")));
        } else {
            QCOMPARE(payloadOf(doc.Device()->ComposeUserFrame()),
                     QString::fromLatin1(f.sim->Record(0, "pi").mid(28)));
        }
        if (factory) { // the factory frame, then the user frame
            const QList<ReceivedFrame> sent = SplitFrames(f.sim->Written());
            QVERIFY(sent.size() == 2 && sent[0].payload.startsWith("FD") && sent[1].payload.startsWith("UD"));
            QVERIFY(f.sim->Record(0, "fd").contains(" W/O 123456 Date 02/03/10 CC007"));
        }
    }

    // A verification passes only on the device's own record, read back whole: anything else the
    // device sends instead is a difference, and the document is never changed by it.
    void verificationPassesOnlyOnTheDevicesOwnRecord_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("instead"); // what the device answers after taking the frame
        QTest::addColumn<bool>("verified");
        for (const tDeviceTypeInfo& info : DeviceTypes()) {
            const QString name = QLatin1String(info.ModelName);
            const auto row = [&](const char* what, const char* instead, bool verified = false) {
                QTest::newRow(qPrintable(name + QLatin1String(": ") + QLatin1String(what)))
                    << int(info.Type) << QString::fromLatin1(instead) << verified;
            };
            row("started again while running", "restart", true);
            row("an extra OK", "OK");
            row("an unknown record", "XY0102");
            row("another class's record",
                info.Type == dt_Relay_Output ? zoneIndicatorRecord : relayRecord.constData());
            if (info.Class == tDeviceClass::MPD) row("another mode", "mode");
        }
    }
    void verificationPassesOnlyOnTheDevicesOwnRecord() {
        QFETCH(int, type);
        QFETCH(QString, instead);
        QFETCH(bool, verified);
        const char* keyword = DeviceTypeInfo(uint8_t(type)).Keyword;
        f.connect(keyword);
        tZCfgFile& doc = f.makeDocument(uint8_t(type));
        editDocument(doc);
        if (isTransmitter(type)) // the factory record the Program takes over is the one it holds
            doc.AsIRRFDevice()->FactoryRecord()->SetRecordText(
                QString::fromLatin1(f.sim->Record(0, "fd").mid(2)));
        f.undo->Clear();
        const tLines before = doc.ToLines();
        doc.SetModified(true); // writing the lines cleared it; a verification must not
        const tConfiguratorDevice* device = doc.Device();

        f.start(&tZCfgFile::StartProgram);
        if (instead == QLatin1String("restart")) {
            f.tick();
            f.start(&tZCfgFile::StartProgram);
        } else {
            QVERIFY(f.runUntilState(tZCfgFile::tsProgramSent));
            f.sim->setFault(0, "no-answer", 1);
            for (int n = 0; n < 10 && f.sim->counter(0, "frames-accepted") == 0; ++n)
                f.tick();
            QByteArray answer = instead.toLatin1();
            if (instead == QLatin1String("mode")) { // the same unit, its mode bits another mode's
                answer = f.sim->Record(0, "pi");
                answer[31] = answer[31] == '8' ? 'A' : '8';
            }
            f.sim->Inject(0, frameBytes("OK") + frameBytes(answer));
        }
        f.runUntilIdle();
        f.tick(15);

        QCOMPARE(f.errors, QStringList());
        QCOMPARE(f.results,
                 (QList<ShownResult>{{verified ? TransferredAndVerified : TransferredButErrors, verified}}));
        QCOMPARE(doc.LastOutcome().Differences.isEmpty(), verified);
        QCOMPARE(doc.Device(), device);
        QVERIFY(doc.Modified());
        QCOMPARE(doc.ToLines(), before);
        QVERIFY2(!f.undo->CanUndo(), "a verification changed the document");
    }

    // A transmitter's factory record is taken into the document only once the device has taken the
    // new user record and sent it back: a Program that ends before leaves the document as it was.
    void aFailedProgramLeavesTheFactoryRecord_data() {
        QTest::addColumn<bool>("cancel"); // cancelled after the frame went out, else no answer to it
        QTest::newRow("no answer to the frame") << false;
        QTest::newRow("cancelled after the frame") << true;
    }
    void aFailedProgramLeavesTheFactoryRecord() {
        QFETCH(bool, cancel);
        f.connect("staff");
        tZCfgFile& doc = f.makeDocument(dt_Staff_Transmitter);
        editDocument(doc); // a works order of its own
        const tLines before = doc.ToLines();
        f.start(&tZCfgFile::StartProgram);
        QVERIFY(f.runUntilState(tZCfgFile::tsProgramSent));
        f.sim->setFault(0, "no-answer", 1);
        for (int n = 0; n < 10 && f.sim->counter(0, "frames-accepted") == 0; ++n)
            f.tick();
        if (cancel) QVERIFY(doc.CancelTransfer());
        f.runUntilIdle();
        QCOMPARE(f.errors, cancel ? QStringList() : QStringList{CannotFindDevice});
        QCOMPARE(doc.LastOutcome().DeviceWritten, true);
        QCOMPARE(doc.ToLines(), before);
    }

    // No device: the time-out reports it once, ten ticks after the request. Ticks keep arriving while a
    // message box shows; the document must neither report the missing device from inside the box nor
    // report it twice.
    void noDeviceReportsOnceTenTicksAfterTheRequest() {
        f.connect("none");
        tZCfgFile& doc = f.makeDocument(dt_Relay_Output);
        f.start(&tZCfgFile::StartRead); // the request is handed to the link here
        int ticks = 0;
        for (; f.errors.isEmpty() && ticks < 50; ++ticks) {
            if (ticks == 3) QCOMPARE(f.sim->Written(), "B" + enquiry);
            f.tick();
        }
        QCOMPARE(ticks, 10);
        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        f.tick(40);
        QCOMPARE(f.errors, QStringList{CannotFindDevice}); // once only
        QVERIFY(f.results.isEmpty());
        f.errors.clear();

        f.whileShowing = [this](MessageKind, const QString& text) {
            if (text == QLatin1String("another box")) f.tick(20);
        };
        f.start(&tZCfgFile::StartRead);
        f.tick(5);
        ShowWarning(QStringLiteral("another box"));
        QCOMPARE(f.errors, QStringList());
        QVERIFY(!MessageShowing());
        // Once the box is closed the transfer still waits, so the time-out runs again.
        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsReading));
        f.tick(10);
        QCOMPARE(f.errors, QStringList{CannotFindDevice});
        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        f.errors.clear();

        // The same with the time-out's own box: ticks inside it must not show it again.
        f.whileShowing = [this](MessageKind, const QString&) {
            QVERIFY(MessageShowing());
            f.tick(20);
        };
        f.start(&tZCfgFile::StartRead);
        f.tick(20);
        QCOMPARE(f.errors, QStringList{CannotFindDevice});
        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
    }

    // Faults of the link, of the adapter and of the device. Whatever happens, the transfer ends idle
    // with its message, and one undo step brings back every value of the document.
    void faultsEndIdleAndOneUndoRestores_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("fault"); // a simulator fault, "status:<entry point>" or "record:<which>"
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("error");   // the last error shown (empty: none)
        QTest::addColumn<QString>("warning"); // a warning shown (empty: none)
        QTest::addColumn<QString>("result");  // the result shown (empty: none)

        enum Shown { Error, Warning, Result };
        const auto row = [](const char* name, const char* keyword, int start, const char* fault,
                            const char* value, Shown kind, const QString& text) {
            QTest::newRow(name) << keyword << start << fault << value << (kind == Error ? text : QString())
                                << (kind == Warning ? text : QString())
                                << (kind == Result ? text : QString());
        };
        const QString lost = CannotFindDevice, read = DataTransferred;
        row("relay: no answer", "relay", staff, "no-answer", "1", Error, lost);
        row("staff: no answer", "staff", relayOutput, "no-answer", "1", Error, lost);
        row("relay: wrong check byte", "relay", staff, "bad-check", "1", Error, CorruptData);
        row("staff: wrong check byte", "staff", relayOutput, "bad-check", "1", Error, CorruptData);
        row("pendant: wrong check byte, user record first", "pendant", staff, "bad-check+ud-before-fd", "1",
            Error, CorruptData);
        row("relay: garbage before the frame", "relay", staff, "garbage", "1", Result, read);
        row("staff: garbage before each frame", "staff", relayOutput, "garbage", "1", Result, read);
        row("relay: truncated frame", "relay", staff, "truncate", "1", Error, lost);
        row("staff: truncated frames", "staff", relayOutput, "truncate", "1", Error, lost);
        row("relay: three bytes per poll", "relay", staff, "bytes-per-poll", "3", Result, read);
        row("staff: one byte per poll", "staff", relayOutput, "bytes-per-poll", "1", Result, read);
        row("relay: unplugged mid-frame", "relay", staff, "unplug-after", "12", Error, lost);
        row("relay: unplugged before the check byte", "relay", staff, "unplug-after", "32", Error, lost);
        row("staff: unplugged between the records", "staff", relayOutput, "unplug-after", "70", Error, lost);
        row("relay: reading fails", "relay", staff, "status:FT_Read", "4", Error, lost);
        row("relay: queue status fails", "relay", staff, "status:FT_GetQueueStatus", "4", Error, lost);
        row("relay: writing fails", "relay", staff, "status:FT_Write", "4", Error, lost);
        row("relay: EEPROM check fails", "relay", staff, "status:FT_EE_Read", "4", Error, lost);
        row("relay: reply within the time-out", "relay", staff, "reply-delay", "7", Result, read);
        row("relay: reply after the time-out", "relay", staff, "reply-delay", "8", Error, lost);
        row("staff: reply after the time-out", "staff", staff, "reply-delay", "12", Error, lost);
        // Records the device sends that cannot be taken as they are.
        row("relay: user data missing", "relay", staff, "record:pi", "PI010102ABCDEFGHIJKLMNOP0503", Error,
            QStringLiteral("Unexpected end of record (Relay)"));
        row("relay: header cut short", "relay", relayOutput, "record:pi", "PI010102ABCDEFGH", Error,
            QStringLiteral("Error Reading data. Details may be corrupt. Please try again."));
        row("MPD: invalid mode", "mpd-call-point", staff, "record:pi", "PI000201ZENTARA-SIM-00010101490901",
            Error, QStringLiteral("Invalid MPD Mode"));
        row("zone indicator: volume out of range", "zone-indicator", relayOutput, "record:pi",
            "PI020201ZENTARA-SIM-000101010000F42424242421C345", Error,
            QStringLiteral("Invalid value in zone indicator record (Night Volume)"));
        row("ZX250: call type out of range", "zx250", staff, "record:pi",
            "PI030101ZENTARA-SIM-00010101900000", Error,
            QStringLiteral("Error reading from device. Data may be corrupt. Please retry"));
        row("unknown device code", "relay", staff, "record:pi", "PI070102ABCDEFGHIJKLMNOP050328", Error,
            UnrecognisedDevice);
        row("payload too short", "relay", staff, "record:pi", "P", Error, UnrecognisedRecord);
        row("unknown prefix", "relay", staff, "record:pi", "XY0102", Error, UnrecognisedRecord);
        row("staff: buttons 2 and 3 the same", "staff", staff, "record:ud",
            "UD1PT1BT11BT22BT31CO1BP10BP21BP30RF10RF21RF30TM0ID1IC000BV1GP000", Result, read);
        row("staff: invalid user record", "staff", relayOutput, "record:ud", "UD1PT9BT11", Warning,
            InvalidData);
        row("staff: invalid factory record", "staff", staff, "record:fd",
            "FD2 SW02A0 HW00T0 W/O 000000 Date 01/02/09 CC000 SF0G7 CN Arvel", Error,
            QStringLiteral("Format Error - hex field expected"));
    }
    void faultsEndIdleAndOneUndoRestores() {
        QFETCH(QString, keyword);
        QFETCH(int, start);
        QFETCH(QString, fault);
        QFETCH(QString, value);
        QFETCH(QString, error);
        QFETCH(QString, warning);
        QFETCH(QString, result);
        f.connect(qPrintable(keyword));
        if (fault.startsWith(QLatin1String("status:"))) {
            f.sim->setStatus(qPrintable(fault.mid(7)), value.toUInt());
        } else if (fault.startsWith(QLatin1String("record:"))) {
            f.sim->setRecord(0, qPrintable(fault.mid(7)), qPrintable(value));
        } else {
            for (const QString& one : fault.split(QLatin1Char('+')))
                QCOMPARE(f.sim->setFault(0, qPrintable(one), value.toInt()), 0);
        }
        tZCfgFile& doc = f.makeDocument(uint8_t(start));
        editDocument(doc);
        f.undo->Clear();
        const tLines before = doc.ToLines();
        const tConfiguratorDevice* device = doc.Device();
        const int children = int(device->ChildCount());

        f.start(&tZCfgFile::StartRead);
        QVERIFY(f.runUntilIdle(400) < 400);
        f.tick(30); // whatever comes late changes nothing

        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        // The error once and last, and no time-out message besides.
        QCOMPARE(f.errors.value(f.errors.size() - 1), error);
        QCOMPARE(countOf(f.errors, error), int(!error.isEmpty()));
        QCOMPARE(countOf(f.errors, CannotFindDevice), int(error == CannotFindDevice));
        QCOMPARE(f.warnings, warning.isEmpty() ? QStringList() : QStringList{warning});
        QCOMPARE(f.results, (result.isEmpty() ? QList<ShownResult>() : QList<ShownResult>{{result, true}}));
        // A read that fails changes nothing, not even what its records carried before the fault.
        if (result.isEmpty()) {
            QCOMPARE(doc.ToLines(), before);
            QCOMPARE(doc.Device(), device);
            QVERIFY(!f.undo->CanUndo());
        }

        if (f.undo->CanUndo()) f.undo->Undo();
        QVERIFY2(!f.undo->CanUndo(), "the read left more than one undo step");
        QCOMPARE(doc.ToLines(), before);
        QCOMPARE(int(doc.GetDeviceType()), start);
        QCOMPARE(int(doc.Device()->ChildCount()), children);

        // Whatever the fault left half-received, the next read of a sound device succeeds.
        f.reconnect(qPrintable(keyword));
        f.results.clear();
        f.start(&tZCfgFile::StartRead);
        f.runUntilIdle();
        QCOMPARE(f.results, (QList<ShownResult>{{DataTransferred, true}}));
    }
};

QTEST_GUILESS_MAIN(TestTransfers)
#include "tst_transfers.moc"
