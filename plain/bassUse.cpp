// bassUse: sound slots.
#include "bassUse.h"

#include "Bass.h"

void InitSound(void*) {}

void FreeSound() {}

void SoundLoad(TSound& slot, const std::string& fileName, bool, float volumeFactor) {
    slot.file = fileName;
    slot.volume = volumeFactor;
    slot.loaded = 1;
    slot.started = 0;
}

void SoundPlay(TSound& slot) {
    slot.started = 1;
}

void SoundStop(TSound& slot) {
    slot.started = 0;
}

void SoundPause(TSound&) {}

void SoundSetVolume(TSound& slot, std::uint8_t percent) {
    slot.volume = percent / 100.0f;
}
