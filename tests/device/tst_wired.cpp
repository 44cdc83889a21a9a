#include "MessageRecorder.h"
#include "device/Devices.h"

#include <QRandomGenerator>
#include <QRegularExpression>
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

// One step on a device's settings: "Name:=text" sets a value; "Name=text" expects it; "+Name" and
// "!Name" expect the setting enabled or disabled; "Name allows x" and "Name forbids x" expect the
// value name x offered or not.
void step(tOtherDevice& device, const QString& step) {
    static const QRegularExpression form(
        QStringLiteral("^([+!]?)([^=:]+?)(?:(:=|=| allows | forbids )(.*))?$"));
    const QRegularExpressionMatch parts = form.match(step);
    const QString sign = parts.captured(1), op = parts.captured(3), text = parts.captured(4);
    tPelBaseProperty* property = device.Children().FindChild(parts.captured(2), QString(), true);
    QVERIFY2(property, qPrintable(step));
    if (!sign.isEmpty()) {
        QVERIFY2(property->Enabled() == (sign == QLatin1String("+")), qPrintable(step));
    } else if (op == QLatin1String(":=")) {
        property->SetValueText(text);
    } else if (op == QLatin1String("=")) {
        QCOMPARE(parts.captured(2) + op + property->Value(), step);
    } else {
        auto* options = dynamic_cast<tPelEnumProperty*>(property);
        QVERIFY2(options && options->IsAllowed(options->TypeInfo().OrdinalOf(text)) ==
                                (op == QLatin1String(" allows ")),
                 qPrintable(step));
    }
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

void pick(tPelEnumProperty* property, QRandomGenerator& random) {
    QList<int> allowed;
    for (int ordinal = property->Min(); ordinal <= property->Max(); ++ordinal)
        if (property->IsAllowed(ordinal)) allowed.append(ordinal);
    property->SetAsInteger(allowed.at(random.bounded(int(allowed.size()))));
}

void flip(std::initializer_list<tPelBooleanProperty*> properties, QRandomGenerator& random) {
    for (tPelBooleanProperty* property : properties)
        if (property->Enabled()) property->SetAsBoolean(random.bounded(2));
}

// Every setting the device programs, at random within what the device allows.
void randomise(tOtherDevice& device, QRandomGenerator& random) {
    if (auto* mpd = dynamic_cast<tMPD*>(&device)) {
        tMPDUserData* data = mpd->UserData();
        flip({data->HTM2015Enable(), data->HelpRequired(), data->ResetMode(), data->TailCallEnabled(),
              data->MonitorPointResetEnable()},
             random);
        if (data->EnsuiteInputCallType()->Enabled()) pick(data->EnsuiteInputCallType(), random);
        for (tPelEnumProperty* p : std::initializer_list<tPelEnumProperty*>{
                 data->SpecialInputSwitchType(), data->SpecialInputCallType(), data->MonitorCallPointType(),
                 data->CallSwitchContactType(), data->ResetSwitchContactType(),
                 data->SpecialSwitchContactType(), data->DayNightSwitchLEDLit()})
            pick(p, random);
        const int codes[] = {0, 2, 3};
        mpd->SetModeCode(codes[random.bounded(3)]);
    } else if (auto* relay = dynamic_cast<tRelayOutput*>(&device)) {
        for (int bit = 0; bit < tRelayOutput::ConditionCount; ++bit)
            flip({relay->Condition(bit)}, random);
    } else if (auto* zone = dynamic_cast<tZonalIndicator*>(&device)) {
        flip({zone->HTM2015Enabled()}, random);
        pick(zone->HTM2015Tone(), random);
        for (int row = 0; row < tZonalIndicator::RowCount; ++row)
            for (tPelEnumProperty* p : std::initializer_list<tPelEnumProperty*>{
                     zone->ModeData(row)->DayVolume(), zone->ModeData(row)->NightVolume(),
                     zone->ModeData(row)->Tone()})
                pick(p, random);
    } else {
        tCallPoint250UserData* data = static_cast<tCallPoint250&>(device).UserData();
        flip({data->HTM2015Mode(), data->ResetMode(), data->BeeperEnabled(), data->IRInputEnabled(),
              data->IRPresenceReset()},
             random);
        pick(data->TailCallType(), random);
        pick(data->EnsuiteCallType(), random);
        pick(data->ButtonCallType(), random);
        // An ensuite slave input survives HTM2015 mode although it is no longer offered.
        data->SlaveCallType()->SetAsInteger(random.bounded(5));
        if (data->HTM2015Mode()->AsBoolean() && data->SlaveCallType()->AsEnum() == ct250_Help_Required)
            data->SlaveCallType()->SetAsEnum(ct250_Call);
    }
}
} // namespace

