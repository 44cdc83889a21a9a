#include "MessageRecorder.h"
#include "device/Devices.h"

#include <QRandomGenerator>
#include <QTest>
#include <memory>

namespace {
const QString versionWarning = QStringLiteral(
    "Unexpected Version Number. If you program this device results may be erroneous or incomplete");
const QString header =
    QStringLiteral("0201") + QStringLiteral("ABCDEFGHIJKLMNOP") + QStringLiteral("05") + QStringLiteral("03");

template <class T> std::unique_ptr<T> newDevice() {
    return std::unique_ptr<T>(Create<T>(QStringLiteral("Device"), nullptr));
}

std::unique_ptr<tOtherDevice> newWiredDevice(int type) {
    switch (type) {
    case dt_MPD_Call_Point:
        return newDevice<tMPD>();
    case dt_Relay_Output:
        return newDevice<tRelayOutput>();
    case dt_Zone_Indicator:
        return newDevice<tZonalIndicator>();
    default:
        return newDevice<tCallPoint250>();
    }
}

// The user data of a programming frame: the payload without SOH, EOT and check byte.
QString payloadOf(const QString& frame) {
    return frame.mid(1, frame.size() - 3);
}

void parse(tOtherDevice& device, const QString& reply) {
    QString text = reply;
    device.ParseDeviceData(text);
}

// A header whose version the device accepts.
QString headerFor(tOtherDevice& device) {
    QString version = QStringLiteral("0201");
    if (!device.IsVersionSupported(version)) version = QStringLiteral("0102");
    return version + QStringLiteral("ABCDEFGHIJKLMNOP0503");
}

class tFakeEdit : public IEditBox {
public:
    bool IsEnabled() const override { return enabled; }
    void SetEnabled(bool flag) override { enabled = flag; }
    QString Text() const override { return text; }
    void SetText(const QString& value) override { text = value; }
    void SetReadOnly(bool flag) override { readOnly = flag; }
    void SetParentColour(bool flag) override { parentColour = flag; }
    tNotifyEvent OnChange() const override { return handler; }
    void SetOnChange(tNotifyEvent h) override { handler = std::move(h); }

