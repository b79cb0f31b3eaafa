// The rules' sounds through the engine's real audio path (SDL's dummy driver): a catch plays
// its bin's sound while the game runs and nothing after the end; a payout plays in both.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "TempFolder.h"
#include "eXgine_binding.h"
#include "game_state.h"
#include "rules.h"

namespace {

// A mono 16-bit PCM WAV of `ms` milliseconds of silence at 22050 Hz.
std::string SilentWav(int ms) {
    const uint32_t rate = 22050, samples = rate * ms / 1000, data = samples * 2;
    std::string w;
    auto u32 = [&w](uint32_t v) {
        for (int k = 0; k < 4; ++k)
            w.push_back(static_cast<char>(v >> (8 * k)));
    };
    auto u16 = [&w](uint16_t v) {
        w.push_back(static_cast<char>(v));
        w.push_back(static_cast<char>(v >> 8));
    };
    w += "RIFF";
    u32(36 + data);
    w += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    w += "data";
    u32(data);
    w.append(data, '\0');
    return w;
}

class RulesSoundTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!BindEngine(ExHeadless)) GTEST_SKIP() << "the engine cannot start";
        if (!Audio->DeviceOpen()) GTEST_SKIP() << "no audio device, not even the dummy one";
        folder_.Write("catch.wav", SilentWav(2000));
        const int id = Audio->LoadSound((folder_ / "catch.wav").c_str(), 0);
        ASSERT_NE(id, 0);
        GameState = TGameState{};
        SetUpBins(500, 600);
        StartPlay(0);
        SetBinHeights(600);
        GameState.LastSpawn = {INT32_MAX / 2, INT32_MAX / 2};
        GameState.LastScoreTick = INT32_MAX / 2;
        GameState.SoundId = {id, id, id};
    }
    void TearDown() override { UnbindEngine(); }

    static void CatchOneInBinZero() {
        const TBin& bin = GameState.Bins[0];
        const float r = GameState.ItemRadius;
        GameState.Items = {{bin.X - r, bin.Y - r, 0, 0}};
        RunUpdateSteps(0, 500, 600);
        ASSERT_TRUE(GameState.Items.empty());
    }

    TempFolder folder_;
};

TEST_F(RulesSoundTest, ACatchPlaysItsSoundOnlyWhileTheGameRuns) {
    CatchOneInBinZero();
    EXPECT_EQ(Audio->PlayingEffects(), 1) << "no catch sound in play";
    GameState.Defeat = true;
    CatchOneInBinZero();
    EXPECT_EQ(Audio->PlayingEffects(), 1) << "a catch after the end made a sound";
    EXPECT_EQ(GameState.Bins[0].Count, 2) << "catches after the end must still count";
}

TEST_F(RulesSoundTest, APayoutPlaysItsSoundEvenAfterTheEnd) {
    GameState.Victory = true;
    GameState.Bins[0].Count = 5;
    RunUpdateSteps(0, 500, 600);
    EXPECT_EQ(GameState.Score, 60);
    EXPECT_EQ(Audio->PlayingEffects(), 1) << "no payout sound";
}

TEST_F(RulesSoundTest, SoundIdZeroIsSilent) {
    GameState.SoundId = {0, 0, 0};
    CatchOneInBinZero();
    EXPECT_EQ(Audio->PlayingEffects(), 0);
}

}  // namespace
