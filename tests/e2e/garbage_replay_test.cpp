// The catching game end to end: the real program on replay scripts in temporary folders, headless
// unless a test says otherwise, checked from its dump lines, exit codes and screenshots.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "E2eSupport.h"
#include "media/Picture.h"

namespace {

using nlohmann::json;

std::string Script(const std::string& name) {
    return std::string(GAMES_SOURCE_DIR) + "/tests/e2e/garbage/" + name;
}

// Runs the game in `folder` on a script; dumps go to dump.jsonl, messages to stderr.txt.
int RunGame(const TempFolder& folder, const std::string& args) {
    return e2e::Run(folder.path(), "SDL_AUDIODRIVER=dummy '" + e2e::Program("garbage") + "' " +
                                       args + " --dump dump.jsonl 2>stderr.txt");
}

int Headless(const TempFolder& folder, const std::string& script) {
    return RunGame(folder, "--headless --replay '" + Script(script) + "'");
}

std::vector<json> Dumps(const TempFolder& folder) {
    return e2e::ReadDumps(folder / "dump.jsonl");
}

TEST(GarbageReplay, StartValuesWithoutAConfigFile) {
    TempFolder folder;
    ASSERT_EQ(Headless(folder, "start.txt"), 0) << e2e::ReadFile(folder / "stderr.txt");
    auto d = Dumps(folder);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0]["now"], 0);
    EXPECT_EQ(d[0]["update"], 0);
    EXPECT_EQ(d[0]["width"], 500);
    EXPECT_EQ(d[0]["height"], 600);
    EXPECT_EQ(d[0]["Scale"], 1.0);
    EXPECT_EQ(d[0]["Developer"], 1);
    EXPECT_EQ(d[0]["Lives"], 10);
    EXPECT_EQ(d[0]["LastSpawn"], json({2000, 0}));
    EXPECT_EQ(d[0]["Bins"][0]["X"], 100.0);
    EXPECT_EQ(d[0]["Bins"][1]["Active"], false);
    EXPECT_EQ(d[0]["Items"], json::array());
    EXPECT_EQ(d[0]["GarbageFiles"], json::array());
    EXPECT_EQ(d[1]["now"], 20);
    EXPECT_EQ(d[1]["update"], 1);
    EXPECT_EQ(d[1]["SpawnInterval"][0], 2500);
    EXPECT_EQ(e2e::ReadFile(folder / "config.txt"), "developer=1\r\n");
    EXPECT_NE(e2e::ReadFile(folder / "log.txt").find("headless"), std::string::npos);
}

TEST(GarbageReplay, SizeFifteenScalesTheWindow) {
    TempFolder folder;
    folder.Write("config.txt", "size=15\r\ndeveloper=0\r\n");
    ASSERT_EQ(Headless(folder, "start.txt"), 0);
    auto d = Dumps(folder);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0]["width"], 750);
    EXPECT_EQ(d[0]["height"], 900);
    EXPECT_EQ(d[0]["Scale"], 1.5);
    EXPECT_EQ(d[0]["ItemRadius"], 24.0);
    EXPECT_EQ(d[0]["Developer"], 0);
    EXPECT_EQ(d[0]["Bins"][0]["X"], 150.0);
    EXPECT_EQ(e2e::ReadFile(folder / "config.txt"), "size=15\r\ndeveloper=0\r\n");
}

TEST(GarbageReplay, RefusedSizeIsLogged) {
    TempFolder folder;
    folder.Write("config.txt", "size=2\r\n");
    ASSERT_EQ(Headless(folder, "start.txt"), 0);
    EXPECT_EQ(Dumps(folder)[0]["width"], 500);
    EXPECT_NE(e2e::ReadFile(folder / "log.txt").find("\"size\" 2"), std::string::npos);
    EXPECT_NE(e2e::ReadFile(folder / "stderr.txt").find("10 is used"), std::string::npos);
}

TEST(GarbageReplay, EscEndsTheGameOnTheNextUpdate) {
    TempFolder folder;
    ASSERT_EQ(Headless(folder, "esc.txt"), 0);
    auto d = Dumps(folder);
    ASSERT_EQ(d.size(), 1u) << "commands after the quit must be ignored";
    EXPECT_EQ(d[0]["QuitRequested"], true);
    EXPECT_EQ(d[0]["update"], 5);
}

TEST(GarbageReplay, CloseRequestEndsTheGameAtOnce) {
    TempFolder folder;
    ASSERT_EQ(Headless(folder, "close.txt"), 0);
    auto d = Dumps(folder);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0]["update"], 3);
    EXPECT_EQ(d[0]["QuitRequested"], false);
}

