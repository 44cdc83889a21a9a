#include "property/PelError.h"

#include <QScopedValueRollback>
#include <QTextStream>
#include <limits>

EZcfgError::EZcfgError(QString message) : message_(std::move(message)), utf8_(message_.toUtf8()) {}

EConvertError::EConvertError(const QString& text)
    : EZcfgError(QLatin1Char('\'') + text + QStringLiteral("' is not a valid integer value")) {}

bool TryStrToInt(const QString& text, int& value) noexcept {
    int i = 0;
    const int n = text.size();
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    int base = 10;
    if (i < n && text[i] == QLatin1Char('$')) {
        base = 16;
        ++i;
    } else if (i + 1 < n && text[i] == QLatin1Char('0') &&
               (text[i + 1] == QLatin1Char('x') || text[i + 1] == QLatin1Char('X'))) {
        base = 16;
        i += 2;
    }
    if (i >= n) return false;
    qint64 acc = 0;
    for (; i < n; ++i) {
        int digit = -1;
        const ushort c = text[i].unicode();
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0) return false;
        acc = acc * base + digit;
        // Hexadecimal texts may spell the full 32-bit pattern ("$FFFFFFFF" is -1); decimal may not overflow.
        const qint64 limit = base == 16 ? qint64(std::numeric_limits<quint32>::max())
                                        : qint64(std::numeric_limits<int>::max()) + (negative ? 1 : 0);
        if (acc > limit) return false;
    }
    if (base == 16 && !negative)
        value = int(quint32(acc));
    else
        value = int(negative ? -acc : acc);
    return true;
}

int StrToInt(const QString& text) {
    int value = 0;
    if (!TryStrToInt(text, value)) throw EConvertError(text);
    return value;
}

namespace {
void writeToStandardError(MessageKind kind, const QString& text) {
    QTextStream err(stderr);
    err << (kind == MessageKind::Warning ? "Warning: " : "Error: ") << text << Qt::endl;
}

MessagePresenter& presenter() {
    static MessagePresenter current = writeToStandardError;
    return current;
}

int showingDepth = 0;
} // namespace

MessagePresenter SetMessagePresenter(MessagePresenter replacement) {
    MessagePresenter previous = std::move(presenter());
    presenter() = replacement ? std::move(replacement) : MessagePresenter(writeToStandardError);
    return previous;
}

namespace {
void present(MessageKind kind, const QString& text) {
    const QScopedValueRollback<int> showing(showingDepth, showingDepth + 1);
    presenter()(kind, text);
}
} // namespace

void ShowWarning(const QString& text) {
    present(MessageKind::Warning, text);
}

void ShowError(const QString& text) {
    present(MessageKind::Error, text);
}

bool MessageShowing() noexcept {
    return showingDepth > 0;
}

tMessageCapture::tMessageCapture()
    : previous_(SetMessagePresenter([this](MessageKind, const QString& text) { messages_ << text; })) {}

tMessageCapture::~tMessageCapture() {
    SetMessagePresenter(std::move(previous_));
}
