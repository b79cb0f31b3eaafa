// Bass: the audio layer on SDL2_mixer. Owns the open device and the table of streams; each stream
// is a decoded file (a Mix_Chunk at the mixer's rate) on a mixer channel that no other stream
// uses, so pause, resume, stop and volume of one never touch another.
#include "Bass.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

#include "BassFormats.h"

namespace {

struct Stream {
    Mix_Chunk* chunk = nullptr;   // decoded whole, played on a mixer channel of its own
    Mix_Music* music = nullptr;   // read from its file as it plays, on the mixer's music player
    SDL_RWops* source = nullptr;  // the open file behind `music`: ours to close, not the mixer's
    int channel = -1;
    std::uint32_t flags = 0;
    int fileRate = 0;                  // the rate the file declares; the stream always plays at it
    int musicVolume = MIX_MAX_VOLUME;  // the music player's volume while this stream holds it
};

struct Device {
    bool open = false;
    int rate = 0;
    int channels = 0;
    std::map<std::uint32_t, Stream> streams;
    std::vector<int> freeChannels;
    int allocatedChannels = 0;
    std::uint32_t nextHandle = 1;
    int error = BASS_OK;
    // The streamed stream that last took the music player (it plays one track at a time), and
    // whether it was paused. 0: none, or stopped.
    std::uint32_t musicOwner = 0;
    bool musicPaused = false;
};

Device device;

// Files larger than this are not even read whole: no file this big could decode within
// kMaxDecodedBytes at any rate we accept.
constexpr std::uint64_t kMaxFileBytes = 512ull << 20;
// How much of a streamed file's start its header checks read (past an ID3 tag).
constexpr std::size_t kStreamHeadBytes = 64 << 10;

int Fail(int code) {
    device.error = code;
    return 0;
}

int Succeed() {
    device.error = BASS_OK;
    return 1;
}

Stream* Find(std::uint32_t handle) {
    const auto it = device.streams.find(handle);
    if (it == device.streams.end()) {
        device.error = BASS_ERROR_HANDLE;
        return nullptr;
    }
    return &it->second;
}

int TakeChannel() {
    if (!device.freeChannels.empty()) {
        const int channel = device.freeChannels.back();
        device.freeChannels.pop_back();
        return channel;
    }
    const int channel = device.allocatedChannels;
    if (channel >= Mix_AllocateChannels(-1)) Mix_AllocateChannels(channel * 2 + 8);
    device.allocatedChannels += 1;
    return channel;
}

// Only plain files (or links to them): opening a pipe would wait for a writer.
bool IsPlainFile(const char* path) {
    std::error_code error;
    return path != nullptr && std::filesystem::is_regular_file(path, error);
}

bool ReadWholeFile(const char* path, std::vector<std::uint8_t>& data) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size < 4 || static_cast<std::uint64_t>(size) > kMaxFileBytes) return false;
    data.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(data.data()), size));
}

// The first kStreamHeadBytes of a file's sound, past any ID3 tag (which may hold pictures of
// many megabytes): enough for the header checks, whatever the file's length.
bool ReadStreamHead(const char* path, std::vector<std::uint8_t>& head) {
    std::ifstream in(path, std::ios::binary);
    std::uint8_t tag[10];
    if (!in.read(reinterpret_cast<char*>(tag), sizeof tag)) return false;
    in.seekg(static_cast<std::streamoff>(Id3TagBytes(tag, sizeof tag)));
    head.resize(kStreamHeadBytes);
    in.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head.size() >= 4;
}

int OpenDecoded(const char* file, Stream& stream) {
    std::vector<std::uint8_t> data;
    if (!ReadWholeFile(file, data)) return BASS_ERROR_FILEOPEN;
    if (!PrepareSoundFile(data, device.rate, device.channels)) return BASS_ERROR_FORMAT;
    // The mixer does not always free a source it was told to free when it refuses the data, so
    // it is never told to: the source is closed here, whatever the outcome.
    SDL_RWops* source = SDL_RWFromConstMem(data.data(), static_cast<int>(data.size()));
    if (source == nullptr) return BASS_ERROR_FORMAT;
    stream.chunk = Mix_LoadWAV_RW(source, 0);
    SDL_RWclose(source);
    if (stream.chunk == nullptr) return BASS_ERROR_FORMAT;
    stream.channel = TakeChannel();
    stream.fileRate = DeclaredRate(data);
    Mix_Volume(stream.channel, MIX_MAX_VOLUME);
    return BASS_OK;
}

