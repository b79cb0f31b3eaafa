// Audio over SDL2_mixer: WAV effects checked by their header before decoding, played once on
// a free channel, and one streamed music track. Without a device everything is silent.
#include <algorithm>
#include <fstream>

#include "EngineParts.h"

namespace exg {

namespace {

constexpr int kMixRate = 44100;
constexpr int kMixChunkFrames = 1024;
constexpr int kEffectChannels = 16;
constexpr int kLowestRate = 4000;
constexpr int kHighestRate = 384000;
constexpr std::uint64_t kLargestDecodedBytes = 128ull * 1024 * 1024;
// A WAV file names its chunks; a header that lists more than this before "data" is not one.
constexpr int kMostChunks = 64;

std::uint32_t Le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::uint16_t Le16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

bool ReadFmt(std::ifstream& in, std::uint32_t size, WavHeader& out) {
    unsigned char fmt[16];
    if (size < sizeof fmt || !in.read(reinterpret_cast<char*>(fmt), sizeof fmt)) return false;
    out.channels = Le16(fmt + 2);
    out.sampleRate = static_cast<int>(std::min<std::uint32_t>(Le32(fmt + 4), 0x7FFFFFFF));
    out.bitsPerSample = Le16(fmt + 14);
    in.seekg(static_cast<std::streamoff>(size - sizeof fmt + (size & 1)), std::ios::cur);
    return true;
}

// The mixer does not always free a source it was told to free when it refuses the data, so it is
// never told to: the file is closed here, whatever the outcome.
Mix_Chunk* DecodeEffect(const std::string& path) {
    SDL_RWops* source = SDL_RWFromFile(path.c_str(), "rb");
    if (!source) return nullptr;
    Mix_Chunk* chunk = Mix_LoadWAV_RW(source, 0);
    SDL_RWclose(source);
    return chunk;
}

}  // namespace

bool ReadWavHeader(const std::string& path, WavHeader& out, std::string& why) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        why = "cannot be opened";
        return false;
    }
    unsigned char riff[12];
    if (!in.read(reinterpret_cast<char*>(riff), sizeof riff) ||
        std::string(reinterpret_cast<char*>(riff), 4) != "RIFF" ||
        std::string(reinterpret_cast<char*>(riff) + 8, 4) != "WAVE") {
        why = "not a WAV file";
        return false;
    }
    bool haveFmt = false;
    for (int i = 0; i < kMostChunks; ++i) {
        unsigned char chunk[8];
        if (!in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) break;
        const std::string id(reinterpret_cast<char*>(chunk), 4);
        const std::uint32_t size = Le32(chunk + 4);
        if (id == "fmt ") {
            if (!ReadFmt(in, size, out)) break;
            haveFmt = true;
        } else if (id == "data") {
            out.dataBytes = size;
            if (haveFmt) return true;
            why = "data before its format";
            return false;
        } else {
            in.seekg(static_cast<std::streamoff>(size) + (size & 1), std::ios::cur);
        }
    }
    why = haveFmt ? "no sound data" : "no format chunk";
    return false;
}

bool WavSizeAcceptable(const WavHeader& h, int mixRate, int mixFrameBytes, std::string& why) {
    if (h.sampleRate < kLowestRate || h.sampleRate > kHighestRate) {
        why = "sample rate " + std::to_string(h.sampleRate) + " Hz out of range";
        return false;
    }
    if (h.channels <= 0 || h.bitsPerSample <= 0) {
        why = "no channels or no sample size";
        return false;
    }
    // Frames the file declares, at the mixer's rate and frame size once decoded.
    const long double frames = static_cast<long double>(h.dataBytes) * 8 /
                               (static_cast<long double>(h.bitsPerSample) * h.channels);
    const long double decoded = frames * mixRate / h.sampleRate * mixFrameBytes;
    if (decoded > static_cast<long double>(kLargestDecodedBytes)) {
        why = "would take " + std::to_string(static_cast<long long>(decoded / (1024 * 1024))) +
              " MiB decoded";
        return false;
    }
    return true;
}

Audio::~Audio() {
    Close();
}

void Audio::Open() {
    if (Mix_OpenAudio(kMixRate, AUDIO_S16SYS, 2, kMixChunkFrames) != 0) {
        log_.Line(std::string("audio device unavailable, playing silent: ") + Mix_GetError());
        return;
    }
    open_ = true;
    if ((Mix_Init(MIX_INIT_MP3) & MIX_INIT_MP3) == 0) log_.Line("audio: no MP3 decoder");
    int rate = kMixRate, channels = 2;
    Uint16 format = AUDIO_S16SYS;
    if (Mix_QuerySpec(&rate, &format, &channels)) {
        mixRate_ = rate;
        mixFrameBytes_ = channels * static_cast<int>(SDL_AUDIO_BITSIZE(format) / 8);
    }
    Mix_AllocateChannels(kEffectChannels);
    log_.Line(std::string("audio: ") + SDL_GetCurrentAudioDriver() + ", " +
              std::to_string(mixRate_) + " Hz");
}

