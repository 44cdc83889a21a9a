#pragma once
// Errors raised by the configurator, the strict integer conversion, and the one seam through which
// every modal message (warning or error box) is shown.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <utility>

// A failure carrying a fixed English message, raised through the program and shown by the
// application's error box when it reaches an event handler.
class EZcfgError : public std::exception {
public:
    explicit EZcfgError(QString message);
    const QString& Message() const noexcept { return message_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    QByteArray utf8_;
};

// A text that is not a valid integer: "'abc' is not a valid integer value".
class EConvertError : public EZcfgError {
public:
    explicit EConvertError(const QString& text);
};

// Strict conversion as the toolkit's string-to-integer conversion: optional sign, decimal digits,
// or hexadecimal after "$" or "0x"/"0X"; surrounding blanks are not accepted. Raises EConvertError.
int StrToInt(const QString& text);
bool TryStrToInt(const QString& text, int& value) noexcept;

// ---- Modal messages ------------------------------------------------------------------------

enum class MessageKind { Warning, Error };

// Shows one modal message and returns when the user has dismissed it. The application installs
// a message-box presenter; tests install a recorder; the default writes to standard error.
using MessagePresenter = std::function<void(MessageKind kind, const QString& text)>;

// Replaces the presenter and returns the previous one.
MessagePresenter SetMessagePresenter(MessagePresenter presenter);

// A modal warning or error box with one OK button, shown through the presenter; MessageShowing()
// is true while one is open (the document's time-out waits for it).
void ShowWarning(const QString& text);
void ShowError(const QString& text);
bool MessageShowing() noexcept;

// While it lives, messages are kept in it instead of being shown: for work on scratch copies, whose
// warnings the real work shows again.
class tMessageCapture {
public:
    tMessageCapture();
    ~tMessageCapture();
    tMessageCapture(const tMessageCapture&) = delete;
    tMessageCapture& operator=(const tMessageCapture&) = delete;
    const QStringList& Messages() const { return messages_; }

private:
    MessagePresenter previous_;
    QStringList messages_;
};

// Runs f, catching any error and showing it in the application's error box. Every slot, timer
// handler and event handler that may raise goes through this, so no error reaches Qt's event loop.
template <class F> bool Guarded(F&& f) noexcept {
    try {
        std::forward<F>(f)();
        return true;
    } catch (const EZcfgError& e) {
        ShowError(e.Message());
    } catch (const std::exception& e) {
        ShowError(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowError(QStringLiteral("Unexpected error"));
    }
    return false;
}
