// Bass: our small audio layer with the calls the sound slots make, on SDL2_mixer.
#pragma once

#include <cstdint>

using HSTREAM = std::uint32_t;

constexpr std::uint32_t BASS_SAMPLE_LOOP = 4;
constexpr std::uint32_t BASS_ATTRIB_FREQ = 1;
constexpr std::uint32_t BASS_ATTRIB_VOL = 2;
constexpr std::uint32_t BASS_ACTIVE_STOPPED = 0;
constexpr std::uint32_t BASS_ACTIVE_PLAYING = 1;
constexpr std::uint32_t BASS_ACTIVE_PAUSED = 3;

// 0x0204xxxx: the version of the calls this layer answers.
std::uint32_t BASS_GetVersion();
// Opens the audio device; non-zero on success.
int BASS_Init(int device, std::uint32_t freq, std::uint32_t flags, void* window, void* clsid);
int BASS_Free();
// A stream of a whole file; 0 when the file cannot be opened or decoded.
HSTREAM BASS_StreamCreateFile(int mem, const char* file, std::uint64_t offset, std::uint64_t length,
                              std::uint32_t flags);
std::uint32_t BASS_ChannelFlags(std::uint32_t handle, std::uint32_t flags, std::uint32_t mask);
int BASS_ChannelSetAttribute(std::uint32_t handle, std::uint32_t attribute, float value);
// restart != 0 plays from the beginning; otherwise resumes where a pause left off.
int BASS_ChannelPlay(std::uint32_t handle, int restart);
int BASS_ChannelPause(std::uint32_t handle);
int BASS_ChannelStop(std::uint32_t handle);
// BASS_ACTIVE_STOPPED, _PLAYING or _PAUSED.
std::uint32_t BASS_ChannelIsActive(std::uint32_t handle);
// Frees a stream (a reload replaces its slot's stream).
int BASS_StreamFree(std::uint32_t handle);
