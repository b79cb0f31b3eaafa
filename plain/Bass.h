// Bass: our small audio layer with the calls the sound slots make, on SDL2_mixer. An effect is a
// whole file decoded into memory at the mixer's rate and played on a mixer channel of its own, so
// any number of them play, pause, resume and stop independently, each at its file's own speed.
// Music (BASS_STREAM_MUSIC) is read from its file as it plays, on the mixer's one music player:
// any length, in memory independent of its length.
#pragma once

#include <cstdint>

using HSTREAM = std::uint32_t;

constexpr std::uint32_t BASS_SAMPLE_LOOP = 4;
// A stream created with this flag is read from its file while it plays (music of any length; one
// such stream plays at a time); without it a stream is decoded whole (at most kMaxDecodedBytes).
constexpr std::uint32_t BASS_STREAM_MUSIC = 0x100000;
constexpr std::uint32_t BASS_ATTRIB_FREQ = 1;
constexpr std::uint32_t BASS_ATTRIB_VOL = 2;
constexpr std::uint32_t BASS_ACTIVE_STOPPED = 0;
constexpr std::uint32_t BASS_ACTIVE_PLAYING = 1;
constexpr std::uint32_t BASS_ACTIVE_PAUSED = 3;

// Error codes of the last call (BASS_ErrorGetCode).
constexpr int BASS_OK = 0;
constexpr int BASS_ERROR_FILEOPEN = 2;
constexpr int BASS_ERROR_HANDLE = 5;
constexpr int BASS_ERROR_INIT = 8;
constexpr int BASS_ERROR_ALREADY = 14;
constexpr int BASS_ERROR_ILLPARAM = 20;
constexpr int BASS_ERROR_FORMAT = 41;
constexpr int BASS_ERROR_DEVICE = 23;

// The largest stream we decode whole, in bytes at the mixer's rate: a few bytes of header must not
// be able to ask for gigabytes.
constexpr std::uint64_t kMaxDecodedBytes = 128ull << 20;
// Sample rates a sound file may declare.
constexpr std::uint32_t kMinFileRate = 4000;
constexpr std::uint32_t kMaxFileRate = 384000;

// 0x0204xxxx: the version of the calls this layer answers.
std::uint32_t BASS_GetVersion();
// Opens the audio device (SDL's choice, or SDL_AUDIODRIVER) at `freq`; non-zero on success. A
// second call while open fails with BASS_ERROR_ALREADY.
int BASS_Init(int device, std::uint32_t freq, std::uint32_t flags, void* window, void* clsid);
// Frees every stream and closes the device.
int BASS_Free();
// A stream of a whole WAV or MP3 file; 0 when the device is not open or the file cannot be
// opened, is refused (absurd header) or cannot be decoded. With BASS_STREAM_MUSIC in `flags` the
// file is streamed: only its head is checked, its length does not matter, and playing it ends any
// other streamed stream. `mem`, `offset` and `length` are accepted for the calls' shape; only
// whole files are read.
HSTREAM BASS_StreamCreateFile(int mem, const char* file, std::uint64_t offset, std::uint64_t length,
                              std::uint32_t flags);
// Sets the flags under `mask` (only BASS_SAMPLE_LOOP is known); returns the new flags, or
// 0xFFFFFFFF for an unknown handle.
std::uint32_t BASS_ChannelFlags(std::uint32_t handle, std::uint32_t flags, std::uint32_t mask);
// BASS_ATTRIB_VOL: 0 to 1, takes effect at once. BASS_ATTRIB_FREQ: every stream plays at its
// file's own rate; only that rate (or 0, meaning it) is accepted.
int BASS_ChannelSetAttribute(std::uint32_t handle, std::uint32_t attribute, float value);
// restart != 0 plays from the beginning; otherwise resumes where a pause left off (a stopped
// stream starts from the beginning).
int BASS_ChannelPlay(std::uint32_t handle, int restart);
int BASS_ChannelPause(std::uint32_t handle);
int BASS_ChannelStop(std::uint32_t handle);
// BASS_ACTIVE_STOPPED, _PLAYING or _PAUSED.
std::uint32_t BASS_ChannelIsActive(std::uint32_t handle);
// Stops and frees a stream; its handle is never used again.
int BASS_StreamFree(std::uint32_t handle);
// Keeps looped music going: a track whose decoder stopped on a damaged frame starts again from
// its beginning. The game calls it every tick.
int BASS_Update();
// The error code of the last call (BASS_OK after a successful one).
int BASS_ErrorGetCode();
