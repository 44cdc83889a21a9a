#include "app/FontWarmUp.h"

#include <QCoreApplication>
#include <fontconfig/fontconfig.h>

#include <cstdlib>

namespace {
std::thread* running = nullptr; // the warm-up thread until it is joined

void joinRunning() {
    if (running && running->joinable()) running->join();
}

// The command-line parser ends the program through exit() (for --help, --version and a wrong
// option). The program then waits for the thread too, so it never ends while fontconfig is half
// built; and as the application object is never destroyed, which would release the font
// configuration, it is released here.
void finishAtExit() {
    joinRunning();
    if (QCoreApplication::instance()) FcFini();
}
} // namespace

// FcInit builds the default configuration once per process and is safe to call from any thread;
// Qt's own call later finds it built.
TFontWarmUp::TFontWarmUp() : thread_([] { FcInit(); }) {
    static const bool registered = (std::atexit(finishAtExit), true);
    (void)registered;
    running = &thread_;
}

TFontWarmUp::~TFontWarmUp() {
    Finish();
    running = nullptr;
}

void TFontWarmUp::Finish() {
    if (thread_.joinable()) thread_.join();
}
