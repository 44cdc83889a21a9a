#include "app/pages/DevicePage.h"

// No device page has contents yet: every tab sheet stays an empty frame.
std::unique_ptr<TDevicePage> CreateDevicePage(int, QWidget*) {
    return nullptr;
}
