#include "property/ErrorList.h"

#include "property/PelError.h"

void AddError(tErrorList* list, int line, int column, const QString& text) {
    if (list) list->append(tError{line, column, text});
}

void AddError(tErrorList* list, int line, const QString& text) {
    AddError(list, line, 0, text);
}

namespace {

bool isBlank(QChar c) {
    const ushort u = c.unicode();
    return u == 7 || u == 10 || u == 13 || u == 32;
}

// Reads the operator starting at line[i] ("<", "=", ">" and their pairs); advances i past it.
tTokenKind takeOperator(const QString& line, int& i) {
    const QChar c = line[i];
    const QChar next = i + 1 < line.size() ? line[i + 1] : QChar();
    tTokenKind kind = tkNone;
    int length = 2;
    if (c == QLatin1Char('<'))
        kind = next == QLatin1Char('=') ? tkLessEqual : next == QLatin1Char('>') ? tkNotEqual : tkLess;
    else if (c == QLatin1Char('='))
        kind = next == QLatin1Char('<') ? tkLessEqual : next == QLatin1Char('>') ? tkGreaterEqual : tkEquals;
    else
        kind = next == QLatin1Char('=') ? tkGreaterEqual : next == QLatin1Char('<') ? tkNotEqual : tkGreater;
    if (kind == tkLess || kind == tkEquals || kind == tkGreater) length = 1;
    i += length;
    return kind;
}

bool isOperatorChar(QChar c) {
    return c == QLatin1Char('<') || c == QLatin1Char('=') || c == QLatin1Char('>');
}

bool isCommentStart(const QString& line, int i) {
    return line[i] == QLatin1Char('/') && i + 1 < line.size() && line[i + 1] == QLatin1Char('/');
}

// Blanks inside a name, key or value are kept; blanks at its end are held back until more follows.
void appendHeld(QString& out, QString& pending, QChar c) {
    out += pending;
    out += c;
    pending.clear();
}

void skipBlanks(const QString& line, int& i) {
    while (i < line.size() && isBlank(line[i]))
        ++i;
}

} // namespace

tTokenKind ScanLine(const QString& line, QString& name, QString& key, QString& value, QString& comment) {
    name.clear();
    key.clear();
    value.clear();
    comment.clear();
    tTokenKind kind = tkNone;
    const int n = line.size();
    int i = 0;
    skipBlanks(line, i);

    // Name phase.
    bool keyFollows = false;
    QString pending;
    while (i < n) {
        const QChar c = line[i];
        if (isBlank(c)) {
            pending += c;
            ++i;
        } else if (c == QLatin1Char('(')) {
            keyFollows = true;
            ++i;
            break;
        } else if (isCommentStart(line, i)) {
            break;
        } else if (isOperatorChar(c)) {
            kind = takeOperator(line, i);
            break;
        } else {
            appendHeld(name, pending, c);
            ++i;
        }
    }

    // Key phase: inside the parentheses, and on after the closing one up to an operator.
    if (keyFollows) {
        skipBlanks(line, i);
        if (i >= n) return tkUnbalanced;
        bool inside = true;
        pending.clear();
        while (i < n) {
            const QChar c = line[i];
            if (isBlank(c)) {
                pending += c;
                ++i;
            } else if (c == QLatin1Char(')')) {
                inside = false;
                ++i;
            } else if (isCommentStart(line, i)) {
                break;
            } else if (c == QLatin1Char('/')) {
                if (!inside) return tkUnbalanced;
                appendHeld(key, pending, c);
                ++i;
            } else if (isOperatorChar(c)) {
                if (inside) return tkUnbalanced;
                kind = takeOperator(line, i);
                break;
            } else {
                appendHeld(key, pending, c);
                ++i;
            }
        }
    }

    // Value phase, ended by "//" (consumed) or the end of the line.
    skipBlanks(line, i);
    pending.clear();
    while (i < n) {
        const QChar c = line[i];
        if (isBlank(c)) {
            pending += c;
            ++i;
        } else if (isCommentStart(line, i)) {
            i += 2;
            break;
        } else {
            appendHeld(value, pending, c);
            ++i;
        }
    }

    // Comment phase: one separating blank is dropped, the rest is kept verbatim.
    if (n - i >= 2 && isBlank(line[i])) ++i;
    if (i < n) comment = line.mid(i);
    return kind;
}

bool ParseLine(const QString& line, QString& name, QString& key, QString& value, QString& comment) {
    const tTokenKind kind = ScanLine(line, name, key, value, comment);
    switch (kind) {
    case tkNone:
    case tkEquals:
        return true;
    case tkUnbalanced:
        return false;
    case tkGreater:
    case tkLess:
    case tkGreaterEqual:
    case tkLessEqual:
    case tkNotEqual:
        if (!key.isEmpty()) return false;
        if (comment.isEmpty()) {
            name = TrimControl(line);
        } else {
            QString op;
            OperatorText(kind, op);
            name = name + op + value;
        }
        value.clear();
        return true;
    default:
        return true;
    }
}

void OperatorText(int kind, QString& text) {
    static const char* const texts[] = {
        "", " = ", nullptr, " > ", " < ", " >= ", " <= ", " <> ", " + ", " - ", " * ", " / "};
    if (kind == tkUnbalanced) throw EZcfgError(QStringLiteral("Error - Unbalanced Braces"));
    if (kind >= 0 && kind <= tkDivide) text = QLatin1String(texts[kind]);
}

QString TrimControl(const QString& text) {
    int begin = 0;
    int end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return begin == 0 && end == text.size() ? text : text.mid(begin, end - begin);
}

QString Excerpt(const QString& text) {
    constexpr qsizetype whole = 80;
    constexpr qsizetype shown = 60;
    QString result = text.size() <= whole ? text : text.left(shown);
    for (QChar& c : result)
        if (c.unicode() < 32 || c.unicode() == 127) c = QLatin1Char('?');
    if (text.size() > whole) result += QStringLiteral("... (%1 characters)").arg(text.size());
    return result;
}

QString AsciiLower(const QString& text) {
    QString result = text;
    for (QChar& c : result)
        if (c.unicode() >= 'A' && c.unicode() <= 'Z') c = QChar(ushort(c.unicode() + 32));
    return result;
}

bool AsciiSameText(const QString& a, const QString& b) {
    if (a.size() != b.size()) return false;
    for (int i = 0; i < a.size(); ++i) {
        ushort x = a[i].unicode();
        ushort y = b[i].unicode();
        if (x >= 'A' && x <= 'Z') x += 32;
        if (y >= 'A' && y <= 'Z') y += 32;
        if (x != y) return false;
    }
    return true;
}
