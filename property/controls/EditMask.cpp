#include "property/controls/EditMask.h"

namespace {

// The Qt mask character for a toolkit mask character, or a null character for a literal.
QChar qtMaskChar(QChar c) {
    static const QString toolkit = QStringLiteral("09#LlAaCc");
    static const QString qt = QStringLiteral("90#AaNnXx");
    const int i = int(toolkit.indexOf(c));
    return i >= 0 ? qt[i] : QChar();
}

void addLiteral(tEditMask& result, QChar c) {
    // Letters and digits are escaped, so no literal is ever read as a Qt mask character.
    if (c.isLetterOrNumber() || QStringLiteral("#><!\\[]{};").contains(c))
        result.inputMask += QLatin1Char('\\');
    result.inputMask += c;
    result.literalAt.append(true);
}

} // namespace

tEditMask ConvertEditMask(const QString& mask) {
    tEditMask result;
    int i = 0;
    for (; i < mask.size() && mask[i] != QLatin1Char(';'); ++i) {
        const QChar c = mask[i];
        const QChar next = i + 1 < mask.size() ? mask[i + 1] : QChar();
        if (c == QLatin1Char('\\') && !next.isNull()) {
            addLiteral(result, next);
            ++i;
        } else if (c == QLatin1Char('<') && next == QLatin1Char('>')) {
            result.inputMask += QLatin1Char('!');
            ++i;
        } else if (c == QLatin1Char('>') || c == QLatin1Char('<')) {
            result.inputMask += c;
        } else if (c == QLatin1Char('!')) {
            continue;
        } else if (c == QLatin1Char('_')) {
            addLiteral(result, QLatin1Char(' '));
        } else if (const QChar q = qtMaskChar(c); !q.isNull()) {
            result.inputMask += q;
            result.literalAt.append(false);
        } else {
            addLiteral(result, c);
        }
    }
    const QStringList fields = mask.mid(i).split(QLatin1Char(';'));
    if (fields.size() > 1) result.saveLiterals = fields[1] != QLatin1String("0");
    if (fields.size() > 2 && !fields[2].isEmpty()) result.blank = fields[2][0];
    if (!result.inputMask.isEmpty()) result.inputMask += QLatin1Char(';') + result.blank;
    return result;
}
