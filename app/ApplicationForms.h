#pragma once
// The program's three forms, created in their start-up order: the main window, the about box and
// the result form. The main window's first showing uses the other two.

#include "app/About.h"
#include "app/UnitFormOK.h"
#include "app/UnitMain.h"

#include <memory>

// The about box and the result form belong to the main window's family (they centre on it), so they
// are always destroyed first: result form, about box, main window.
struct TApplicationForms {
    TApplicationForms() = default;
    TApplicationForms(TApplicationForms&&) noexcept = default;
    TApplicationForms& operator=(TApplicationForms&& other) noexcept {
        Reset();
        FormMain = std::move(other.FormMain);
        AboutBox = std::move(other.AboutBox);
        FormOK = std::move(other.FormOK);
        return *this;
    }
    ~TApplicationForms() { Reset(); }
    void Reset() {
        FormOK.reset();
        AboutBox.reset();
        FormMain.reset();
    }

    std::unique_ptr<TFormMain> FormMain;
    std::unique_ptr<TAboutBox> AboutBox;
    std::unique_ptr<TFormOK> FormOK;
};

// Sets the application title and creates the three forms; the window is not shown yet.
TApplicationForms CreateApplicationForms(const TFormMainOptions& options = {});