TEST(GarbageReplay, FirstPieceComesAfterFourAndAHalfSeconds) {
    TempFolder folder;
    ASSERT_EQ(Headless(folder, "first_spawn.txt"), 0);
    auto d = Dumps(folder);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0]["Spawned"], 0);
    EXPECT_EQ(d[1]["Spawned"], 1);
    EXPECT_EQ(d[1]["now"], 4500);
    ASSERT_EQ(d[1]["Items"].size(), 1u);
    EXPECT_EQ(d[1]["Items"][0]["Y"], 1.0);  // spawned at the top, then fell in the same update
}

// A pair of pictures, three sounds and a tune: the same seed gives the same game twice; the two
// kinds of piece show different pictures and the sounds are all different.
TEST(GarbageReplay, SameSeedSameGameWithContent) {
    std::vector<std::vector<json>> runs;
    for (int run = 0; run < 2; ++run) {
        TempFolder folder;
        for (const char* name : {"garbage/a.bmp", "garbage/sub/b.bmp"}) {
            media::RgbPicture p{4, 4, std::vector<std::uint8_t>(48, 200)};
            std::filesystem::create_directories(std::filesystem::path(folder / name).parent_path());
            ASSERT_TRUE(media::SaveBmp(folder / name, p));
        }
        folder.Write("garbage/tune.mp3", "not really music");
        ASSERT_EQ(Headless(folder, "defeat.txt"), 0);
        runs.push_back(Dumps(folder));
    }
    ASSERT_EQ(runs[0].size(), 2u);
    EXPECT_EQ(runs[0], runs[1]);
    const json& d = runs[0][0];
    EXPECT_EQ(d["PictureCount"], 2);
    EXPECT_EQ(d["MusicCount"], 1);
    EXPECT_EQ(d["GarbageFiles"][1]["Path"], "garbage/sub/b.bmp");
    EXPECT_NE(d["PictureId"][0], d["PictureId"][1]);
    EXPECT_NE(d["PictureId"][0], 0);
    EXPECT_EQ(d["MusicIndex"], 2);
}

TEST(GarbageReplay, IdleGameIsLostAndKeepsRunning) {
    TempFolder folder;
    ASSERT_EQ(Headless(folder, "defeat.txt"), 0);
    auto d = Dumps(folder);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d[0]["Defeat"], true);
    EXPECT_LE(d[0]["Lives"], 0);
    EXPECT_EQ(d[1]["Lives"], d[0]["Lives"]) << "a miss after the end costs nothing";
    EXPECT_GT(d[1]["Spawned"], d[0]["Spawned"]) << "the world keeps running";
    EXPECT_GE(d[1]["Fade"], 0.5);
    EXPECT_LT(d[1]["Fade"], 0.51);
}

TEST(GarbageOptions, MistakesGiveUsageAndExitTwo) {
    struct Case {
        const char* fault;
        std::string args;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {"unknown option", "--fast", 2, "usage:"},
        {"malformed line", "--headless --replay '" + Script("malformed.txt") + "'", 2,
         "malformed.txt:3:"},
        {"missing script", "--headless --replay nowhere.txt", 2, "nowhere.txt"},
        {"headless without replay", "--headless", 2, "--replay"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        EXPECT_EQ(RunGame(folder, c.args), c.code) << c.fault;
        EXPECT_NE(e2e::ReadFile(folder / "stderr.txt").find(c.message), std::string::npos)
            << c.fault << ": " << e2e::ReadFile(folder / "stderr.txt");
    }
    TempFolder folder;
    EXPECT_EQ(RunGame(folder, "--help > help.txt"), 0);
}

TEST(GarbageOptions, NoDisplayWithoutHeadlessExitsOne) {
    TempFolder folder;
    const int code =
        e2e::Run(folder.path(), "env -u DISPLAY -u WAYLAND_DISPLAY '" + e2e::Program("garbage") +
                                    "' --replay x.txt 2>stderr.txt");
    EXPECT_EQ(code, 1);
    EXPECT_NE(e2e::ReadFile(folder / "stderr.txt").find("--headless"), std::string::npos);
}

TEST(GarbageBanner, ExportedUnderItsThirtyOneByteName) {
    TempFolder folder;
    ASSERT_EQ(e2e::Run(folder.path(),
                       "nm -D --defined-only '" + e2e::Program("garbage") + "' > symbols.txt"),
              0);
    const std::string banner = "\r\n\r\n<<< Based on eXgine >>>\r\n\r\n";
    ASSERT_EQ(banner.size(), 31u);
    EXPECT_NE(e2e::ReadFile(folder / "symbols.txt").find(" T " + banner + "\n"), std::string::npos);
}

}  // namespace
