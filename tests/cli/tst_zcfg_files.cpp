// The zcfg file commands run as a user runs them: output, messages and exit codes.
#include <QtTest>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run zcfg(const QStringList& arguments, const QString& workingDirectory = QString(),
         const QString& standardOutputFile = QString()) {
    QProcess process;
    if (!workingDirectory.isEmpty()) process.setWorkingDirectory(workingDirectory);
    if (!standardOutputFile.isEmpty()) process.setStandardOutputFile(standardOutputFile);
    process.start(QStringLiteral(ZCFG_BINARY), arguments);
    process.waitForFinished(30000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A relay's reply as the serial monitor shows it, with its check byte worked out.
QString relayReply(const QByteArray& payload) {
    int sum = 1 + 4;
    for (char c : payload)
        sum += uchar(c);
    return QStringLiteral("<SOH>%1<EOT><#%2>")
        .arg(QString::fromLatin1(payload), QString::number(sum & 0xFF, 16).toUpper().rightJustified(2, '0'));
}

// A 64 KiB file system, unmounted when done. Mounting needs root.
class FullFileSystem {
public:
    FullFileSystem() {
        mounted_ =
            dir_.isValid() && QProcess::execute(QStringLiteral("mount"),
                                                {"-t", "tmpfs", "-o", "size=64k", "tmpfs", dir_.path()}) == 0;
    }
    ~FullFileSystem() {
        if (mounted_) QProcess::execute(QStringLiteral("umount"), {dir_.path()});
    }
    bool mounted() const { return mounted_; }
    QString filePath(const QString& name) const { return dir_.filePath(name); }
    void fill() { // takes every free byte
        QFile filler(filePath(QStringLiteral("filler")));
        if (filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            while (filler.write("x", 1) == 1) {
            }
    }

private:
    QTemporaryDir dir_;
    bool mounted_ = false;
};

} // namespace

class TestZcfgFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void helpAndUsage();
    void newAcceptsEveryWayOfNamingAType_data();
    void newAcceptsEveryWayOfNamingAType();
    void showListsPathsAndShownTexts();
    void checkReportsProblemsWithLines();
    void setChangesAsTheEditorWould();
    void setRefusesAndWritesNothing_data();
    void setRefusesAndWritesNothing();
    void frameOfAConfiguration();
    void setRefusesAFileWithProblemsUnlessForced();
    void valuesFromADeviceThatTheFileCannotHoldAreWrittenWithAWarning();
    void outputErrorsAreReported_data();
    void outputErrorsAreReported();
    void aFullDiskKeepsTheOldFile_data();
    void aFullDiskKeepsTheOldFile();

private:
    QTemporaryDir dir_;
};

void TestZcfgFiles::helpAndUsage() {
    Run run = zcfg({"--help"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains("Usage: zcfg [options] COMMAND"));
    run = zcfg({"set", "--help"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains("Usage: zcfg set"));
    QCOMPARE(zcfg({"frobnicate"}).exitCode, 2);
    QCOMPARE(zcfg({"new"}).exitCode, 2);
    QCOMPARE(zcfg({"show", "--nonsense", "x"}).exitCode, 2);

    // The commands' descriptions start in one column, and the version is the project's.
    const QStringList lines = zcfg({"--help"}).out.split('\n');
    const qsizetype first = lines.indexOf(QStringLiteral("Commands:")) + 1;
    QVERIFY(first > 0);
    const QRegularExpression description(QStringLiteral("^  \\S.*?\\S  +(\\S)"));
    QList<qsizetype> columns;
    for (qsizetype i = first; i < lines.size() && !lines[i].isEmpty(); ++i)
        columns << description.match(lines[i]).capturedStart(1);
    QCOMPARE(columns.size(), 10);
    QCOMPARE(QSet<qsizetype>(columns.begin(), columns.end()).size(), 1);
    run = zcfg({"--version"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(QRegularExpression(QStringLiteral("^zcfg \\d+\\.\\d+")).match(run.out).hasMatch(),
             qPrintable(run.out));
}

void TestZcfgFiles::newAcceptsEveryWayOfNamingAType_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("expected");
    QTest::newRow("value name in any case") << "DT_RELAY_OUTPUT"
                                            << "dt_Relay_Output";
    QTest::newRow("model name") << "ZX320 Relay Output"
                                << "dt_Relay_Output";
    QTest::newRow("number") << "7"
                            << "dt_Zone_Indicator";
    QTest::newRow("derived text") << "pendant transmitter"
                                  << "dt_Pendant_Transmitter";
}

void TestZcfgFiles::newAcceptsEveryWayOfNamingAType() {
    QFETCH(QString, type);
    QFETCH(QString, expected);
    const Run run = zcfg({"new", type});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith("File ZCFG File\r\n  Device Type = " + expected + "\r\n"));
    QVERIFY(run.out.endsWith("End File\r\n"));
}

void TestZcfgFiles::showListsPathsAndShownTexts() {
    const QString file = dir_.filePath("zone.zcf");
    QCOMPARE(zcfg({"new", "dt_Zone_Indicator", "-o", file}).exitCode, 0);
    const Run run = zcfg({"show", file});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = run.out.split('\n');
    QVERIFY(lines.contains("Device Type = dt_Zone_Indicator (ZX330 ZI or ZX390/2 Sounder)"));
    QVERIFY(lines.contains("Device/Zonal Data/Item(3)/Tone = zt_Help_Required (Help Required)"));
    QVERIFY(lines.contains("Device/Node Address = 1 (Unassigned)"));
    QVERIFY(lines.contains("Device/HTM2015 Enabled = FALSE"));

    const QString staff = dir_.filePath("staff.zcf");
    QCOMPARE(zcfg({"new", "1", "-o", staff}).exitCode, 0);
    QCOMPARE(zcfg({"set", staff, "Comments=first\\nsecond"}).exitCode, 0);
    const QStringList staffLines = zcfg({"show", staff}).out.split('\n');
    QVERIFY(staffLines.contains("Device/User Record/IR/RF Protocol = irrf_Arvel_Protocol (Arvel)"));
    QVERIFY(staffLines.contains("Device/User Record/Button(2)/RF Enabled = FALSE"));
    QVERIFY(staffLines.contains("Comments(2) = second"));
}

void TestZcfgFiles::checkReportsProblemsWithLines() {
    const QString clean = dir_.filePath("clean.zcf");
    QCOMPARE(zcfg({"new", "relay", "-o", clean}).exitCode, 0);
    QCOMPARE(zcfg({"check", clean}).exitCode, 0);

    const QString broken = dir_.filePath("broken.zcf");
    QFile file(broken);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("File ZCFG File\r\n  Device Type = dt_Relay_Output\r\n  Bogus = 1\r\n  Name( a = 1\r\n");
    file.close();
    Run run = zcfg({"check", clean, broken});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.contains(broken + ":3: Unexpected \"Bogus\""));
    QVERIFY(run.out.contains(broken + ":4: Syntax error"));
    QVERIFY(run.out.contains(broken + ":4: Unexpected end of file"));
    QVERIFY(!run.out.contains(clean));

    run = zcfg({"check", clean, dir_.filePath("missing.zcf")});
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.err.contains("missing.zcf: cannot read"));
}

void TestZcfgFiles::setChangesAsTheEditorWould() {
    const QString file = dir_.filePath("mpd.zcf");
    QCOMPARE(zcfg({"new", "ZX310 (Call Point)", "-o", file}).exitCode, 0);
    const QString out = dir_.filePath("mpd-htm.zcf");
    const Run run = zcfg({"set", file, "Device/User Data/HTM2015 Enable=TRUE", "-o", out});
    QCOMPARE(run.exitCode, 0);
    const QStringList lines = zcfg({"show", out}).out.split('\n');
    QVERIFY(lines.contains("Device/User Data/Reset Mode = TRUE"));
    QVERIFY(lines.contains("Device/User Data/Help Required = FALSE"));
    QVERIFY(zcfg({"show", file}).out.contains("Device/User Data/HTM2015 Enable = FALSE")); // -o leaves FILE

    const QString staff = dir_.filePath("staff-set.zcf");
    QCOMPARE(zcfg({"new", "1", "-o", staff}).exitCode, 0);
    QCOMPARE(zcfg({"set", staff, "device/user record/ir/rf protocol=RM800", "Device/User Record/ID=200",
                   "Device/User Record/Button(2)/Button Type=Help Required"})
                 .exitCode,
             0);
    const QString shown = zcfg({"show", staff}).out;
    QVERIFY(shown.contains("Device/User Record/IR/RF Protocol = irrf_RM800_Protocol (RM800)"));
    QVERIFY(shown.contains("Device/User Record/ID = 200"));
    QVERIFY(shown.contains("Device/User Record/Button(2)/Button Type = irrf_Help_Required"));
}

void TestZcfgFiles::setRefusesAndWritesNothing_data() {
    QTest::addColumn<QString>("assignment");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown path") << "Device/Nothing=1"
                                  << "no value at \"Device/Nothing\"";
    QTest::newRow("value not offered") << "Device/User Record/Button(1)/Button Type=Attendance"
                                       << "\"Attendance\" is not offered for Button Type";
    QTest::newRow("integer out of limits") << "Device/User Record/ID=256"
                                           << "outside the limits of ID (0 to 255)";
    QTest::newRow("not an integer") << "Device/User Record/ID=lots"
                                    << "'lots' is not a valid integer value";
    QTest::newRow("disabled") << "Device/User Record/Group Address=3"
                              << "cannot be changed";
    QTest::newRow("record layout") << "Device/Factory Record/W/O=12"
                                   << "does not fit W/O";
    QTest::newRow("not a Boolean") << "Device/User Record/Transmit ID=maybe"
                                   << "is not TRUE or FALSE";
    QTest::newRow("comment marker in a text") << "Device/Factory Record/CN=Ward 7 // Block B"
                                              << "A value cannot contain \"//\"";
}

void TestZcfgFiles::setRefusesAndWritesNothing() {
    QFETCH(QString, assignment);
    QFETCH(QString, message);
    const QString file = dir_.filePath("refuse.zcf");
    QCOMPARE(zcfg({"new", "1", "-o", file}).exitCode, 0);
    const QByteArray before = readFile(file);
    // A good change before the refused one is not written either.
    const Run run = zcfg({"set", file, "Device/User Record/ID=9", assignment});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(readFile(file), before);
}

void TestZcfgFiles::frameOfAConfiguration() {
    const QString file = dir_.filePath("relay.zcf");
    QCOMPARE(zcfg({"new", "relay", "-o", file}).exitCode, 0);
    QCOMPARE(zcfg({"set", file, "Device/Active In Presence=TRUE", "Device/Active In Attack=TRUE"}).exitCode,
             0);
    Run run = zcfg({"frame", file});
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QStringLiteral("01 32 38 04 6F\n"));
    run = zcfg({"frame", file, "--factory"});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.err.contains("Error - Device not suitable for configuring with factory data"));

    const QString staff = dir_.filePath("staff-frame.zcf");
    QCOMPARE(zcfg({"new", "1", "-o", staff}).exitCode, 0);
    run = zcfg({"frame", staff});
    QVERIFY(run.out.startsWith("01 55 44 31 50 54 31"));                                 // SOH "UD1PT1"
    QVERIFY(zcfg({"frame", staff, "--factory"}).out.startsWith("01 46 44 31 20 53 57")); // SOH "FD1 SW"
}

