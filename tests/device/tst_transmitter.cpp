#include "MessageRecorder.h"
#include "device/Devices.h"

#include <QRandomGenerator>
#include <QTest>
#include <memory>

namespace {
const QString defaultUserBody =
    QStringLiteral("1PT1BT11BT21BT31CO0BP10BP20BP30RF10RF20RF30TM0ID1IC000BV1GP000");
const QString exampleUserBody =
    QStringLiteral("1PT2BT17BT23BT35CO0BP11BP21BP30RF11RF21RF30TM1ID0IC200BV0GP015");
const QString versionWarning = QStringLiteral(
    "Unexpected Version Number. If you program this device results may be erroneous or incomplete");

std::unique_ptr<tIRRFDevice> newTransmitter() {
    return std::unique_ptr<tIRRFDevice>(Create<tIRRFDevice>(QStringLiteral("Device"), nullptr));
}

QString userField(const char* detail) {
    return QStringLiteral("Unexpected field in record (IRRF user record - ") + QLatin1String(detail) + ")";
}

QString randomText(QRandomGenerator& random, int length, const QString& alphabet) {
    QString text;
    for (int i = 0; i < length; ++i)
        text += alphabet.at(random.bounded(alphabet.size()));
    return text;
}

void randomise(tIRRFDevice& device, QRandomGenerator& random) {
    const QString digits = QStringLiteral("0123456789");
    tIRRFFactoryRecord* factory = device.FactoryRecord();
    factory->FD()->SetAsInteger(1 + random.bounded(2));
    factory->SW()->SetValueText(random.bounded(2) ? QStringLiteral("0199") : QStringLiteral("02A0"));
    factory->HW()->SetValueText(QStringLiteral("00") + (random.bounded(2) ? "P" : "T") +
                                randomText(random, 1, digits));
    factory->WO()->SetValueText(randomText(random, 6, digits));
    factory->Date()->SetValueText(randomText(random, 2, digits) + "/" + randomText(random, 2, digits) + "/" +
                                  randomText(random, 2, digits));
    factory->CC()->SetAsInteger(random.bounded(1000));
    // Trimmed and without "/": the file format keeps no outer blanks and takes "//" as a comment.
    factory->CN()->SetValueText(
        randomText(random, random.bounded(40), QStringLiteral("ABC xyz-09.")).trimmed());
    factory->SF()->SetAsInteger(random.bounded(8));

    tIRRFUserRecord* user = device.UserRecord();
    user->UserRecVer()->SetValueText(random.bounded(2) ? QStringLiteral("1") : QStringLiteral("2"));
    user->Protocol()->SetAsInteger(random.bounded(2));
    for (int n = 1; n <= 3; ++n) {
        user->Button(n)->ButtonType()->SetAsInteger(random.bounded(7));
        user->Button(n)->BeeperSounds()->SetAsBoolean(random.bounded(2));
        user->Button(n)->RFEnabled()->SetAsBoolean(random.bounded(2));
    }
    user->ButtonsSame()->SetAsBoolean(random.bounded(2));
    if (user->ButtonsSame()->AsBoolean()) user->Button(1)->CopyFrom(*user->Button(2));
    user->TransmitMode()->SetAsInteger(random.bounded(2));
    user->TransmitID()->SetAsBoolean(random.bounded(2));
    user->ID()->SetAsInteger(random.bounded(256));
    user->TransmitBatteryStatus()->SetAsBoolean(random.bounded(2));
    user->GroupAddress()->SetAsInteger(random.bounded(16));
}
} // namespace

class tst_transmitter : public QObject {
    Q_OBJECT
private slots:
    void factoryRecordDefaults() {
        auto device = newTransmitter();
        const QString expected = QStringLiteral("FD1 SW00A0 HW00T0 W/O 000000 Date ") +
                                 tIRRFFactoryRecord::TodayText() + QStringLiteral(" CC000 CN Arvel");
        QCOMPARE(device->FactoryRecord()->GetRecordText(), expected);
        QCOMPARE(device->FactoryRecord()->SW()->CompareMode(), 1);

        device->FactoryRecord()->FD()->SetAsInteger(2);
        device->FactoryRecord()->SF()->SetAsInteger(0);
        device->FactoryRecord()->SF()->SetFlag(sf_Allow_Attack, true);
        device->FactoryRecord()->SF()->SetFlag(sf_Allow_Attendance, true);
        QVERIFY(device->FactoryRecord()->GetRecordText().contains(QStringLiteral(" CC000 SF005 CN Arvel")));
    }

