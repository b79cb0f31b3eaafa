// MP3 files for the music tests, made from the demo music's frames: long ones, and damaged ones.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace soundkit {

using Bytes = std::vector<std::uint8_t>;

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// The demo music's frames (MPEG 1 layer III, 44100 Hz, mono), without its first frame: that one
// is a LAME "Info" frame, whose frame count would end a longer file early.
inline Bytes DemoFrames() {
    const Bytes demo = ReadBytes(GAMES_SOURCE_DIR "/demo/garbage/chiptune.mp3");
    static constexpr int kKbps[15] = {0,   32,  40,  48,  56,  64,  80, 96,
                                      112, 128, 160, 192, 224, 256, 320};
    const std::size_t info = 144 * kKbps[demo.at(2) >> 4] * 1000 / 44100 + ((demo[2] >> 1) & 1);
    return Bytes(demo.begin() + static_cast<std::ptrdiff_t>(info), demo.end());
}

// Frames of silence in the demo's format at 32 kbit/s: 104 bytes and 1152 samples each; zero side
// information makes each a valid frame.
inline void AppendSilence(Bytes& data, double seconds) {
    const int frames = static_cast<int>(seconds * 44100 / 1152) + 1;
    for (int i = 0; i < frames; ++i) {
        const std::uint8_t header[4] = {0xFF, 0xFB, 0x10, 0xC4};
        data.insert(data.end(), header, header + 4);
        data.resize(data.size() + 100, 0);
    }
}

// Four seconds of music, bytes the decoder cannot resynchronise over, and the same music again.
inline Bytes DamagedTrack() {
    const Bytes demo = DemoFrames();
    constexpr std::ptrdiff_t kPart = 48000, kDamage = 4000;
    Bytes track(2 * kPart + kDamage, 0xFF);
    std::copy(demo.begin(), demo.begin() + kPart, track.begin());
    std::copy(demo.begin(), demo.begin() + kPart, track.end() - kPart);
    return track;
}

}  // namespace soundkit