void TestZcfgFiles::setRefusesAFileWithProblemsUnlessForced() {
    const QString file = dir_.filePath("problems.zcf");
    QFile broken(file);
    QVERIFY(broken.open(QIODevice::WriteOnly));
    // The memo has no end line: it swallows the value after it, which a rewrite would lose.
    broken.write("File ZCFG File\r\n  Device Type = dt_Relay_Output\r\n  Memo Comments\r\n    // note\r\n"
                 "  Object Device\r\n    Active In Call = TRUE\r\n  End Object\r\nEnd File\r\n");
    broken.close();
    const QByteArray before = readFile(file);
    const QString checked = zcfg({"check", file}).out.trimmed();
    QVERIFY(!checked.isEmpty());

    Run run = zcfg({"set", file, "Device/Active In Attack=TRUE"});
    QCOMPARE(run.exitCode, 1);
    for (const QString& problem : checked.split('\n'))
        QVERIFY2(run.err.contains(problem), qPrintable(run.err));
    QVERIFY(run.err.contains("nothing was written"));
    QCOMPARE(readFile(file), before);
    QCOMPARE(zcfg({"set", file, "Device/Active In Attack=TRUE", "-o", dir_.filePath("other.zcf")}).exitCode,
             1);
    QVERIFY(!QFile::exists(dir_.filePath("other.zcf")));

    run = zcfg({"set", file, "Device/Active In Attack=TRUE", "--force"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(zcfg({"show", file}).out.contains("Device/Active In Attack = TRUE"));
}

void TestZcfgFiles::valuesFromADeviceThatTheFileCannotHoldAreWrittenWithAWarning() {
    const QString file = dir_.filePath("slashes.zcf");
    const Run run = zcfg({"apply", relayReply("PI010102ABCDEFG//JKLMNOP050328"), "-o", file});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("Device/Factory String = ABCDEFG//JKLMNOP"), qPrintable(run.err));
    QVERIFY(run.err.contains("cannot be stored as they are"));
    QVERIFY(readFile(file).contains("Factory String = ABCDEFG//JKLMNOP")); // written whole, not cut
    QCOMPARE(zcfg({"apply", relayReply("PI010102ABCDEFG/IJKLMNOP050328"), "-o", file}).exitCode, 0);
}

void TestZcfgFiles::outputErrorsAreReported_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("new") << QStringList{"new", "relay"};
    QTest::newRow("show") << QStringList{"show", "FILE"};
    QTest::newRow("read") << QStringList{"read", "--sim", "relay"};
    QTest::newRow("frame") << QStringList{"frame", "FILE"};
    QTest::newRow("help") << QStringList{"--help"};
}

