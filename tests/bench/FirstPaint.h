#pragma once
// What the start-up programs share: a child reports "shown RSS_KB" on standard output once its
// window has been shown and painted for the first time.

#include <QEvent>
#include <QFile>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <utility>

inline long residentKilobytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return -1;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * (sysconf(_SC_PAGESIZE) / 1024) : -1;
}

inline void reportShown() {
    std::printf("shown %ld\n", residentKilobytes());
    std::fflush(stdout);
}

// Runs then once the window has been painted for the first time (all of it: the children paint in
// the same pass, and then runs after that pass).
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget& window, std::function<void()> then) : then_(std::move(then)) {
        window.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && then_) {
            QTimer::singleShot(0, std::exchange(then_, nullptr));
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    std::function<void()> then_;
};
