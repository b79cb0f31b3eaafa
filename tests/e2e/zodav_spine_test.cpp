// The ball game's spine end to end: headless replays checked from their dumps, bad input, and one
// real window under Xvfb checked at pixels the projection fixes.
#include <gtest/gtest.h>

#include <cmath>

#include "E2eSupport.h"
#include "media/Picture.h"

namespace {

using nlohmann::json;

using e2e::ZodavReplay;

TEST(ZodavSpine, StartStateIsTheMainMenu) {
    TempFolder folder;
    int code = 0;
    const auto dumps = ZodavReplay(folder, "seed 3\ndump\n", &code);
    ASSERT_EQ(code, 0);
    ASSERT_EQ(dumps.size(), 1u);
    const json& d = dumps[0];
    EXPECT_EQ(d["screenState"], 2);
    EXPECT_EQ(d["ready"], true);
    EXPECT_EQ(d["timeLeft"], 1000);
    EXPECT_EQ(d["timeBonus"], 300);
    EXPECT_EQ(d["maxBalls"], 20);
    EXPECT_EQ(d["weapon"], 1);
    EXPECT_EQ(d["soundVolume"], 50);
    EXPECT_EQ(d["musicVolume"], 100);
    EXPECT_EQ(d["particleLevel"], 1);
    EXPECT_EQ(d["textureProcessing"], true);
    EXPECT_EQ(d["screenWidth"], 1024);
    EXPECT_EQ(d["fieldRight"], 26.0);
    EXPECT_EQ(d["fieldTop"], 19.0);
    EXPECT_EQ(d["menuRows"].size(), 13u);
    EXPECT_EQ(d["sounds"].size(), 4u);
    EXPECT_EQ(d["textures"].size(), 9u);
    EXPECT_EQ(d["pictureNames"].size(), 9u);
    EXPECT_EQ(d["tick"], 0);
}

TEST(ZodavSpine, KeysActAtOnceOnEveryScreen) {
    TempFolder folder;
    const auto d = ZodavReplay(folder,
                               "key 27\ndump\n"           // main menu, no game: nothing
                               "key 112\ndump\n"          // help
                               "key 112\ndump\n"          // back to the main menu
                               "key 112\nkey 27\ndump\n"  // help, then Esc: main menu
                               "key 81\nkey 87\nkey 192\ndump\n"
                               "key 81\nkey 87\nkey 192\ndump\n");
    ASSERT_EQ(d.size(), 6u);
    EXPECT_EQ(d[0]["screenState"], 2);
    EXPECT_EQ(d[1]["screenState"], 1);
    EXPECT_EQ(d[2]["screenState"], 2);
    EXPECT_EQ(d[3]["screenState"], 2);
    EXPECT_EQ(d[4]["soundsOn"], false);
    EXPECT_EQ(d[4]["musicOn"], false);
    EXPECT_EQ(d[4]["tintAlways"], true);
    EXPECT_EQ(d[5]["soundsOn"], true);
    EXPECT_EQ(d[5]["musicOn"], true);
    EXPECT_EQ(d[5]["tintAlways"], false);
}

TEST(ZodavSpine, PointerMappingAndTicks) {
    TempFolder folder;
    const auto d = ZodavReplay(folder,
                               "screen 1024 768\nmouse 512 384\ntick 1\ndump\n"
                               "mouse 0 768\ntick 2\ndump\n"
                               "press left\npress right\ndump\ntick 1\nrelease right\ndump\n");
    ASSERT_EQ(d.size(), 4u);
    EXPECT_NEAR(d[0]["pointerX"].get<double>(), 13.0, 1e-5);
    EXPECT_NEAR(d[0]["pointerY"].get<double>(), 9.6, 1e-5);
    EXPECT_EQ(d[0]["tick"], 1);
    EXPECT_EQ(d[1]["pointerPixelX"], 0);
    EXPECT_EQ(d[1]["pointerPixelY"], 768);
    EXPECT_NEAR(d[1]["pointerX"].get<double>(), 13.0 - 512 * 0.0083 / 0.3, 1e-4);
    EXPECT_NEAR(d[1]["pointerY"].get<double>(), 9.6 - 384 * 0.0083 / 0.3, 1e-4);
    EXPECT_EQ(d[1]["tick"], 3);
    EXPECT_EQ(d[2]["leftHeld"], true);
    EXPECT_EQ(d[2]["rightHeld"], true);
    EXPECT_EQ(d[3]["rightHeld"], false);
}

TEST(ZodavSpine, ScreenLineSetsTheHeadlessScreen) {
    TempFolder folder;
    const auto d = ZodavReplay(folder, "screen 1300 740\ndump\n");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0]["screenWidth"], 1300);
    EXPECT_EQ(d[0]["fieldRight"], 32.0);
    EXPECT_EQ(d[0]["fieldTop"], 18.0);
}

TEST(ZodavSpine, SameSeedSameDumps) {
    TempFolder a, b;
    const std::string script = "seed 42\ntick 200\ndump\nkey 112\ntick 5\ndump\n";
    const auto da = ZodavReplay(a, script);
    const auto db = ZodavReplay(b, script);
    ASSERT_EQ(da.size(), 2u);
    EXPECT_EQ(da, db);
}

