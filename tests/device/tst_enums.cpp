#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"
#include "property/PelError.h"

#include <QTest>
#include <memory>

class tst_enums : public QObject {
    Q_OBJECT
private slots:
    // The value names are stored in files and the ordinals go on the wire: every name is pinned at
    // its ordinal (its position in the list).
    void valueNamesAndOrdinals_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("expected");
        auto row = [](const char* type, const QStringList& names, const char* expected) {
            QTest::newRow(type) << names << QString::fromLatin1(expected).split(QLatin1Char(' '));
        };
        row("tDevType", EnumTypeInfo<tDevType>().Names(),
            "dt_None dt_Staff_Transmitter dt_Pendant_Transmitter dt_MPD_Call_Point dt_MPD_Monitor_Point "
            "dt_MPDDayNightSwitch dt_Relay_Output dt_Zone_Indicator dt_ZX250_Call_Point");
        row("tMPDDevType", EnumTypeInfo<tMPDDevType>().Names(),
            "mpd_MPD_Call_Point mpd_MPD_Monitor_Point mpd_MPDDayNightSwitch");
        row("tIRSpecialFlags", EnumTypeInfo<tIRSpecialFlags>().Names(),
            "sf_Allow_Attack sf_Allow_Emergency sf_Allow_Attendance");
        row("tIRRFCallType", EnumTypeInfo<tIRRFCallType>().Names(),
            "irrf_Attack irrf_Emergency irrf_Help_Required irrf_Std_Call irrf_Presence irrf_Reset "
            "irrf_Attendance");
        row("tIRRFProtocol", EnumTypeInfo<tIRRFProtocol>().Names(),
            "irrf_Arvel_Protocol irrf_RM800_Protocol");
        row("tIRRFTransmitMode", EnumTypeInfo<tIRRFTransmitMode>().Names(), "tm_Continuously tm_Auto_Stop");
        row("tEnsuiteInputCallType", EnumTypeInfo<tEnsuiteInputCallType>().Names(),
            "es_Call es_Help_Required");
        row("tSwitchType", EnumTypeInfo<tSwitchType>().Names(), "st_Momentary st_Latching");
        row("tCallType", EnumTypeInfo<tCallType>().Names(),
            "ct_Call ct_Help_Required ct_Emergency ct_Attack");
        row("tContactType", EnumTypeInfo<tContactType>().Names(), "ct_Normally_Open ct_Normally_Closed");
        row("tMPCallPoint", EnumTypeInfo<tMPCallPoint>().Names(), "mpcp_Monitor mpcp_Emergency");
        row("tDayNight", EnumTypeInfo<tDayNight>().Names(), "dn_Night dn_Day");
        row("tZX250CallType", EnumTypeInfo<tZX250CallType>().Names(),
            "ct250_Call ct250_Help_Required ct250_Ensuite ct250_Emergency ct250_Attack");
        row("tHTM2015Tone", EnumTypeInfo<tHTM2015Tone>().Names(), "tone2015_800Hz tone2015_2800Hz");
        row("tVolumeMode", EnumTypeInfo<tVolumeMode>().Names(), "vm_Mute vm_User_A vm_User_B");
        row("tZonalTone", EnumTypeInfo<tZonalTone>().Names(),
            "zt_500Hz zt_Presence zt_Standard_Call zt_Monitor_Point_Call zt_Emergency zt_Attack "
            "zt_Soft_Chime zt_Attention_Chime zt_Urgent_Chime zt_Ding_Dong zt_Beep zt_Red_Alert "
            "zt_Help_Required zt_Ding_Dong_x2 zt_Octave_Slow zt_Octave_Fast");
    }
    void valueNamesAndOrdinals() {
        QFETCH(QStringList, names);
        QTEST(names, "expected");
    }

    // One row per device type, as the document, the transfers, the command line and the window read
    // it: model name | keyword | reply code | mode code | variants | page | picture | help topic.
    void deviceTypeTable_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("expected");
        QTest::newRow("none") << 0 << "None|none|-1|-1||-1|-1|0";
        QTest::newRow("staff") << 1 << "ZX140 Staff Transmitter|staff|-1|-1|1|6|4|10";
        QTest::newRow("pendant") << 2 << "ZX160 Pendant Transmitter|pendant|-1|-1|2|7|3|20";
        QTest::newRow("call point") << 3 << "ZX310 (Call Point)|mpd-call-point|0|0|3 4 5|0|0|30";
        QTest::newRow("monitor point") << 4 << "ZX310 (Monitor Point)|mpd-monitor-point|0|2|3 4 5|1|0|40";
        QTest::newRow("day/night") << 5 << "ZX310 (Day/Night Switch)|mpd-day-night|0|3|3 4 5|2|0|50";
        QTest::newRow("relay") << 6 << "ZX320 Relay Output|relay|1|-1|6|4|1|60";
        QTest::newRow("zone indicator") << 7 << "ZX330 ZI or ZX390/2 Sounder|zone-indicator|2|-1|7|3|2|70";
        QTest::newRow("zx250") << 8 << "ZX250/9 or ZX270RX Call Point|zx250|3|-1|8|5|5|80";
    }
    void deviceTypeTable() {
        QFETCH(int, type);
        const tDeviceTypeInfo& info = DeviceTypeInfo(type);
        QStringList variants;
        for (int i = 0; i < info.VariantCount; ++i)
            variants << QString::number(info.Variants[size_t(i)]);
        const QStringList row{QLatin1String(info.ModelName),      QLatin1String(info.Keyword),
                              QString::number(info.DeviceCode),   QString::number(info.ModeCode),
                              variants.join(QLatin1Char(' ')),    QString::number(info.PageIndex),
                              QString::number(info.PictureIndex), QString::number(info.HelpContext)};
        QTEST(row.join(QLatin1Char('|')), "expected");
        QCOMPARE(int(info.Type), type);
        QCOMPARE(QLatin1String(info.ValueName), EnumTypeInfo<tDevType>().NameOf(type));
        // The model name is what the type's translation makes of its derived text.
        QString shown;
        tZCfgFile::DeviceTypeDisplayText(EnumDisplayText(QLatin1String(info.ValueName)), shown);
        QCOMPARE(shown, QLatin1String(info.ModelName));
        // Every code and keyword leads back to its row (the MPD unit's reply code to its first mode).
        if (type == dt_None) return;
        QCOMPARE(int(DeviceTypeFromKeyword(QString::fromLatin1(info.Keyword).toUpper())), type);
        if (info.ModeCode >= 0) QCOMPARE(int(DeviceTypeFromModeCode(info.ModeCode)), type);
        if (info.DeviceCode > 0) QCOMPARE(int(DeviceTypeFromDeviceCode(info.DeviceCode)), type);
    }

    void deviceTypeTableEdges() {
        QCOMPARE(int(DeviceTypeInfo(-1).Type), int(dt_None));
        QCOMPARE(int(DeviceTypeInfo(9).Type), int(dt_None));
        QCOMPARE(int(DeviceTypeFromKeyword(QStringLiteral("none"))), int(dt_None)); // never a real type
        QCOMPARE(int(DeviceTypeFromDeviceCode(0)), int(dt_MPD_Call_Point));
        QCOMPARE(int(DeviceTypeFromDeviceCode(4)), int(dt_None));
        QCOMPARE(int(DeviceTypeFromModeCode(1)), int(dt_None));
        QList<int> listed;
        for (const tDeviceTypeInfo& info : DeviceTypes())
            listed << info.Type;
        QCOMPARE(listed, QList<int>({1, 2, 3, 4, 5, 6, 7, 8}));
    }

    void displayTexts_data() {
        QTest::addColumn<QString>("valueName");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no underscore after prefix") << "dt_MPDDayNightSwitch"
                                                    << "MPDDayNightSwitch";
        QTest::newRow("inner underscores") << "zt_Ding_Dong_x2"
                                           << "Ding Dong x2";
        QTest::newRow("tone") << "tone2015_800Hz"
                              << "800Hz";
    }
    void displayTexts() {
        QFETCH(QString, valueName);
        QFETCH(QString, shown);
        QCOMPARE(EnumDisplayText(valueName), shown);
    }

    void protocolShortNames() {
        QString out;
        IRRFProtocolDisplayText(QStringLiteral("arvel protocol"), out);
        QCOMPARE(out, QStringLiteral("Arvel"));
        IRRFProtocolDisplayText(QStringLiteral("RM800 PROTOCOL"), out);
        QCOMPARE(out, QStringLiteral("RM800"));
        IRRFProtocolDisplayText(QStringLiteral("Other"), out);
        QCOMPARE(out, QStringLiteral("Other"));
    }

    void buttonTypeFromFileIsSentPlusOne() {
        std::unique_ptr<tIRRFDevice> device(Create<tIRRFDevice>(QStringLiteral("Device"), nullptr));
        device->UserRecord()->Button(1)->ButtonType()->SetValueText(QStringLiteral("irrf_Std_Call"));
        QCOMPARE(device->UserRecord()->Button(1)->ButtonType()->AsInteger(), 3);
        QVERIFY(device->UserRecord()->GetRecordText().contains(QStringLiteral("BT14")));
        // A value name of no button type cannot be sent.
        device->UserRecord()->Button(1)->ButtonType()->SetValueText(QStringLiteral("irrf_Nonsense"));
        try {
            device->UserRecord()->GetRecordText();
            QFAIL("composed a record with an unknown button type");
        } catch (const EZcfgError& e) {
            QCOMPARE(e.Message(), QStringLiteral("Invalid value \"irrf_Nonsense\" for Button Type"));
        }
    }
};

QTEST_GUILESS_MAIN(tst_enums)
#include "tst_enums.moc"
