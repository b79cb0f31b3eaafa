// Benchmarks of the ball game's music with a 60-minute MP3: what F3 costs the game thread
// (LoadMusic: stop, open the stream, start it) beside the short demo track, and the hour played
// through to its end on SDL's disk driver at full speed, with the memory it took.
// The hour is made once with sox and lame into /tmp/zodav-long-music/ (a minute or two) and kept;
// it is never committed.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../tests/plain/FastAudioCapture.h"
#include "Bass.h"
#include "Content.h"
#include "Zodav.h"
#include "bassUse.h"

namespace fs = std::filesystem;

namespace {

const fs::path kHourFolder = "/tmp/zodav-long-music";

std::string DemoTrack() {
    return GAMES_SOURCE_DIR "/demo/garbage/chiptune.mp3";
}

// A tone gliding up and down for an hour, at 128 kbit/s stereo: about 55 MB.
std::string HourTrack() {
    const fs::path file = kHourFolder / "hour.mp3";
    if (fs::exists(file)) return file.string();
    fs::create_directories(kHourFolder);
    const std::string made = (kHourFolder / "hour.part.mp3").string();
    const std::string command =
        "sox -q -n -r 44100 -c 2 -b 16 -t wav - synth 3600 sine 200-800 sine 300-900 "
        "tremolo 3 | lame --quiet -b 128 - '" +
        made + "'";
    if (std::system(command.c_str()) != 0) return "";
    fs::rename(made, file);
    return file.string();
}

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// A folder whose garbage/ holds only `track`, as the game's current folder.
struct MusicFolder {
    fs::path saved = fs::current_path();
    fs::path path;
    explicit MusicFolder(const std::string& track) {
        char name[] = "/tmp/zodav-bench-music-XXXXXX";
        path = mkdtemp(name);
        fs::create_directories(path / "garbage");
        fs::create_symlink(track, path / "garbage/track.mp3");
        fs::current_path(path);
    }
    ~MusicFolder() {
        fs::current_path(saved);
        fs::remove_all(path);
    }
};

// F3: LoadMusic on the game thread, as the key runs it, with the device open on the dummy driver.
void BM_F3LoadMusic(benchmark::State& state) {
    const std::string track = state.range(0) ? HourTrack() : DemoTrack();
    if (track.empty()) return state.SkipWithError("sox or lame failed to make the hour");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (BASS_Init(-1, 44100, 0, nullptr, nullptr) == 0) return state.SkipWithError("no audio");
    MusicFolder folder(track);
    ResetAllState();
    content.MusicList = {"track.mp3"};
    for (auto _ : state) {
        LoadMusic();
        if (BASS_ChannelIsActive(content.Music.handle) != BASS_ACTIVE_PLAYING)
            state.SkipWithError("the track does not play");
    }
    state.SetLabel(state.range(0) ? "60-minute MP3" : "demo MP3 (20 s)");
    BASS_Free();
    ResetAllState();
}
BENCHMARK(BM_F3LoadMusic)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The hour played once to its end as fast as the mixer decodes it: seconds of output heard (the
// track's own length when nothing stopped it early) and the growth of resident memory meanwhile.
void BM_HourPlaysToItsEnd(benchmark::State& state) {
    const std::string track = HourTrack();
    if (track.empty()) return state.SkipWithError("sox or lame failed to make the hour");
    for (auto _ : state) {
        char name[] = "/tmp/zodav-bench-capture-XXXXXX";
        const std::string folder = mkdtemp(name);
        soundkit::FastAudioCapture capture(folder);
        if (BASS_Init(-1, 44100, 0, nullptr, nullptr) == 0) return state.SkipWithError("no audio");
        const long before = ResidentKb();
        long peak = before;
        TSound music;
        SoundLoad(music, track, false, 1.0f, true);
        SoundPlay(music);
        soundkit::FastAudioCapture::Until(
            [&] { return BASS_ChannelIsActive(music.handle) == BASS_ACTIVE_STOPPED; }, 1800,
            [&] { peak = std::max(peak, ResidentKb()); });
        BASS_Free();
        state.counters["heard_s"] = capture.Seconds();
        state.counters["memory_growth_MB"] = (peak - before) / 1024.0;
        fs::remove_all(folder);
    }
}
BENCHMARK(BM_HourPlaysToItsEnd)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
