// The zcfg file commands run as a user runs them: output, messages and exit codes.
#include <QtTest>
#include <sys/stat.h>

namespace {

struct Run {
    int exitCode = -1;
    QString out, err;
};

Run zcfg(const QStringList& arguments, const QString& standardOutputFile = QString()) {
    QProcess process;
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

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
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
    explicit FullFileSystem(bool mount) {
        mounted_ = mount && dir_.isValid() &&
                   QProcess::execute(QStringLiteral("mount"),
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
    void commandsOnANewFile_data();
    void commandsOnANewFile();
    void checkReportsProblemsWithLines();
    void setRefusesAFileWithProblemsUnlessForced();
    void valuesFromADeviceThatTheFileCannotHoldAreWrittenWithAWarning();
    void writeErrorsKeepTheOldFile_data();
    void writeErrorsKeepTheOldFile();

private:
    QTemporaryDir dir_;
};

void TestZcfgFiles::helpAndUsage() {
    for (const QStringList& wrong : {QStringList{"frobnicate"}, {"new"}, {"show", "--nonsense", "x"}})
        QCOMPARE(zcfg(wrong).exitCode, 2);
    Run run = zcfg({"set", "--help"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains("Usage: zcfg set"));
    run = zcfg({"--help"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.contains("Usage: zcfg [options] COMMAND"));
    // The commands' descriptions start in one column, and the version is the project's.
    const QStringList lines = run.out.split('\n');
    const qsizetype first = lines.indexOf(QStringLiteral("Commands:")) + 1;
    QVERIFY(first > 0);
    const QRegularExpression description(QStringLiteral("^  \\S.*?\\S  +(\\S)"));
    QSet<qsizetype> columns;
    qsizetype count = 0;
    for (qsizetype i = first; i < lines.size() && !lines[i].isEmpty(); ++i, ++count)
        columns << description.match(lines[i]).capturedStart(1);
    QCOMPARE(count, 14);
    QCOMPARE(columns.size(), 1);
    run = zcfg({"--version"});
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(QRegularExpression(QStringLiteral("^zcfg \\d+\\.\\d+")).match(run.out).hasMatch(),
             qPrintable(run.out));
}

void TestZcfgFiles::newAcceptsEveryWayOfNamingAType_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* tag, const char* type, const char* expected) {
        QTest::newRow(tag) << QString(type) << QString(expected);
    };
    row("value name in any case", "DT_RELAY_OUTPUT", "dt_Relay_Output");
    row("model name", "ZX320 Relay Output", "dt_Relay_Output");
    row("number", "7", "dt_Zone_Indicator");
    row("derived text", "pendant transmitter", "dt_Pendant_Transmitter");
}

void TestZcfgFiles::newAcceptsEveryWayOfNamingAType() {
    QFETCH(QString, type);
    QFETCH(QString, expected);
    const Run run = zcfg({"new", type});
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.out.startsWith("File ZCFG File\r\n  Device Type = " + expected + "\r\n"));
    QVERIFY(run.out.endsWith("End File\r\n"));
}

// A new file of a type, changed by set into another file (which leaves the first alone), then shown or
// framed; or, with no command, a set that is refused and writes nothing, not even a good change
// before the refused one. Assignments and expected texts are separated by "|". Each expected text is
// a line of the output or part of a message; one starting with "^" starts the output, one starting
// with "=" is all of it.
void TestZcfgFiles::commandsOnANewFile_data() {
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("assignments");
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* tag, const char* type, const QString& assignments, const char* command,
                        int exitCode, const char* expected) {
        QTest::newRow(tag) << QString(type) << assignments << QString(command) << exitCode
                           << QString(expected);
    };
    const auto refused = [&row](const char* tag, const char* assignment, const char* message) {
        row(tag, "1", "Device/User Record/ID=9|" + QString(assignment), "", 1, message);
    };
    row("show zone indicator", "dt_Zone_Indicator", "", "show", 0,
        "Device Type = dt_Zone_Indicator (ZX330 ZI or ZX390/2 Sounder)"
        "|Device/Zonal Data/Item(3)/Tone = zt_Help_Required (Help Required)"
        "|Device/Node Address = 1 (Unassigned)|Device/HTM2015 Enabled = FALSE");
    row("show staff with a comment", "1", "Comments=first\\nsecond", "show", 0,
        "Device/User Record/IR/RF Protocol = irrf_Arvel_Protocol (Arvel)"
        "|Device/User Record/Button(2)/RF Enabled = FALSE|Comments(2) = second");
    row("set HTM2015 on a call point as the editor would", "ZX310 (Call Point)",
        "Device/User Data/HTM2015 Enable=TRUE", "show", 0,
        "Device/User Data/Reset Mode = TRUE|Device/User Data/Help Required = FALSE");
    row("set by any case, value text and index", "1",
        "device/user record/ir/rf protocol=RM800|Device/User Record/ID=200"
        "|Device/User Record/Button(2)/Button Type=Help Required",
        "show", 0,
        "Device/User Record/IR/RF Protocol = irrf_RM800_Protocol (RM800)|Device/User Record/ID = 200"
        "|Device/User Record/Button(2)/Button Type = irrf_Help_Required (Help Required)");
    row("frame relay", "relay", "Device/Active In Presence=TRUE|Device/Active In Attack=TRUE", "frame", 0,
        "=01 32 38 04 6F\n");
    row("relay has no factory frame", "relay", "", "frame --factory", 1,
        "Error - Device not suitable for configuring with factory data");
    row("frame staff", "1", "", "frame", 0, "^01 55 44 31 50 54 31");                   // SOH "UD1PT1"
    row("factory frame staff", "1", "", "frame --factory", 0, "^01 46 44 31 20 53 57"); // SOH "FD1 SW"
    refused("unknown path", "Device/Nothing=1", "no value at \"Device/Nothing\"");
    refused("value not offered", "Device/User Record/Button(1)/Button Type=Attendance",
            "\"Attendance\" is not offered for Button Type");
    refused("integer out of limits", "Device/User Record/ID=256", "outside the limits of ID (0 to 255)");
    refused("not an integer", "Device/User Record/ID=lots", "'lots' is not a valid integer value");
    refused("disabled", "Device/User Record/Group Address=3", "cannot be changed");
    refused("record layout", "Device/Factory Record/W/O=12", "does not fit W/O");
    refused("not a Boolean", "Device/User Record/Transmit ID=maybe", "is not TRUE or FALSE");
    refused("comment marker in a text", "Device/Factory Record/CN=Ward 7 // Block B",
            "A value cannot contain \"//\"");
}

void TestZcfgFiles::commandsOnANewFile() {
    QFETCH(QString, type);
    QFETCH(QString, assignments);
    QFETCH(QString, command);
    QFETCH(QString, expected);
    QString file = dir_.filePath("new.zcf");
    const QString changed = dir_.filePath("changed.zcf");
    QCOMPARE(zcfg({"new", type, "-o", file}).exitCode, 0);
    const QByteArray before = readFile(file);
    Run run;
    if (!assignments.isEmpty()) {
        const QStringList output = command.isEmpty() ? QStringList() : QStringList{"-o", changed};
        run = zcfg(QStringList{"set", file} + assignments.split('|') + output);
        QCOMPARE(readFile(file), before);
        if (!command.isEmpty()) QCOMPARE(run.exitCode, 0);
        file = changed;
    }
    if (!command.isEmpty()) run = zcfg(command.split(' ') + QStringList{file});
    QTEST(run.exitCode, "exitCode");
    const QStringList lines = run.out.split('\n');
    for (const QString& text : expected.split('|'))
        QVERIFY2(text.startsWith('=')   ? run.out == text.mid(1)
                 : text.startsWith('^') ? run.out.startsWith(text.mid(1))
                                        : lines.contains(text) || run.err.contains(text),
                 qPrintable(text));
}

// Problems are listed at their lines; a file that cannot be read (missing, a pipe) is named with why,
// without waiting on it.
void TestZcfgFiles::checkReportsProblemsWithLines() {
    const QString clean = dir_.filePath("clean.zcf");
    QCOMPARE(zcfg({"new", "relay", "-o", clean}).exitCode, 0);
    QCOMPARE(zcfg({"check", clean}).exitCode, 0);
    const QString broken = dir_.filePath("broken.zcf");
    writeFile(broken,
              "File ZCFG File\r\n  Device Type = dt_Relay_Output\r\n  Bogus = 1\r\n  Object Device\r\n"
              "    Active In Call = MAYBE\r\n  Name( a = 1\r\n");
    Run run = zcfg({"check", clean, broken});
    QCOMPARE(run.exitCode, 1);
    for (const char* problem :
         {":3: Unexpected \"Bogus\"", ":5: Invalid value \"MAYBE\" for Active In Call (TRUE or FALSE)",
          ":6: Syntax error", ":6: Unexpected end of file"})
        QVERIFY2(run.out.contains(broken + problem), qPrintable(run.out));
    QVERIFY(!run.out.contains(clean));
    const QString pipe = dir_.filePath("pipe.zcf");
    QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    run = zcfg({"check", clean, dir_.filePath("missing.zcf"), pipe});
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.err.contains("missing.zcf: cannot read: No such file or directory"));
    QVERIFY(run.err.contains("pipe.zcf: cannot read: It is a pipe, not a file"));
}

