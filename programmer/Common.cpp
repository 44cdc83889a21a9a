#include "programmer/Common.h"

void SetBit(uint16_t& word, int bit, bool on) {
    if (bit < 0 || bit > 15) return;
    const uint16_t mask = uint16_t(1u << bit);
    word = on ? uint16_t(word | mask) : uint16_t(word & ~mask);
}

bool TestBit(uint16_t word, int bit) {
    return bit >= 0 && bit <= 15 && (word >> bit) & 1u;
}

namespace {
int hexDigitValue(QChar c) {
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    return -1;
}
} // namespace

bool IsHex(const QString& text) {
    for (QChar c : text)
        if (hexDigitValue(c) < 0) return false;
    return true;
}

int HexToInt(const QString& text) {
    quint32 value = 0;
    for (QChar c : text) {
        const int d = hexDigitValue(c);
        if (d >= 0) value = value * 16u + quint32(d); // wraps at 32 bits
    }
    return int(value);
}

namespace {
const char* const controlCharNames[32] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                          "BS",  "HT",  "LF",  "VT",  "FF",  "CR",  "SO",  "SI",
                                          "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                          "CAN", "EM",  "SUB", "ESC", "FS",  "GS",  "RS",  "US"};
} // namespace

QLatin1String ControlCharName(int code) {
    return code >= 0 && code < 32 ? QLatin1String(controlCharNames[code]) : QLatin1String();
}

int ControlCharCode(QStringView name) {
    for (int code = 0; code < 32; ++code)
        if (name == QLatin1String(controlCharNames[code])) return code;
    return -1;
}

QString RenderControlChars(const QString& text) {
    QString out;
    out.reserve(text.size() * 2);
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u < 32)
            out += QLatin1Char('<') + ControlCharName(u) + QLatin1Char('>');
        else if (u >= 127 && u <= 255)
            out += QStringLiteral("<#%1>").arg(u, 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}
