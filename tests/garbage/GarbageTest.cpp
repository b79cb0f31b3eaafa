// The spine: start values from the configuration, the choice of pictures, sounds and music,
// mouse messages, and Esc or a close request ending the loop. The engine runs headless.
#include "garbage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "TempFolder.h"
#include "eXgine_binding.h"
#include "game_state.h"
#include "garbage_files.h"
#include "random.h"
#include "window.h"

namespace {

// A headless engine with the start-up done in a fresh current folder; unbound afterwards.
class HeadlessGame {
  public:
    explicit HeadlessGame(const std::string& config = "", bool keepConfig = false) : folder_(true) {
        if (!config.empty() || keepConfig) folder_.Write("config.txt", config);
        GameState = TGameState{};
        QuitRequested = false;
        GameSeed = 7;
        ok_ = BindEngine(ExHeadless);
        if (ok_) GameStartUp(true);
    }
    ~HeadlessGame() {
        if (started_) Core->EndManual();
        UnbindEngine();
    }
    bool Start() {
        started_ = ok_ && Core->StartManual(kUpdatesPerSecond);
        return started_;
    }
    const TempFolder& folder() const { return folder_; }

  private:
    TempFolder folder_;
    bool ok_ = false;
    bool started_ = false;
};

TEST(GameInit, StartValuesWithoutAConfigFile) {
    HeadlessGame game;
    ASSERT_TRUE(game.Start());
    EXPECT_EQ(GameState.Developer, 1);
    EXPECT_EQ(GameState.Size, 10);
    EXPECT_EQ(GameState.Scale, 1.0f);
    EXPECT_EQ(WindowHost->Width(), 500);
    EXPECT_EQ(WindowHost->Height(), 600);
    EXPECT_EQ(GameState.LastSpawn[0], 2000);  // first piece 4.5 s in, not 2.5 s
    EXPECT_EQ(GameState.Lives, 10);
    EXPECT_EQ(GameState.Level, 0);
    EXPECT_EQ(GameState.Hovered, -1);
    EXPECT_EQ(GameState.ItemRadius, 16.0f);
    EXPECT_TRUE(GameState.Bins[0].Active);
    EXPECT_FALSE(GameState.Bins[1].Active);
    EXPECT_NE(GameState.FontSmall, 0);
    EXPECT_NE(GameState.FontCredits, 0);
    EXPECT_EQ(game.folder().Read("config.txt"), "developer=1\r\n");
}

// A clock that moves 100 ms at every reading.
int32_t clockReadings = 0;
int32_t SteppingClock() {
    return (++clockReadings) * 100;
}

// Making the fonts and the disk takes time: each timer must start from the clock read at its
// own step (sun, then first spawn, then score tick), not from one reading before them all.
TEST(GameInit, EachTimerReadsTheClockAtItsOwnStep) {
    HeadlessGame game;
    clockReadings = 0;
    GameInitWithClock(SteppingClock);
    EXPECT_EQ(GameState.SunTurnTime, 100);
    EXPECT_EQ(GameState.LastSpawn[0], 2200);
    EXPECT_EQ(GameState.LastScoreTick, 300);
    EXPECT_EQ(clockReadings, 3);
    GameFree();
}

// Each configuration gives its window size, scale and developer flag; sizes outside 4..40 are
// refused for 10.
TEST(ReadConfiguration, SizesAndDeveloperMode) {
    struct Case {
        const char* fault;
        const char* config;
        int32_t developer, size, width, height;
        float scale;
    };
    const Case cases[] = {
        {"size 15 not scaled", "size=15", 1, 15, 750, 900, 1.5f},
        {"developer 0 kept on", "developer=0\r\nsize=10", 0, 10, 500, 600, 1.0f},
        {"developer 2 taken as on", "developer=2", 2, 10, 500, 600, 1.0f},
        {"size 0 from a malformed value accepted", "size=big", 1, 10, 500, 600, 1.0f},
        {"size 3 accepted", "size=3", 1, 10, 500, 600, 1.0f},
        {"smallest size refused", "size=4", 1, 4, 200, 240, 0.4f},
        {"largest size refused", "size=40", 1, 40, 2000, 2400, 4.0f},
        {"size 41 accepted", "size=41", 1, 10, 500, 600, 1.0f},
        {"negative size accepted", "size=-5", 1, 10, 500, 600, 1.0f},
        {"size 11 rounded wrongly", "size=11", 1, 11, 550, 660, 1.1f},
    };
    for (const Case& c : cases) {
        TempFolder folder(true);
        folder.Write("config.txt", c.config);
        GameState = TGameState{};
        ReadConfiguration();
        EXPECT_EQ(GameState.Developer, c.developer) << c.fault;
        EXPECT_EQ(GameState.Size, c.size) << c.fault;
        EXPECT_EQ(GameState.Scale, c.scale) << c.fault;
        EXPECT_EQ(GameWindowWidth, c.width) << c.fault;
        EXPECT_EQ(GameWindowHeight, c.height) << c.fault;
    }
}

// A content list of `pictures` pictures, `sounds` sounds and `music` music files whose engine
// ids are 101, 102, ... unless given.
void MakeList(int32_t pictures, int32_t sounds, int32_t music, std::vector<int32_t> ids = {}) {
    GarbageFiles.clear();
    const int32_t total = pictures + sounds + music;
    for (int32_t i = 0; i < total; ++i) {
        uint8_t category = i < pictures ? 0 : i < pictures + sounds ? 1 : 2;
        int32_t id = category == 2 ? 0 : size_t(i) < ids.size() ? ids[size_t(i)] : 101 + i;
        GarbageFiles.push_back({"garbage/f" + std::to_string(i), category, id});
    }
    PictureCount = pictures;
    SoundCount = sounds;
    MusicCount = music;
}

void ChooseWithSeed(uint64_t seed) {
    GameState = TGameState{};
    SeedRandom(seed);
    ChooseContent();
}

TEST(ChooseContent, PicturesNeedTwoAndAreDistinct) {
    for (int32_t pictures : {0, 1, 2, 3, 50}) {
        for (uint64_t seed = 1; seed <= 40; ++seed) {
            MakeList(pictures, 0, 0);
            ChooseWithSeed(seed);
            const auto& id = GameState.PictureId;
            if (pictures <= 1) {
                EXPECT_EQ(id[0], 0) << pictures;
                EXPECT_EQ(id[1], 0) << pictures;
                continue;
            }
            EXPECT_NE(id[0], id[1]) << pictures << " pictures, seed " << seed;
            for (int32_t v : id) {
                EXPECT_GE(v, 101);
                EXPECT_LT(v, 101 + pictures);
            }
        }
    }
}

TEST(ChooseContent, TwoPicturesAlwaysShowBoth) {
    std::set<std::pair<int32_t, int32_t>> seen;
    for (uint64_t seed = 1; seed <= 40; ++seed) {
        MakeList(2, 0, 0);
        ChooseWithSeed(seed);
        seen.insert({GameState.PictureId[0], GameState.PictureId[1]});
    }
    EXPECT_EQ(seen, (std::set<std::pair<int32_t, int32_t>>{{101, 102}, {102, 101}}));
}

TEST(ChooseContent, SoundsNeedThreeAndArePairwiseDistinct) {
    for (int32_t sounds : {0, 1, 2, 3, 4, 60}) {
        for (uint64_t seed = 1; seed <= 40; ++seed) {
            MakeList(2, sounds, 0);
            ChooseWithSeed(seed);
            auto id = GameState.SoundId;
            if (sounds <= 2) {
                EXPECT_EQ(id, (std::array<int32_t, 3>{0, 0, 0})) << sounds;
                continue;
            }
            std::sort(id.begin(), id.end());
            EXPECT_TRUE(id[0] != id[1] && id[1] != id[2]) << sounds << " sounds, seed " << seed;
            EXPECT_GE(id[0], 103);  // sounds follow the two pictures
            EXPECT_LT(id[2], 103 + sounds);
            if (sounds == 3) {
                EXPECT_EQ(id, (std::array<int32_t, 3>{103, 104, 105}));
            }
        }
    }
}

// Files that all failed to load share one id: the redraws must end and the ids repeat.
TEST(ChooseContent, TooFewDistinctIdsEndTheRedraws) {
    MakeList(3, 4, 0, {0, 0, 0, 9, 9, 9, 9});
    ChooseWithSeed(3);
    EXPECT_EQ(GameState.PictureId, (std::array<int32_t, 2>{0, 0}));
    EXPECT_EQ(GameState.SoundId, (std::array<int32_t, 3>{9, 9, 9}));
    MakeList(0, 4, 0, {5, 6, 5, 6});  // two distinct sounds: the first two differ
    ChooseWithSeed(4);
    EXPECT_NE(GameState.SoundId[0], GameState.SoundId[1]);
}

TEST(ChooseContent, MusicIndexPointsAtAMusicEntry) {
    for (int32_t music : {0, 1, 5}) {
        for (uint64_t seed = 1; seed <= 20; ++seed) {
            MakeList(2, 3, music);
            ChooseWithSeed(seed);
            if (music == 0) {
                EXPECT_EQ(GameState.MusicIndex, 0);
                continue;
            }
            EXPECT_GE(GameState.MusicIndex, 5);
            EXPECT_LT(GameState.MusicIndex, 5 + music);
            EXPECT_EQ(GarbageFiles[size_t(GameState.MusicIndex)].Category, 2);
        }
    }
}

TEST(ChooseContent, SameSeedSameChoice) {
    MakeList(30, 30, 30);
    ChooseWithSeed(99);
    const TGameState first = GameState;
    ChooseWithSeed(99);
    EXPECT_EQ(GameState.PictureId, first.PictureId);
    EXPECT_EQ(GameState.SoundId, first.SoundId);
    EXPECT_EQ(GameState.MusicIndex, first.MusicIndex);
}

TEST(GameMessage, MouseCoordinatesAreSigned16BitHalves) {
    struct Case {
        const char* fault;
        uint32_t lParam;
        int32_t x, y;
    };
    const Case cases[] = {
        {"inside the window", ExMakeLParam(250, 300), 250, 300},
        {"past the left edge read as 65516", ExMakeLParam(-20, 300), -20, 300},
        {"above the top edge read as 65531", ExMakeLParam(40, -5), 40, -5},
        {"past the right edge", ExMakeLParam(700, 650), 700, 650},
        {"a recorded 65535 is one pixel left of the edge", 65535u | (300u << 16), -1, 300},
    };
    for (const Case& c : cases) {
        GameState = TGameState{};
        GameMessage(ExWmMouseMove, ExMkLButton, c.lParam);
        EXPECT_EQ(GameState.MouseX, c.x) << c.fault;
        EXPECT_EQ(GameState.MouseY, c.y) << c.fault;
    }
    QuitRequested = false;
    GameMessage(ExWmKeyDown, ExVkEscape, 0);  // keys are not the game's business
    EXPECT_FALSE(QuitRequested);
}

// A bin grabbed and dragged past a window edge is thrown toward that edge.
TEST(GameMessage, ADragPastAnEdgeThrowsTheBinThatWay) {
    struct Case {
        const char* fault;
        int32_t endX;
        float vel;
    };
    const Case cases[] = {
        {"dragged past the left edge flew right", -20, -10},
        {"dragged past the right edge", 640, 10},
        {"a short drag left inside", 230, -1},
    };
    for (const Case& c : cases) {
        HeadlessGame game;
        ASSERT_TRUE(game.Start());
        TBin& bin = GameState.Bins[0];
        bin.X = 250;
        const int32_t y = int32_t(bin.Y);
        Core->PostMessage(ExWmMouseMove, 0, ExMakeLParam(250, y));
        Core->StepUpdate();  // the hover test finds the bin under the pointer
        Core->PostMessage(ExWmLButtonDown, ExMkLButton, ExMakeLParam(250, y));
        Core->PostMessage(ExWmMouseMove, ExMkLButton, ExMakeLParam(c.endX, y));
        Core->StepUpdate();  // the drag follows the pointer
        const float x = bin.X;
        Core->PostMessage(ExWmLButtonUp, 0, ExMakeLParam(c.endX, y));
        EXPECT_FLOAT_EQ(bin.VelX, c.vel) << c.fault;
        Core->StepUpdate();
        EXPECT_EQ(bin.X < x, c.vel < 0) << c.fault;
    }
}

TEST(GameUpdate, EscEndsTheLoopOnTheNextUpdate) {
    HeadlessGame game;
    ASSERT_TRUE(game.Start());
    Core->StepUpdate();
    Core->PostMessage(ExWmKeyDown, ExVkEscape, 0);
    EXPECT_TRUE(QuitRequested);
    EXPECT_FALSE(Core->QuitCalled()) << "Esc alone must not end the loop";
    Core->StepUpdate();
    EXPECT_TRUE(Core->QuitCalled());
}

TEST(GameUpdate, OtherKeysDoNotQuit) {
    HeadlessGame game;
    ASSERT_TRUE(game.Start());
    Core->PostMessage(ExWmKeyDown, 'Q', 0);
    Core->StepUpdate();
    EXPECT_FALSE(QuitRequested);
    EXPECT_FALSE(Core->QuitCalled());
}

TEST(GameWindowProc, CloseRequestEndsTheLoop) {
    HeadlessGame game;
    ASSERT_TRUE(game.Start());
    Core->PostMessage(ExWmClose, 0, 0);
    EXPECT_TRUE(Core->QuitCalled());
}

TEST(GameInit, ContentIsScannedAndLoaded) {
    HeadlessGame game;
    game.folder().Write("garbage/not-a-picture.bmp", "BM but nothing else");
    game.folder().Write("garbage/tune.mp3", "");
    ASSERT_TRUE(game.Start());
    ASSERT_EQ(GarbageFiles.size(), 2u);
    EXPECT_EQ(PictureCount, 1);
    EXPECT_EQ(MusicCount, 1);
    EXPECT_EQ(GarbageFiles[0].EngineId, 0);  // refused by the engine, kept in the list
    EXPECT_EQ(GameState.MusicIndex, 1);
}

}  // namespace

