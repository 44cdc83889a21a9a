// Paths, shown texts and frame texts of the command-line tool.
#include "cli/CliSupport.h"
#include "cli/FrameText.h"
#include "programmer/Common.h"
#include "property/PropertyPaths.h"

#include <QtTest>

class TestCliSupport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pathsMatchWholeNamesContainingSlashes();
    void frameTexts_data();
    void frameTexts();
    void specialFlagsByNameOrNumber();
    void everyMonitorRenderingReadsBack();
};

void TestCliSupport::pathsMatchWholeNamesContainingSlashes() {
    auto doc = NewConfiguration();
    doc->SetDeviceType(dt_Staff_Transmitter);
    tIRRFDevice* staff = doc->AsIRRFDevice();
    QCOMPARE(ResolvePath(doc.get(), "Device/User Record/IR/RF Protocol"), staff->UserRecord()->Protocol());
    QCOMPARE(ResolvePath(doc.get(), "device/factory record/w/o"), staff->FactoryRecord()->WO());
    QCOMPARE(ResolvePath(doc.get(), "Device/User Record/Button(3)/RF Enabled"),
             staff->UserRecord()->Button(3)->RFEnabled());
    QCOMPARE(ResolvePath(doc.get(), "Device/User Record/Button/RF Enabled"), nullptr);
    QCOMPARE(ResolvePath(doc.get(), "Device/User"), nullptr);
    doc->SetDeviceType(dt_MPD_Call_Point);
    QCOMPARE(ResolvePath(doc.get(), "Device/Zone/Group Address"), doc->AsMPD()->ZoneGroupAddress());
    QCOMPARE(ShownText(doc->AsMPD()->ZoneGroupAddress()), QStringLiteral("A"));
}

void TestCliSupport::frameTexts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes"); // empty: refused
    QTest::newRow("hex with blanks") << "01 32 38 04 6F" << QByteArray("\x01\x32\x38\x04\x6F");
    QTest::newRow("hex without blanks") << "0132380464" << QByteArray("\x01\x32\x38\x04\x64");
    QTest::newRow("monitor rendering") << "<SOH>28<EOT><#6F>" << QByteArray("\x01\x32\x38\x04\x6F");
    QTest::newRow("odd digits") << "013" << QByteArray();
    QTest::newRow("not hex") << "01 ZZ" << QByteArray();
    QTest::newRow("unknown name") << "<SOH>28<XYZ>" << QByteArray();
    QTest::newRow("unclosed name") << "<SOH>28<EOT" << QByteArray();
}

void TestCliSupport::frameTexts() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QString error;
    const std::optional<QByteArray> parsed = ParseFrameText(text, error);
    if (bytes.isEmpty()) {
        QVERIFY(!parsed);
        QVERIFY(!error.isEmpty());
    } else {
        QVERIFY(parsed);
        QCOMPARE(*parsed, bytes);
        QCOMPARE(HexBytes(bytes).toLower().remove(' '), QString::fromLatin1(bytes.toHex()));
    }
}

void TestCliSupport::specialFlagsByNameOrNumber() {
    auto doc = NewConfiguration();
    doc->SetDeviceType(dt_Staff_Transmitter);
    tSpecialFlags* flags = doc->AsIRRFDevice()->FactoryRecord()->SF();
    doc->AsIRRFDevice()->FactoryRecord()->SW()->SetValueText("02A0");
    QCOMPARE(SetAsEditor(flags, "Allow Attack, sf_Allow_Attendance"), QString());
    QCOMPARE(flags->Value(), QStringLiteral("5"));
    QCOMPARE(ShownText(flags), QStringLiteral("Allow Attack, Allow Attendance"));
    QVERIFY(!SetAsEditor(flags, "8").isEmpty());
    QVERIFY(!SetAsEditor(flags, "Allow Nothing").isEmpty());
    doc->AsIRRFDevice()->FactoryRecord()->SW()->SetValueText("0199"); // older firmware offers no flags
    QVERIFY(!SetAsEditor(flags, "1").isEmpty());
}

// What the serial monitor shows can be given back to zcfg: every byte, control characters included.
void TestCliSupport::everyMonitorRenderingReadsBack() {
    QString all;
    QByteArray bytes;
    for (int code = 0; code < 256; ++code)
        if (code != '<') all += QChar(code), bytes += char(code);
    QString error;
    const std::optional<QByteArray> parsed = ParseFrameText(RenderControlChars(all), error);
    QVERIFY2(parsed, qPrintable(error));
    QCOMPARE(*parsed, bytes);
}

QTEST_GUILESS_MAIN(TestCliSupport)
#include "tst_cli_support.moc"
