#pragma once
// What the tests of the editor window share: the simulated adapter as the driver, a folder of each
// test's own for its settings and files, the window's forms, and the messages the window showed.
// A test class derives from QObject first and from this, and calls the three steps from its
// initTestCase, init and cleanup.

#include "../programmer/SimHarness.h"
#include "app/ApplicationForms.h"
#include "app/PelSaveDialog.h"
#include "app/UnitFormOK.h"
#include "app/UnitMain.h"
#include "property/PelError.h"

#include <QApplication>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
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
    // The window over the test's own settings file, the simulated adapter attached to a device of
    // the keyword: the result form's texts go to results_ and the "not saved" prompt answers No
    // (a test sets its own hooks after this). False when the window did not become active.
    bool openWindow(const char* keyword, IToneOutput* tones = nullptr) {
        sim_->reset();
        sim_->loadKeyword(keyword);
        forms_ = CreateApplicationForms(TFormMainOptions{path("settings.ini"), false, tones});
        window().PelSaveDialog().SetAskNotSaved([] { return TPelSaveDialog::NotSavedAnswer::No; });
        forms_.FormOK->SetRunModal([this](TFormOK& form) {
            results_ << form.MemoResult()->toPlainText();
            return int(QDialog::Accepted);
        });
        window().show();
        QApplication::setActiveWindow(&window());
        return QTest::qWaitForWindowActive(&window());
    }
    // The settings the next window starts with.
    void storeSetting(const QString& key, const QVariant& value) {
        QSettings(path("settings.ini"), QSettings::IniFormat)
            .setValue(QStringLiteral("Zentara Configurator/") + key, value);
    }
    void endTest() {
        forms_ = TApplicationForms{};
        SetMessagePresenter(nullptr);
    }
};