void TestZcfgFiles::setRefusesAFileWithProblemsUnlessForced() {
    const QString file = dir_.filePath("problems.zcf");
    // The memo has no end line: it swallows the value after it, which a rewrite would lose.
    writeFile(file, "File ZCFG File\r\n  Device Type = dt_Relay_Output\r\n  Memo Comments\r\n    // note\r\n"
                    "  Object Device\r\n    Active In Call = TRUE\r\n  End Object\r\nEnd File\r\n");
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

// A write that fails, to standard output or to a full disk: the command says so and the file it would
// have replaced keeps its bytes. FILE is a relay's file, OTHER another beside the test's files.
void TestZcfgFiles::writeErrorsKeepTheOldFile_data() {
    QTest::addColumn<bool>("fullDisk"); // otherwise standard output is full
    QTest::addColumn<QStringList>("arguments");
    const auto row = [](const char* tag, bool fullDisk, const QString& arguments) {
        QTest::newRow(tag) << fullDisk << arguments.split('|');
    };
    row("new to standard output", false, "new|relay");
    row("show", false, "show|FILE");
    row("read", false, "read|--sim|relay");
    row("frame", false, "frame|FILE");
    row("help", false, "--help");
    row("set", true, "set|FILE|Device/Active In Call=TRUE");
    row("set -o", true, "set|OTHER|Device/Active In Call=TRUE|-o|FILE");
    row("new -o", true, "new|zone-indicator|-o|FILE");
    row("read -o", true, "read|--sim|staff|-o|FILE");
    row("apply -o", true, "apply|" + relayReply("PI010102ABCDEFGHIJKLMNOP050328") + "|-o|FILE");
}

void TestZcfgFiles::writeErrorsKeepTheOldFile() {
    QFETCH(bool, fullDisk);
    QFETCH(QStringList, arguments);
    FullFileSystem disk(fullDisk);
    if (fullDisk && !disk.mounted()) QSKIP("a 64 KiB tmpfs cannot be mounted here (mounting needs root)");
    if (!fullDisk && !QFile::exists("/dev/full")) QSKIP("no /dev/full on this system");
    const QString file = fullDisk ? disk.filePath("site.zcf") : dir_.filePath("out.zcf");
    const QString other = dir_.filePath("other.zcf");
    QCOMPARE(zcfg({"new", "relay", "-o", file}).exitCode, 0);
    QCOMPARE(zcfg({"new", "relay", "-o", other}).exitCode, 0);
    const QByteArray before = readFile(file);
    if (fullDisk) disk.fill();
    arguments.replaceInStrings(QRegularExpression("^FILE$"), file);
    arguments.replaceInStrings(QRegularExpression("^OTHER$"), other);
    const Run run = zcfg(arguments, fullDisk ? QString() : QStringLiteral("/dev/full"));
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(fullDisk ? "cannot write" : "cannot write to standard output"),
             qPrintable(run.err));
    if (fullDisk) QVERIFY2(run.err.contains("No space left on device"), qPrintable(run.err)); // the cause
    QCOMPARE(readFile(file), before);
    QVERIFY(!before.isEmpty());
}

QTEST_GUILESS_MAIN(TestZcfgFiles)
#include "tst_zcfg_files.moc"
