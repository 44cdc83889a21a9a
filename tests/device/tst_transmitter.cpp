#include "MessageRecorder.h"
#include "device/Devices.h"

#include <QRandomGenerator>
#include <QTest>
#include <memory>

namespace {
const QString defaultUserRecord =
    QStringLiteral("UD1PT1BT11BT21BT31CO0BP10BP20BP30RF10RF20RF30TM0ID1IC000BV1GP000");
const QString exampleUserRecord =
    QStringLiteral("UD1PT2BT17BT23BT35CO0BP11BP21BP30RF11RF21RF30TM1ID0IC200BV0GP015");

std::unique_ptr<tIRRFDevice> newTransmitter() {
    return std::unique_ptr<tIRRFDevice>(Create<tIRRFDevice>(QStringLiteral("Device"), nullptr));
}

// The record that a text from the transmitter fills: "FD..." the factory record, "UD..." the user one.
tIRRFRecord* recordFor(const tIRRFDevice& device, const QString& text) {
    if (text.startsWith(QLatin1String("FD"))) return device.FactoryRecord();
    return device.UserRecord();
}

// Every value of the transmitter at random, within what the records carry.
void randomise(tIRRFDevice& device, QRandomGenerator& random) {
    auto pick = [&](int count) { return int(random.bounded(count)); };
    auto text = [&](int length, const QString& alphabet) {
        QString result;
        while (length-- > 0)
            result += alphabet.at(pick(int(alphabet.size())));
        return result;
    };
    const QString digits = QStringLiteral("0123456789");
    tIRRFFactoryRecord* factory = device.FactoryRecord();
    tIRRFUserRecord* user = device.UserRecord();
    factory->FD()->SetValueText(text(1, "12"));
    factory->SW()->SetValueText(pick(2) ? "0199" : "02A0");
    factory->HW()->SetValueText("00" + text(1, "PT") + text(1, digits));
    factory->WO()->SetValueText(text(6, digits));
    factory->Date()->SetValueText(text(2, digits) + "/" + text(2, digits) + "/" + text(2, digits));
    // Trimmed and without "/": the file format keeps no outer blanks and takes "//" as a comment.
    factory->CN()->SetValueText(text(pick(40), "ABC xyz-09.").trimmed());
    factory->CC()->SetAsInteger(pick(1000));
    factory->SF()->SetAsInteger(pick(8));
    user->UserRecVer()->SetValueText(text(1, "12"));
    user->Protocol()->SetAsInteger(pick(2));
    for (int n = 1; n <= 3; ++n) {
        user->Button(n)->ButtonType()->SetAsInteger(pick(7));
        user->Button(n)->BeeperSounds()->SetAsBoolean(pick(2));
        user->Button(n)->RFEnabled()->SetAsBoolean(pick(2));
    }
    user->ButtonsSame()->SetAsBoolean(pick(2));
    user->TransmitMode()->SetAsInteger(pick(2));
    user->TransmitID()->SetAsBoolean(pick(2));
    user->ID()->SetAsInteger(pick(256));
    user->TransmitBatteryStatus()->SetAsBoolean(pick(2));
    user->GroupAddress()->SetAsInteger(pick(16));
    if (user->ButtonsSame()->AsBoolean()) user->Button(1)->CopyFrom(*user->Button(2));
}
} // namespace

class tst_transmitter : public QObject {
    Q_OBJECT
private slots:
    void composesRecordsAndFrames() {
        auto device = newTransmitter();
        tIRRFFactoryRecord* factory = device->FactoryRecord();
        tIRRFUserRecord* user = device->UserRecord();
        QCOMPARE(factory->GetRecordText(),
                 "FD1 SW00A0 HW00T0 W/O 000000 Date " + tIRRFFactoryRecord::TodayText() + " CC000 CN Arvel");
        QCOMPARE(factory->SW()->CompareMode(), 1); // the firmware is no difference when verifying
        QCOMPARE(user->GetRecordText(), defaultUserRecord);
        QCOMPARE(user->Protocol()->DisplayText(), "Arvel");
        const QString frame = device->ComposeUserFrame(); // SOH, record, EOT, check byte
        QCOMPARE(frame, QChar(1) + defaultUserRecord + QChar(4) + frame.back());
        QCOMPARE(device->ComposeFactoryFrame(), FrameOf(factory->GetRecordText()));

        factory->FD()->SetAsInteger(2);
        factory->SF()->SetAsInteger(0);
        factory->SF()->SetFlag(sf_Allow_Attack, true);
        factory->SF()->SetFlag(sf_Allow_Attendance, true);
        QVERIFY(factory->GetRecordText().contains(" CC000 SF005 CN Arvel"));
        user->Protocol()->SetAsEnum(irrf_RM800_Protocol);
        QCOMPARE(user->Protocol()->DisplayText(), "RM800");
    }

