// bassUse: the five sound slots (music and four effects) over the audio layer.
#pragma once

#include <cstdint>
#include <string>

struct TSound {
    std::uint32_t handle = 0;
    std::uint8_t loaded = 0;
    std::uint8_t started = 0;  // played since the last stop or load: play resumes
    float volume = 0;
    std::string file;  // the file the slot was loaded from (for dumps)
};

void InitSound(void* window);
void FreeSound();
void SoundLoad(TSound& slot, const std::string& fileName, bool loop, float volumeFactor);
void SoundPlay(TSound& slot);
void SoundStop(TSound& slot);
void SoundPause(TSound& slot);
void SoundSetVolume(TSound& slot, std::uint8_t percent);