    bool enabled = true, readOnly = false, parentColour = false;
    QString text;
    tNotifyEvent handler;
};

template <class T> void pick(tPelEnum<T>* property, QRandomGenerator& random) {
    QList<int> allowed;
    for (int ordinal = property->Min(); ordinal <= property->Max(); ++ordinal)
        if (property->IsAllowed(ordinal)) allowed.append(ordinal);
    property->SetAsInteger(allowed.at(random.bounded(int(allowed.size()))));
}

void flip(tPelBooleanProperty* property, QRandomGenerator& random) {
    if (property->Enabled()) property->SetAsBoolean(random.bounded(2));
}

void randomise(tMPD& device, QRandomGenerator& random) {
    tMPDUserData* data = device.UserData();
    data->HTM2015Enable()->SetAsBoolean(random.bounded(2));
    flip(data->HelpRequired(), random);
    flip(data->ResetMode(), random);
    flip(data->TailCallEnabled(), random);
    flip(data->MonitorPointResetEnable(), random);
    if (data->EnsuiteInputCallType()->Enabled()) pick(data->EnsuiteInputCallType(), random);
    for (tPelEnumProperty* p : std::initializer_list<tPelEnumProperty*>{
             data->SpecialInputSwitchType(), data->SpecialInputCallType(), data->MonitorCallPointType(),
             data->CallSwitchContactType(), data->ResetSwitchContactType(), data->SpecialSwitchContactType(),
             data->DayNightSwitchLEDLit()}) {
        QList<int> allowed;
        for (int o = p->Min(); o <= p->Max(); ++o)
            if (p->IsAllowed(o)) allowed.append(o);
        p->SetAsInteger(allowed.at(random.bounded(int(allowed.size()))));
    }
    const int codes[] = {0, 2, 3};
    device.SetModeCode(codes[random.bounded(3)]);
}

void randomise(tRelayOutput& device, QRandomGenerator& random) {
    for (int bit = 0; bit < tRelayOutput::ConditionCount; ++bit)
        flip(device.Condition(bit), random);
}

void randomise(tZonalIndicator& device, QRandomGenerator& random) {
    device.HTM2015Enabled()->SetAsBoolean(random.bounded(2));
    pick(device.HTM2015Tone(), random);
    for (int row = 0; row < tZonalIndicator::RowCount; ++row) {
        pick(device.ModeData(row)->DayVolume(), random);
        pick(device.ModeData(row)->NightVolume(), random);
        pick(device.ModeData(row)->Tone(), random);
    }
}

void randomise(tCallPoint250& device, QRandomGenerator& random) {
    tCallPoint250UserData* data = device.UserData();
    data->HTM2015Mode()->SetAsBoolean(random.bounded(2));
    flip(data->ResetMode(), random);
    flip(data->BeeperEnabled(), random);
    flip(data->IRInputEnabled(), random);
    flip(data->IRPresenceReset(), random);
    pick(data->TailCallType(), random);
    pick(data->EnsuiteCallType(), random);
    pick(data->ButtonCallType(), random);
    // An ensuite slave input survives HTM2015 mode although it is no longer offered.
    data->SlaveCallType()->SetAsInteger(random.bounded(5));
    if (data->HTM2015Mode()->AsBoolean() && data->SlaveCallType()->AsEnum() == ct250_Help_Required)
        data->SlaveCallType()->SetAsEnum(ct250_Call);
}

template <class T> void checkRoundTrips() {
    MessageRecorder messages;
    QRandomGenerator random(1234);
    for (int i = 0; i < 200; ++i) {
        auto source = newDevice<T>();
        randomise(*source, random);
        const QString frame = source->ComposeUserFrame();
        auto copy = newDevice<T>();
        parse(*copy, headerFor(*copy) + payloadOf(frame));
        QCOMPARE(copy->ComposeUserFrame(), frame);

        // Saved and loaded again, the device keeps every value.
        tLines saved, resaved;
        copy->WriteTo(saved, false, 0);
        auto loaded = newDevice<T>();
        int line = 1;
        QVERIFY(loaded->ReadBody(saved, line, nullptr));
        loaded->WriteTo(resaved, false, 0);
        QCOMPARE(resaved, saved);
    }
    QVERIFY(messages.warnings.isEmpty());
}
} // namespace

class tst_wired : public QObject {
    Q_OBJECT
private slots:
    void defaultsCompose() {
        auto mpd = newDevice<tMPD>();
        QCOMPARE(payloadOf(mpd->ComposeUserFrame()), QStringLiteral("490800"));
        auto relay = newDevice<tRelayOutput>();
        relay->ActiveInPresence()->SetAsBoolean(true);
        relay->ActiveInAttack()->SetAsBoolean(true);
        QCOMPARE(relay->ComposeUserFrame(), FrameOf(QStringLiteral("28")));
        auto zone = newDevice<tZonalIndicator>();
        QCOMPARE(payloadOf(zone->ComposeUserFrame()), QStringLiteral("0000242424242421C345"));
        auto zx250 = newDevice<tCallPoint250>();
        QCOMPARE(payloadOf(zx250->ComposeUserFrame()), QStringLiteral("000000"));
        QCOMPARE(zone->NodeAddress()->AsInteger(), 1);
        QVERIFY(!zone->Version()->Enabled());
        QVERIFY(!zone->NodeAddress()->Enabled());
    }

    void noWiredDeviceTakesFactoryData() {
        auto relay = newDevice<tRelayOutput>();
        QCOMPARE(raisedMessage([&] { relay->ComposeFactoryFrame(); }),
                 QStringLiteral("Error - Device not suitable for configuring with factory data"));
    }

