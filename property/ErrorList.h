#pragma once
// The line scanner of the configuration text format, and the error list every reader fills.

#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>

enum tTokenKind : uint8_t {
    tkNone = 0,
    tkEquals = 1,
    tkUnbalanced = 2,
    tkGreater = 3,
    tkLess = 4,
    tkGreaterEqual = 5,
    tkLessEqual = 6,
    tkNotEqual = 7,
    tkPlus = 8,
    tkMinus = 9,
    tkTimes = 10,
    tkDivide = 11,
};

// One problem found while reading: 0-based line index (or one past it, see the readers), column, text.
struct tError {
    int Line = 0;
    int Column = 0;
    QString Text;
};
using tErrorList = QList<tError>;

void AddError(tErrorList* list, int line, int column, const QString& text);
void AddError(tErrorList* list, int line, const QString& text);

// Splits one line into name, key (inside parentheses), value (after an operator) and comment
// (after "//"). Blanks are BEL, LF, CR and space; TAB is an ordinary character.
tTokenKind ScanLine(const QString& line, QString& name, QString& key, QString& value, QString& comment);

// Scans a line and decides whether it is usable. A comparison ("A > B") is kept whole as the name.
bool ParseLine(const QString& line, QString& name, QString& key, QString& value, QString& comment);

// The text of an operator kind (" = ", " >= ", ...). Raises for tkUnbalanced; leaves text unchanged
// for a kind above tkDivide.
void OperatorText(int kind, QString& text);

// Removes every leading and trailing character with a code of 32 or less.
QString TrimControl(const QString& text);

// The text as a message quotes it: whole when short, otherwise its start and its length, so that a
// line of megabytes never reaches a message box. Control characters are shown as "?".
QString Excerpt(const QString& text);

// Comparison folding only the letters A to Z.
bool AsciiSameText(const QString& a, const QString& b);
QString AsciiLower(const QString& text);