    // A record from a transmitter is taken apart into its values, and composing it again gives the
    // same record. A path ("Button#2>RF Enabled") names a property below the record, "#" its key.
    void recordParses_data() {
        QTest::addColumn<bool>("factory");
        QTest::addColumn<QString>("body");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<int>("kind");
        QTest::newRow("factory record of a pendant")
            << true << "1 SW02B0 HW00P1 W/O 123456 Date 01/02/09 CC012 CN X"
            << QStringList{"HW=00P1", "W/O=123456", "Date=01/02/09", "CC=12", "CN=X"}
            << int(tIRRFDevice::Pendant);
        QTest::newRow("factory record with special flags")
            << true << "2 SW02B0 HW00T1 W/O 123456 Date 01/02/09 CC012 SF006 CN Arvel Ltd"
            << QStringList{"FD=2", "SW=02B0", "CN=Arvel Ltd"} << int(tIRRFDevice::Staff);
        QTest::newRow("user record")
            << false << exampleUserBody
            << QString("IR/RF Protocol=irrf_RM800_Protocol;Button#1>Button Type=irrf_Attendance;"
                       "Button#2>Button Type=irrf_Help_Required;Button#3>Button Type=irrf_Presence;"
                       "Buttons 2 and 3 same=FALSE;Button#1>Beeper Sounds=TRUE;Button#2>Beeper Sounds=TRUE;"
                       "Button#3>Beeper Sounds=FALSE;Button#1>RF Enabled=TRUE;Button#2>RF Enabled=TRUE;"
                       "Button#3>RF Enabled=FALSE;Transmit Mode=tm_Auto_Stop;Transmit ID=FALSE;ID=200;"
                       "Transmit Battery Status=FALSE;Group Address=15")
                   .split(QLatin1Char(';'))
            << int(tIRRFDevice::Staff);
    }
    void recordParses() {
        QFETCH(bool, factory);
        QFETCH(QString, body);
        QFETCH(QStringList, values);
        MessageRecorder messages;
        auto device = newTransmitter();
        tIRRFRecord* record = factory ? static_cast<tIRRFRecord*>(device->FactoryRecord())
                                      : static_cast<tIRRFRecord*>(device->UserRecord());
        record->SetRecordText(body);
        for (const QString& expected : values) {
            const tPelBaseProperty* node = record;
            for (const QString& step : expected.section(QLatin1Char('='), 0, 0).split(QLatin1Char('>'))) {
                node = static_cast<const tPelCompoundProperty*>(node)->Children().FindChild(
                    step.section(QLatin1Char('#'), 0, 0), step.section(QLatin1Char('#'), 1), false);
                QVERIFY2(node, qPrintable(expected));
            }
            QCOMPARE(expected.section(QLatin1Char('='), 0, 0) + QLatin1Char('=') + node->Value(), expected);
        }
        QTEST(device->TransmitterKind(), "kind");
        QCOMPARE(record->GetRecordText(), (factory ? QStringLiteral("FD") : QStringLiteral("UD")) + body);
        QVERIFY(messages.warnings.isEmpty());
    }

