#include "resources/version/Version.h"

QString FindVersionValue(QSpan16 block, const QString& key) {
    if (key.isEmpty()) return {};
    const auto keyLength = std::size_t(key.size());
    std::size_t matched = 0;
    std::size_t position = 0;
    while (position < block.size && matched < keyLength) {
        const char16_t unit = block.data[position++];
        if (unit == key[qsizetype(matched)].unicode()) {
            ++matched;
        } else {
            // Start again at the key's first character; this unit may itself begin a match.
            matched = unit == key[0].unicode() ? 1 : 0;
        }
    }
    if (matched < keyLength) return {};
    while (position < block.size && block.data[position] == 0)
        ++position;
    QString value;
    while (position < block.size && block.data[position] != 0)
        value.append(QChar(block.data[position++]));
    return value;
}

QString ProgramVersion() {
    return FindVersionValue(VersionResource(), QStringLiteral("FileVersion"));
}
