// Bass, file checks: how much a WAV or MP3 file will take once decoded, judged from its headers
// before anything is decoded, so that a hostile header is refused instead of allocated.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "Bass.h"
#include "BassFormats.h"

namespace {

std::uint32_t Le16(const std::uint8_t* p) {
    return p[0] | (p[1] << 8);
}

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct WavInfo {
    std::uint32_t format = 0;
    std::uint32_t channels = 0;
    std::uint32_t rate = 0;
    std::uint32_t blockAlign = 0;
    std::uint64_t dataBytes = 0;  // what the file really holds, not what the header claims
    bool haveFormat = false;
    bool haveData = false;
};

void ReadFormatChunk(const std::uint8_t* p, std::uint64_t length, WavInfo& info) {
    if (length < 16) return;
    info.format = Le16(p);
    info.channels = Le16(p + 2);
    info.rate = Le32(p + 4);
    info.blockAlign = Le16(p + 12);
    // WAVE_FORMAT_EXTENSIBLE names the real format in the first two bytes of its sub-format.
    if (info.format == 0xFFFE && length >= 26) info.format = Le16(p + 24);
    info.haveFormat = true;
}

bool ReadWav(const std::uint8_t* data, std::uint64_t size, WavInfo& info) {
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return false;
    std::uint64_t pos = 12;
    while (pos + 8 <= size && !info.haveData) {
        const std::uint64_t length = Le32(data + pos + 4);
        const std::uint64_t held = std::min(length, size - pos - 8);
        if (std::memcmp(data + pos, "fmt ", 4) == 0) ReadFormatChunk(data + pos + 8, held, info);
        if (std::memcmp(data + pos, "data", 4) == 0) {
            info.dataBytes = held;
            info.haveData = true;
        }
        pos += 8 + length + (length & 1);
    }
    return info.haveFormat && info.haveData;
}

// Frames the data can decode to, by format: PCM and float by block, A-law and mu-law one byte a
// sample, the ADPCM formats at most two samples a byte.
bool WavFrames(const WavInfo& info, std::uint64_t& frames) {
    if (info.channels == 0 || info.blockAlign == 0) return false;
    switch (info.format) {
        case 1:
        case 3:
            frames = info.dataBytes / info.blockAlign;
            return true;
        case 6:
        case 7:
            frames = info.dataBytes / info.channels;
            return true;
        case 2:
        case 0x11:
            frames = info.dataBytes * 2 / info.channels;
            return true;
        default:
            return false;
    }
}

struct Mp3Frame {
    std::uint32_t length = 0;
    std::uint32_t samples = 0;
    std::uint32_t rate = 0;
};

constexpr std::array<std::array<std::uint16_t, 15>, 5> kBitrates{{
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG 1, layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG 1, layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG 1, layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG 2 and 2.5, I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},  // MPEG 2 and 2.5, II/III
}};

bool ReadMp3Frame(const std::uint8_t* p, Mp3Frame& frame) {
    if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
    const int version = (p[1] >> 3) & 3;  // 3 MPEG 1, 2 MPEG 2, 0 MPEG 2.5
    const int layer = 4 - ((p[1] >> 1) & 3);
    const int bitrateIndex = p[2] >> 4;
    const int rateIndex = (p[2] >> 2) & 3;
    if (version == 1 || layer == 4 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return false;
    static constexpr std::uint32_t kRates[3] = {44100, 48000, 32000};
    frame.rate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const bool mpeg1 = version == 3;
    const int table = mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4);
    const std::uint32_t bitrate = kBitrates[table][bitrateIndex] * 1000u;
    const std::uint32_t padding = (p[2] >> 1) & 1;
    if (layer == 1) {
        frame.length = (12 * bitrate / frame.rate + padding) * 4;
        frame.samples = 384;
    } else {
        const std::uint32_t factor = (layer == 3 && !mpeg1) ? 72 : 144;
        frame.length = factor * bitrate / frame.rate + padding;
        frame.samples = (layer == 3 && !mpeg1) ? 576 : 1152;
    }
    return frame.length >= 4;
}

