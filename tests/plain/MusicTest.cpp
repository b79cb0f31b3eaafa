// Music streamed from its file, heard through SDL's real audio path: the disk driver writes into a
// pipe as fast as the mixer fills it, so a 13-minute track plays in seconds. Tracks of any length
// play to their end in little memory, a looped track goes on past a damaged frame, and a file the
// mixer refuses leaves nothing open behind.
#include <gtest/gtest.h>
#include <malloc.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>

#include "Bass.h"
#include "Content.h"
#include "Dump.h"
#include "FastAudioCapture.h"
#include "MemorySlack.h"
#include "Mp3Files.h"
#include "SoundTestKit.h"
#include "Zodav.h"
#include "bassUse.h"

using namespace soundkit;

namespace {

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

int OpenFiles() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// Closes the audio device at the end of a test, also one that stopped at a failed assertion: the
// capture's pipe must not be left with a writer.
struct ClosesDevice {
    ~ClosesDevice() { BASS_Free(); }
};

}  // namespace

// 13 minutes decode to 137 MB at the mixer's rate, past the 128 MiB that an effect may take: as
// music the track streams and plays to its very end, and memory stays far below its decoded size.
TEST(StreamedMusic, TrackPastTheDecodedCapPlaysToItsEndInLittleMemory) {
    TempFolder dir;
    Bytes track = DemoFrames();
    AppendSilence(track, 13 * 60);
    WriteBytes(dir / "long.mp3", track);
    FastAudioCapture capture(dir.path());
    ASSERT_TRUE(capture.Ready());
    ASSERT_NE(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
    const ClosesDevice closes;
    EXPECT_EQ(BASS_StreamCreateFile(0, (dir / "long.mp3").c_str(), 0, 0, 0), 0u)
        << "effects lost their decoded-size cap";
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FORMAT);
    const long before = ResidentKb();
    long peak = before;
    TSound music;
    SoundLoad(music, dir / "long.mp3", false, 1.0f, true);
    ASSERT_NE(music.handle, 0u) << "a long track is refused as music";
    SoundPlay(music);
    const bool ended = FastAudioCapture::Until(
        [&] { return BASS_ChannelIsActive(music.handle) == BASS_ACTIVE_STOPPED; }, 300,
        [&] { peak = std::max(peak, ResidentKb()); });
    BASS_Free();
    ASSERT_TRUE(ended) << "still playing after " << capture.Seconds() << " s of output";
    // The driver writes silence from the moment the device opens, so the track is timed from
    // its first sound.
    const std::vector<int> peaks = capture.Peaks();
    const auto first = std::find_if(peaks.begin(), peaks.end(), [](int p) { return p > 1000; });
    EXPECT_GT(AudibleSeconds(peaks), 5) << "the track's music was not heard";
    EXPECT_GE((peaks.end() - first) * 0.01, 13 * 60 + 10) << "the track ended early";
    EXPECT_LT(peak - before, testsupport::kMemorySlack * 30 * 1024)
        << "memory grew with the track's length";
}

// A damaged stretch (bytes the decoder cannot resynchronise over) stops SDL_mixer's player for
// good, loop or not; the game's tick starts a looped track again from its beginning.
TEST(StreamedMusic, LoopedTrackGoesOnPastADamagedFrame) {
    TempFolder dir;
    WriteBytes(dir / "damaged.mp3", DamagedTrack());
    FastAudioCapture capture(dir.path());
    ASSERT_TRUE(capture.Ready());
    ResetAllState();
    ASSERT_NE(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
    const ClosesDevice closes;
    spine.screenWidth = 1024;
    spine.screenHeight = 768;
    SetViewAndField();
    gameState.ready = true;  // main menu: the tick runs
    SoundLoad(content.Music, dir / "damaged.mp3", true, 1.0f, true);
    SoundPlay(content.Music);
    bool alwaysPlaying = true;
    const bool heard = FastAudioCapture::Until(
        [&] { return AudibleSeconds(capture.Peaks()) > 12; }, 120,
        [&] {
            Tick();
            alwaysPlaying &= BASS_ChannelIsActive(content.Music.handle) == BASS_ACTIVE_PLAYING;
        });
    BASS_Free();
    ResetAllState();
    EXPECT_TRUE(heard) << "music fell silent after the damage; heard "
                       << AudibleSeconds(capture.Peaks()) << " s in " << capture.Seconds() << " s";
    EXPECT_TRUE(alwaysPlaying);
}

// Files our header checks pass but the mixer refuses: a lone MP3 frame header (too short for the
// mixer to recognise) as an effect, and an ADPCM WAV without its coefficients as music. The mixer
// keeps a source it was told to free when it refuses one, so each refusal used to leave a file
// handle or a buffer behind.
TEST(StreamedMusic, RefusedFilesLeaveNothingOpen) {
    TempFolder dir;
    WriteBytes(dir / "frame.mp3", {0xFF, 0xF3, 0x80, 0xC4});
    WriteWav(dir / "adpcm.wav", 22050, 1, 2000, [](std::uint32_t) { return 0; });
    Bytes adpcm = ReadBytes(dir / "adpcm.wav");
    adpcm[20] = 2;  // format 2, MS ADPCM, whose header must say more than PCM's
    WriteBytes(dir / "adpcm.wav", adpcm);
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    struct Case {
        const char* fault;
        const char* file;
        std::uint32_t flags;
    } cases[] = {
        {"a refused effect leaks its buffer", "frame.mp3", 0},
        {"a refused effect leaks its file", "adpcm.wav", 0},
        {"refused music leaks its file", "adpcm.wav", BASS_STREAM_MUSIC},
        {"refused music leaks its buffer", "frame.mp3", BASS_STREAM_MUSIC},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::string file = dir / c.file;
        ASSERT_EQ(BASS_StreamCreateFile(0, file.c_str(), 0, 0, c.flags), 0u);  // warm up
        const int files = OpenFiles();
        const std::size_t heap = mallinfo2().uordblks;
        for (int i = 0; i < 2000; ++i)
            ASSERT_EQ(BASS_StreamCreateFile(0, file.c_str(), 0, 0, c.flags), 0u);
        EXPECT_EQ(OpenFiles(), files);
        EXPECT_LT(mallinfo2().uordblks, heap + 32 * 1024);
    }
}

// The dump said `loaded` for a slot whose file could not be read; it reports a stream only.
TEST(StreamedMusic, DumpReportsLoadedOnlyForAFileThatWasRead) {
    TempFolder dir;
    std::ofstream(dir / "text.mp3") << "not music at all";
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    struct Case {
        const char* fault;
        std::string file;  // empty: never loaded
        bool loaded;
    } cases[] = {
        {"readable music not reported", GAMES_SOURCE_DIR "/demo/garbage/chiptune.mp3", true},
        {"unreadable music reported as loaded", dir / "text.mp3", false},
        {"missing music reported as loaded", dir / "missing.mp3", false},
        {"a slot never loaded reported as loaded", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ResetAllState();
        if (!c.file.empty()) SoundLoad(content.Music, c.file, true, 1.0f, true);
        const nlohmann::json dump = nlohmann::json::parse(DumpState());
        EXPECT_EQ(dump["music"]["loaded"], c.loaded);
        EXPECT_EQ(dump["music"]["file"], c.file);
    }
    ResetAllState();
}
