// The zcfg device commands (read, program, factory, apply) run as a separate process against the
// simulated adapter, exactly as an installer would run them.

#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

using namespace TransferText;

namespace {
const QString connectFailure =
    QStringLiteral("Unable to connect to programmer. Check device is connected and retry");
const QString relayFrameHex =
    QStringLiteral("01 50 49 30 31 30 31 30 32 41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E "
                   "4F 50 30 35 30 33 32 38 04 7C");

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

std::unique_ptr<tZCfgFile> newDocument(uint8_t type) {
    std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
    doc->SetModified(false);
    doc->SetDeviceType(type);
    return doc;
}
} // namespace

class TestZcfgDeviceCommands : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    Run zcfg(const QStringList& arguments, const QByteArray& input = QByteArray()) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ZCFG_SIM_LIBRARY"), QStringLiteral(ZCFG_SIM_LIBRARY));
        environment.remove(QStringLiteral("ZCFG_SIM"));
        environment.remove(QStringLiteral("ZCFG_D2XX_LIBRARY"));
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(ZCFG_PROGRAM), arguments);
        if (!process.waitForStarted(10000)) return {};
        process.write(input);
        process.closeWriteChannel();
        Run run;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            run.err = QStringLiteral("zcfg did not finish");
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QString save(uint8_t type, const QString& name) {
        std::unique_ptr<tZCfgFile> doc = newDocument(type);
        const QString path = dir.filePath(name);
        QString error;
        if (!doc->SaveToFile(path, error)) qWarning() << error;
        return path;
    }

    static std::unique_ptr<tZCfgFile> load(const QString& path) {
        std::unique_ptr<tZCfgFile> doc(Create<tZCfgFile>(QStringLiteral("ZCFG File"), nullptr));
        doc->LoadFromFile(path);
        return doc;
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void readWritesWhatTheDeviceHolds_data() {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<int>("type");
        QTest::newRow("relay") << "relay" << int(dt_Relay_Output);
        QTest::newRow("staff") << "staff" << int(dt_Staff_Transmitter);
        QTest::newRow("zone indicator") << "zone-indicator" << int(dt_Zone_Indicator);
    }
    void readWritesWhatTheDeviceHolds() {
        QFETCH(QString, keyword);
        QFETCH(int, type);
        const QString path = dir.filePath(keyword + QStringLiteral("-read.zcf"));
        const Run toFile =
            zcfg({QStringLiteral("read"), QStringLiteral("-o"), path, QStringLiteral("--sim"), keyword});
        QCOMPARE(toFile.exitCode, 0);
        QVERIFY2(toFile.err.contains(DataTransferred), qPrintable(toFile.err));
        std::unique_ptr<tZCfgFile> doc = load(path);
        QCOMPARE(int(doc->GetDeviceType()), type);
        if (type == dt_Relay_Output)
            QCOMPARE(doc->AsRelayOutput()->FactoryString()->Value(), QStringLiteral("ZENTARA-SIM-0001"));

        const Run toOutput = zcfg({QStringLiteral("read"), QStringLiteral("--sim"), keyword});
        QCOMPARE(toOutput.exitCode, 0);
        QVERIFY(toOutput.out.startsWith(QStringLiteral("File ZCFG File")));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(toOutput.out, QString::fromLatin1(file.readAll())); // the same text either way
    }

    void readWithoutAnAnsweringDevice() {
        const Run run = zcfg({QStringLiteral("read"), QStringLiteral("--sim"), QStringLiteral("none")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(CannotFindDevice), qPrintable(run.err));
        QVERIFY(!run.out.contains(QStringLiteral("File ZCFG File")));
    }

    // A configuration that "new" makes for a type programs a device of that type.
    void programVerifiesEveryDeviceType_data() {
        QTest::addColumn<QString>("keyword");
        for (const tDeviceTypeInfo& info : DeviceTypes())
            QTest::newRow(info.Keyword) << QString::fromLatin1(info.Keyword);
    }
    void programVerifiesEveryDeviceType() {
        QFETCH(QString, keyword);
        const QString path = dir.filePath(keyword + QStringLiteral("-program.zcf"));
        QCOMPARE(zcfg({QStringLiteral("new"), keyword, QStringLiteral("-o"), path}).exitCode, 0);
        const Run run = zcfg({QStringLiteral("program"), path, QStringLiteral("--sim"), keyword});
        QVERIFY2(run.out.contains(TransferredAndVerified), qPrintable(run.out + run.err));
        QCOMPARE(run.exitCode, 0);
    }

    void programRefusesAnotherDeviceType() {
        const QString path = save(dt_Staff_Transmitter, QStringLiteral("staff-wrong.zcf"));
        const Run run =
            zcfg({QStringLiteral("program"), path, QStringLiteral("--sim"), QStringLiteral("relay")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains(WrongTypeConfiguration), qPrintable(run.err));
        QVERIFY(!run.out.contains(TransferredAndVerified));
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
        const QString path = save(uint8_t(type), keyword + QStringLiteral("-factory.zcf"));
        const Run run = zcfg({QStringLiteral("factory"), path, QStringLiteral("--sim"), keyword});
        QVERIFY2(run.out.contains(TransferredAndVerified), qPrintable(run.out + run.err));
        QCOMPARE(run.exitCode, 0);
    }

    void noProgrammerAttached_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("read") << QStringList{QStringLiteral("read")};
        QTest::newRow("program") << QStringList{QStringLiteral("program"), QStringLiteral("@relay")};
        QTest::newRow("factory") << QStringList{QStringLiteral("factory"), QStringLiteral("@staff")};
    }
    void noProgrammerAttached() {
        QFETCH(QStringList, arguments);
        if (arguments.size() > 1) // a real configuration file, so that only the adapter is missing
            arguments[1] =
                save(arguments[1] == QLatin1String("@relay") ? dt_Relay_Output : dt_Staff_Transmitter,
                     arguments[0] + QStringLiteral("-absent.zcf"));
        const Run run = zcfg(arguments + QStringList{QStringLiteral("--sim"), QStringLiteral("absent")});
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.err.contains(connectFailure), qPrintable(run.err));
    }

    void programRepeatsUntilAskedToStop() {
        const QString path = save(dt_Relay_Output, QStringLiteral("repeat.zcf"));
        const Run run = zcfg({QStringLiteral("program"), path, QStringLiteral("--repeat"),
                              QStringLiteral("--sim"), QStringLiteral("relay")},
                             "\nq\n");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out.count(TransferredAndVerified), 2);
        QVERIFY2(run.out.contains(QStringLiteral("2 verified, 0 failed")), qPrintable(run.out));
    }

    void applyTakesFramesAsAReadWould_data() {
        QTest::addColumn<QStringList>("frames");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("type"); // after a successful apply
        QTest::newRow("hexadecimal bytes") << QStringList{relayFrameHex} << 0 << int(dt_Relay_Output);
        QTest::newRow("monitor rendering")
            << QStringList{QStringLiteral("<SOH>PI010102ABCDEFGHIJKLMNOP050328<EOT><#7C>")} << 0
            << int(dt_Relay_Output);
        QTest::newRow("transmitter, user record first")
            << QStringList{QStringLiteral(
                               "<SOH>UD1PT1BT11BT21BT31CO0BP10BP20BP30RF10RF20RF30TM0ID1IC000BV1GP000<EOT><#"
                               "B6>"),
                           QStringLiteral("<SOH>FD2 SW02A0 HW00T0 W/O 000000 Date 01/02/09 CC000 SF007 CN "
                                          "Arvel<EOT><#CF>")}
            << 0 << int(dt_Staff_Transmitter);
        QTest::newRow("wrong check byte")
            << QStringList{QStringLiteral("<SOH>PI010102ABCDEFGHIJKLMNOP050328<EOT><#7D>")} << 1 << 0;
        QTest::newRow("one transmitter record only")
            << QStringList{QStringLiteral(
                   "<SOH>FD2 SW02A0 HW00T0 W/O 000000 Date 01/02/09 CC000 SF007 CN Arvel<EOT><#CF>")}
            << 1 << 0;
        QTest::newRow("not hexadecimal") << QStringList{QStringLiteral("01 5G")} << 2 << 0;
        QTest::newRow("unknown byte name") << QStringList{QStringLiteral("<SOX>PI<EOT><#00>")} << 2 << 0;
    }
    void applyTakesFramesAsAReadWould() {
        QFETCH(QStringList, frames);
        QFETCH(int, exitCode);
        QFETCH(int, type);
        const QString path =
            dir.filePath(QStringLiteral("applied-%1.zcf").arg(QTest::currentDataTag()).replace(' ', '-'));
        QFile::remove(path);
        const Run run =
            zcfg(QStringList{QStringLiteral("apply")} + frames + QStringList{QStringLiteral("-o"), path});
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode != 0) {
            QVERIFY(!QFile::exists(path));
            if (frames.first().endsWith(QLatin1String("<#7D>")))
                QVERIFY2(run.err.contains(CorruptData), qPrintable(run.err));
            return;
        }
        std::unique_ptr<tZCfgFile> doc = load(path);
        QCOMPARE(int(doc->GetDeviceType()), type);
        if (type == dt_Relay_Output) {
            QCOMPARE(doc->AsRelayOutput()->NodeAddress()->AsInteger(), 5);
            QCOMPARE(doc->AsRelayOutput()->ZoneGroupAddress()->AsInteger(), 3);
            QVERIFY(doc->AsRelayOutput()->ActiveInPresence()->AsBoolean());
            QVERIFY(doc->AsRelayOutput()->ActiveInAttack()->AsBoolean());
            QVERIFY(!doc->AsRelayOutput()->ActiveInCall()->AsBoolean());
        }
    }
};

QTEST_GUILESS_MAIN(TestZcfgDeviceCommands)
#include "tst_zcfg_device_commands.moc"