    void mpdHelpRequiredRule() {
        auto mpd = newDevice<tMPD>();
        tMPDUserData* data = mpd->UserData();
        data->EnsuiteInputCallType()->SetAsEnum(es_Help_Required);
        data->SpecialInputCallType()->SetAsEnum(ct_Help_Required);
        data->HelpRequired()->SetAsBoolean(false);
        QCOMPARE(data->EnsuiteInputCallType()->AsEnum(), es_Call);
        QVERIFY(!data->EnsuiteInputCallType()->Enabled());
        QCOMPARE(data->SpecialInputCallType()->AsEnum(), ct_Emergency);
        QVERIFY(data->SpecialInputCallType()->Enabled());
        QVERIFY(!data->SpecialInputCallType()->IsAllowed(ct_Help_Required));
        data->HelpRequired()->SetAsBoolean(true);
        QVERIFY(data->EnsuiteInputCallType()->Enabled());
        QVERIFY(data->SpecialInputCallType()->IsAllowed(ct_Help_Required));

        data->HTM2015Enable()->SetAsBoolean(true);
        data->HTM2015Enable()->SetAsBoolean(false);
        QVERIFY(!data->ResetMode()->AsBoolean());
        QVERIFY(data->ResetMode()->Enabled());
        QVERIFY(data->HelpRequired()->AsBoolean());
        QVERIFY(data->HelpRequired()->Enabled());
    }

    void mpdModeCodes() {
        auto mpd = newDevice<tMPD>();
        for (int code : {0, 2, 3}) {
            mpd->SetModeCode(code);
            QCOMPARE(mpd->GetModeCode(), code);
        }
        QCOMPARE(raisedMessage([&] { mpd->SetModeCode(1); }), QStringLiteral("Invalid MPD Mode"));
        mpd->UserData()->Mode()->SetValueText(QStringLiteral("mpd_Unknown"));
        QCOMPARE(raisedMessage([&] { mpd->GetModeCode(); }), QStringLiteral("Invalid MPD Mode"));
    }

    void versionWarnings_data() {
        QTest::addColumn<QString>("version");
        QTest::addColumn<int>("warnings");
        QTest::newRow("supported") << "0199" << 0;
        QTest::newRow("unsupported") << "0312" << 1;
    }
    void versionWarnings() {
        QFETCH(QString, version);
        QFETCH(int, warnings);
        MessageRecorder messages;
        auto relay = newDevice<tRelayOutput>();
        parse(*relay, version + QStringLiteral("ABCDEFGHIJKLMNOP050328"));
        QCOMPARE(messages.warnings, QStringList(warnings, versionWarning));
        QCOMPARE(relay->Condition(5)->AsBoolean(), true); // the read went on
        // Undoing the version back to what it was warns no more.
        relay->Version()->Undo(ckValue, QStringLiteral("0400"));
        // Nor does a new document clearing the version.
        relay->Clear();
        QCOMPARE(relay->Version()->Value(), QString());
        QCOMPARE(messages.warnings.size(), warnings);
    }

    void zoneIndicatorHtm2015() {
        auto zone = newDevice<tZonalIndicator>();
        QList<bool> signalled;
        zone->SetOnHTM2015Changed([&](bool enabled) { signalled.append(enabled); });
        QCOMPARE(signalled, QList<bool>{false});
        QVERIFY(!zone->HTM2015Tone()->Enabled());
        zone->HTM2015Tone()->SetAsEnum(tone2015_2800Hz);
        zone->HTM2015Enabled()->SetAsBoolean(true);
        QCOMPARE(zone->HTM2015Tone()->AsEnum(), tone2015_800Hz);
        QVERIFY(zone->HTM2015Tone()->Enabled());
        for (int row = 0; row < tZonalIndicator::RowCount; ++row)
            QVERIFY(!zone->ModeData(row)->Tone()->Enabled());
        QCOMPARE(signalled, (QList<bool>{false, true}));

        // A unit enabled at 2800 Hz reads as such.
        auto read = newDevice<tZonalIndicator>();
        parse(*read, header + QStringLiteral("C000242424242421C345"));
        QVERIFY(read->HTM2015Enabled()->AsBoolean());
        QCOMPARE(read->HTM2015Tone()->AsEnum(), tone2015_2800Hz);
        QCOMPARE(payloadOf(read->ComposeUserFrame()), QStringLiteral("C000242424242421C345"));
    }

