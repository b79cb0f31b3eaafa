// The ball game's screens end to end: a replay clicks through the main menu, the level choice, a
// level, a pause and its continue row, the options and the help, plays to game over and goes
// back; checked from the dumps (headless) and from screenshots in a real window (Xvfb). Also the
// --bake-picture option on a real bitmap.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "media/Picture.h"

namespace {

using nlohmann::json;

// A temporary folder with an empty content folder.
struct Folder : TempFolder {
    Folder() { std::filesystem::create_directory(*this / "garbage"); }
};

// Screen pixel of the middle of menu row i (the pointer maps 0.0083 plane units to a pixel).
std::string RowMouse(int row) {
    const double planeY = 2.032 - 0.35 * row + 0.15;
    const int y = static_cast<int>(std::lround(384 - planeY / 0.0083));
    return "mouse 510 " + std::to_string(y) + "\n";
}

// The click acts in the first tick; the next tick fills the rows of the new screen.
std::string ClickRow(int row) {
    return RowMouse(row) + "press left\ntick 1\nrelease left\ntick 1\n";
}

// The whole journey; `shots` adds screenshots (real window only). The game is played to its end
// in chunks of 1000 ticks, each followed by a dump (fewer in a real window, where every tick
// draws a frame).
constexpr int kHeadlessChunks = 12;
constexpr int kWindowChunks = 3;

std::string Journey(bool shots, int chunks) {
    std::string s = "zodav-replay 1\nseed 42\n" + RowMouse(6) + "tick 25\ndump\n";
    if (shots) s += "screenshot menu.bmp\n";
    s += ClickRow(6) + "dump\n";        // 1: level choice
    s += ClickRow(2) + "dump\n";        // 2: level 1 started
    s += "tick 40\nkey 192\ntick 1\n";  // ~ on: balls show their tints
    if (shots) s += "screenshot play.bmp\n";
    s += "dump\nkey 27\ntick 5\ndump\ntick 5\ndump\n";         // 3: play, 4 and 5: paused
    s += ClickRow(5) + "dump\n";                               // 6: continued
    s += "key 27\ntick 1\n" + ClickRow(8) + "tick 1\ndump\n";  // 7: options
    s += ClickRow(10) + "dump\n";                              // 8: back to play
    s += "key 112\ntick 1\ndump\n";                            // 9: help
    s += "key 112\ntick 1\ndump\n";                            // 10: play again
    for (int i = 0; i < chunks; ++i)
        s += "tick 1000\ndump\n";  // 11..: until the game is over
    s += ClickRow(12) + "dump\n";  // last: back to the main menu
    return s;
}

std::vector<json> RunReplay(const Folder& folder, const std::string& script, bool headless) {
    {
        std::ofstream out(folder / "s.txt");
        out << script;
    }
    const std::string command =
        "cd '" + folder.path() + "' && '" GAMES_BINARY_DIR "/plain/zodav' --replay s.txt " +
        (headless ? "--headless " : "--windowed ") + "--dump d.jsonl 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<json> dumps;
    std::ifstream in(folder / "d.jsonl");
    for (std::string line; std::getline(in, line);)
        dumps.push_back(json::parse(line));
    return dumps;
}

std::string Row(const json& d, int i) {
    return d["menuRows"][i]["text"].get<std::string>();
}

void CheckJourney(const std::vector<json>& d, int chunks) {
    ASSERT_EQ(d.size(), 12u + chunks);
    EXPECT_EQ(d[0]["screenState"], 2);
    EXPECT_EQ(Row(d[0], 5), "");  // no game yet: no continue row
    EXPECT_EQ(Row(d[0], 6), "  Новая игра");
    EXPECT_EQ(d[1]["screenState"], 5);
    EXPECT_EQ(Row(d[1], 0), " ВЫБОР УРОВНЯ (Тип игры / Оружие) :");
    EXPECT_EQ(d[2]["screenState"], 0);
    EXPECT_EQ(d[2]["gameType"], 1);
    EXPECT_EQ(d[2]["weapon"], 0);
    EXPECT_EQ(d[2]["gameInProgress"], true);
    EXPECT_EQ(d[3]["tintAlways"], true);
    // Paused: the main menu offers continue, and no time passes.
    EXPECT_EQ(d[4]["screenState"], 2);
    EXPECT_EQ(Row(d[4], 5), " Продолжить ");
    EXPECT_EQ(d[4]["timeLeft"], d[5]["timeLeft"]);
    EXPECT_EQ(d[4]["ticksPlayed"], d[5]["ticksPlayed"]);
    EXPECT_EQ(d[6]["screenState"], 0);
    EXPECT_EQ(d[7]["screenState"], 3);
    EXPECT_EQ(Row(d[7], 1), "      НАСТРОЙКИ ИГРЫ:         ");
    EXPECT_EQ(Row(d[7], 5), " Громкость музыки 100%        ");
    EXPECT_EQ(d[8]["screenState"], 0);
    EXPECT_EQ(d[9]["screenState"], 1);
    EXPECT_EQ(Row(d[9], 2), " Цель  игры - взорвать  как  можно  больше  шаров ");
    EXPECT_EQ(d[10]["screenState"], 0);
    const json& over = d[10 + chunks];
    ASSERT_EQ(over["screenState"], 4) << "the game did not end in time";
    const int played = over["ticksPlayed"];
    EXPECT_EQ(Row(over, 5), " Игра окончена! ");
    EXPECT_EQ(Row(over, 6), " Вы продержались " + std::to_string(played));
    EXPECT_EQ(Row(over, 7),
              " тактов игры - приблизительно " + std::to_string(played / 60) + " секунд");
    EXPECT_EQ(Row(over, 8), " И заработали " + std::to_string(over["score"].get<int>()) + " очков");
    EXPECT_EQ(over["timeText"]["visible"], false);
    EXPECT_EQ(d[11 + chunks]["screenState"], 2);
    EXPECT_EQ(d[11 + chunks]["gameInProgress"], false);
    EXPECT_EQ(Row(d[11 + chunks], 5), "");
}

TEST(ZodavScreens, HeadlessJourneyThroughEveryScreen) {
    Folder folder;
    CheckJourney(RunReplay(folder, Journey(false, kHeadlessChunks), true), kHeadlessChunks);
}

struct Shot {
    media::RgbPicture picture;
    bool Load(const std::string& path) { return media::LoadBmp(path, picture); }
    std::array<int, 3> At(int x, int y) const {
        const size_t o = (static_cast<size_t>(y) * picture.width + x) * 3;
        return {picture.rgb[o], picture.rgb[o + 1], picture.rgb[o + 2]};
    }
    bool Near(int x, int y, int r, int g, int b, int tolerance = 4) const {
        const auto p = At(x, y);
        return std::abs(p[0] - r) <= tolerance && std::abs(p[1] - g) <= tolerance &&
               std::abs(p[2] - b) <= tolerance;
    }
};

// Pixel of a field point on a 1024 x 768 screen, from the projection.
void FieldPixel(double fx, double fy, int& x, int& y) {
    const double k = 13.0 / (24.0 * std::sqrt(3.0));
    x = static_cast<int>((1 + k * (fx - 13) * 0.3 / (1024.0 / 768)) / 2 * 1024);
    y = static_cast<int>((1 - k * (fy - 9.6) * 0.3) / 2 * 768);
}

TEST(ZodavScreens, WindowedJourneyWithScreenshots) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under xvfb-run)";
    Folder folder;
    const std::vector<json> dumps = RunReplay(folder, Journey(true, kWindowChunks), false);
    CheckJourney(dumps, kWindowChunks);
    Shot menu, play;
    ASSERT_TRUE(menu.Load(folder / "menu.bmp"));
    ASSERT_TRUE(play.Load(folder / "play.bmp"));
    ASSERT_EQ(menu.picture.width, 1024);
    EXPECT_TRUE(menu.Near(5, 5, 255, 255, 255));
    EXPECT_TRUE(play.Near(5, 5, 255, 255, 255));
    // The blue field frame along the left edge (field x = 0).
    int x = 0, y = 0;
    FieldPixel(0, 9.6, x, y);
    bool frame = false;
    for (int dx = -2; dx <= 2; ++dx)
        frame = frame || menu.Near(x + dx, y, 51, 51, 204);
    EXPECT_TRUE(frame);
    // Row 6's green box under the pointer, left of its text: green 0.8 at alpha 0.7 (hovered)
    // over white; row 7's box, not hovered, at alpha 0.2.
    EXPECT_TRUE(menu.Near(420, 374, 77, 219, 77)) << menu.At(420, 374)[1];
    EXPECT_TRUE(menu.Near(420, 416, 204, 245, 204)) << menu.At(420, 416)[1];
    // The last-drawn ball that is neither bursting nor marked shows its tint at its centre
    // (every picture is the grey fallback, 255 at the centre).
    const json& balls = dumps[3]["balls"];
    static const int tints[8][3] = {{204, 0, 0},   {0, 204, 0},   {0, 0, 204},     {204, 204, 0},
                                    {0, 204, 204}, {204, 0, 204}, {204, 204, 204}, {51, 51, 204}};
    int checked = 0;
    for (auto it = balls.rbegin(); it != balls.rend() && checked == 0; ++it) {
        const json& b = *it;
        if (b["burst"] != 0 || b["mark"] != 0 || b["radius"].get<float>() < 0.3f) continue;
        FieldPixel(b["x"].get<double>(), b["y"].get<double>(), x, y);
        if (x < 0 || y < 60 || x >= 1024 || y >= 768) continue;
        const int c = b["colour"];
        EXPECT_TRUE(play.Near(x, y, tints[c][0], tints[c][1], tints[c][2], 8))
            << "colour " << c << " at " << x << "," << y;
        ++checked;
    }
    if (checked == 0) std::printf("no ball in play to check the tint on (no balls yet)\n");
}