// Only the head is checked (a recognisable WAV or MP3 at an accepted rate); the length does not
// matter, since nothing is decoded ahead of playing.
int OpenStreamed(const char* file, Stream& stream) {
    std::vector<std::uint8_t> head;
    std::uint64_t decodedHeadBytes = 0;
    if (!ReadStreamHead(file, head)) return BASS_ERROR_FILEOPEN;
    if (!EstimateDecodedBytes(head.data(), head.size(), device.rate, device.channels,
                              decodedHeadBytes))
        return BASS_ERROR_FORMAT;
    stream.source = SDL_RWFromFile(file, "rb");
    if (stream.source == nullptr) return BASS_ERROR_FILEOPEN;
    stream.music = Mix_LoadMUS_RW(stream.source, 0);
    if (stream.music == nullptr) {
        SDL_RWclose(stream.source);
        return BASS_ERROR_FORMAT;
    }
    stream.fileRate = DeclaredRate(head);
    return BASS_OK;
}

void Release(std::uint32_t handle, Stream& stream) {
    if (stream.music != nullptr) {
        if (device.musicOwner == handle) {
            Mix_HaltMusic();
            device.musicOwner = 0;
        }
        Mix_FreeMusic(stream.music);
        SDL_RWclose(stream.source);
        return;
    }
    Mix_HaltChannel(stream.channel);
    Mix_FreeChunk(stream.chunk);
    Mix_Volume(stream.channel, MIX_MAX_VOLUME);
    device.freeChannels.push_back(stream.channel);
}

int LoopsOf(const Stream& stream) {
    // The music player counts plays (1 is once); -1 repeats for ever, on both players.
    if (stream.flags & BASS_SAMPLE_LOOP) return -1;
    return stream.music != nullptr ? 1 : 0;
}

// The music player holds one track: starting this one ends any other streamed stream.
int PlayMusic(std::uint32_t handle, Stream& stream, int restart) {
    if (!restart && device.musicOwner == handle && Mix_PlayingMusic()) {
        Mix_ResumeMusic();
        device.musicPaused = false;
        return Succeed();
    }
    device.musicOwner = 0;
    device.musicPaused = false;
    if (Mix_PlayMusic(stream.music, LoopsOf(stream)) != 0) return Fail(BASS_ERROR_DEVICE);
    Mix_VolumeMusic(stream.musicVolume);
    device.musicOwner = handle;
    return Succeed();
}

}  // namespace

std::uint32_t BASS_GetVersion() {
    return 0x02040000;
}

int BASS_Init(int, std::uint32_t freq, std::uint32_t, void*, void*) {
    if (device.open) return Fail(BASS_ERROR_ALREADY);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail(BASS_ERROR_DEVICE);
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(static_cast<int>(freq), AUDIO_S16SYS, 2, 1024) != 0) {
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return Fail(BASS_ERROR_DEVICE);
    }
    Uint16 format = 0;
    Mix_QuerySpec(&device.rate, &format, &device.channels);
    Mix_AllocateChannels(8);
    device.open = true;
    return Succeed();
}

int BASS_Free() {
    if (!device.open) return Fail(BASS_ERROR_INIT);
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    for (auto& [handle, stream] : device.streams)
        Release(handle, stream);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    const std::uint32_t nextHandle = device.nextHandle;
    device = Device{};
    device.nextHandle = nextHandle;  // a handle of a freed stream never comes back
    return Succeed();
}

HSTREAM BASS_StreamCreateFile(int, const char* file, std::uint64_t, std::uint64_t,
                              std::uint32_t flags) {
    if (!device.open) return Fail(BASS_ERROR_INIT);
    if (!IsPlainFile(file)) return Fail(BASS_ERROR_FILEOPEN);
    Stream stream;
    const int error =
        (flags & BASS_STREAM_MUSIC) ? OpenStreamed(file, stream) : OpenDecoded(file, stream);
    if (error != BASS_OK) return Fail(error);
    const std::uint32_t handle = device.nextHandle++;
    device.streams[handle] = stream;
    Succeed();
    return handle;
}

