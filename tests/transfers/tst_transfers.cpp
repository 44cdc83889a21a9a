// Device transfers end to end: the configuration document, the programmer link, the real driver
// binding and the simulated adapter with its virtual devices. Time advances only by link ticks.

#include "TransferFixture.h"
#include "device/DeviceTypeTable.h"

#include <QTest>

using namespace TransferText;

namespace {
const QByteArray enquiry(5, '\x05');
const QByteArray relayRecord = "PI010102ABCDEFGHIJKLMNOP050328";

bool isTransmitter(int type) {
    return type == dt_Staff_Transmitter || type == dt_Pendant_Transmitter;
}

// Flips the lowest bit of the last hexadecimal digit of a record.
QByteArray flipLastDigit(QByteArray record) {
    const int value = QByteArray(1, record.back()).toInt(nullptr, 16) ^ 1;
    record.back() = QByteArray::number(value, 16).toUpper().at(0);
    return record;
}

// A value the program sends that differs from the defaults of the device and of a new document.
void editUserSettings(tZCfgFile& doc) {
    switch (doc.GetDeviceType()) {
    case dt_Staff_Transmitter:
    case dt_Pendant_Transmitter:
        doc.AsIRRFDevice()->UserRecord()->ID()->SetAsInteger(42);
        doc.AsIRRFDevice()->UserRecord()->Button(2)->BeeperSounds()->SetAsBoolean(true);
        break;
    case dt_MPD_Call_Point:
    case dt_MPD_Monitor_Point:
    case dt_MPDDayNightSwitch:
        doc.AsMPD()->UserData()->DayNightSwitchLEDLit()->SetAsEnum(dn_Day);
        break;
    case dt_Relay_Output:
        doc.AsRelayOutput()->ActiveInEmergency()->SetAsBoolean(true);
        break;
    case dt_Zone_Indicator:
        doc.AsZonalIndicator()->ModeData(1)->Tone()->SetAsEnum(zt_Ding_Dong);
        break;
    case dt_ZX250_Call_Point:
        doc.AsCallPoint250()->UserData()->BeeperEnabled()->SetAsBoolean(true);
        break;
    }
}

// A starting document with values of its own, so that a read that touches it shows.
void editStartingDocument(tZCfgFile& doc) {
    doc.Comments()->SetValueText(QStringLiteral("prepared for ward 7"));
    if (isTransmitter(doc.GetDeviceType())) {
        tIRRFDevice* t = doc.AsIRRFDevice();
        t->FactoryRecord()->WO()->SetValueText(QStringLiteral("424242"));
        t->UserRecord()->ID()->SetAsInteger(77);
        t->UserRecord()->TransmitMode()->SetAsEnum(tm_Auto_Stop);
    } else if (doc.GetDeviceType() == dt_Relay_Output) {
        doc.AsRelayOutput()->ActiveInCall()->SetAsBoolean(true);
        doc.AsRelayOutput()->ActiveInEmergency()->SetAsBoolean(true);
    }
}
} // namespace

class TestTransfers : public QObject {
    Q_OBJECT

    TransferFixture f;

    void deviceTypes() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("record"); // the wired device's reply; empty: as the device comes
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
            QTest::newRow(info.ModelName) << int(info.Type) << info.Keyword << records[info.Type];
    }