TEST(ZodavSpine, BadInputGetsAMessageAndExitCode2) {
    struct Case {
        const char* name;
        std::string args;
        int code;
        std::string message;
    } cases[] = {
        {"unknown option", "--frobnicate", 2, "unknown option"},
        {"seed without number", "--seed x", 2, "--seed"},
        {"missing replay", "--replay nothere.txt --headless", 2, "nothere.txt"},
        {"headless alone", "--headless", 2, "--headless"},
    };
    for (const Case& c : cases) {
        TempFolder folder;
        const int code =
            e2e::Run(folder.path(), e2e::Program("zodav") + " " + c.args + " >out.txt 2>err.txt");
        EXPECT_EQ(code, c.code) << c.name;
        EXPECT_NE(e2e::ReadFile(folder / "err.txt").find(c.message), std::string::npos) << c.name;
    }
}

TEST(ZodavSpine, MalformedReplayNamesFileAndLine) {
    const char* scripts[] = {"tick\n",    "tick -1\n", "mouse 1\n",        "press middle\n",
                             "key 300\n", "bogus 1\n", "tick 1\nseed 4\n", "tick 1 2\n"};
    for (const char* body : scripts) {
        TempFolder folder;
        int code = 0;
        ZodavReplay(folder, std::string("dump\n") + body, &code);
        EXPECT_EQ(code, 2) << body;
        const std::string err = e2e::ReadFile(folder / "err.txt");
        EXPECT_NE(err.find("s.txt:"), std::string::npos) << err;
    }
    TempFolder folder;
    folder.Write("s.txt", "not-a-replay 1\n");
    EXPECT_EQ(
        e2e::Run(folder.path(), e2e::Program("zodav") + " --replay s.txt --headless 2>/dev/null"),
        2);
}

TEST(ZodavSpine, HelpExitsZero) {
    TempFolder folder;
    EXPECT_EQ(e2e::Run(folder.path(), e2e::Program("zodav") + " --help >out.txt"), 0);
    EXPECT_NE(e2e::ReadFile(folder / "out.txt").find("--replay"), std::string::npos);
}

TEST(ZodavSpine, NoDisplayExitsOne) {
    TempFolder folder;
    const int code = e2e::Run(
        folder.path(), "env -u DISPLAY -u WAYLAND_DISPLAY " + e2e::Program("zodav") + " 2>err.txt");
    EXPECT_EQ(code, 1);
    EXPECT_NE(e2e::ReadFile(folder / "err.txt").find("no display"), std::string::npos);
}

TEST(ZodavSpine, RecordingReplaysToTheSameDumps) {
    // A recording is itself a script: replaying it twice gives identical dumps.
    TempFolder folder;
    folder.Write("rec.txt",
                 "zodav-replay 1\nseed 9\nscreen 1024 768\nmouse 100 200\ntick 30\n"
                 "press left\ntick 2\nrelease left\nkey 112\ntick 3\nkey 112\n");
    const std::string run = e2e::Program("zodav") + " --replay rec.txt --headless --dump ";
    ASSERT_EQ(e2e::Run(folder.path(), run + "a.jsonl"), 0);
    ASSERT_EQ(e2e::Run(folder.path(), run + "b.jsonl"), 0);
    EXPECT_EQ(e2e::ReadFile(folder / "a.jsonl"), e2e::ReadFile(folder / "b.jsonl"));
}

// A real window under Xvfb: white background and the blue field frame where the projection puts
// them. Skipped when the test runs without a display.
TEST(ZodavSpine, WindowShowsWhiteFieldAndBlueFrame) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    TempFolder folder;
    folder.Write("s.txt", "zodav-replay 1\nseed 1\nmouse 5 5\ntick 3\nscreenshot shot.bmp\n");
    ASSERT_EQ(e2e::Run(folder.path(),
                       e2e::Program("zodav") + " --windowed --replay s.txt 2>err.txt >/dev/null"),
              0)
        << e2e::ReadFile(folder / "err.txt");
    media::RgbPicture shot;
    std::string error;
    ASSERT_TRUE(media::LoadBmp(folder / "shot.bmp", shot, &error)) << error;
    ASSERT_EQ(shot.width, 1024);
    ASSERT_EQ(shot.height, 768);
    auto pixel = [&](int x, int y) {
        const std::uint8_t* p = &shot.rgb[(static_cast<size_t>(y) * shot.width + x) * 3];
        return std::array<int, 3>{p[0], p[1], p[2]};
    };
    // Plane point (x, y) lands at NDC (k x / aspect, k y), k = 13 / (24 sqrt 3).
    const double k = 13.0 / (24.0 * std::sqrt(3.0));
    const double aspect = 1024.0 / 768.0;
    auto toPixel = [&](double fx, double fy, int& px, int& py) {
        const double x = (fx - 13.0) * 0.3, y = (fy - 9.6) * 0.3;
        px = static_cast<int>(std::lround((k * x / aspect + 1) / 2 * 1024));
        py = static_cast<int>(std::lround((1 - (k * y + 1) / 2) * 768));
    };
    const auto white = pixel(512, 300);
    EXPECT_GE(white[0], 250);
    EXPECT_GE(white[1], 250);
    EXPECT_GE(white[2], 250);
    // The left edge of the frame, half way up: a blue of (0.2, 0.2, 0.8).
    int px = 0, py = 0;
    toPixel(0, 9.5, px, py);
    bool foundBlue = false;
    for (int dx = -2; dx <= 2 && !foundBlue; ++dx) {
        const auto c = pixel(px + dx, py);
        foundBlue =
            std::abs(c[0] - 51) < 12 && std::abs(c[1] - 51) < 12 && std::abs(c[2] - 204) < 12;
    }
    EXPECT_TRUE(foundBlue) << "no frame near pixel " << px << "," << py;
}

}  // namespace
