// The line scanner over a table of lines: names, keys, operators, comments and blanks.
#include "property/ErrorList.h"
#include "property/PelError.h"

#include <QtTest>

class TestScanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parseLine_data();
    void parseLine();
    void operatorText();
};

void TestScanner::parseLine_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("comment");

    auto row = [](const char* tag, const QString& line, bool usable, const QString& name, const QString& key,
                  const QString& value, const QString& comment) {
        QTest::newRow(tag) << line << usable << name << key << value << comment;
    };
    row("plain", "Name = value", true, "Name", "", "value", "");
    row("blank runs kept inside", "  Name   =   a  b  ", true, "Name", "", "a  b", "");
    row("inner name blanks", "Device Type = dt_None", true, "Device Type", "", "dt_None", "");
    row("key", "Name( 3 ) = x", true, "Name", "3", "x", "");
    row("key tight", "Name(3)=x", true, "Name", "3", "x", "");
    row("empty key", "Name(   ) = x", true, "Name", "", "x", "");
    row("key line ends after paren", "Name(   ", false, "", "", "", "");
    row("operator inside key", "Name( a = 1", false, "", "", "", "");
    row("slash inside key", "Name( a / b ) = 1", true, "Name", "a / b", "1", "");
    row("slash after key", "Name( a ) / b = 1", false, "", "", "", "");
    row("unclosed key", "Name( 3", true, "Name", "3", "", "");
    row("comment after value", "Name = a // b", true, "Name", "", "a", "b");
    row("comment tight", "Name = a//b", true, "Name", "", "a", "b");
    row("single slash in value", "Name = a/b", true, "Name", "", "a/b", "");
    row("comment only", "// text", true, "", "", "", "text");
    row("comment keeps blanks", "//  x  ", true, "", "", "", " x  ");
    row("comment of one blank", "Name = v// ", true, "Name", "", "v", " ");
    row("blank line", "", true, "", "", "", "");
    row("comparison kept whole", "A > B", true, "A > B", "", "", "");
    row("comparison with comment", "A >= B // c", true, "A >= B", "", "", "c");
    row("reversed operators", "A => B // c", true, "A >= B", "", "", "c");
    row("not equal", "A >< B // c", true, "A <> B", "", "", "c");
    row("comparison with key", "A( 1 ) > B", false, "", "", "", "");
    row("tab is not a blank", "\tName\t = \tv\t", true, "\tName\t", "", "\tv\t", "");
    row("bell and cr are blanks", "\aName = v\r", true, "Name", "", "v", "");
    row("end line", "End Object", true, "End Object", "", "", "");
    row("memo line", "    //  abc", true, "", "", "", " abc");
    row("name with slash", "IR/RF Protocol = irrf_Arvel_Protocol", true, "IR/RF Protocol", "",
        "irrf_Arvel_Protocol", "");
    row("written integer comment", "ID = $1F// 31", true, "ID", "", "$1F", "31");
}

void TestScanner::parseLine() {
    QFETCH(QString, line);
    QFETCH(bool, usable);
    QString name, key, value, comment;
    QCOMPARE(ParseLine(line, name, key, value, comment), usable);
    if (!usable) return;
    QTEST(name, "name");
    QTEST(key, "key");
    QTEST(value, "value");
    QTEST(comment, "comment");
}

void TestScanner::operatorText() {
    QString text = QStringLiteral("unchanged");
    OperatorText(12, text);
    QCOMPARE(text, QStringLiteral("unchanged"));
    OperatorText(tkNotEqual, text);
    QCOMPARE(text, QStringLiteral(" <> "));
    try {
        OperatorText(tkUnbalanced, text);
        QFAIL("no error raised");
    } catch (const EZcfgError& e) {
        QCOMPARE(e.Message(), QStringLiteral("Error - Unbalanced Braces"));
    }
}

QTEST_GUILESS_MAIN(TestScanner)
#include "tst_scanner.moc"
