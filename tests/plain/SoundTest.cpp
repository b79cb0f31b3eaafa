// Sound slots and the audio layer, heard through SDL's real audio path on the disk driver: the
// mixed output is captured to a file and measured (levels, lengths, pitch).
#include <gtest/gtest.h>

#include "Bass.h"
#include "BassFormats.h"
#include "Content.h"
#include "SoundTestKit.h"
#include "Weapons.h"
#include "WindUse.h"
#include "Zodav.h"
#include "bassUse.h"

using namespace soundkit;

namespace {

constexpr int kLevelA = 8000;
constexpr int kLevelB = 16000;

// One second: half a second at level A, then half a second at level B, so the output tells
// where in the file playback was.
void WriteTwoLevelFile(const std::string& path) {
    WriteWav(path, 44100, 2, 44100,
             [](std::uint32_t i) { return Square(i, i < 22050 ? kLevelA : kLevelB); });
}

struct InterruptCase {
    const char* fault;
    void (*interrupt)(TSound&);
    double secondsOfA;  // level A heard in all
};

}  // namespace

// Play, interrupt for half a second, play: after a pause the rest of the first half follows
// (0.5 s of A in all); after a stop the file starts again (0.3 + 0.5 s of A).
TEST(SoundSlots, PlayAfterPauseResumesAndAfterStopRestarts) {
    const InterruptCase cases[] = {
        {"pause loses the position", SoundPause, 0.5},
        {"stop does not rewind", SoundStop, 0.8},
    };
    for (const InterruptCase& c : cases) {
        SCOPED_TRACE(c.fault);
        TempFolder dir;
        WriteTwoLevelFile(dir / "two.wav");
        DiskAudio audio(dir / "out.raw");
        ASSERT_TRUE(audio.open);
        TSound slot;
        SoundLoad(slot, dir / "two.wav", false, 1.0f);
        ASSERT_NE(slot.handle, 0u);
        SoundPlay(slot);
        Wait(300);
        c.interrupt(slot);
        Wait(500);
        SoundPlay(slot);
        Wait(1300);
        const std::vector<int> peaks = audio.Peaks();
        EXPECT_NEAR(SecondsAt(peaks, 6000, 11000), c.secondsOfA, 0.12);
        EXPECT_NEAR(SecondsAt(peaks, 13000, 20000), 0.5, 0.1);
        EXPECT_GT(LongestInnerSilence(peaks), 0.35);
    }
}

TEST(SoundSlots, UnloadedSlotMakesNoCallsButKeepsItsFlags) {
    TempFolder dir;
    WriteTwoLevelFile(dir / "two.wav");
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    TSound loaded;
    SoundLoad(loaded, dir / "two.wav", true, 1.0f);
    SoundStop(loaded);
    ASSERT_EQ(BASS_ErrorGetCode(), BASS_OK);
    // A call on handle 0 would leave BASS_ERROR_HANDLE behind.
    TSound never;
    never.started = 1;
    SoundStop(never);
    EXPECT_EQ(never.started, 0);
    SoundPause(never);
    SoundPlay(never);
    EXPECT_EQ(never.started, 1);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
    EXPECT_EQ(never.handle, 0u);
}