void Audio::Close() {
    if (open_) {
        Mix_HaltChannel(-1);
        Mix_HaltMusic();
    }
    for (Mix_Chunk* chunk : sounds_)
        if (chunk) Mix_FreeChunk(chunk);
    sounds_.clear();
    StopMusic();
    if (open_) {
        Mix_CloseAudio();
        Mix_Quit();
    }
    open_ = false;
}

int Audio::LoadSound(const char* file, int /*flags*/) {
    const std::string path = file ? file : "";
    WavHeader header;
    std::string why;
    if (!ReadWavHeader(path, header, why) ||
        !WavSizeAcceptable(header, mixRate_, mixFrameBytes_, why)) {
        log_.Line("sound refused: " + path + " (" + why + ")");
        return 0;
    }
    Mix_Chunk* chunk = nullptr;
    if (open_) {
        chunk = DecodeEffect(path);
        if (!chunk) {
            log_.Line("sound refused: " + path + " (" + Mix_GetError() + ")");
            return 0;
        }
    } else {
        // No device to play on, but the file is still decoded once to tell good from bad.
        SDL_AudioSpec format;
        Uint8* buffer = nullptr;
        Uint32 length = 0;
        if (!SDL_LoadWAV(path.c_str(), &format, &buffer, &length)) {
            log_.Line("sound refused: " + path + " (" + SDL_GetError() + ")");
            return 0;
        }
        SDL_FreeWAV(buffer);
    }
    sounds_.push_back(chunk);
    log_.Line("sound loaded: " + path + ", id " + std::to_string(sounds_.size()));
    return static_cast<int>(sounds_.size());
}

void Audio::PlayEffect(int sound, int loops, int volume, int pan, int /*reserved*/) {
    if (!open_ || sound < 1 || sound > static_cast<int>(sounds_.size())) return;
    Mix_Chunk* chunk = sounds_[sound - 1];
    const int channel = chunk ? Mix_GroupAvailable(-1) : -1;
    if (channel < 0) return;  // every channel busy: this effect is dropped
    Mix_Volume(channel,
               volume <= 0 ? MIX_MAX_VOLUME : std::min(volume, 100) * MIX_MAX_VOLUME / 100);
    const int p = std::clamp(pan, -100, 100);
    Mix_SetPanning(channel, static_cast<Uint8>(255 * (100 - std::max(p, 0)) / 100),
                   static_cast<Uint8>(255 * (100 + std::min(p, 0)) / 100));
    Mix_PlayChannel(channel, chunk, std::max(loops, 0));
}

bool Audio::PlayMusic(const char* file, bool loop) {
    const std::string path = file ? file : "";
    if (!open_) {
        log_.Line("music silent (no audio device): " + path);
        return false;
    }
    StopMusic();
    // The stream reads the file while it plays; the file is ours to close (see DecodeEffect).
    musicSource_ = SDL_RWFromFile(path.c_str(), "rb");
    music_ = musicSource_ ? Mix_LoadMUS_RW(musicSource_, 0) : nullptr;
    // One play is loops 1 for the mixer; -1 repeats for ever.
    if (!music_ || Mix_PlayMusic(music_, loop ? -1 : 1) != 0) {
        log_.Line("music refused: " + path + " (" + Mix_GetError() + ")");
        StopMusic();
        return false;
    }
    musicLoops_ = loop;
    log_.Line("music playing: " + path);
    return true;
}

void Audio::StopMusic() {
    if (music_) {
        Mix_HaltMusic();
        Mix_FreeMusic(music_);
    }
    if (musicSource_) SDL_RWclose(musicSource_);
    music_ = nullptr;
    musicSource_ = nullptr;
    musicLoops_ = false;
    musicRestarts_ = 0;
}

void Audio::KeepMusicLooping() {
    // The decoder gives up on a damaged frame and the player stops, loop or not: a looped
    // track starts again from its beginning, as it would at its end.
    if (!open_ || !music_ || !musicLoops_ || Mix_PlayingMusic()) return;
    if (Mix_PlayMusic(music_, -1) == 0) ++musicRestarts_;
    if (musicRestarts_ == 1) log_.Line("music stopped on a damaged frame; looping from its start");
}

int Audio::PlayingEffects() {
    return open_ ? Mix_Playing(-1) : 0;
}

bool Audio::MusicPlaying() {
    return open_ && Mix_PlayingMusic() != 0;
}

}  // namespace exg