    void zoneIndicatorAlwaysHasSixRows() {
        auto zone = newDevice<tZonalIndicator>();
        tZonalDataArray* rows = zone->ZonalData();
        auto checkSixRows = [&] {
            QCOMPARE(rows->MaxIndex(), 5);
            for (int row = 0; row < 6; ++row)
                QVERIFY(zone->ModeData(row));
            QCOMPARE(payloadOf(zone->ComposeUserFrame()).size(), 20);
        };
        checkSixRows();
        rows->SetMaxIndex(2);
        rows->SetMaxIndex(-1);
        rows->DeleteItem(0);
        rows->Undo(ckItemAdded, QStringLiteral("5"));
        rows->Undo(ckItemDeleted, QStringLiteral("2"));
        rows->Redo(ckItemAdded, QStringLiteral("3"));
        QVERIFY(!rows->AddItem());
        checkSixRows();
        QCOMPARE(rows->ChildCount(), 6);

        // A file asking for three rows changes the rows it names and keeps the others.
        const tLines block = {QStringLiteral("  Max = 2"),          QStringLiteral("  Object Item( 1 )"),
                              QStringLiteral("    Tone = zt_Beep"), QStringLiteral("  End Object"),
                              QStringLiteral("  Object Item( 9 )"), QStringLiteral("  End Object"),
                              QStringLiteral("End ObjectArray")};
        int line = 0;
        rows->ReadBody(block, line, nullptr);
        checkSixRows();
        QCOMPARE(zone->ModeData(1)->Tone()->AsEnum(), zt_Beep);
        tLines written;
        rows->WriteTo(written, false, 0);
        QCOMPARE(written.at(1), QStringLiteral("  Max = 5"));
        QCOMPARE(written.filter(QStringLiteral("Object Item(")).size(), 6);
    }

    void zx250Htm2015Mode() {
        auto zx250 = newDevice<tCallPoint250>();
        tCallPoint250UserData* data = zx250->UserData();
        data->TailCallType()->SetAsEnum(ct250_Help_Required);
        data->EnsuiteCallType()->SetAsEnum(ct250_Ensuite);
        data->ButtonCallType()->SetAsEnum(ct250_Attack);
        data->SlaveCallType()->SetAsEnum(ct250_Ensuite);
        data->HTM2015Mode()->SetAsBoolean(true);
        QVERIFY(data->ResetMode()->AsBoolean());
        QVERIFY(!data->ResetMode()->Enabled());
        QCOMPARE(data->TailCallType()->AsEnum(), ct250_Call);
        QCOMPARE(data->EnsuiteCallType()->AsEnum(), ct250_Call);
        QCOMPARE(data->ButtonCallType()->AsEnum(), ct250_Attack);
        QCOMPARE(data->SlaveCallType()->AsEnum(), ct250_Ensuite);
        QVERIFY(!data->SlaveCallType()->IsAllowed(ct250_Ensuite));
        QVERIFY(!data->TailCallType()->IsAllowed(ct250_Help_Required));
        data->HTM2015Mode()->SetAsBoolean(false);
        QVERIFY(!data->ResetMode()->AsBoolean());
        QVERIFY(data->ResetMode()->Enabled());
        QVERIFY(data->SlaveCallType()->IsAllowed(ct250_Ensuite));
    }