    // A record from a transmitter is taken apart into its values, and composing it again gives the
    // same record. A path ("Button#2>RF Enabled") names a property below the record, "#" its key.
    void recordParses_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("warns"); // of a record version this program was not made for
        QTest::newRow("factory record of a pendant")
            << "FD1 SW02B0 HW00P1 W/O 123456 Date 01/02/09 CC012 CN X"
            << QStringList{"HW=00P1", "W/O=123456", "Date=01/02/09", "CC=12", "CN=X"}
            << int(tIRRFDevice::Pendant) << false;
        QTest::newRow("factory record with special flags")
            << "FD2 SW02B0 HW00T1 W/O 123456 Date 01/02/09 CC012 SF006 CN Arvel Ltd"
            << QStringList{"FD=2", "SW=02B0", "CN=Arvel Ltd"} << int(tIRRFDevice::Staff) << false;
        QTest::newRow("user record")
            << exampleUserRecord
            << QString("IR/RF Protocol=irrf_RM800_Protocol;Button#1>Button Type=irrf_Attendance;"
                       "Button#2>Button Type=irrf_Help_Required;Button#3>Button Type=irrf_Presence;"
                       "Buttons 2 and 3 same=FALSE;Button#1>Beeper Sounds=TRUE;Button#2>Beeper Sounds=TRUE;"
                       "Button#3>Beeper Sounds=FALSE;Button#1>RF Enabled=TRUE;Button#2>RF Enabled=TRUE;"
                       "Button#3>RF Enabled=FALSE;Transmit Mode=tm_Auto_Stop;Transmit ID=FALSE;ID=200;"
                       "Transmit Battery Status=FALSE;Group Address=15")
                   .split(QLatin1Char(';'))
            << int(tIRRFDevice::Staff) << false;
        QTest::newRow("user record of an unknown version")
            << "UD3" + defaultUserRecord.mid(3) << QStringList{"User Rec Ver=3", "Group Address=0"}
            << int(tIRRFDevice::Staff) << true;
    }
    void recordParses() {
        QFETCH(QString, record);
        QFETCH(QStringList, values);
        QFETCH(bool, warns);
        MessageRecorder messages;
        auto device = newTransmitter();
        tIRRFRecord* target = recordFor(*device, record);
        target->SetRecordText(record.mid(2));
        for (const QString& expected : values) {
            const tPelBaseProperty* node = target;
            for (const QString& step : expected.section(QLatin1Char('='), 0, 0).split(QLatin1Char('>'))) {
                node = static_cast<const tPelCompoundProperty*>(node)->Children().FindChild(
                    step.section(QLatin1Char('#'), 0, 0), step.section(QLatin1Char('#'), 1), false);
                QVERIFY2(node, qPrintable(expected));
            }
            QCOMPARE(expected.section(QLatin1Char('='), 0, 0) + QLatin1Char('=') + node->Value(), expected);
        }
        QTEST(device->TransmitterKind(), "kind");
        QCOMPARE(target->GetRecordText(), record);
        QCOMPARE(messages.warnings, warns ? QStringList{VersionWarning} : QStringList());
    }

    // The first fault of a record is raised; what was taken before it is still composable.
    void recordFaults_data() {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("message");
        const QString factoryField = QStringLiteral("Unexpected field in factory record");
        const QString made = QStringLiteral(" SW02B0 HW00P1 W/O 123456 Date 01/02/09 ");
        const QString end = QStringLiteral("Unexpected End of Record (IRRF user record)");
        auto notInteger = [](const char* text) {
            return QStringLiteral("'%1' is not a valid integer value").arg(QLatin1String(text));
        };
        auto userField = [](const char* detail) {
            return QStringLiteral("Unexpected field in record (IRRF user record - %1)").arg(detail);
        };
        auto invalid = [](const char* field) {
            return QStringLiteral("Invalid value in user record (%1 field)").arg(QLatin1String(field));
        };
        auto user = [](const char* from, const char* to) {
            return QString(defaultUserRecord).replace(QLatin1String(from), QLatin1String(to));
        };
        QTest::newRow("FD empty") << "FD" << notInteger("");
        QTest::newRow("FD version not a digit") << "FDX SW02B0" << notInteger("X");
        QTest::newRow("SW label") << "FD1 SX02B0 HW00P1" << factoryField;
        QTest::newRow("stops after W/O") << "FD1 SW02B0 HW00P1 W/O 123456" << factoryField;
        QTest::newRow("CC not a number") << "FD1" + made + "CCabc CN X" << notInteger("abc");
        QTest::newRow("CN label") << "FD1" + made + "CC012 XN X" << factoryField;
        QTest::newRow("SF not hex") << "FD2" + made + "CC012 SF00G CN X"
                                    << "Format Error - hex field expected";
        QTest::newRow("SF missing") << "FD2" + made + "CC012 CN X" << factoryField;
        QTest::newRow("SF cut short") << "FD2" + made + "CC012 SF0" << factoryField;
        QTest::newRow("UD empty") << "UD" << end;
        QTest::newRow("after button 2 label") << "UD1PT1BT11BT2" << end;
        QTest::newRow("group address cut") << defaultUserRecord.chopped(1) << end;
        QTest::newRow("PT") << user("PT1", "XT1") << userField("PT field missing");
        QTest::newRow("protocol digit names no protocol") << user("PT1", "PT3") << invalid("PT");
        QTest::newRow("protocol not a digit") << user("PT1", "PTA") << invalid("PT");
        QTest::newRow("BT label") << user("BT11", "BX11") << userField("BT field");
        QTest::newRow("BT number") << user("BT21", "BT31") << userField("BT field");
        QTest::newRow("button type 0") << user("BT31", "BT30") << invalid("BT");
        QTest::newRow("button type 8") << user("BT11", "BT18") << invalid("BT");
        QTest::newRow("CO") << user("CO0", "CX0") << userField("CO field missing");
        QTest::newRow("BP") << user("BP20", "BQ20") << userField("BP field");
        QTest::newRow("RF") << user("RF30", "RF20") << userField("RF field");
        QTest::newRow("TM") << user("TM0", "TX0") << userField("TM field missing");
        QTest::newRow("transmit mode 2") << user("TM0", "TM2") << invalid("TM");
        QTest::newRow("ID") << user("ID1", "IX1") << userField("ID field missing");
        QTest::newRow("IC") << user("IC000", "IX000") << userField("IC field missing");
        QTest::newRow("IC not a number") << user("IC000", "IC0A0") << notInteger("0A0");
        QTest::newRow("BV") << user("BV1", "BW1") << userField("BV field missing");
        QTest::newRow("GP") << user("GP000", "GX000") << userField("GP field missing");
    }
    void recordFaults() {
        QFETCH(QString, record);
        MessageRecorder messages;
        auto device = newTransmitter();
        tIRRFRecord* target = recordFor(*device, record);
        QTEST(raisedMessage([&] { target->SetRecordText(record.mid(2)); }), "message");
        target->GetRecordText();
    }

    // While "Buttons 2 and 3 same" is set, button 1 follows button 2 and cannot be edited.
    void button1FollowsButton2WhileSame() {
        auto device = newTransmitter();
        tIRRFUserRecord* user = device->UserRecord();
        user->SetRecordText(exampleUserRecord.mid(2).replace(QStringLiteral("CO0"), QStringLiteral("CO1")));
        QCOMPARE(user->Button(1)->ButtonType()->AsEnum(), irrf_Help_Required);
        QVERIFY(!user->Button(1)->Enabled());
        QVERIFY(!user->Button(1)->ButtonType()->Enabled());
        user->Button(2)->RFEnabled()->SetAsBoolean(false);
        QCOMPARE(user->Button(1)->RFEnabled()->AsBoolean(), false);
        user->ButtonsSame()->SetAsBoolean(false);
        QVERIFY(user->Button(1)->Enabled());
        user->Button(2)->BeeperSounds()->SetAsBoolean(false);
        QCOMPARE(user->Button(1)->BeeperSounds()->AsBoolean(), true);
    }

    // The third letter of the hardware version tells a pendant ("P") from a staff transmitter, whose
    // flags and button types are set when the kind changes.
    void hardwareLetterSetsKindDefaults() {
        auto device = newTransmitter();
        tIRRFFactoryRecord* factory = device->FactoryRecord();
        tIRRFUserRecord* user = device->UserRecord();
        auto type = [&](int n) { return user->Button(n)->ButtonType(); };
        QCOMPARE(factory->SF()->AsInteger(), 7);

        factory->HW()->SetValueText(QStringLiteral("00P0"));
        QCOMPARE(device->TransmitterKind(), int(tIRRFDevice::Pendant));
        QCOMPARE(factory->SF()->AsInteger(), 0);
        QCOMPARE(type(2)->AsEnum(), irrf_Help_Required);
        type(2)->SetAsEnum(irrf_Presence);
        factory->HW()->SetValueText(QStringLiteral("01P1")); // still a pendant
        QCOMPARE(type(2)->AsEnum(), irrf_Presence);

        type(1)->SetAsEnum(irrf_Reset);
        factory->HW()->SetValueText(QStringLiteral("00T0"));
        QCOMPARE(factory->SF()->AsInteger(), 7);
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(type(n)->AsEnum(), irrf_Attack);
        factory->HW()->SetValueText(QStringLiteral("0P"));
        QCOMPARE(device->TransmitterKind(), int(tIRRFDevice::Staff));
    }

    void softwareVersionAndFlagsNarrowButtonTypes() {
        auto device = newTransmitter();
        tIRRFFactoryRecord* factory = device->FactoryRecord();
        tIRRFCallTypeClass* type = device->UserRecord()->Button(3)->ButtonType();
        int signalled = 0;
        device->SetOnSpecialFlagsChanged([&](tSpecialFlags* flags) { signalled += flags == factory->SF(); });

        factory->SW()->SetValueText(QStringLiteral("0199"));
        QCOMPARE(type->Max(), int(irrf_Reset));
        QCOMPARE(factory->SF()->AllowedMask(), uint16_t(0));
        factory->SW()->SetValueText(QStringLiteral("02A0"));
        QCOMPARE(type->Max(), int(irrf_Attendance));
        QCOMPARE(factory->SF()->AllowedMask(), tPelBaseEnumProperty::AllAllowed);
        QVERIFY(type->IsAllowed(irrf_Attendance));

        factory->SF()->SetAsInteger(1 << sf_Allow_Emergency);
        QVERIFY(!type->IsAllowed(irrf_Attack));
        QVERIFY(type->IsAllowed(irrf_Emergency));
        QVERIFY(!type->IsAllowed(irrf_Attendance));
        QVERIFY(type->IsAllowed(irrf_Help_Required));
        QCOMPARE(signalled, 1);
    }

    // The group address matters only while a button the transmitter uses sends by radio.
    void groupAddressFollowsRadioButtons() {
        auto device = newTransmitter();
        tIRRFUserRecord* user = device->UserRecord();
        QVERIFY(!user->GroupAddress()->Enabled());
        user->Button(3)->RFEnabled()->SetAsBoolean(true);
        QVERIFY(user->GroupAddress()->Enabled());
        device->FactoryRecord()->HW()->SetValueText(QStringLiteral("00P0")); // a pendant uses button 2 only
        QVERIFY(!user->GroupAddress()->Enabled());
        user->Button(2)->RFEnabled()->SetAsBoolean(true);
        QVERIFY(user->GroupAddress()->Enabled());
    }

    // Sent and read back, or saved and loaded again, the transmitter keeps every value.
    void roundTripsRandomConfigurations() {
        MessageRecorder messages;
        QRandomGenerator random(1234);
        for (int i = 0; i < 200; ++i) {
            auto source = newTransmitter();
            randomise(*source, random);
            auto copy = newTransmitter();
            for (tIRRFRecord* record :
                 std::initializer_list<tIRRFRecord*>{source->FactoryRecord(), source->UserRecord()}) {
                const QString text = record->GetRecordText();
                recordFor(*copy, text)->SetRecordText(text.mid(2));
                QCOMPARE(recordFor(*copy, text)->GetRecordText(), text);
            }

            tLines saved, resaved;
            source->WriteTo(saved, false, 0);
            auto loaded = newTransmitter();
            int line = 1;
            QVERIFY(loaded->ReadBody(saved, line, nullptr));
            loaded->WriteTo(resaved, false, 0);
            QCOMPARE(resaved, saved);
        }
        QVERIFY(messages.warnings.isEmpty());
    }
};

QTEST_GUILESS_MAIN(tst_transmitter)
#include "tst_transmitter.moc"
