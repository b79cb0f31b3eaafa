// bassUse: the five sound slots (music and four effects) over the audio layer.
#pragma once

#include <cstdint>
#include <string>

// The output rate asked of the device.
constexpr std::uint32_t OutputRate = 44100;

// One stream slot. All fields start at zero; `file` is the last file loaded (for dumps).
struct TSound {
    std::uint32_t handle = 0;
    std::uint8_t loaded = 0;
    std::uint8_t started = 0;  // played since the last stop or load: play resumes
    float volume = 0;
    std::string file;  // the file the slot was loaded from (for dumps)
};

// Opens the audio device; without one, says "Sound Initial Error" once and the game runs silent.
void InitSound(void* window);
void FreeSound();
// A new stream of `fileName` in the slot (the old one freed): loaded, not started, volume =
// volumeFactor. A file that cannot be read leaves handle 0: the slot plays silence. `streamed`
// (music) reads the file as it plays, any length; otherwise it is decoded whole (effects).
void SoundLoad(TSound& slot, const std::string& fileName, bool loop, float volumeFactor,
               bool streamed = false);
// From the beginning when not started since the last load or stop, else resumes.
void SoundPlay(TSound& slot);
void SoundStop(TSound& slot);
// Pauses; `started` stays, so the next play resumes.
void SoundPause(TSound& slot);
// Volume = percent / 100, also on a slot never loaded.
void SoundSetVolume(TSound& slot, std::uint8_t percent);
// Looped music that stopped on a damaged frame starts again from its beginning; run every tick.
void SoundUpdate();