    // A reply is taken apart into the values of the device, and composing afterwards gives back the
    // user data the device sent.
    void replyParses_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("reply"); // replies taken in turn, "|" between
        QTest::addColumn<QString>(
            "values"); // "Name=value text", "+Name" enabled, "!Name" disabled; ";" between
        QTest::addColumn<QString>("composed");
        QTest::addColumn<QStringList>("warnings");
        const QString zx250Header = QStringLiteral("0102ABCDEFGHIJKLMNOP0503");
        auto row = [](const char* name, int type, const QString& reply, const char* values,
                      const char* composed) {
            return &(QTest::newRow(name) << type << reply << values << composed);
        };
        *row("MPD call point defaults", dt_MPD_Call_Point, header + "490800",
             "Version=0201;Factory String=ABCDEFGHIJKLMNOP;Node Address=5;Zone/Group Address=3;"
             "Mode=mpd_MPD_Call_Point",
             "490800")
            << QStringList();
        *row("MPD every bit set", dt_MPD_Call_Point, header + "7F7F01",
             "Tail Call Enabled=TRUE;Reset Mode=TRUE;Help Required=TRUE;Ensuite Input Call "
             "Type=es_Help_Required;"
             "Special Input Switch Type=st_Latching;Special Input Call Type=ct_Attack;HTM2015 Enable=FALSE;"
             "Mode=mpd_MPDDayNightSwitch;Monitor Call Point Type=mpcp_Emergency;Monitor Point Reset "
             "Enable=TRUE;"
             "Call Switch Contact Type=ct_Normally_Closed;Reset Switch Contact Type=ct_Normally_Closed;"
             "Special Switch Contact Type=ct_Normally_Closed;Day/Night Switch LED Lit=dn_Day",
             "7F7F01")
            << QStringList();
        *row("MPD in HTM2015 mode", dt_MPD_Call_Point, header + "FF0000",
             "HTM2015 Enable=TRUE;Reset Mode=TRUE;!Reset Mode;Help Required=FALSE;!Help Required;"
             "Ensuite Input Call Type=es_Call;!Ensuite Input Call Type;Special Input Call Type=ct_Attack",
             "F50000")
            << QStringList();
        // HTM2015 off is applied first, so the reset and help settings the unit reports stay.
        *row("MPD leaving HTM2015 mode", dt_MPD_Call_Point, header + "FF0000|" + header + "0C0000",
             "HTM2015 Enable=FALSE;Reset Mode=TRUE;Help Required=TRUE;+Reset Mode", "0C0000")
            << QStringList();
        *row("relay", dt_Relay_Output, "0102ABCDEFGHIJKLMNOP050328",
             "Version=0102;Node Address=5;Zone/Group Address=3;Active In Call=FALSE;Active In MPCall=FALSE;"
             "Active When Help Required=FALSE;Active In Presence=TRUE;Active In Emergency=FALSE;"
             "Active In Attack=TRUE",
             "28")
            << QStringList();
        *row("zone indicator 2800Hz", dt_Zone_Indicator, header + "4000242424242421C345",
             "HTM2015 Enabled=FALSE;HTM2015 Tone=tone2015_2800Hz", "4000242424242421C345")
            << QStringList();
        *row("ZX250 with an extra digit", dt_ZX250_Call_Point, zx250Header + "1203400",
             "Ensuite Call Type=ct250_Help_Required;Tail Call Type=ct250_Ensuite;IR Input Enabled=FALSE;"
             "IR Presence Reset=FALSE;Beeper Enabled=FALSE;Slave Call Type=ct250_Emergency;"
             "Button Call Type=ct250_Attack",
             "120340")
            << QStringList{"Extra data detected. This may contain important information which is ignored"};
        // Read in the record's order, HTM2015 mode has the last word over the call types it forbids, so
        // what is read programs the same after a save and a reload.
        *row("ZX250 in HTM2015 mode", dt_ZX250_Call_Point, zx250Header + "210101",
             "HTM2015 Mode=TRUE;Ensuite Call Type=ct250_Call;Tail Call Type=ct250_Call;Slave Call "
             "Type=ct250_Call;"
             "Reset Mode=FALSE",
             "000001")
            << QStringList();
    }
    void replyParses() {
        QFETCH(int, type);
        QFETCH(QString, reply);
        QFETCH(QString, values);
        MessageRecorder messages;
        std::unique_ptr<tOtherDevice> device = newWiredDevice(type);
        for (const QString& each : reply.split(QLatin1Char('|')))
            parse(*device, each);
        for (const QString& expected : values.split(QLatin1Char(';'))) {
            const bool enabledOnly =
                expected.startsWith(QLatin1Char('+')) || expected.startsWith(QLatin1Char('!'));
            const QString name = expected.section(QLatin1Char('='), 0, 0).mid(enabledOnly ? 1 : 0);
            const tPelBaseProperty* property = device->Children().FindChild(name, QString(), true);
            QVERIFY2(property, qPrintable(name));
            if (enabledOnly)
                QCOMPARE(QString(property->Enabled() ? '+' : '!') + name, expected);
            else
                QCOMPARE(name + QLatin1Char('=') + property->Value(), expected);
        }
        QTEST(payloadOf(device->ComposeUserFrame()), "composed");
        QTEST(messages.warnings, "warnings");
    }

    void replyFaults_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("message");
        const QString corruptHeader =
            QStringLiteral("Error Reading data. Details may be corrupt. Please try again.");
        const QString zonalEnd = QStringLiteral("Unexpected End of Record (Zonal Indicator) ");
        const QString zx250 = QStringLiteral("Error reading from device. Data may be corrupt. Please retry");
        QTest::newRow("empty") << int(dt_Relay_Output) << "" << corruptHeader;
        QTest::newRow("factory string short") << int(dt_Relay_Output) << "0102ABC" << corruptHeader;
        QTest::newRow("zone address short")
            << int(dt_Relay_Output) << "0102ABCDEFGHIJKLMNOP053" << corruptHeader;
        QTest::newRow("relay byte missing") << int(dt_Relay_Output) << header + "2"
                                            << "Unexpected end of record (Relay)";
        QTest::newRow("MPD byte 3 missing") << int(dt_MPD_Call_Point) << header + "49080"
                                            << "Unexpected end of record (MPD device)";
        QTest::newRow("MPD mode code 1") << int(dt_MPD_Call_Point) << header + "000100"
                                         << "Invalid MPD Mode";
        QTest::newRow("zone tone missing")
            << int(dt_Zone_Indicator) << header + "0000242424242421C34" << zonalEnd;
        QTest::newRow("zone night volume C") << int(dt_Zone_Indicator) << header + "00C0242424242421C345"
                                             << "Invalid value in zone indicator record (Night Volume)";
        QTest::newRow("zone night volume 3") << int(dt_Zone_Indicator) << header + "0030242424242421C345"
                                             << "Invalid value in zone indicator record (Night Volume)";
        QTest::newRow("zone day volume C") << int(dt_Zone_Indicator) << header + "000C242424242421C345"
                                           << "Invalid value in zone indicator record (Day Volume)";
        QTest::newRow("ZX250 digit missing") << int(dt_ZX250_Call_Point) << header + "12034" << zx250;
        QTest::newRow("ZX250 call type F") << int(dt_ZX250_Call_Point) << header + "1F0340" << zx250;
        QTest::newRow("ZX250 call type 5") << int(dt_ZX250_Call_Point) << header + "120350" << zx250;
    }
    void replyFaults() {
        QFETCH(int, type);
        QFETCH(QString, reply);
        QFETCH(QString, message);
        MessageRecorder messages;
        std::unique_ptr<tOtherDevice> device = newWiredDevice(type);
        const QString before = device->ComposeUserFrame();
        QCOMPARE(raisedMessage([&] { parse(*device, reply); }), message);
        // The user data is taken whole or not at all.
        QCOMPARE(device->ComposeUserFrame(), before);
    }

    void nodeAddressDisplay_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("node 256") << 0 << "256";
        QTest::newRow("unassigned") << 1 << "Unassigned";
        QTest::newRow("37") << 37 << "37";
    }
    void nodeAddressDisplay() {
        QFETCH(int, value);
        QFETCH(QString, shown);
        auto relay = newDevice<tRelayOutput>();
        tFakeEdit edit;
        relay->NodeAddress()->SetDisplayEdit(&edit);
        QVERIFY(edit.readOnly && edit.parentColour && !edit.enabled);
        QCOMPARE(edit.text, QStringLiteral("Unassigned"));
        relay->NodeAddress()->SetAsInteger(value);
        QCOMPARE(edit.text, shown);
        QCOMPARE(relay->NodeAddress()->DisplayText(), shown);
        relay->NodeAddress()->SetDisplayEdit(nullptr);
    }

    void roundTripsMPD() { checkRoundTrips<tMPD>(); }
    void roundTripsRelay() { checkRoundTrips<tRelayOutput>(); }
    void roundTripsZoneIndicator() { checkRoundTrips<tZonalIndicator>(); }
    void roundTripsZX250() { checkRoundTrips<tCallPoint250>(); }
};

QTEST_GUILESS_MAIN(tst_wired)
#include "tst_wired.moc"
