// bassUse: the sound slots over the audio layer: starting and ending the device, and load, play,
// stop, pause and volume of one slot. A slot that was never loaded makes no call to the layer,
// except for the volume.
#include "bassUse.h"

#include "Bass.h"
#include "WindUse.h"

void InitSound(void* window) {
    if ((BASS_GetVersion() >> 16) != 0x0204) return;
    // Without a device the game goes on silent: every stream creation then fails.
    if (BASS_Init(-1, OutputRate, 0, window, nullptr) == 0)
        ShowMessageBox("Error", "Sound Initial Error");
}

void FreeSound() {
    BASS_Free();
}

void SoundLoad(TSound& slot, const std::string& fileName, bool loop, float volumeFactor,
               bool streamed) {
    // The stream this load replaces is never used again: stop it and give its memory back, so
    // that F3 and F4 may be pressed any number of times.
    if (slot.handle != 0) BASS_StreamFree(slot.handle);
    slot.handle =
        BASS_StreamCreateFile(0, fileName.c_str(), 0, 0, streamed ? BASS_STREAM_MUSIC : 0);
    slot.file = fileName;
    if (loop) BASS_ChannelFlags(slot.handle, BASS_SAMPLE_LOOP, BASS_SAMPLE_LOOP);
    slot.volume = volumeFactor;
    BASS_ChannelSetAttribute(slot.handle, BASS_ATTRIB_VOL, slot.volume);
    // No frequency attribute: each stream plays at its own file's rate.
    slot.loaded = 1;
    slot.started = 0;
}

void SoundPlay(TSound& slot) {
    if (slot.loaded) BASS_ChannelPlay(slot.handle, slot.started ? 0 : -1);
    slot.started = 1;
}

void SoundStop(TSound& slot) {
    if (slot.loaded) BASS_ChannelStop(slot.handle);
    slot.started = 0;
}

void SoundPause(TSound& slot) {
    if (slot.loaded) BASS_ChannelPause(slot.handle);
}

void SoundSetVolume(TSound& slot, std::uint8_t percent) {
    slot.volume = static_cast<float>(percent / 100.0);
    BASS_ChannelSetAttribute(slot.handle, BASS_ATTRIB_VOL, slot.volume);
}

void SoundUpdate() {
    BASS_Update();
}