    void factoryRecordFaults_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("message");
        const QString field = QStringLiteral("Unexpected field in factory record");
        QTest::newRow("empty") << ""
                               << "'' is not a valid integer value";
        QTest::newRow("version not a digit") << "X SW02B0"
                                             << "'X' is not a valid integer value";
        QTest::newRow("SW label") << "1 SX02B0 HW00P1" << field;
        QTest::newRow("stops after W/O") << "1 SW02B0 HW00P1 W/O 123456" << field;
        QTest::newRow("CC not a number") << "1 SW02B0 HW00P1 W/O 123456 Date 01/02/09 CCabc CN X"
                                         << "'abc' is not a valid integer value";
        QTest::newRow("CN label") << "1 SW02B0 HW00P1 W/O 123456 Date 01/02/09 CC012 XN X" << field;
        QTest::newRow("SF not hex") << "2 SW02B0 HW00P1 W/O 123456 Date 01/02/09 CC012 SF00G CN X"
                                    << "Format Error - hex field expected";
        QTest::newRow("SF missing") << "2 SW02B0 HW00P1 W/O 123456 Date 01/02/09 CC012 CN X" << field;
        QTest::newRow("SF cut short") << "2 SW02B0 HW00P1 W/O 123456 Date 01/02/09 CC012 SF0" << field;
    }
    void factoryRecordFaults() {
        QFETCH(QString, body);
        QFETCH(QString, message);
        auto device = newTransmitter();
        QCOMPARE(raisedMessage([&] { device->FactoryRecord()->SetRecordText(body); }), message);
        // Whatever was taken is still composable.
        device->FactoryRecord()->GetRecordText();
    }

    void userRecordComposes() {
        auto device = newTransmitter();
        tIRRFUserRecord* user = device->UserRecord();
        QCOMPARE(user->GetRecordText(), QStringLiteral("UD") + defaultUserBody);
        user->ID()->SetAsInteger(7);
        user->GroupAddress()->SetAsInteger(12);
        QVERIFY(user->GetRecordText().endsWith(QStringLiteral("IC007BV1GP012")));
        QCOMPARE(user->Protocol()->DisplayText(), QStringLiteral("Arvel"));
        user->Protocol()->SetAsEnum(irrf_RM800_Protocol);
        QCOMPARE(user->Protocol()->DisplayText(), QStringLiteral("RM800"));
    }

    void buttonsSameCopiesLaterChangesOfButton2() {
        auto device = newTransmitter();
        tIRRFUserRecord* user = device->UserRecord();
        user->SetRecordText(QString(exampleUserBody).replace(QStringLiteral("CO0"), QStringLiteral("CO1")));
        QCOMPARE(user->Button(1)->ButtonType()->AsEnum(), irrf_Help_Required);
        QCOMPARE(user->Button(1)->BeeperSounds()->AsBoolean(), true);
        QCOMPARE(user->Button(1)->RFEnabled()->AsBoolean(), true);
        QVERIFY(!user->Button(1)->Enabled());
        QVERIFY(!user->Button(1)->ButtonType()->Enabled());
        user->ButtonsSame()->SetAsBoolean(false);
        QVERIFY(user->Button(1)->Enabled());
        user->Button(2)->BeeperSounds()->SetAsBoolean(false);
        QCOMPARE(user->Button(1)->BeeperSounds()->AsBoolean(), true);
    }

    void unexpectedUserRecordVersionWarnsOnce() {
        MessageRecorder messages;
        auto device = newTransmitter();
        device->UserRecord()->SetRecordText(QStringLiteral("3") + defaultUserBody.mid(1));
        QCOMPARE(messages.warnings, QStringList{versionWarning});
        QCOMPARE(device->UserRecord()->GroupAddress()->AsInteger(), 0);
        QCOMPARE(device->UserRecord()->UserRecVer()->Value(), QStringLiteral("3"));
    }

    void userRecordFaults_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<QString>("message");
        const QString end = QStringLiteral("Unexpected End of Record (IRRF user record)");
        auto invalid = [](const char* field) {
            return QStringLiteral("Invalid value in user record (%1 field)").arg(QLatin1String(field));
        };
        auto replaced = [](const char* from, const char* to) {
            return QString(defaultUserBody).replace(QLatin1String(from), QLatin1String(to));
        };
        QTest::newRow("empty") << "" << end;
        QTest::newRow("after button 2 label") << "1PT1BT11BT2" << end;
        QTest::newRow("group address cut") << defaultUserBody.chopped(1) << end;
        QTest::newRow("PT") << replaced("PT1", "XT1") << userField("PT field missing");
        QTest::newRow("protocol digit names no protocol") << replaced("PT1", "PT3") << invalid("PT");
        QTest::newRow("protocol not a digit") << replaced("PT1", "PTA") << invalid("PT");
        QTest::newRow("BT label") << replaced("BT11", "BX11") << userField("BT field");
        QTest::newRow("BT number") << replaced("BT21", "BT31") << userField("BT field");
        QTest::newRow("button type 0") << replaced("BT31", "BT30") << invalid("BT");
        QTest::newRow("button type 8") << replaced("BT11", "BT18") << invalid("BT");
        QTest::newRow("CO") << replaced("CO0", "CX0") << userField("CO field missing");
        QTest::newRow("BP") << replaced("BP20", "BQ20") << userField("BP field");
        QTest::newRow("RF") << replaced("RF30", "RF20") << userField("RF field");
        QTest::newRow("TM") << replaced("TM0", "TX0") << userField("TM field missing");
        QTest::newRow("transmit mode 2") << replaced("TM0", "TM2") << invalid("TM");
        QTest::newRow("ID") << replaced("ID1", "IX1") << userField("ID field missing");
        QTest::newRow("IC") << replaced("IC000", "IX000") << userField("IC field missing");
        QTest::newRow("IC not a number")
            << replaced("IC000", "IC0A0") << "'0A0' is not a valid integer value";
        QTest::newRow("BV") << replaced("BV1", "BW1") << userField("BV field missing");
        QTest::newRow("GP") << replaced("GP000", "GX000") << userField("GP field missing");
    }
    void userRecordFaults() {
        QFETCH(QString, body);
        QFETCH(QString, message);
        MessageRecorder messages;
        auto device = newTransmitter();
        QCOMPARE(raisedMessage([&] { device->UserRecord()->SetRecordText(body); }), message);
        device->UserRecord()->GetRecordText(); // nothing unsendable was stored
    }

    void hardwareLetterSwitchesDefaults() {
        auto device = newTransmitter();
        tIRRFFactoryRecord* factory = device->FactoryRecord();
        tIRRFUserRecord* user = device->UserRecord();
        QCOMPARE(factory->SF()->AsInteger(), 7);

        factory->HW()->SetValueText(QStringLiteral("00P0"));
        QCOMPARE(device->TransmitterKind(), int(tIRRFDevice::Pendant));
        QCOMPARE(factory->SF()->AsInteger(), 0);
        QCOMPARE(user->Button(2)->ButtonType()->AsEnum(), irrf_Help_Required);

        user->Button(2)->ButtonType()->SetAsEnum(irrf_Presence);
        factory->HW()->SetValueText(QStringLiteral("01P1"));
        QCOMPARE(user->Button(2)->ButtonType()->AsEnum(), irrf_Presence);

        user->Button(1)->ButtonType()->SetAsEnum(irrf_Reset);
        factory->HW()->SetValueText(QStringLiteral("00T0"));
        QCOMPARE(factory->SF()->AsInteger(), 7);
        for (int n = 1; n <= 3; ++n)
            QCOMPARE(user->Button(n)->ButtonType()->AsEnum(), irrf_Attack);

        factory->HW()->SetValueText(QStringLiteral("0P"));
        QCOMPARE(device->TransmitterKind(), int(tIRRFDevice::Staff));
    }

    void softwareVersionAndFlagsNarrowButtonTypes() {
        auto device = newTransmitter();
        tIRRFFactoryRecord* factory = device->FactoryRecord();
        tIRRFCallTypeClass* type = device->UserRecord()->Button(3)->ButtonType();
        int signalled = 0;
        device->SetOnSpecialFlagsChanged([&](tSpecialFlags* flags) {
            QCOMPARE(flags, factory->SF());
            ++signalled;
        });

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

    void groupAddressFollowsRadioButtons() {
        auto device = newTransmitter();
        tIRRFUserRecord* user = device->UserRecord();
        QVERIFY(!user->GroupAddress()->Enabled());
        user->Button(3)->RFEnabled()->SetAsBoolean(true);
        QVERIFY(user->GroupAddress()->Enabled());
        // A pendant uses button 2 only.
        device->FactoryRecord()->HW()->SetValueText(QStringLiteral("00P0"));
        QVERIFY(!user->GroupAddress()->Enabled());
        user->Button(2)->RFEnabled()->SetAsBoolean(true);
        QVERIFY(user->GroupAddress()->Enabled());
    }

    void framesRecords() {
        auto device = newTransmitter();
        const QString user = device->ComposeUserFrame();
        QCOMPARE(user.mid(1, user.size() - 3), QStringLiteral("UD") + defaultUserBody);
        QCOMPARE(user.at(0).unicode(), ushort(1));
        QCOMPARE(user.at(user.size() - 2).unicode(), ushort(4));
        const QString factory = device->ComposeFactoryFrame();
        QCOMPARE(factory, FrameOf(device->FactoryRecord()->GetRecordText()));
    }

    void roundTripsRandomConfigurations() {
        MessageRecorder messages;
        QRandomGenerator random(1234);
        for (int i = 0; i < 200; ++i) {
            auto source = newTransmitter();
            randomise(*source, random);
            const QString factoryText = source->FactoryRecord()->GetRecordText();
            const QString userText = source->UserRecord()->GetRecordText();
            auto copy = newTransmitter();
            copy->FactoryRecord()->SetRecordText(factoryText.mid(2));
            copy->UserRecord()->SetRecordText(userText.mid(2));
            QCOMPARE(copy->FactoryRecord()->GetRecordText(), factoryText);
            QCOMPARE(copy->UserRecord()->GetRecordText(), userText);
            QCOMPARE(copy->ComposeUserFrame(), source->ComposeUserFrame());

            // Saved and loaded again, the transmitter keeps every value.
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
