// The entry point of libzcfg-tone-audio.so, the module that carries the sound output.
#include "app/ToneOutputAudio.h"
#include "app/ToneOutputModule.h"

extern "C" Q_DECL_EXPORT IToneOutput* ZcfgCreateToneOutput() {
    return new TToneOutputAudio;
}