private slots:
    void initTestCase() { f.setUp(); }
    void cleanupTestCase() { f.tearDown(); }
    void cleanup() { f.finish(); }

    void relayReadAndProgramBackByteForByte() {
        f.connect("relay");
        f.sim->setRecord(0, "pi", relayRecord.constData());
        tZCfgFile& doc = f.makeDocument(dt_Staff_Transmitter);
        f.sim->clearWritten(0);

        f.start(&tZCfgFile::StartRead);
        QCOMPARE(f.sim->Written(), QByteArray("B")); // the wake-up goes out at once
        f.tick(2);
        QCOMPARE(f.sim->Written(), QByteArray("B")); // the delay counts 2, 1
        QVERIFY(f.results.isEmpty());
        f.tick();
        QCOMPARE(f.sim->Written(), "B" + enquiry);
        const QByteArray reply = '\x01' + relayRecord + "\x04\x7C";
        QCOMPARE(f.monitored, reply); // the serial monitor saw every byte, after the document

        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        QCOMPARE(f.results, (QList<ShownResult>{{DataTransferred, true}}));
        QVERIFY(f.errors.isEmpty());
        QVERIFY(f.warnings.isEmpty());
        QCOMPARE(doc.GetDeviceType(), uint8_t(dt_Relay_Output));
        QCOMPARE(doc.GetComboMode(), uint8_t(tZCfgFile::ConfigurationMode));
        tRelayOutput* relay = dynamic_cast<tRelayOutput*>(doc.Device());
        QVERIFY(relay);
        QCOMPARE(relay->Version()->Value(), QStringLiteral("0102"));
        QCOMPARE(relay->FactoryString()->Value(), QStringLiteral("ABCDEFGHIJKLMNOP"));
        QCOMPARE(relay->NodeAddress()->AsInteger(), 5);
        QCOMPARE(relay->ZoneGroupAddress()->AsInteger(), 3);
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

    void readsEveryDeviceType_data() { deviceTypes(); }
    void readsEveryDeviceType() {
        QFETCH(int, type);
        QFETCH(QString, keyword);
        QFETCH(QString, record);
        f.connect(keyword.toLatin1().constData());
        if (!record.isEmpty()) f.sim->setRecord(0, "pi", record.toLatin1().constData());
        // Start from another class, so that the read has to replace the device object.
        tZCfgFile& doc = f.makeDocument(isTransmitter(type) ? dt_Relay_Output : dt_Staff_Transmitter);
        editStartingDocument(doc);
        f.undo->Clear();
        const tLines before = doc.ToLines();

        f.start(&tZCfgFile::StartRead);
        f.runUntilIdle();

        QCOMPARE(f.results, (QList<ShownResult>{{DataTransferred, true}}));
        QCOMPARE(f.errors, QStringList());
        QCOMPARE(f.warnings, QStringList());
        QCOMPARE(int(doc.GetDeviceType()), type);
        QCOMPARE(doc.GetComboMode(), uint8_t(tZCfgFile::ConfigurationMode));
        if (isTransmitter(type)) {
            tIRRFDevice* t = doc.AsIRRFDevice();
            QCOMPARE(t->FactoryRecord()->GetRecordText(), QString::fromLatin1(f.sim->Record(0, "fd")));
            QCOMPARE(t->UserRecord()->GetRecordText(), QString::fromLatin1(f.sim->Record(0, "ud")));
            QCOMPARE(t->TransmitterKind(),
                     type == dt_Pendant_Transmitter ? int(tIRRFDevice::Pendant) : int(tIRRFDevice::Staff));
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

        // The whole read is one undo step, the replaced device object included.
        QVERIFY(f.undo->CanUndo());
        f.undo->Undo();
        QVERIFY(!f.undo->CanUndo());
        QCOMPARE(doc.ToLines(), before);
        QVERIFY(isTransmitter(type) ? bool(dynamic_cast<tRelayOutput*>(doc.Device()))
                                    : bool(dynamic_cast<tIRRFDevice*>(doc.Device())));
    }

    void programsAndVerifiesEveryDeviceType_data() { deviceTypes(); }
    void programsAndVerifiesEveryDeviceType() {
        QFETCH(int, type);
        QFETCH(QString, keyword);
        f.connect(keyword.toLatin1().constData());
        tZCfgFile& doc = f.makeDocument(uint8_t(type));
        editUserSettings(doc);

        f.start(&tZCfgFile::StartProgram);
        f.runUntilIdle();

        QCOMPARE(f.errors, QStringList());
        QCOMPARE(f.results, (QList<ShownResult>{{TransferredAndVerified, true}}));
        QCOMPARE(int(doc.GetDeviceType()), type);
        QCOMPARE(f.sim->counter(0, "frames-accepted"), 1);
        if (isTransmitter(type)) {
            QCOMPARE(QString::fromLatin1(f.sim->Record(0, "ud")),
                     doc.AsIRRFDevice()->UserRecord()->GetRecordText());
            // The document took over the transmitter's factory data while identifying it.
            QCOMPARE(doc.AsIRRFDevice()->FactoryRecord()->GetRecordText(),
                     QString::fromLatin1(f.sim->Record(0, "fd")));
        } else {
            QCOMPARE(QString::fromLatin1(f.sim->Record(0, "pi").mid(28)),
                     payloadOf(doc.Device()->ComposeUserFrame()));
        }
    }

    // The device keeps (or reports back) something other than what was sent: the verification
    // must say so and must not call it verified.
    void verifyFindsErrorsOnEveryDeviceType_data() { deviceTypes(); }
    void verifyFindsErrorsOnEveryDeviceType() {
        QFETCH(int, type);
        QFETCH(QString, keyword);
        f.connect(keyword.toLatin1().constData());
        tZCfgFile& doc = f.makeDocument(uint8_t(type));
        editUserSettings(doc);

        f.start(&tZCfgFile::StartProgram);
        if (isTransmitter(type)) {
            // The transmitter takes the frame but its answer (acknowledge and record) is ours: the
            // record it reports has the battery-status flag flipped.
            QVERIFY(f.runUntilState(tZCfgFile::tsProgramSent));
            f.sim->setFault(0, "no-answer", 1);
            for (int n = 0; n < 10 && f.sim->counter(0, "frames-accepted") == 0; ++n)
                f.tick();
            QCOMPARE(f.sim->counter(0, "frames-accepted"), 1);
            QByteArray reported = f.sim->Record(0, "ud");
            const qsizetype bv = reported.indexOf("BV");
            QVERIFY(bv > 0);
            reported[bv + 2] = reported[bv + 2] == '1' ? '0' : '1';
            f.sim->Inject(0, frameBytes("OK") + frameBytes(reported));
        } else {
            // The wired device stores something else than it was sent.
            QVERIFY(f.runUntilState(tZCfgFile::tsWiredVerify));
            f.sim->setRecord(0, "pi", flipLastDigit(f.sim->Record(0, "pi")).constData());
        }
        f.runUntilIdle();

        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        QCOMPARE(f.results, (QList<ShownResult>{{TransferredButErrors, false}}));
        QCOMPARE(f.errors, QStringList());
    }

    void factoryProgramsTransmitters_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("keyword");
        QTest::newRow("staff") << int(dt_Staff_Transmitter) << "staff";
        QTest::newRow("pendant") << int(dt_Pendant_Transmitter) << "pendant";
    }
    void factoryProgramsTransmitters() {
        QFETCH(int, type);
        QFETCH(QString, keyword);
        f.connect(keyword.toLatin1().constData());
        tZCfgFile& doc = f.makeDocument(uint8_t(type));
        tIRRFFactoryRecord* factory = doc.AsIRRFDevice()->FactoryRecord();
        factory->WO()->SetValueText(QStringLiteral("123456"));
        factory->Date()->SetValueText(QStringLiteral("02/03/10"));
        factory->CC()->SetAsInteger(7);
        factory->FD()->SetAsInteger(2);
        factory->SW()->SetValueText(QStringLiteral("02B0"));
        editUserSettings(doc);

        f.start(&tZCfgFile::StartFactoryProgram);
        f.runUntilIdle();

        QCOMPARE(f.errors, QStringList());
        QCOMPARE(f.results, (QList<ShownResult>{{TransferredAndVerified, true}}));
        QCOMPARE(f.sim->counter(0, "frames-accepted"), 2); // the factory frame, then the user frame
        QCOMPARE(QString::fromLatin1(f.sim->Record(0, "fd")), factory->GetRecordText());
        QVERIFY(f.sim->Record(0, "fd").contains(" W/O 123456 Date 02/03/10 CC007"));
        QCOMPARE(QString::fromLatin1(f.sim->Record(0, "ud")),
                 doc.AsIRRFDevice()->UserRecord()->GetRecordText());
        const QList<ReceivedFrame> sent = SplitFrames(f.sim->Written());
        QCOMPARE(sent.size(), 2);
        QVERIFY(sent[0].payload.startsWith("FD") && sent[1].payload.startsWith("UD"));
    }

    void factoryProgrammingRefusesOtherDevices_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("message");
        QTest::newRow("transmitter document, relay attached")
            << int(dt_Staff_Transmitter) << "relay" << WrongTypeProgramming;
        QTest::newRow("relay document, staff transmitter attached")
            << int(dt_Relay_Output) << "staff" << WrongTypeProgramming;
        QTest::newRow("relay document, relay attached")
            << int(dt_Relay_Output) << "relay"
            << QStringLiteral("Error - Device not suitable for configuring with factory data");
    }
    void factoryProgrammingRefusesOtherDevices() {
        QFETCH(int, type);
        QFETCH(QString, keyword);
        QFETCH(QString, message);
        f.connect(keyword.toLatin1().constData());
        tZCfgFile& doc = f.makeDocument(uint8_t(type));
        editStartingDocument(doc);
        const tLines before = doc.ToLines();
        const tConfiguratorDevice* device = doc.Device();

        f.start(&tZCfgFile::StartFactoryProgram);
        f.runUntilIdle();
        f.tick(15);

        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        QCOMPARE(f.errors, QStringList{message});
        QVERIFY(f.results.isEmpty());
        QCOMPARE(f.sim->counter(0, "frames-accepted"), 0);
        QVERIFY(!f.sim->Written().contains('\x01'));
        QCOMPARE(doc.Device(), device);
        QCOMPARE(doc.ToLines(), before);
    }

    // The simulated MPD units as they come must read as the mode they are set to.
    void simulatedMpdUnitsAnswerInTheirMode_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("keyword");
        QTest::newRow("monitor point") << int(dt_MPD_Monitor_Point) << "mpd-monitor-point";
        QTest::newRow("day/night switch") << int(dt_MPDDayNightSwitch) << "mpd-day-night";
    }
    void simulatedMpdUnitsAnswerInTheirMode() {
        QFETCH(int, type);
        QFETCH(QString, keyword);
        f.connect(keyword.toLatin1().constData());
        tZCfgFile& doc = f.makeDocument(dt_MPD_Call_Point);
        f.start(&tZCfgFile::StartRead);
        f.runUntilIdle();
        QCOMPARE(f.results, (QList<ShownResult>{{DataTransferred, true}}));
        QCOMPARE(int(doc.GetDeviceType()), type);
    }

    void transmitterRecordsInEitherOrder_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("keyword");
        QTest::newRow("staff") << int(dt_Staff_Transmitter) << "staff";
        QTest::newRow("pendant") << int(dt_Pendant_Transmitter) << "pendant";
    }
    void transmitterRecordsInEitherOrder() {
        QFETCH(int, type);
        QFETCH(QString, keyword);
        const QByteArray factoryRecord =
            type == dt_Pendant_Transmitter
                ? "FD2 SW02B1 HW01P2 W/O 765432 Date 11/12/13 CC042 SF003 CN Zentara"
                : "FD2 SW02B1 HW01T2 W/O 765432 Date 11/12/13 CC042 SF007 CN Zentara";
        const QByteArray userRecord = "UD1PT2BT13BT24BT34CO0BP11BP20BP31RF11RF21RF30TM1ID1IC123BV0GP009";
        tLines read[2];
        for (int udFirst = 0; udFirst < 2; ++udFirst) {
            f.connect(keyword.toLatin1().constData());
            f.sim->setRecord(0, "fd", factoryRecord.constData());
            f.sim->setRecord(0, "ud", userRecord.constData());
            f.sim->setFault(0, "ud-before-fd", udFirst);
            tZCfgFile& doc = f.makeDocument(dt_Relay_Output);
            f.start(&tZCfgFile::StartRead);
            f.runUntilIdle();

            QCOMPARE(f.afterFrames.size(), 2);
            // After the first record nothing is shown and the read goes on.
            QCOMPARE(f.afterFrames[0].state, uint8_t(tZCfgFile::tsReading));
            QCOMPARE(f.afterFrames[0].results, 0);
            QCOMPARE(f.afterFrames[0].errors, 0);
            QCOMPARE(f.afterFrames[0].warnings, 0);
            QCOMPARE(f.afterFrames[1].state, uint8_t(tZCfgFile::tsIdle));
            QCOMPARE(f.results, (QList<ShownResult>{{DataTransferred, true}}));
            QCOMPARE(f.errors, QStringList());
            QCOMPARE(int(doc.GetDeviceType()), type);
            QCOMPARE(doc.AsIRRFDevice()->FactoryRecord()->GetRecordText(),
                     QString::fromLatin1(factoryRecord));
            QCOMPARE(doc.AsIRRFDevice()->UserRecord()->GetRecordText(), QString::fromLatin1(userRecord));
            read[udFirst] = doc.ToLines();
        }
        QCOMPARE(read[1], read[0]);
    }

    void pendantDocumentRefusesStaffTransmitter() {
        f.connect("staff");
        tZCfgFile& doc = f.makeDocument(dt_Pendant_Transmitter);
        editStartingDocument(doc);
        const tLines before = doc.ToLines();

        f.start(&tZCfgFile::StartProgram);
        f.runUntilIdle();
        f.tick(15);

        QCOMPARE(f.errors, QStringList{WrongTypeConfiguration});
        QVERIFY(f.results.isEmpty());
        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        QCOMPARE(f.sim->Written(), "B" + enquiry); // no user frame
        QCOMPARE(f.sim->counter(0, "frames-accepted"), 0);
        QCOMPARE(doc.ToLines(), before);
    }

    void buttonFunctionChecks_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("buttonType");
        QTest::addColumn<QString>("factoryRecord");
        QTest::addColumn<QString>("message"); // empty: programmed and verified

        const QString staffOld = "FD1 SW0199 HW00T0 W/O 000001 Date 01/02/09 CC003 CN Arvel";
        const QString pendantOld = "FD1 SW0199 HW00P0 W/O 000001 Date 01/02/09 CC003 CN Arvel";
        const auto sf = [](const char* hw, const char* flags) {
            return QStringLiteral("FD2 SW02A0 HW%1 W/O 000001 Date 01/02/09 CC003 SF%2 CN Arvel")
                .arg(QLatin1String(hw), QLatin1String(flags));
        };
        const auto message = [](const char* function) {
            return QStringLiteral("Device Attached does not support %1 function. Transfer Aborted")
                .arg(QLatin1String(function));
        };
        const int staff = dt_Staff_Transmitter, pendant = dt_Pendant_Transmitter;

        QTest::newRow("old staff firmware, attendance")
            << staff << 1 << int(irrf_Attendance) << staffOld << message("Attendance");
        QTest::newRow("old staff firmware, attack")
            << staff << 2 << int(irrf_Attack) << staffOld << QString();
        QTest::newRow("old pendant firmware, attack")
            << pendant << 2 << int(irrf_Attack) << pendantOld << message("Attack");
        QTest::newRow("old pendant firmware, emergency")
            << pendant << 2 << int(irrf_Emergency) << pendantOld << message("Emergency");
        QTest::newRow("old pendant firmware, attendance")
            << pendant << 2 << int(irrf_Attendance) << pendantOld << message("Attendance");
        QTest::newRow("old pendant firmware, help required")
            << pendant << 2 << int(irrf_Help_Required) << pendantOld << QString();
        QTest::newRow("SF without attack")
            << staff << 2 << int(irrf_Attack) << sf("00T0", "006") << message("Attack");
        QTest::newRow("SF without emergency")
            << staff << 3 << int(irrf_Emergency) << sf("00T0", "005") << message("Emergency");
        QTest::newRow("SF without attendance")
            << staff << 1 << int(irrf_Attendance) << sf("00T0", "003") << message("Attendance");
        QTest::newRow("pendant, SF 001, attack")
            << pendant << 2 << int(irrf_Attack) << sf("00P0", "001") << QString();
        QTest::newRow("pendant, SF 001, emergency")
            << pendant << 2 << int(irrf_Emergency) << sf("00P0", "001") << message("Emergency");
        const QString fd1New = "FD1 SW02A0 HW00T0 W/O 000001 Date 01/02/09 CC003 CN Arvel";
        QTest::newRow("FD 1, SW 02A0: attendance")
            << staff << 1 << int(irrf_Attendance) << fd1New << QString();
        QTest::newRow("FD 1, SW 02A0: emergency") << staff << 3 << int(irrf_Emergency) << fd1New << QString();
        QTest::newRow("FD 1, SW 02A0: attack") << staff << 2 << int(irrf_Attack) << fd1New << QString();
        QTest::newRow("FD 1, SW 02A0: pendant attendance")
            << pendant << 2 << int(irrf_Attendance)
            << "FD1 SW02A0 HW00P0 W/O 000001 Date 01/02/09 CC003 CN Arvel" << QString();
    }
    void buttonFunctionChecks() {
        QFETCH(int, type);
        QFETCH(int, button);
        QFETCH(int, buttonType);
        QFETCH(QString, factoryRecord);
        QFETCH(QString, message);
        f.connect(type == dt_Pendant_Transmitter ? "pendant" : "staff");
        f.sim->setRecord(0, "fd", factoryRecord.toLatin1().constData());
        tZCfgFile& doc = f.makeDocument(uint8_t(type));
        tIRRFDevice* t = doc.AsIRRFDevice();
        // A document prepared for current firmware that allows every function.
        t->FactoryRecord()->FD()->SetAsInteger(2);
        t->FactoryRecord()->SW()->SetValueText(QStringLiteral("02A0"));
        for (tIRSpecialFlags flag : {sf_Allow_Attack, sf_Allow_Emergency, sf_Allow_Attendance})
            t->FactoryRecord()->SF()->SetFlag(flag, true);
        t->UserRecord()->Button(button)->ButtonType()->SetAsInteger(buttonType);
        QCOMPARE(t->UserRecord()->Button(button)->ButtonType()->AsInteger(), buttonType);

        f.start(&tZCfgFile::StartProgram);
        f.runUntilIdle();
        f.tick(15);

        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        if (message.isEmpty()) {
            QCOMPARE(f.errors, QStringList());
            QCOMPARE(f.results, (QList<ShownResult>{{TransferredAndVerified, true}}));
            QCOMPARE(f.sim->counter(0, "frames-accepted"), 1);
        } else {
            QCOMPARE(f.errors, QStringList{message});
            QVERIFY(f.results.isEmpty());
            QCOMPARE(f.sim->counter(0, "frames-accepted"), 0); // no user frame was sent
        }
    }

    void noDeviceReportsOnceTenTicksAfterTheRequest() {
        f.connect("none");
        tZCfgFile& doc = f.makeDocument(dt_Relay_Output);
        f.sim->clearWritten(0);
        f.start(&tZCfgFile::StartRead); // the request is handed to the link here
        int ticks = 0;
        while (f.errors.isEmpty() && ticks < 50) {
            f.tick();
            ++ticks;
            if (ticks == 3) QCOMPARE(f.sim->Written(), "B" + enquiry);
        }
        QCOMPARE(ticks, 10);
        QCOMPARE(f.errors, QStringList{CannotFindDevice});
        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        f.tick(40);
        QCOMPARE(f.errors, QStringList{CannotFindDevice}); // once only
        QVERIFY(f.results.isEmpty());
    }

    // Ticks keep arriving while a message box shows; the document must neither report the missing
    // device from inside the box nor report it twice.
    void timeOutWaitsWhileAMessageShows() {
        f.connect("none");
        tZCfgFile& doc = f.makeDocument(dt_Relay_Output);
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
        QTest::addColumn<int>("startType");
        QTest::addColumn<QString>("fault"); // a simulator fault, "status:<entry point>" or "record:<which>"
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("error");   // the last error shown (empty: none)
        QTest::addColumn<QString>("warning"); // a warning shown (empty: none)
        QTest::addColumn<QString>("result");  // the result shown (empty: none)
        QTest::addColumn<bool>("untouched");  // nothing of the document may change at all

        const int staff = dt_Staff_Transmitter, relay = dt_Relay_Output;
        const QString none;
        auto row = [](const char* name) { return &QTest::newRow(name); };
        *row("relay: no answer") << "relay" << staff << "no-answer"
                                 << "1" << CannotFindDevice << none << none << true;
        *row("staff: no answer") << "staff" << relay << "no-answer"
                                 << "1" << CannotFindDevice << none << none << true;
        *row("relay: wrong check byte") << "relay" << staff << "bad-check"
                                        << "1" << CorruptData << none << none << true;
        *row("staff: wrong check byte") << "staff" << relay << "bad-check"
                                        << "1" << CorruptData << none << none << true;
        *row("pendant: wrong check byte, user record first") << "pendant" << staff << "bad-check+ud-before-fd"
                                                             << "1" << CorruptData << none << none << true;
        *row("relay: garbage before the frame") << "relay" << staff << "garbage"
                                                << "1" << none << none << DataTransferred << false;
        *row("staff: garbage before each frame") << "staff" << relay << "garbage"
                                                 << "1" << none << none << DataTransferred << false;
        *row("relay: truncated frame") << "relay" << staff << "truncate"
                                       << "1" << CannotFindDevice << none << none << true;
        *row("staff: truncated frames") << "staff" << relay << "truncate"
                                        << "1" << CannotFindDevice << none << none << true;
        *row("relay: three bytes per poll") << "relay" << staff << "bytes-per-poll"
                                            << "3" << none << none << DataTransferred << false;
        *row("staff: one byte per poll") << "staff" << relay << "bytes-per-poll"
                                         << "1" << none << none << DataTransferred << false;
        *row("relay: unplugged mid-frame") << "relay" << staff << "unplug-after"
                                           << "12" << CannotFindDevice << none << none << true;
        *row("staff: unplugged between the records") << "staff" << relay << "unplug-after"
                                                     << "70" << CannotFindDevice << none << none << true;
        *row("relay: reading fails") << "relay" << staff << "status:FT_Read"
                                     << "4" << CannotFindDevice << none << none << true;
        *row("relay: queue status fails") << "relay" << staff << "status:FT_GetQueueStatus"
                                          << "4" << CannotFindDevice << none << none << true;
        *row("relay: writing fails") << "relay" << staff << "status:FT_Write"
                                     << "4" << CannotFindDevice << none << none << true;
        *row("relay: EEPROM check fails") << "relay" << staff << "status:FT_EE_Read"
                                          << "4" << CannotFindDevice << none << none << true;
        *row("relay: reply within the time-out") << "relay" << staff << "reply-delay"
                                                 << "7" << none << none << DataTransferred << false;
        *row("relay: reply after the time-out") << "relay" << staff << "reply-delay"
                                                << "8" << CannotFindDevice << none << none << true;
        *row("staff: reply after the time-out") << "staff" << staff << "reply-delay"
                                                << "12" << CannotFindDevice << none << none << true;
        // Records the device sends that cannot be taken as they are.
        *row("relay: user data missing")
            << "relay" << staff << "record:pi"
            << "PI010102ABCDEFGHIJKLMNOP0503" << QStringLiteral("Unexpected end of record (Relay)") << none
            << none << false;
        *row("relay: header cut short")
            << "relay" << relay << "record:pi"
            << "PI010102ABCDEFGH"
            << QStringLiteral("Error Reading data. Details may be corrupt. Please try again.") << none << none
            << false;
        *row("MPD: invalid mode") << "mpd-call-point" << staff << "record:pi"
                                  << "PI000201ZENTARA-SIM-00010101490901"
                                  << QStringLiteral("Invalid MPD Mode") << none << none << false;
        *row("zone indicator: volume out of range")
            << "zone-indicator" << relay << "record:pi"
            << "PI020201ZENTARA-SIM-000101010000F42424242421C345"
            << QStringLiteral("Invalid value in zone indicator record (Night Volume)") << none << none
            << false;
        *row("ZX250: call type out of range")
            << "zx250" << staff << "record:pi"
            << "PI030101ZENTARA-SIM-00010101900000"
            << QStringLiteral("Error reading from device. Data may be corrupt. Please retry") << none << none
            << false;
        *row("unknown device code") << "relay" << staff << "record:pi"
                                    << "PI070102ABCDEFGHIJKLMNOP050328" << UnrecognisedDevice << none << none
                                    << true;
        *row("payload too short") << "relay" << staff << "record:pi"
                                  << "P" << UnrecognisedRecord << none << none << true;
        *row("unknown prefix") << "relay" << staff << "record:pi"
                               << "XY0102" << none << none << DataTransferred << true;
        *row("staff: invalid user record") << "staff" << relay << "record:ud"
                                           << "UD1PT9BT11" << none << InvalidData << none << false;
        *row("staff: invalid factory record")
            << "staff" << staff << "record:fd"
            << "FD2 SW02A0 HW00T0 W/O 000000 Date 01/02/09 CC000 SF0G7 CN Arvel"
            << QStringLiteral("Format Error - hex field expected") << none << none << false;
    }
    void faultsEndIdleAndOneUndoRestores() {
        QFETCH(QString, keyword);
        QFETCH(int, startType);
        QFETCH(QString, fault);
        QFETCH(QString, value);
        QFETCH(QString, error);
        QFETCH(QString, warning);
        QFETCH(QString, result);
        QFETCH(bool, untouched);
        f.connect(keyword.toLatin1().constData());
        if (fault.startsWith(QLatin1String("status:"))) {
            f.sim->setStatus(fault.mid(7).toLatin1().constData(), value.toUInt());
        } else if (fault.startsWith(QLatin1String("record:"))) {
            f.sim->setRecord(0, fault.mid(7).toLatin1().constData(), value.toLatin1().constData());
        } else {
            for (const QString& one : fault.split(QLatin1Char('+')))
                QCOMPARE(f.sim->setFault(0, one.toLatin1().constData(), value.toInt()), 0);
        }
        tZCfgFile& doc = f.makeDocument(uint8_t(startType));
        editStartingDocument(doc);
        f.undo->Clear();
        const tLines before = doc.ToLines();
        const tConfiguratorDevice* device = doc.Device();

        f.start(&tZCfgFile::StartRead);
        QVERIFY(f.runUntilIdle(400) < 400);
        f.tick(30); // whatever comes late changes nothing

        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        if (error.isEmpty()) {
            QCOMPARE(f.errors, QStringList());
        } else {
            QVERIFY2(!f.errors.isEmpty(), "no error shown");
            QCOMPARE(f.errors.last(), error);
            QCOMPARE(countOf(f.errors, error), 1);
            QCOMPARE(countOf(f.errors, CannotFindDevice), error == CannotFindDevice ? 1 : 0);
        }
        if (warning.isEmpty())
            QCOMPARE(f.warnings, QStringList());
        else
            QCOMPARE(f.warnings, QStringList{warning});
        if (result.isEmpty())
            QCOMPARE(f.results, QList<ShownResult>());
        else
            QCOMPARE(f.results, (QList<ShownResult>{{result, true}}));
        if (untouched) {
            QCOMPARE(doc.ToLines(), before);
            QCOMPARE(doc.Device(), device);
        }

        if (f.undo->CanUndo()) f.undo->Undo();
        QVERIFY2(!f.undo->CanUndo(), "the read left more than one undo step");
        QCOMPARE(doc.ToLines(), before);
        QCOMPARE(int(doc.GetDeviceType()), startType);
        QCOMPARE(int(doc.Device()->ChildCount()), int(device->ChildCount()));
    }

    // A read that failed after taking part of a transmitter record is never reported as a success.
    void invalidUserRecordIsNotReportedAsSuccess() {
        f.connect("staff");
        f.sim->setRecord(0, "fd", "FD2 SW02B0 HW03T1 W/O 555554 Date 09/09/19 CC011 SF007 CN Arvel");
        f.sim->setRecord(0, "ud", "UD1PT1BT11BT21BT31CO0BP10BP20BP30RF10RF20RF30TM0ID1ICxyzBV1GP000");
        tZCfgFile& doc = f.makeDocument(dt_Relay_Output);

        f.start(&tZCfgFile::StartRead);
        f.runUntilIdle();

        QCOMPARE(doc.TransferState(), uint8_t(tZCfgFile::tsIdle));
        QCOMPARE(f.warnings, QStringList{InvalidData});
        for (const ShownResult& r : f.results)
            QVERIFY(r.text != DataTransferred && r.text != TransferredAndVerified);
        QVERIFY(f.results.isEmpty() || !f.results.last().success);
        // The factory record and the device type were taken before the user record failed.
        QCOMPARE(doc.GetDeviceType(), uint8_t(dt_Staff_Transmitter));
        QCOMPARE(doc.AsIRRFDevice()->FactoryRecord()->WO()->Value(), QStringLiteral("555554"));
    }

    // Reading a relay into a transmitter document, then undo and redo: the transmitter comes back with
    // every value, and the relay with the values read.
    void readReplacingTheDeviceUndoesAndRedoes() {
        f.connect("relay");
        f.sim->setRecord(0, "pi", relayRecord.constData());
        tZCfgFile& doc = f.makeDocument(dt_Staff_Transmitter);
        editStartingDocument(doc);
        f.undo->Clear();
        const tLines transmitter = doc.ToLines();

        f.start(&tZCfgFile::StartRead);
        f.runUntilIdle();
        QCOMPARE(f.results, (QList<ShownResult>{{DataTransferred, true}}));
        QCOMPARE(doc.GetDeviceType(), uint8_t(dt_Relay_Output));
        const tLines relay = doc.ToLines();

        f.undo->Undo();
        QCOMPARE(doc.ToLines(), transmitter);
        QCOMPARE(doc.GetDeviceType(), uint8_t(dt_Staff_Transmitter));
        QCOMPARE(doc.AsIRRFDevice()->UserRecord()->ID()->AsInteger(), 77);
        QVERIFY(!f.undo->CanUndo());
        QVERIFY(f.undo->CanRedo());

        f.undo->Redo();
        QCOMPARE(doc.ToLines(), relay);
        QCOMPARE(doc.AsRelayOutput()->NodeAddress()->AsInteger(), 5);
        f.undo->Undo();
        QCOMPARE(doc.ToLines(), transmitter);
    }
};

QTEST_GUILESS_MAIN(TestTransfers)
#include "tst_transfers.moc"
