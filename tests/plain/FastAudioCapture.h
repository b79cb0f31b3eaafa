// Minutes of sound heard in seconds: SDL's disk audio driver, told to wait for nothing, writes the
// mixed output (44100 Hz, 16-bit stereo) into a pipe as fast as the mixer fills it, and a thread
// of the test reads the pipe and keeps only a peak per 10 ms window. Create the capture before the
// audio device opens and close the device before the capture ends: the driver writes until then.
// Also the MP3 files such tests play: long, or damaged, made from the demo music.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
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
    const Bytes part(demo.begin(), demo.begin() + 48000);
    Bytes track = part;
    track.insert(track.end(), 4000, 0xFF);
    track.insert(track.end(), part.begin(), part.end());
    return track;
}

inline double AudibleSeconds(const std::vector<int>& peaks) {
    int windows = 0;
    for (int peak : peaks)
        windows += peak > 1000;
    return windows * 0.01;
}

class FastAudioCapture {
  public:
    static constexpr int kRate = 44100;
    static constexpr int kWindowFrames = 441;  // 10 ms

    explicit FastAudioCapture(const std::string& folder) : pipe_(folder + "/out.fifo") {
        SaveEnv("SDL_AUDIODRIVER", "disk");
        SaveEnv("SDL_DISKAUDIOFILE", pipe_.c_str());
        SaveEnv("SDL_DISKAUDIODELAY", "0");
        if (mkfifo(pipe_.c_str(), 0600) != 0) return;
        // Non-blocking, so that opening does not wait for the driver, nor the test for ever if
        // the device never opens.
        fd_ = open(pipe_.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd_ >= 0) reader_ = std::thread([this] { Read(); });
    }
    ~FastAudioCapture() {
        stop_ = true;
        if (reader_.joinable()) reader_.join();
        if (fd_ >= 0) close(fd_);
        for (const auto& [name, value] : saved_) {
            if (value.second)
                setenv(name.c_str(), value.first.c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    FastAudioCapture(const FastAudioCapture&) = delete;
    FastAudioCapture& operator=(const FastAudioCapture&) = delete;

    bool Ready() const { return fd_ >= 0; }
    std::uint64_t Frames() const { return frames_; }
    double Seconds() const { return static_cast<double>(frames_) / kRate; }
    std::vector<int> Peaks() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return peaks_;
    }
    // Runs `each` (the game's tick, say) until `done` holds or `deadlineSeconds` of wall time
    // have passed; true when `done` held. The short pause only keeps the loop from spinning.
    static bool Until(const std::function<bool()>& done, double deadlineSeconds,
                      const std::function<void()>& each = {}) {
        const auto deadline = std::chrono::steady_clock::now() +
                              std::chrono::milliseconds(static_cast<int>(deadlineSeconds * 1000));
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            if (each) each();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

  private:
    void SaveEnv(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, {old ? old : "", old != nullptr}});
        setenv(name, value, 1);
    }

    void Read() {
        std::vector<char> buffer(1 << 16);
        std::vector<char> pending;  // the bytes of a frame cut by a read
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) continue;
            const ssize_t got = read(fd_, buffer.data(), buffer.size());
            if (got == 0) return;  // the driver closed the pipe
            if (got < 0) continue;
            pending.insert(pending.end(), buffer.begin(), buffer.begin() + got);
            const std::size_t whole = pending.size() / 4 * 4;
            Measure(reinterpret_cast<const std::int16_t*>(pending.data()), whole / 4);
            pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(whole));
        }
    }

    void Measure(const std::int16_t* samples, std::size_t frames) {
        std::lock_guard<std::mutex> lock(mutex_);
        for (std::size_t i = 0; i < frames; ++i) {
            peak_ =
                std::max({peak_, std::abs(int{samples[2 * i]}), std::abs(int{samples[2 * i + 1]})});
            if (++inWindow_ == kWindowFrames) {
                peaks_.push_back(peak_);
                peak_ = inWindow_ = 0;
            }
        }
        frames_ += frames;
    }

    std::string pipe_;
    int fd_ = -1;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    std::atomic<std::uint64_t> frames_{0};
    mutable std::mutex mutex_;
    std::vector<int> peaks_;
    int peak_ = 0;
    int inWindow_ = 0;
    std::vector<std::pair<std::string, std::pair<std::string, bool>>> saved_;
};

}  // namespace soundkit