std::uint32_t BASS_ChannelFlags(std::uint32_t handle, std::uint32_t flags, std::uint32_t mask) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return 0xFFFFFFFFu;
    stream->flags = (stream->flags & ~mask) | (flags & mask & BASS_SAMPLE_LOOP);
    Succeed();
    return stream->flags;
}

int BASS_ChannelSetAttribute(std::uint32_t handle, std::uint32_t attribute, float value) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return 0;
    if (attribute == BASS_ATTRIB_VOL) {
        const double volume = std::clamp(static_cast<double>(value), 0.0, 1.0);
        const int level = static_cast<int>(std::nearbyint(volume * MIX_MAX_VOLUME));
        if (stream->music == nullptr) {
            Mix_Volume(stream->channel, level);
        } else {
            stream->musicVolume = level;
            if (device.musicOwner == handle) Mix_VolumeMusic(level);
        }
        return Succeed();
    }
    if (attribute == BASS_ATTRIB_FREQ && (value == 0 || value == stream->fileRate))
        return Succeed();
    return Fail(BASS_ERROR_ILLPARAM);
}

int BASS_ChannelPlay(std::uint32_t handle, int restart) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return 0;
    if (stream->music != nullptr) return PlayMusic(handle, *stream, restart);
    const int channel = stream->channel;
    if (!restart && Mix_Playing(channel)) {
        Mix_Resume(channel);
        return Succeed();
    }
    Mix_HaltChannel(channel);
    if (Mix_PlayChannel(channel, stream->chunk, LoopsOf(*stream)) != channel)
        return Fail(BASS_ERROR_DEVICE);
    Mix_Resume(channel);
    return Succeed();
}

int BASS_ChannelPause(std::uint32_t handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return 0;
    if (stream->music != nullptr) {
        if (device.musicOwner != handle) return Fail(BASS_ERROR_DEVICE);
        Mix_PauseMusic();
        device.musicPaused = true;
        return Succeed();
    }
    if (!Mix_Playing(stream->channel)) return Fail(BASS_ERROR_DEVICE);
    Mix_Pause(stream->channel);
    return Succeed();
}

int BASS_ChannelStop(std::uint32_t handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return 0;
    if (stream->music == nullptr) {
        Mix_HaltChannel(stream->channel);
    } else if (device.musicOwner == handle) {
        Mix_HaltMusic();
        device.musicOwner = 0;
        device.musicPaused = false;
    }
    return Succeed();
}

std::uint32_t BASS_ChannelIsActive(std::uint32_t handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return BASS_ACTIVE_STOPPED;
    device.error = BASS_OK;
    if (stream->music == nullptr) {
        if (!Mix_Playing(stream->channel)) return BASS_ACTIVE_STOPPED;
        return Mix_Paused(stream->channel) ? BASS_ACTIVE_PAUSED : BASS_ACTIVE_PLAYING;
    }
    if (device.musicOwner != handle) return BASS_ACTIVE_STOPPED;
    if (device.musicPaused) return BASS_ACTIVE_PAUSED;
    // A looped track counts as playing while BASS_Update may still have to restart it.
    const bool looped = stream->flags & BASS_SAMPLE_LOOP;
    return looped || Mix_PlayingMusic() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

int BASS_StreamFree(std::uint32_t handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return 0;
    Release(handle, *stream);
    device.streams.erase(handle);
    return Succeed();
}

int BASS_Update() {
    if (!device.open) return Fail(BASS_ERROR_INIT);
    const auto owner = device.streams.find(device.musicOwner);
    if (owner == device.streams.end() || device.musicPaused || Mix_PlayingMusic()) return Succeed();
    // The decoder gives up on a damaged frame and the player stops, loop or not; a looped
    // track starts again from its beginning, as it would at its end.
    if (LoopsOf(owner->second) == -1) return PlayMusic(owner->first, owner->second, 1);
    return Succeed();
}

int BASS_ErrorGetCode() {
    return device.error;
}