class tst_wired : public QObject {
    Q_OBJECT
private slots:
    // Per device type: the user data of a new device, no factory data, and settings that survive
    // a read back from the device and a save and reload.
    void devices_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("defaults");
        QTest::newRow("MPD") << int(dt_MPD_Call_Point) << "490800";
        QTest::newRow("relay") << int(dt_Relay_Output) << "00";
        QTest::newRow("zone indicator") << int(dt_Zone_Indicator) << "0000242424242421C345";
        QTest::newRow("ZX250") << int(dt_ZX250_Call_Point) << "000000";
    }
    void devices() {
        QFETCH(int, type);
        QFETCH(QString, defaults);
        MessageRecorder messages;
        std::unique_ptr<tOtherDevice> fresh = newWiredDevice(type);
        QCOMPARE(fresh->ComposeUserFrame(), FrameOf(defaults));
        QCOMPARE(fresh->NodeAddress()->AsInteger(), 1);
        QVERIFY(!fresh->Version()->Enabled() && !fresh->NodeAddress()->Enabled());
        QCOMPARE(raisedMessage([&] { fresh->ComposeFactoryFrame(); }),
                 QStringLiteral("Error - Device not suitable for configuring with factory data"));

        QRandomGenerator random(1234);
        for (int i = 0; i < 200; ++i) {
            std::unique_ptr<tOtherDevice> source = newWiredDevice(type), copy = newWiredDevice(type),
                                          loaded = newWiredDevice(type);
            randomise(*source, random);
            const QString frame = source->ComposeUserFrame();
            parse(*copy, headerFor(*copy) + payloadOf(frame));
            QCOMPARE(copy->ComposeUserFrame(), frame);
            tLines saved, resaved;
            copy->WriteTo(saved, false, 0);
            int line = 1;
            QVERIFY(loaded->ReadBody(saved, line, nullptr));
            loaded->WriteTo(resaved, false, 0);
            QCOMPARE(resaved, saved);
        }
        QVERIFY(messages.warnings.isEmpty());
    }

    // The rules that tie settings together, as steps taken in turn (see step()).
    void rules_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("steps"); // ";" between
        // Without help required, neither input raises a help call, and the ensuite input is not used;
        // leaving HTM2015 mode frees the settings it fixed.
        QTest::newRow("MPD help required")
            << int(dt_MPD_Call_Point)
            << QString("Ensuite Input Call Type:=es_Help_Required;Special Input Call Type:=ct_Help_Required;"
                       "Help Required:=FALSE;Ensuite Input Call Type=es_Call;!Ensuite Input Call Type;"
                       "Special Input Call Type=ct_Emergency;+Special Input Call Type;"
                       "Special Input Call Type forbids ct_Help_Required;Help Required:=TRUE;"
                       "+Ensuite Input Call Type;Special Input Call Type allows ct_Help_Required;"
                       "HTM2015 Enable:=TRUE;HTM2015 Enable:=FALSE;Reset Mode=FALSE;+Reset Mode;"
                       "Help Required=TRUE;+Help Required");
        // HTM2015 mode fixes the reset and turns the call types it forbids into plain calls, except
        // for the slave input, which keeps its value though no longer offered.
        QTest::newRow("ZX250 HTM2015 mode")
            << int(dt_ZX250_Call_Point)
            << QString(
                   "Tail Call Type:=ct250_Help_Required;Ensuite Call Type:=ct250_Ensuite;"
                   "Button Call Type:=ct250_Attack;Slave Call Type:=ct250_Ensuite;HTM2015 Mode:=TRUE;"
                   "Reset Mode=TRUE;!Reset Mode;Tail Call Type=ct250_Call;Ensuite Call Type=ct250_Call;"
                   "Button Call Type=ct250_Attack;Slave Call Type=ct250_Ensuite;"
                   "Slave Call Type forbids ct250_Ensuite;Tail Call Type forbids ct250_Help_Required;"
                   "HTM2015 Mode:=FALSE;Reset Mode=FALSE;+Reset Mode;Slave Call Type allows ct250_Ensuite");
    }
    void rules() {
        QFETCH(int, type);
        QFETCH(QString, steps);
        std::unique_ptr<tOtherDevice> device = newWiredDevice(type);
        for (const QString& each : steps.split(QLatin1Char(';'))) {
            step(*device, each);
            if (QTest::currentTestFailed()) return;
        }
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

    // A reply is taken apart into the values of the device, and composing afterwards gives back the
    // user data the device sent.
    void replyParses_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("reply");  // replies taken in turn, "|" between
        QTest::addColumn<QString>("values"); // steps as in step(), ";" between
        QTest::addColumn<QString>("composed");
        QTest::addColumn<QString>("warning");
        const QString zx250Header = QStringLiteral("0102ABCDEFGHIJKLMNOP0503");
        auto row = [](const char* name, int type, const QString& reply, const char* values,
                      const char* composed, const char* warning = "") {
            QTest::newRow(name) << type << reply << values << composed << warning;
        };
        row("MPD call point defaults", dt_MPD_Call_Point, header + "490800",
            "Version=0201;Factory String=ABCDEFGHIJKLMNOP;Node Address=5;Zone/Group Address=3;"
            "Mode=mpd_MPD_Call_Point",
            "490800");
        row("MPD every bit set", dt_MPD_Call_Point, header + "7F7F01",
            "Tail Call Enabled=TRUE;Reset Mode=TRUE;Help Required=TRUE;"
            "Ensuite Input Call Type=es_Help_Required;Special Input Switch Type=st_Latching;"
            "Special Input Call Type=ct_Attack;HTM2015 Enable=FALSE;Mode=mpd_MPDDayNightSwitch;"
            "Monitor Call Point Type=mpcp_Emergency;Monitor Point Reset Enable=TRUE;"
            "Call Switch Contact Type=ct_Normally_Closed;Reset Switch Contact Type=ct_Normally_Closed;"
            "Special Switch Contact Type=ct_Normally_Closed;Day/Night Switch LED Lit=dn_Day",
            "7F7F01");
        row("MPD in HTM2015 mode", dt_MPD_Call_Point, header + "FF0000",
            "HTM2015 Enable=TRUE;Reset Mode=TRUE;!Reset Mode;Help Required=FALSE;!Help Required;"
            "Ensuite Input Call Type=es_Call;!Ensuite Input Call Type;Special Input Call Type=ct_Attack",
            "F50000");
        // HTM2015 off is applied first, so the reset and help settings the unit reports stay.
        row("MPD leaving HTM2015 mode", dt_MPD_Call_Point, header + "FF0000|" + header + "0C0000",
            "HTM2015 Enable=FALSE;Reset Mode=TRUE;Help Required=TRUE;+Reset Mode", "0C0000");
        row("relay", dt_Relay_Output, "0102ABCDEFGHIJKLMNOP050328",
            "Version=0102;Node Address=5;Zone/Group Address=3;Active In Call=FALSE;Active In MPCall=FALSE;"
            "Active When Help Required=FALSE;Active In Presence=TRUE;Active In Emergency=FALSE;"
            "Active In Attack=TRUE",
            "28");
        row("zone indicator 2800Hz", dt_Zone_Indicator, header + "4000242424242421C345",
            "HTM2015 Enabled=FALSE;HTM2015 Tone=tone2015_2800Hz", "4000242424242421C345");
        row("zone indicator HTM2015 at 2800Hz", dt_Zone_Indicator, header + "C000242424242421C345",
            "HTM2015 Enabled=TRUE;HTM2015 Tone=tone2015_2800Hz", "C000242424242421C345");
        row("ZX250 with an extra digit", dt_ZX250_Call_Point, zx250Header + "1203400",
            "Ensuite Call Type=ct250_Help_Required;Tail Call Type=ct250_Ensuite;IR Input Enabled=FALSE;"
            "IR Presence Reset=FALSE;Beeper Enabled=FALSE;Slave Call Type=ct250_Emergency;"
            "Button Call Type=ct250_Attack",
            "120340", "Extra data detected. This may contain important information which is ignored");
        // Read in the record's order, HTM2015 mode has the last word over the call types it forbids, so
        // what is read programs the same after a save and a reload.
        row("ZX250 in HTM2015 mode", dt_ZX250_Call_Point, zx250Header + "210101",
            "HTM2015 Mode=TRUE;Ensuite Call Type=ct250_Call;Tail Call Type=ct250_Call;"
            "Slave Call Type=ct250_Call;Reset Mode=FALSE",
            "000001");
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
            step(*device, expected);
            if (QTest::currentTestFailed()) return;
        }
        QTEST(payloadOf(device->ComposeUserFrame()), "composed");
        QFETCH(QString, warning);
        QCOMPARE(messages.warnings, warning.isEmpty() ? QStringList() : QStringList{warning});
    }

    void replyFaults_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("message");
        const QString corrupt =
            QStringLiteral("Error Reading data. Details may be corrupt. Please try again.");
        const QString zx250 = QStringLiteral("Error reading from device. Data may be corrupt. Please retry");
        const QString volume = QStringLiteral("Invalid value in zone indicator record (%1)");
        auto row = [](const char* tag, int type, const QString& reply, const QString& message) {
            QTest::newRow(tag) << type << reply << message;
        };
        row("empty", dt_Relay_Output, "", corrupt);
        row("factory string short", dt_Relay_Output, "0102ABC", corrupt);
        row("zone address short", dt_Relay_Output, "0102ABCDEFGHIJKLMNOP053", corrupt);
        row("relay byte missing", dt_Relay_Output, header + "2", "Unexpected end of record (Relay)");
        row("MPD byte 3 missing", dt_MPD_Call_Point, header + "49080",
            "Unexpected end of record (MPD device)");
        row("MPD mode code 1", dt_MPD_Call_Point, header + "000100", "Invalid MPD Mode");
        row("zone tone missing", dt_Zone_Indicator, header + "0000242424242421C34",
            "Unexpected End of Record (Zonal Indicator) ");
        row("zone night volume C", dt_Zone_Indicator, header + "00C0242424242421C345",
            volume.arg("Night Volume"));
        row("zone night volume 3", dt_Zone_Indicator, header + "0030242424242421C345",
            volume.arg("Night Volume"));
        row("zone day volume C", dt_Zone_Indicator, header + "000C242424242421C345",
            volume.arg("Day Volume"));
        row("ZX250 digit missing", dt_ZX250_Call_Point, header + "12034", zx250);
        row("ZX250 call type F", dt_ZX250_Call_Point, header + "1F0340", zx250);
        row("ZX250 call type 5", dt_ZX250_Call_Point, header + "120350", zx250);
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
};

QTEST_GUILESS_MAIN(tst_wired)
#include "tst_wired.moc"
