#include "device/Devices.h"
#include "property/PelError.h"

#include <QTest>
#include <memory>

class tst_enums : public QObject {
    Q_OBJECT
private slots:
    // The value names are stored in files and the ordinals go on the wire; both are pinned here.
    void valueNamesAndOrdinals_data() {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("count");
        QTest::newRow("tDevType") << EnumTypeInfo<tDevType>().Names() << "dt_ZX250_Call_Point" << 9;
        QTest::newRow("tMPDDevType") << EnumTypeInfo<tMPDDevType>().Names() << "mpd_MPDDayNightSwitch" << 3;
        QTest::newRow("tIRSpecialFlags")
            << EnumTypeInfo<tIRSpecialFlags>().Names() << "sf_Allow_Attendance" << 3;
        QTest::newRow("tIRRFCallType") << EnumTypeInfo<tIRRFCallType>().Names() << "irrf_Attendance" << 7;
        QTest::newRow("tIRRFProtocol") << EnumTypeInfo<tIRRFProtocol>().Names() << "irrf_RM800_Protocol" << 2;
        QTest::newRow("tIRRFTransmitMode")
            << EnumTypeInfo<tIRRFTransmitMode>().Names() << "tm_Auto_Stop" << 2;
        QTest::newRow("tEnsuiteInputCallType")
            << EnumTypeInfo<tEnsuiteInputCallType>().Names() << "es_Help_Required" << 2;
        QTest::newRow("tSwitchType") << EnumTypeInfo<tSwitchType>().Names() << "st_Latching" << 2;
        QTest::newRow("tCallType") << EnumTypeInfo<tCallType>().Names() << "ct_Attack" << 4;
        QTest::newRow("tContactType") << EnumTypeInfo<tContactType>().Names() << "ct_Normally_Closed" << 2;
        QTest::newRow("tMPCallPoint") << EnumTypeInfo<tMPCallPoint>().Names() << "mpcp_Emergency" << 2;
        QTest::newRow("tDayNight") << EnumTypeInfo<tDayNight>().Names() << "dn_Day" << 2;
        QTest::newRow("tZX250CallType") << EnumTypeInfo<tZX250CallType>().Names() << "ct250_Attack" << 5;
        QTest::newRow("tHTM2015Tone") << EnumTypeInfo<tHTM2015Tone>().Names() << "tone2015_2800Hz" << 2;
        QTest::newRow("tVolumeMode") << EnumTypeInfo<tVolumeMode>().Names() << "vm_User_B" << 3;
        QTest::newRow("tZonalTone") << EnumTypeInfo<tZonalTone>().Names() << "zt_Octave_Fast" << 16;
    }
    void valueNamesAndOrdinals() {
        QFETCH(QStringList, names);
        QFETCH(QString, last);
        QFETCH(int, count);
        QCOMPARE(names.size(), count);
        QCOMPARE(names.last(), last);
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
