// Configuration files on disk: line endings, code pages, byte-order marks and atomic saving.
#include "property/TextFile.h"

#include <QtTest>

class TestTextFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void decodes_data();
    void decodes();
    void encodesInTheCodePageWhenEverythingFits();
    void encodesUtf8WithMarkOtherwise();
    void savingOverAnUnwritablePlaceKeepsTheOldFile();
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

void TestTextFile::savingOverAnUnwritablePlaceKeepsTheOldFile() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("site.zcf"));
    QString error;
    QVERIFY(WriteTextFile(path, {"old"}, error));
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const bool written = WriteTextFile(path, {"new"}, error);
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (written) QSKIP("running with rights that ignore folder permissions");
    QVERIFY(!error.isEmpty());
    QStringList lines;
    QVERIFY(ReadTextFile(path, lines, error));
    QCOMPARE(lines, QStringList{"old"});
}

QTEST_GUILESS_MAIN(TestTextFile)
#include "tst_textfile.moc"