std::uint64_t SkipId3(const std::uint8_t* data, std::uint64_t size) {
    if (size < 10 || std::memcmp(data, "ID3", 3) != 0) return 0;
    const std::uint64_t body =
        (data[6] & 0x7F) << 21 | (data[7] & 0x7F) << 14 | (data[8] & 0x7F) << 7 | (data[9] & 0x7F);
    return 10 + body + ((data[5] & 0x10) ? 10 : 0);
}

// Walks every frame header (resynchronising over junk as a decoder would) and adds up the
// frames each one decodes to at the mixer's rate.
bool Mp3OutputFrames(const std::uint8_t* data, std::uint64_t size, int mixRate, double& frames) {
    std::uint64_t pos = SkipId3(data, size);
    std::uint64_t found = 0;
    frames = 0;
    while (pos + 4 <= size) {
        Mp3Frame frame;
        if (!ReadMp3Frame(data + pos, frame)) {
            ++pos;
            continue;
        }
        frames += static_cast<double>(frame.samples) * mixRate / frame.rate;
        ++found;
        pos += frame.length;
    }
    return found > 0;
}

// A data chunk that claims more than the file holds (a cut file, or a writer that could not seek
// back) is told its real size, so the decoder reads what is there.
void ClampWavData(std::vector<std::uint8_t>& data) {
    const std::uint64_t size = data.size();
    std::uint64_t pos = 12;
    while (pos + 8 <= size) {
        const std::uint64_t length = Le32(&data[pos + 4]);
        if (std::memcmp(&data[pos], "data", 4) == 0) {
            const std::uint64_t held = size - pos - 8;
            if (length > held) {
                for (int i = 0; i < 4; ++i)
                    data[pos + 4 + i] = static_cast<std::uint8_t>(held >> (8 * i));
            }
            return;
        }
        pos += 8 + length + (length & 1);
    }
}

}  // namespace

bool EstimateDecodedBytes(const std::uint8_t* data, std::uint64_t size, int mixRate,
                          int mixChannels, std::uint64_t& bytes) {
    const double frameBytes = 2.0 * mixChannels;
    WavInfo wav;
    if (ReadWav(data, size, wav)) {
        std::uint64_t frames = 0;
        if (wav.rate < kMinFileRate || wav.rate > kMaxFileRate || !WavFrames(wav, frames))
            return false;
        bytes = static_cast<std::uint64_t>(
            std::ceil(static_cast<double>(frames) * mixRate / wav.rate) * frameBytes);
        return true;
    }
    if (size >= 4 && std::memcmp(data, "RIFF", 4) == 0) return false;
    double frames = 0;
    if (!Mp3OutputFrames(data, size, mixRate, frames)) return false;
    bytes = static_cast<std::uint64_t>(std::ceil(frames) * frameBytes);
    return true;
}

bool PrepareSoundFile(std::vector<std::uint8_t>& data, int mixRate, int mixChannels) {
    std::uint64_t bytes = 0;
    if (!EstimateDecodedBytes(data.data(), data.size(), mixRate, mixChannels, bytes) ||
        bytes > kMaxDecodedBytes)
        return false;
    WavInfo wav;
    if (ReadWav(data.data(), data.size(), wav)) ClampWavData(data);
    return true;
}

std::uint64_t Id3TagBytes(const std::uint8_t* data, std::uint64_t size) {
    return SkipId3(data, size);
}

int DeclaredRate(const std::vector<std::uint8_t>& data) {
    WavInfo wav;
    if (ReadWav(data.data(), data.size(), wav)) return static_cast<int>(wav.rate);
    for (std::uint64_t pos = SkipId3(data.data(), data.size()); pos + 4 <= data.size(); ++pos) {
        Mp3Frame frame;
        if (ReadMp3Frame(&data[pos], frame)) return static_cast<int>(frame.rate);
    }
    return 0;
}
