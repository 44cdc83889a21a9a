// Configuration files on disk: line endings, code pages, byte-order marks and atomic saving.
#include "property/TextFile.h"

#include <QtTest>
#include <sys/mount.h>

class TestTextFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decodes_data();
    void decodes();
    void encodesInTheCodePageWhenEverythingFits();
    void encodesUtf8WithMarkOtherwise();
    void failedSaveKeepsTheOldFileAndSaysSo_data();
    void failedSaveKeepsTheOldFileAndSaysSo();
    void aSaveCutShortLeavesNothingBehind();
};

void TestTextFile::decodes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QStringList{"a", "b"};
    QTest::newRow("lf and cr") << QByteArray("a\nb\rc") << QStringList{"a", "b", "c"};
    QTest::newRow("empty lines kept") << QByteArray("a\r\n\r\nb\r\n") << QStringList{"a", "", "b"};
    QTest::newRow("utf-8 without mark")
        << QByteArray("caf\xC3\xA9\r\n") << QStringList{QString::fromUtf8("café")};
    QTest::newRow("windows-1252") << QByteArray("caf\xE9 \x80\x96\r\n")
                                  << QStringList{QString::fromUtf8("café €–")};
    QTest::newRow("utf-8 mark") << QByteArray("\xEF\xBB\xBFx\r\n") << QStringList{"x"};
    QTest::newRow("utf-16 le mark") << QByteArray("\xFF\xFEx\0\r\0\n\0", 8) << QStringList{"x"};
    QTest::newRow("utf-16 be mark") << QByteArray("\xFE\xFF\0x\0\r\0\n", 8) << QStringList{"x"};
    QTest::newRow("empty") << QByteArray() << QStringList{};
}

void TestTextFile::decodes() {
    QFETCH(QByteArray, bytes);
    QTEST(DecodeTextLines(bytes), "lines");
}

void TestTextFile::encodesInTheCodePageWhenEverythingFits() {
    const QStringList lines = {QString::fromUtf8("Ward é €"), ""};
    const QByteArray bytes = EncodeTextLines(lines);
    QCOMPARE(bytes, QByteArray("Ward \xE9 \x80\r\n\r\n"));
    QCOMPARE(DecodeTextLines(bytes), lines);
}

void TestTextFile::encodesUtf8WithMarkOtherwise() {
    const QStringList lines = {QString::fromUtf8("Station Ω ✓")};
    const QByteArray bytes = EncodeTextLines(lines);
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    QVERIFY(bytes.endsWith("\r\n"));
    QCOMPARE(DecodeTextLines(bytes), lines);
}

// Neither case depends on the rights the test runs with; a full file system needs a small tmpfs,
// which only a process allowed to mount can make.
void TestTextFile::failedSaveKeepsTheOldFileAndSaysSo_data() {
    QTest::addColumn<bool>("fullDisk");
    QTest::newRow("path under a regular file") << false;
    QTest::newRow("full file system") << true;
}

void TestTextFile::failedSaveKeepsTheOldFileAndSaysSo() {
    QFETCH(bool, fullDisk);
    QTemporaryDir dir;
    QString folder = dir.path();
    if (fullDisk && ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("cannot mount a small tmpfs here (needs the right to mount)");
    const auto unmount = qScopeGuard([&] {
        if (fullDisk) ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
    });
    const QString oldFile = folder + QStringLiteral("/site.zcf");
    QString error;
    QVERIFY(WriteTextFile(oldFile, QStringList(30, QStringLiteral("  Name = Ward 7 east")), error));
    const QStringList newText(400, QStringLiteral("  Comment line of a long configuration"));
    QString target = oldFile;
    if (fullDisk) {
        QFile filler(folder + QStringLiteral("/filler"));
        QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(512, 'x');
        while (filler.write(block) == block.size()) {
        }
    } else {
        target = oldFile + QStringLiteral("/inside.zcf");
    }
    QVERIFY(!WriteTextFile(target, newText, error));
    QVERIFY2(error.startsWith(QStringLiteral("The file cannot be written: ")), qPrintable(error));
    if (fullDisk) QVERIFY2(error.endsWith(QStringLiteral("No space left on device")), qPrintable(error));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("saving")),
             QStringList());
    QStringList lines;
    QVERIFY(ReadTextFile(oldFile, lines, error));
    QCOMPARE(lines, QStringList(30, QStringLiteral("  Name = Ward 7 east")));
}

// A save cut short leaves only hidden files beside the target, which the next save of that file
// removes; other files stay. The saved file keeps the old one's rights, and a link keeps pointing at it.
void TestTextFile::aSaveCutShortLeavesNothingBehind() {
    QTemporaryDir dir;
    const QString site = dir.filePath("site.zcf");
    QString error;
    QVERIFY(WriteTextFile(site, {"old"}, error) &&
            QFile::setPermissions(site, QFile::ReadOwner | QFile::WriteOwner));
    const QStringList others = {".other.zcf.saving", ".site.zcf.saving.old.zcf", "link.zcf", "site.zcf",
                                "site.zcf.backup"};
    for (const QString& name : QStringList{".site.zcf.saving", ".site.zcf.saving.Ab12Cd", "site.zcf.backup",
                                           ".other.zcf.saving", ".site.zcf.saving.old.zcf"})
        QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
    QVERIFY(QFile::link(site, dir.filePath("link.zcf")));
    QVERIFY(WriteTextFile(dir.filePath("link.zcf"), {"new"}, error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name), others);
    QStringList lines;
    QVERIFY(QFileInfo(dir.filePath("link.zcf")).isSymLink() && ReadTextFile(site, lines, error));
    QCOMPARE(lines, QStringList{"new"});
    QCOMPARE(QFile::permissions(site) & 0x7077, QFile::ReadOwner | QFile::WriteOwner);
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