// The options screen sets 30 %; a reload returns the slot to its factor (0.5 for effects).
TEST(SoundSlots, ReloadReturnsVolumeToTheSlotsFactor) {
    TempFolder dir;
    WriteWav(dir / "loud.wav", 44100, 2, 44100, [](std::uint32_t i) { return Square(i, 16000); });
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    TSound slot;
    SoundLoad(slot, dir / "loud.wav", true, 0.5f);
    SoundSetVolume(slot, 30);
    EXPECT_FLOAT_EQ(slot.volume, 0.3f);
    SoundPlay(slot);
    Wait(400);
    SoundStop(slot);
    const std::uint32_t first = slot.handle;
    SoundLoad(slot, dir / "loud.wav", true, 0.5f);
    EXPECT_FLOAT_EQ(slot.volume, 0.5f);
    EXPECT_EQ(slot.started, 0);
    // The replaced stream is gone, not left playing or holding memory.
    EXPECT_EQ(BASS_ChannelPlay(first, 1), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    SoundPlay(slot);
    Wait(400);
    const std::vector<int> peaks = audio.Peaks();
    // Wall time decides how long each part lasts; the levels are what count.
    EXPECT_GT(SecondsAt(peaks, 4300, 5200), 0.2);  // 16000 x 38/128
    EXPECT_GT(SecondsAt(peaks, 7500, 8500), 0.2);  // 16000 x 64/128
    EXPECT_EQ(SecondsAt(peaks, 9000, 32767), 0.0);
}

TEST(SoundSlots, LoopFlagPlaysAShortFileOnPastItsEnd) {
    struct Case {
        const char* fault;
        bool loop;
        double low, high;  // seconds heard in 0.8 s of play of a 0.2 s file
    };
    const Case cases[] = {
        {"the loop flag is lost: the sound ends after one pass", true, 0.45, 1.0},
        {"a stream loops without the flag", false, 0.1, 0.3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        TempFolder dir;
        WriteWav(dir / "short.wav", 44100, 1, 8820,
                 [](std::uint32_t i) { return Square(i, 9000); });
        DiskAudio audio(dir / "out.raw");
        ASSERT_TRUE(audio.open);
        TSound slot;
        SoundLoad(slot, dir / "short.wav", c.loop, 1.0f);
        SoundPlay(slot);
        Wait(800);
        EXPECT_EQ(BASS_ChannelIsActive(slot.handle),
                  c.loop ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED);
        SoundStop(slot);
        const double heard = SecondsAt(audio.Peaks(), kSilence + 1, 32767);
        EXPECT_GE(heard, c.low);
        EXPECT_LE(heard, c.high);
    }
}

// A one-second 500 Hz tone must last one second and sound at 500 Hz whatever the file's rate;
// forcing every stream to 44100 made a 22050 Hz file last half a second an octave up.
TEST(SoundSlots, EachFilePlaysAtItsOwnRate) {
    struct Case {
        const char* name;
        std::uint32_t rate;
        int channels;
    };
    const Case cases[] = {{"22050 Hz mono", 22050, 1}, {"48000 Hz stereo", 48000, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        const std::uint32_t rate = c.rate;
        WriteWav(dir / "tone.wav", rate, c.channels, rate, [rate](std::uint32_t i) {
            return static_cast<int>(std::lround(12000 * std::sin(2 * M_PI * 500.0 * i / rate)));
        });
        DiskAudio audio(dir / "out.raw");
        ASSERT_TRUE(audio.open);
        TSound slot;
        SoundLoad(slot, dir / "tone.wav", false, 1.0f);
        SoundPlay(slot);
        Wait(1500);
        const std::vector<std::int16_t> left = audio.Left();
        std::size_t first = left.size(), last = 0, crossings = 0;
        for (std::size_t i = 1; i < left.size(); ++i) {
            if (std::abs(left[i]) > 1000) {
                first = std::min(first, i);
                last = i;
            }
            if ((left[i - 1] < 0) != (left[i] < 0)) ++crossings;
        }
        ASSERT_LT(first, last);
        const double seconds = (last - first) / 44100.0;
        EXPECT_NEAR(seconds, 1.0, 0.03);
        EXPECT_NEAR(crossings / 2.0 / seconds, 500.0, 10.0);
    }
}

// Decoders check what a header promises before anything is allocated.
TEST(SoundFiles, AbsurdHeadersAreRefusedBeforeDecoding) {
    struct Case {
        const char* fault;
        std::uint32_t rate;
        std::uint32_t frames;
        std::uint32_t claimedData;
        bool opens;
    };
    const Case cases[] = {
        {"a 3999 Hz file is taken", 3999, 4000, 0, false},
        {"a 384001 Hz file is taken", 384001, 4000, 0, false},
        {"a 384000 Hz file is refused", 384000, 4000, 0, true},
        {"a 4000 Hz file is refused", 4000, 4000, 0, true},
        // 3.2 M frames at 4000 Hz decode to 141 MB of 44100 Hz 16-bit stereo.
        {"a file decoding past 128 MiB is taken", 4000, 3200000, 0, false},
        {"a data size past the end of a short file refuses it", 44100, 4410, 0x7FFFFFF0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        TempFolder dir;
        WriteWav(
            dir / "x.wav", c.rate, 1, c.frames, [](std::uint32_t i) { return Square(i, 5000); },
            c.claimedData);
        DiskAudio audio(dir / "out.raw");
        ASSERT_TRUE(audio.open);
        const HSTREAM stream = BASS_StreamCreateFile(0, (dir / "x.wav").c_str(), 0, 0, 0);
        EXPECT_EQ(stream != 0, c.opens);
        if (!c.opens) {
            EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FORMAT);
        }
    }
}

TEST(SoundFiles, UnreadableFilesGiveASilentSlot) {
    TempFolder dir;
    std::ofstream(dir / "noise.wav") << "this is not a sound at all";
    std::filesystem::create_directory(dir / "folder.wav");
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    for (const char* name : {"noise.wav", "missing.mp3", "folder.wav"}) {
        SCOPED_TRACE(name);
        TSound slot;
        SoundLoad(slot, dir / name, true, 0.5f);
        EXPECT_EQ(slot.handle, 0u);
        EXPECT_EQ(slot.loaded, 1);
        EXPECT_EQ(slot.file, dir / name);
        SoundPlay(slot);
        EXPECT_EQ(slot.started, 1);
    }
    EXPECT_EQ(SecondsAt(audio.Peaks(), kSilence + 1, 32767), 0.0);
}

// MPEG 2 layer III frames at 64 kbit/s, 22050 Hz, mono: 208 bytes and 576 samples each. Zero
// side information makes each a valid frame of silence.
std::vector<std::uint8_t> Mpeg2Frames(int count) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t header[4] = {0xFF, 0xF3, 0x80, 0xC4};
        data.insert(data.end(), header, header + 4);
        data.resize(data.size() + 204, 0);
    }
    return data;
}

TEST(SoundFiles, DecodedSizeIsJudgedFromHeaders) {
    struct Case {
        const char* fault;
        std::vector<std::uint8_t> data;
        bool judged;
        std::uint64_t bytes;
    };
    // The tag holds what looks like an MPEG 2.5 frame at 8000 Hz; counted, it would add 3175
    // frames.
    std::vector<std::uint8_t> tagged = {'I', 'D', '3',  3,    0,    0,    0, 0,
                                        0,   6,   0xFF, 0xE3, 0x18, 0xC4, 0, 0};
    const std::vector<std::uint8_t> frames = Mpeg2Frames(100);
    tagged.insert(tagged.end(), frames.begin(), frames.end());
    std::vector<std::uint8_t> junk = {1, 2, 3, 0xFF, 0x00, 7};
    junk.insert(junk.end(), frames.begin(), frames.end());
    const Case cases[] = {
        {"MPEG 2 frames counted at the wrong rate", frames, true, 100 * 576 * 2 * 4},
        {"sync words inside an ID3 tag are counted", tagged, true, 100 * 576 * 2 * 4},
        {"junk before the first frame stops the walk", junk, true, 100 * 576 * 2 * 4},
        {"text is taken for a sound",
         {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'},
         false,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        std::uint64_t bytes = 0;
        EXPECT_EQ(EstimateDecodedBytes(c.data.data(), c.data.size(), 44100, 2, bytes), c.judged);
        if (c.judged) {
            EXPECT_EQ(bytes, c.bytes);
        }
    }
}

TEST(SoundFiles, Mp3FilesDecode) {
    TempFolder dir;
    const std::vector<std::uint8_t> frames = Mpeg2Frames(100);
    std::ofstream(dir / "mpeg2.mp3", std::ios::binary)
        .write(reinterpret_cast<const char*>(frames.data()), frames.size());
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    struct Case {
        const char* fault;
        std::string file;
    };
    const Case cases[] = {
        {"the demo music does not decode", GAMES_SOURCE_DIR "/demo/garbage/chiptune.mp3"},
        {"an MPEG 2 file without a tag is not decoded", dir / "mpeg2.mp3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const HSTREAM stream = BASS_StreamCreateFile(0, c.file.c_str(), 0, 0, 0);
        EXPECT_NE(stream, 0u);
        EXPECT_EQ(BASS_StreamFree(stream), stream ? 1 : 0);
    }
}

// No device: one message on standard error (a test never waits on a box), then silence.
TEST(SoundDevice, NoDeviceSaysSoOnceAndTheGameRunsSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    const RunMode saved = runMode;
    runMode.headless = true;
    testing::internal::CaptureStderr();
    InitSound(nullptr);
    const std::string said = testing::internal::GetCapturedStderr();
    runMode = saved;
    EXPECT_EQ(said, "Sound Initial Error: Error\n");
    TSound slot;
    SoundLoad(slot, GAMES_SOURCE_DIR "/demo/garbage/hum.wav", true, 0.5f);
    EXPECT_EQ(slot.handle, 0u);
    SoundPlay(slot);
    FreeSound();
}

TEST(SoundDevice, SecondInitFailsAndFreeAllowsANewStart) {
    TempFolder dir;
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    EXPECT_EQ(BASS_Init(-1, 44100, 0, nullptr, nullptr), 0);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_EQ(BASS_GetVersion() >> 16, 0x0204u);
    audio.Close();
    EXPECT_EQ(BASS_StreamCreateFile(0, "x.wav", 0, 0, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    DiskAudio again(dir / "out2.raw");
    EXPECT_TRUE(again.open);
}

// Q while a weapon is held silences it on the next tick instead of leaving its loop running.
TEST(SoundSlots, WeaponHeldFallsSilentWhenEffectsGoOff) {
    TempFolder dir;
    WriteWav(dir / "hum.wav", 44100, 1, 44100, [](std::uint32_t i) { return Square(i, 8000); });
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    ResetAllState();
    spine.screenWidth = 1024;
    spine.screenHeight = 768;
    spine.viewScale = 0.3f;
    ComputeField();
    SoundLoad(content.Sounds[2], dir / "hum.wav", true, 0.5f);
    gameState.screenState = kScreenPlay;
    gameState.weapon = 1;
    spine.leftHeld = 1;
    Wait(20);  // the mixer ignores a pause in the very first millisecond of its clock
    UpdatePointerAndWeapons();
    EXPECT_EQ(BASS_ChannelIsActive(content.Sounds[2].handle), BASS_ACTIVE_PLAYING);
    gameState.soundsOn = 0;  // Q
    UpdatePointerAndWeapons();
    EXPECT_NE(BASS_ChannelIsActive(content.Sounds[2].handle), BASS_ACTIVE_PLAYING);
    content = ContentState{};
}
