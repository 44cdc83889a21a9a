#pragma once
// What the tests of the editor window share: the simulated adapter as the driver, a folder of each
// test's own for its settings and files, the window's forms, and the messages the window showed.
// A test class derives from QObject first and from this, and calls the three steps from its
// initTestCase, init and cleanup.

#include "../programmer/SimHarness.h"
#include "app/ApplicationForms.h"
#include "app/UnitMain.h"
#include "property/PelError.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

class WindowTestSession {
protected:
    std::unique_ptr<SimHarness> sim_;
    std::unique_ptr<QTemporaryDir> dir_;
    TApplicationForms forms_;
    QStringList messages_;
    QStringList results_; // what the result form showed, for tests that collect it

    TFormMain& window() { return *forms_.FormMain; }
    QString path(const char* name) const { return dir_->filePath(QLatin1String(name)); }

    // The simulated adapter stands in for the driver library.
    void loadSimulator() {
        qputenv("ZCFG_D2XX_LIBRARY", ZCFG_SIM_LIBRARY);
        qunsetenv("ZCFG_SIM");
        sim_ = std::make_unique<SimHarness>(QStringLiteral(ZCFG_SIM_LIBRARY));
    }
    // A fresh folder; the messages the window shows are collected instead of shown.
    void beginTest() {
        dir_ = std::make_unique<QTemporaryDir>();
        messages_.clear();
        results_.clear();
        SetMessagePresenter([this](MessageKind, const QString& text) { messages_ << text; });
    }
    void endTest() {
        forms_ = TApplicationForms{};
        SetMessagePresenter(nullptr);
    }
};
