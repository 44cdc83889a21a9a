#include "app/ToneOutputModule.h"

#include "programmer/D2XX.h"

#include <QLibrary>

TToneOutputModule::TToneOutputModule() = default;
TToneOutputModule::~TToneOutputModule() = default;

QString TToneOutputModule::ModulePath() {
    const QString configured = qEnvironmentVariable("ZCFG_TONE_AUDIO_LIBRARY");
    if (!configured.isEmpty()) return configured;
    const QString found =
        D2XX::FindPrivateLibrary(QStringLiteral("libzcfg-tone-audio.so"), QStringLiteral("app"));
    return found.isEmpty() ? QStringLiteral("libzcfg-tone-audio.so") : found;
}

// The module stays loaded for the rest of the run: the output's code lives in it.
bool TToneOutputModule::load() {
    if (output_) return true;
    if (failed_) return false;
    QLibrary module(ModulePath());
    const auto create = reinterpret_cast<tCreateToneOutput>(module.resolve(kCreateToneOutputSymbol));
    output_.reset(create ? create() : nullptr);
    if (!output_) {
        failed_ = true; // reported once, like a missing sound device
        if (onUnavailable_) onUnavailable_(NoSoundOutputText());
        return false;
    }
    output_->SetOnUnavailable(onUnavailable_);
    return true;
}

void TToneOutputModule::Play(const tPattern& pattern) {
    if (load()) output_->Play(pattern);
}

void TToneOutputModule::Silence() {
    if (output_) output_->Silence(); // nothing sounds before the module is loaded
}

void TToneOutputModule::SetOnUnavailable(tReport report) {
    onUnavailable_ = std::move(report);
    if (output_) output_->SetOnUnavailable(onUnavailable_);
}
