// The engine's sound heard through SDL's real audio path: the disk driver writes into a pipe as
// fast as the mixer fills it (the capture of the ball game's tests), so a looped track is heard
// many times over in a second or two. Also: refused files leave no file open behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "../plain/FastAudioCapture.h"
#include "EngineTestFiles.h"
#include "eXgine.h"

using namespace enginetest;

namespace {

int OpenFiles() {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

bool HaveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

}  // namespace

// SDL_mixer's player stops for good on a frame its decoder cannot resynchronise over, loop or
// not; the engine's update starts a looped track again from its beginning.
TEST(EngineAudio, LoopedMusicGoesOnPastADamagedFrame) {
    // Headless runs force the dummy driver; the disk driver needs the windowed engine.
    if (!HaveDisplay()) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    TempFolder folder;
    const std::string music = folder.File("damaged.mp3");
    soundkit::WriteBytes(music, soundkit::DamagedTrack());
    soundkit::FastAudioCapture capture(folder.File(""));
    ASSERT_TRUE(capture.Ready());
    IEngineCore* core = nullptr;
    ASSERT_TRUE(exInit(&core, folder.File("log.txt").c_str(), 0));
    ASSERT_TRUE(core->StartManual(50));
    ASSERT_TRUE(core->Audio()->PlayMusic(music.c_str(), true));
    bool alwaysPlaying = true;
    const bool heard = soundkit::FastAudioCapture::Until(
        [&] { return soundkit::AudibleSeconds(capture.Peaks()) > 12; }, 120,
        [&] {
            core->StepUpdate();
            alwaysPlaying &= core->Audio()->MusicPlaying();
        });
    core->EndManual();
    exDone();
    EXPECT_TRUE(heard) << "music fell silent after the damage; heard "
                       << soundkit::AudibleSeconds(capture.Peaks()) << " s in " << capture.Seconds()
                       << " s";
    EXPECT_TRUE(alwaysPlaying) << "a looped track was seen stopped after an update";
    EXPECT_NE(ReadText(folder.File("log.txt")).find("music stopped on a damaged frame"),
              std::string::npos);
}

// Files the mixer refuses after the engine's own checks passed them, loaded many times: not one
// file may stay open (the mixer keeps a source it was told to free when it refuses one).
TEST(EngineAudio, RefusedFilesLeaveNoFileOpen) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    IAudio* audio = engine.core()->Audio();
    ASSERT_TRUE(audio->DeviceOpen());
    const TempFolder& dir = engine.folder();
    std::vector<std::uint8_t> adpcm = WavBytes({});
    adpcm[20] = 2;  // MS ADPCM, whose format chunk must say more than PCM's
    const std::string effect = dir.Write("adpcm.wav", adpcm);
    const std::string text = dir.Write("text.mp3", {'n', 'o', 't', ' ', 'm', 'p', '3'});
    const std::string frame = dir.Write("frame.mp3", {0xFF, 0xF3, 0x80, 0xC4});
    ASSERT_EQ(audio->LoadSound(effect.c_str(), 0), 0);
    const int files = OpenFiles();
    for (int i = 0; i < 200; ++i) {
        ASSERT_EQ(audio->LoadSound(effect.c_str(), 0), 0);
        for (const std::string& music : {text, frame, effect})
            ASSERT_FALSE(audio->PlayMusic(music.c_str(), true)) << music;
    }
    EXPECT_EQ(OpenFiles(), files);
}
