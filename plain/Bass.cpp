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
    Mix_Chunk* chunk = nullptr;
    int channel = -1;
    std::uint32_t flags = 0;
    int fileRate = 0;  // the rate the file declares; the stream always plays at it
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
};

Device device;

// Files larger than this are not even read: no file this big could decode within
// kMaxDecodedBytes at any rate we accept.
constexpr std::uint64_t kMaxFileBytes = 512ull << 20;

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

bool ReadWholeFile(const char* path, std::vector<std::uint8_t>& data) {
    // Only plain files (or links to them): opening a pipe would wait for a writer.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return false;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    const std::streamoff size = in.tellg();
    if (size < 4 || static_cast<std::uint64_t>(size) > kMaxFileBytes) return false;
    data.resize(static_cast<std::size_t>(size));
    in.seekg(0);
    return static_cast<bool>(in.read(reinterpret_cast<char*>(data.data()), size));
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
    for (auto& [handle, stream] : device.streams)
        Mix_FreeChunk(stream.chunk);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    const std::uint32_t nextHandle = device.nextHandle;
    device = Device{};
    device.nextHandle = nextHandle;  // a handle of a freed stream never comes back
    return Succeed();
}

HSTREAM BASS_StreamCreateFile(int, const char* file, std::uint64_t, std::uint64_t, std::uint32_t) {
    if (!device.open) return Fail(BASS_ERROR_INIT);
    std::vector<std::uint8_t> data;
    if (file == nullptr || !ReadWholeFile(file, data)) return Fail(BASS_ERROR_FILEOPEN);
    if (!PrepareSoundFile(data, device.rate, device.channels)) return Fail(BASS_ERROR_FORMAT);
    SDL_RWops* source = SDL_RWFromConstMem(data.data(), static_cast<int>(data.size()));
    Mix_Chunk* chunk = source ? Mix_LoadWAV_RW(source, 1) : nullptr;
    if (chunk == nullptr) return Fail(BASS_ERROR_FORMAT);
    Stream stream;
    stream.chunk = chunk;
    stream.channel = TakeChannel();
    stream.fileRate = DeclaredRate(data);
    Mix_Volume(stream.channel, MIX_MAX_VOLUME);
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
        Mix_Volume(stream->channel, static_cast<int>(std::nearbyint(volume * MIX_MAX_VOLUME)));
        return Succeed();
    }
    if (attribute == BASS_ATTRIB_FREQ && (value == 0 || value == stream->fileRate))
        return Succeed();
    return Fail(BASS_ERROR_ILLPARAM);
}

int BASS_ChannelPlay(std::uint32_t handle, int restart) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return 0;
    const int channel = stream->channel;
    if (!restart && Mix_Playing(channel)) {
        Mix_Resume(channel);
        return Succeed();
    }
    const int loops = (stream->flags & BASS_SAMPLE_LOOP) ? -1 : 0;
    Mix_HaltChannel(channel);
    if (Mix_PlayChannel(channel, stream->chunk, loops) != channel) return Fail(BASS_ERROR_DEVICE);
    Mix_Resume(channel);
    return Succeed();
}

int BASS_ChannelPause(std::uint32_t handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return 0;
    if (!Mix_Playing(stream->channel)) return Fail(BASS_ERROR_DEVICE);
    Mix_Pause(stream->channel);
    return Succeed();
}

int BASS_ChannelStop(std::uint32_t handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return 0;
    Mix_HaltChannel(stream->channel);
    return Succeed();
}

std::uint32_t BASS_ChannelIsActive(std::uint32_t handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr || !Mix_Playing(stream->channel)) return BASS_ACTIVE_STOPPED;
    device.error = BASS_OK;
    return Mix_Paused(stream->channel) ? BASS_ACTIVE_PAUSED : BASS_ACTIVE_PLAYING;
}

int BASS_StreamFree(std::uint32_t handle) {
    Stream* stream = Find(handle);
    if (stream == nullptr) return 0;
    Mix_HaltChannel(stream->channel);
    Mix_FreeChunk(stream->chunk);
    Mix_Volume(stream->channel, MIX_MAX_VOLUME);
    device.freeChannels.push_back(stream->channel);
    device.streams.erase(handle);
    return Succeed();
}

int BASS_ErrorGetCode() {
    return device.error;
}