TEST(ZodavScreens, BakePictureWritesThePassAsPam) {
    Folder folder;
    media::RgbPicture p;
    p.width = 5;
    p.height = 5;
    p.rgb.assign(75, 0);
    for (size_t i = 0; i < p.rgb.size(); i += 3) {
        p.rgb[i] = 200;
        p.rgb[i + 1] = 100;
        p.rgb[i + 2] = 50;
    }
    ASSERT_TRUE(media::SaveBmp(folder / "in.bmp", p));
    struct Case {
        const char* processing;
        int centre[4];
        int cornerAlpha;
    };
    const Case cases[] = {{"full", {255, 239, 119, 255}, 0},
                          {"crop", {200, 100, 50, 255}, 0},
                          {"none", {200, 100, 50, 255}, 255}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.processing);
        const std::string command = "cd '" + folder.path() +
                                    "' && '" GAMES_BINARY_DIR
                                    "/plain/zodav' --bake-picture in.bmp out.pam --processing " +
                                    c.processing;
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(folder / "out.pam", std::ios::binary);
        const std::string data((std::istreambuf_iterator<char>(in)), {});
        const std::string header =
            "P7\nWIDTH 5\nHEIGHT 5\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
        ASSERT_EQ(data.size(), header.size() + 100);
        EXPECT_EQ(data.substr(0, header.size()), header);
        const auto* px = reinterpret_cast<const unsigned char*>(data.data() + header.size());
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(px[(2 * 5 + 2) * 4 + k], c.centre[k]);
        EXPECT_EQ(px[3], c.cornerAlpha);
    }
    const std::string bad = "'" GAMES_BINARY_DIR
                            "/plain/zodav' --bake-picture a b --processing "
                            "half 2>/dev/null";
    EXPECT_NE(std::system(bad.c_str()), 0);
}

}  // namespace