void TestZcfgFiles::outputErrorsAreReported() {
    QFETCH(QStringList, arguments);
    if (!QFile::exists("/dev/full")) QSKIP("no /dev/full on this system");
    const QString file = dir_.filePath("out.zcf");
    QCOMPARE(zcfg({"new", "relay", "-o", file}).exitCode, 0);
    arguments.replaceInStrings(QRegularExpression("^FILE$"), file);
    const Run run = zcfg(arguments, QString(), QStringLiteral("/dev/full"));
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains("cannot write to standard output"), qPrintable(run.err));
}

void TestZcfgFiles::aFullDiskKeepsTheOldFile_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("set") << QStringList{"set", "FILE", "Device/Active In Call=TRUE"};
    QTest::newRow("set -o") << QStringList{"set", "OTHER", "Device/Active In Call=TRUE", "-o", "FILE"};
    QTest::newRow("new -o") << QStringList{"new", "zone-indicator", "-o", "FILE"};
    QTest::newRow("read -o") << QStringList{"read", "--sim", "staff", "-o", "FILE"};
    QTest::newRow("apply -o") << QStringList{"apply", relayReply("PI010102ABCDEFGHIJKLMNOP050328"), "-o",
                                             "FILE"};
}

void TestZcfgFiles::aFullDiskKeepsTheOldFile() {
    QFETCH(QStringList, arguments);
    FullFileSystem disk;
    if (!disk.mounted()) QSKIP("a 64 KiB tmpfs cannot be mounted here (mounting needs root)");
    const QString file = disk.filePath("site.zcf");
    const QString other = dir_.filePath("other.zcf");
    QCOMPARE(zcfg({"new", "relay", "-o", file}).exitCode, 0);
    QCOMPARE(zcfg({"new", "relay", "-o", other}).exitCode, 0);
    const QByteArray before = readFile(file);
    QVERIFY(!before.isEmpty());
    disk.fill();
    arguments.replaceInStrings(QRegularExpression("^FILE$"), file);
    arguments.replaceInStrings(QRegularExpression("^OTHER$"), other);
    const Run run = zcfg(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains("cannot write"), qPrintable(run.err));
    QCOMPARE(readFile(file), before);
}

QTEST_GUILESS_MAIN(TestZcfgFiles)
#include "tst_zcfg_files.moc"
