// Test kit for sound: WAV files written sample by sample, and the audio
// layer opened on SDL's disk driver so that the mixed output can be read back and measured.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "Bass.h"
#include "TempFolder.h"

namespace soundkit {

inline void Put16(std::ofstream& out, std::uint32_t v) {
    out.put(static_cast<char>(v & 0xFF)).put(static_cast<char>((v >> 8) & 0xFF));
}

inline void Put32(std::ofstream& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// A 16-bit PCM WAV of `frames` frames; `sample(i)` gives frame i (every channel the same).
// `claimedData`, when non-zero, is written as the data size in place of the true one.
inline void WriteWav(const std::string& path, std::uint32_t rate, int channels,
                     std::uint32_t frames, const std::function<int(std::uint32_t)>& sample,
                     std::uint32_t claimedData = 0) {
    std::ofstream out(path, std::ios::binary);
    const std::uint32_t data = frames * channels * 2;
    out.write("RIFF", 4);
    Put32(out, 36 + data);
    out.write("WAVEfmt ", 8);
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, channels);
    Put32(out, rate);
    Put32(out, rate * channels * 2);
    Put16(out, channels * 2);
    Put16(out, 16);
    out.write("data", 4);
    Put32(out, claimedData ? claimedData : data);
    for (std::uint32_t i = 0; i < frames; ++i) {
        const int v = sample(i);
        for (int c = 0; c < channels; ++c)
            Put16(out, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)));
    }
}

// A square wave of the given level, 441 Hz at 44100.
inline int Square(std::uint32_t i, int level) {
    return (i / 50) % 2 ? level : -level;
}

// The disk capture now being written; empty while none is open.
inline std::string& OpenCapture() {
    static std::string file;
    return file;
}

// Lets `ms` milliseconds of sound pass: waits until the mixer has written that much more into
// the open disk capture (44100 Hz, 16-bit stereo). On a loaded machine the mixer's thread falls
// behind the wall clock, and what these tests measure is the sound, so they wait for the sound,
// up to a generous deadline.
inline void Wait(int ms) {
    const std::string& file = OpenCapture();
    ASSERT_FALSE(file.empty()) << "Wait measures the sound of an open disk capture";
    const auto written = [&file] {
        std::error_code missing;
        const std::uintmax_t size = std::filesystem::file_size(file, missing);
        return missing ? 0 : size;
    };
    const std::uintmax_t target = written() + std::uintmax_t(ms) * 441 / 10 * 4;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms + 60000);
    while (written() < target && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_GE(written(), target) << "the mixer wrote no sound for a minute";
}

// Peak of |sample| over each 10 ms window of a capture of SDL's disk driver (44100 Hz, 16-bit
// stereo).
inline std::vector<int> PeaksOf(const std::string& capture) {
    std::ifstream in(capture, std::ios::binary);
    std::vector<int> peaks;
    std::int16_t frame[2];
    int peak = 0, count = 0;
    while (in.read(reinterpret_cast<char*>(frame), sizeof frame)) {
        peak = std::max({peak, std::abs(int{frame[0]}), std::abs(int{frame[1]})});
        if (++count == 441) {
            peaks.push_back(peak);
            peak = count = 0;
        }
    }
    return peaks;
}

// The audio layer opened on SDL's disk driver, writing into `file`; the capture is read after
// the layer is freed (which flushes the file).
struct DiskAudio {
    std::string file;
    bool open = false;
    explicit DiskAudio(const std::string& path) : file(path) {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
        open = BASS_Init(-1, 44100, 0, nullptr, nullptr) != 0;
        if (open) OpenCapture() = file;
    }
    ~DiskAudio() { Close(); }
    void Close() {
        if (open) BASS_Free();
        if (open) OpenCapture().clear();
        open = false;
    }
    // Peak of |sample| over each 10 ms window of the captured 44100 Hz stereo output.
    std::vector<int> Peaks() {
        Close();
        return PeaksOf(file);
    }
    // The captured left channel, for frequency measurements.
    std::vector<std::int16_t> Left() {
        Close();
        std::ifstream in(file, std::ios::binary);
        std::vector<std::int16_t> left;
        std::int16_t frame[2];
        while (in.read(reinterpret_cast<char*>(frame), sizeof frame))
            left.push_back(frame[0]);
        return left;
    }
};

// Seconds of output whose window peak lies in [low, high].
inline double SecondsAt(const std::vector<int>& peaks, int low, int high) {
    int windows = 0;
    for (int p : peaks)
        if (p >= low && p <= high) ++windows;
    return windows * 0.01;
}

constexpr int kSilence = 200;

// The longest silent stretch between the first and the last sounding window, in seconds.
inline double LongestInnerSilence(const std::vector<int>& peaks) {
    int first = -1, last = -1;
    for (int i = 0; i < static_cast<int>(peaks.size()); ++i)
        if (peaks[i] > kSilence) {
            if (first < 0) first = i;
            last = i;
        }
    int longest = 0, run = 0;
    for (int i = first; i >= 0 && i <= last; ++i) {
        run = peaks[i] <= kSilence ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest * 0.01;
}

}  // namespace soundkit
