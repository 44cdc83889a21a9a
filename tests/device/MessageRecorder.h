#pragma once
// Answers every modal message during a test and keeps what was shown.

#include "property/PelError.h"

#include <QStringList>

class MessageRecorder {
public:
    MessageRecorder() {
        previous_ = SetMessagePresenter([this](MessageKind kind, const QString& text) {
            (kind == MessageKind::Warning ? warnings : errors).append(text);
        });
    }
    ~MessageRecorder() { SetMessagePresenter(previous_); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QStringList warnings;
    QStringList errors;

private:
    MessagePresenter previous_;
};

// The message of the error that f raises, or an empty text when it raises none.
template <class F> QString raisedMessage(F&& f) {
    try {
        f();
    } catch (const EZcfgError& e) {
        return e.Message();
    }
    return QString();
}
