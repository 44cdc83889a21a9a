#pragma once
// The tone test's sound output as the application uses it: the sound output proper
// (TToneOutputAudio) lives in a module of its own, libzcfg-tone-audio.so, loaded when the first
// pattern plays. Qt Multimedia, and with it the sound system's and the codecs' libraries, stay out
// of the program until a tone test plays: the window starts sooner and smaller, and a system whose
// sound libraries are missing or broken still starts the editor.

#include "app/ToneOutput.h"

#include <memory>

class TToneOutputModule : public IToneOutput {
public:
    TToneOutputModule();
    ~TToneOutputModule() override;

    // The first pattern loads the module; a module that cannot be loaded counts as no sound output.
    void Play(const tPattern& pattern) override;
    void Silence() override;
    void SetOnUnavailable(tReport report) override;

    // Whether the module has been loaded into this program.
    bool Loaded() const { return output_ != nullptr; }
    // ZCFG_TONE_AUDIO_LIBRARY when set; else the module beside the program or in its private
    // library folder.
    static QString ModulePath();

private:
    bool load();

    std::unique_ptr<IToneOutput> output_;
    bool failed_ = false;
    tReport onUnavailable_;
};

// The module's one entry point: a new sound output, owned by the caller.
extern "C" using tCreateToneOutput = IToneOutput * (*)();
inline constexpr const char* kCreateToneOutputSymbol = "ZcfgCreateToneOutput";
