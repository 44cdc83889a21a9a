#pragma once
// Loads the system's font configuration on a thread of its own while the program starts.
//
// The first text the window measures needs the font configuration: its files parsed and the font
// caches read, several milliseconds that would otherwise hold up the window before it first shows.
// Started before the application object, the work overlaps with connecting to the display; the
// window's first measurement then finds it done (or waits only for what is left).
//
// Finish() must come before the application object is destroyed, as that releases the font
// configuration: a configuration built later would be left behind.

#include <thread>

class TFontWarmUp {
public:
    TFontWarmUp();
    ~TFontWarmUp(); // finishes
    // Waits until the configuration is loaded; later calls return at once.
    void Finish();
    TFontWarmUp(const TFontWarmUp&) = delete;
    TFontWarmUp& operator=(const TFontWarmUp&) = delete;

private:
    std::thread thread_;
};
