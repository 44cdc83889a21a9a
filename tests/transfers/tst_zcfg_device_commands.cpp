// The zcfg device commands (read, program, factory, apply) run as a separate process against the
// simulated adapter, exactly as an installer would run them.

#include "device/DeviceTypeTable.h"
#include "device/UnitZCfgFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QScopeGuard>
#include <QSettings>
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
    QString dataHome = QStringLiteral("data");

    Run zcfg(const QStringList& arguments, const QByteArray& input = QByteArray()) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("ZCFG_SIM_LIBRARY"), QStringLiteral(ZCFG_SIM_LIBRARY));
        environment.remove(QStringLiteral("ZCFG_SIM"));
        environment.remove(QStringLiteral("ZCFG_D2XX_LIBRARY"));
        // Backups and settings in the test's own folder.
        environment.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(dataHome));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
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

    // --increment gives each device its own value, named on a line of its own; a value past its range
    // stops before the next device, a value that cannot step before the first. The file stays as it was.
    void programIncrements_data() {
        QTest::addColumn<QString>("increment");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("units"); // the values programmed, in order
        QTest::addColumn<QString>("err");
        QTest::newRow("start and step") << "Device/User Record/ID=5:10" << QByteArray("\n\nq\n") << 0
                                        << QStringList{"5", "15", "25"} << "";
        QTest::newRow("past the range")
            << "device/user record/id=253" << QByteArray("\n\n\n\n") << 1 << QStringList{"253", "254", "255"}
            << "Device/User Record/ID would be 256, past its range (0 to 255); "
               "no further device was programmed";
        QTest::newRow("not a value that steps")
            << "Device/User Record/Transmit ID=1" << QByteArray("q\n") << 1 << QStringList{}
            << "cannot step (values that can: Device/User Record/ID); nothing was programmed";
        QTest::newRow("start outside")
            << "Device/User Record/ID=300" << QByteArray("q\n") << 1 << QStringList{} << "outside the limits";
        QTest::newRow("no start") << "Device/User Record/ID" << QByteArray("q\n") << 2 << QStringList{}
                                  << "is not PATH=START or PATH=START:STEP";
    }
    void programIncrements() {
        QFETCH(QString, increment);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QStringList, units);
        QFETCH(QString, err);
        const QString path = save(dt_Staff_Transmitter, QStringLiteral("increment.zcf"));
        const QByteArray before = [&] {
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        const Run run =
            zcfg({QStringLiteral("program"), path, QStringLiteral("--repeat"), QStringLiteral("--increment"),
                  increment, QStringLiteral("--no-backup"), QStringLiteral("--sim"), QStringLiteral("staff")},
                 input);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(err), qPrintable(run.err));
        QStringList expected;
        for (qsizetype i = 0; i < units.size(); ++i)
            expected << QStringLiteral("Unit %1: Device/User Record/ID = %2").arg(i + 1).arg(units[i])
                     << TransferredAndVerified;
        if (exitCode != 2 && !units.isEmpty())
            expected << QStringLiteral("%1 verified, 0 failed").arg(units.size());
        QCOMPARE(run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts), expected);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
    }

    // compare lists what the device holds otherwise (exit 0, 1, 2); program keeps a backup of the
    // device first unless --no-backup or the editor's setting says not to; restore programs the newest
    // backup of the attached device, or the one named if it was taken from that device.
    void compareProgramAndRestore() {
        dataHome = QStringLiteral("restore-data"); // without the other tests' backups
        const auto useCommonData = qScopeGuard([this] { dataHome = QStringLiteral("data"); });
        const QString backups = dir.filePath(dataHome + QStringLiteral("/zentara-configurator/backups"));
        const auto backupCount = [&] { return QDir(backups).entryList(QDir::Files).size(); };
        const QString same = save(dt_Relay_Output, QStringLiteral("relay-new.zcf"));
        std::unique_ptr<tZCfgFile> doc = newDocument(dt_Relay_Output);
        doc->AsRelayOutput()->ActiveInAttack()->SetAsBoolean(true);
        const QString attack = dir.filePath(QStringLiteral("relay-attack.zcf"));
        QString error;
        QVERIFY(doc->SaveToFile(attack, error));
        doc->AsRelayOutput()->FactoryString()->SetValueText(QStringLiteral("SOMEONE-ELSE0001"));
        doc->AsRelayOutput()->Version()->SetValueText(QStringLiteral("0102"));
        const QString foreign =
            dir.filePath(QStringLiteral("relay_SOMEONE-ELSE0001_0102_20250101T000000Z.zcf"));
        QVERIFY(doc->SaveToFile(foreign, error));
        const QString sim = QStringLiteral("--sim");
        struct Step {
            QStringList arguments;
            int exitCode;
            QString out; // what standard output starts with ("-" nothing at all)
            QString err; // what standard error contains
            qsizetype backups;
        };
        const QString backupLine = QStringLiteral("Backup: ") + QDir::toNativeSeparators(backups) +
                                   QStringLiteral("/relay_ZENTARA-SIM-0001_0102_");
        const QList<Step> steps = {
            {{"compare", same, sim, "relay"}, 0, "-", "The device holds this configuration.", 0},
            {{"compare", attack, sim, "relay"}, 1, "Device/Active In Attack: TRUE -> FALSE\n", "", 0},
            {{"compare", attack, sim, "zx250"},
             1,
             "Device Type: ZX320 Relay Output -> ZX250/9 or ZX270RX Call Point\n",
             "",
             0},
            {{"compare", attack, sim, "none"}, 2, "-", CannotFindDevice, 0},
            {{"restore", sim, "relay"}, 1, "-", "no backup of the ZX320 Relay Output", 0},
            {{"program", attack, "--no-backup", sim, "relay"}, 0, TransferredAndVerified, "", 0},
            {{"program", attack, sim, "relay"}, 0, backupLine, "", 1},
            {{"restore", sim, "relay"}, 0, backupLine, "Restoring " + backups, 2},
            {{"restore", foreign, sim, "relay"},
             1,
             "-",
             "the backup was taken from the ZX320 Relay Output "
             "(Factory String SOMEONE-ELSE0001",
             2},
            {{"program", attack, sim, "relay", "keep-backups-off"}, 0, TransferredAndVerified, "", 2},
        };
        for (Step step : steps) {
            const bool settingOff = step.arguments.removeAll(QStringLiteral("keep-backups-off")) > 0;
            if (settingOff) {
                QSettings settings(dir.filePath(QStringLiteral("config/Zentara Configurator.conf")),
                                   QSettings::IniFormat);
                settings.setValue(QStringLiteral("Keep Backups"), 0);
            }
            const Run run = zcfg(step.arguments);
            const QString what = step.arguments.join(' ') + QStringLiteral(":\n") + run.out + run.err;
            QVERIFY2(run.exitCode == step.exitCode, qPrintable(what));
            QVERIFY2(step.out == QLatin1String("-") ? run.out.isEmpty() : run.out.startsWith(step.out),
                     qPrintable(what));
            QVERIFY2(run.err.contains(step.err), qPrintable(what));
            QVERIFY2(backupCount() == step.backups, qPrintable(what));
        }
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