namespace {

TEST(LargestSizeThatFits, KeepsTheShapeAndStopsAtTheSmallestSize) {
    struct Case {
        const char* fault;
        int32_t size, usableWidth, usableHeight, fitted;
    };
    const Case cases[] = {
        {"size 20 on a 1024 x 768 screen", 20, 1024, 768, 12},
        {"a size that fits was changed", 10, 1024, 768, 10},
        {"exactly fitting height refused", 10, 800, 600, 10},
        {"a panel's 30 pixels ignored", 10, 800, 570, 9},
        {"a narrow portrait screen fits by width", 30, 600, 1900, 12},
        {"went below the smallest size", 10, 100, 100, kSmallestSize},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LargestSizeThatFits(c.size, c.usableWidth, c.usableHeight), c.fitted) << c.fault;
}

TEST(FitWindowToDisplay, ShrinksSizeScaleAndWindowTogether) {
    TempFolder folder(true);
    folder.Write("log.txt", "eXgine started\n");  // the game adds only to the engine's own log
    GameState = TGameState{};
    UseSize(20);
    FitWindowToDisplay(1024, 768);
    EXPECT_EQ(GameState.Size, 12);
    EXPECT_FLOAT_EQ(GameState.Scale, 1.2f);
    EXPECT_EQ(GameWindowWidth, 600);
    EXPECT_EQ(GameWindowHeight, 720);
    EXPECT_NE(folder.Read("log.txt").find("size 12 (600 x 720) is used"), std::string::npos);
}

}  // namespace
