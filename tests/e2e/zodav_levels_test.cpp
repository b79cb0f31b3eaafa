// A level of each game type started through the menu rows and played to its end in a headless
// replay, the pointer circling and the buttons pressed; every tick's dump is checked against the
// rules of time, score and the field.
#include <gtest/gtest.h>

#include <cmath>

#include "E2eSupport.h"

namespace {

using nlohmann::json;

// Screen pixel of menu row i on a 1024 x 768 screen (0.0083 plane units a pixel).
std::string ClickRow(int row) {
    const double planeY = 2.032 - 0.35 * row + 0.15;
    const int y = static_cast<int>(std::lround(384 - planeY / 0.0083));
    return "mouse 510 " + std::to_string(y) + "\npress left\ntick 1\nrelease left\ntick 1\n";
}

// Main menu -> new game -> level row, then 6000 ticks with a dump after each: the pointer circles
// the field, the buttons are pressed and released now and then during the first 600 ticks.
std::string Script(int levelRow, int seed) {
    std::string s = "zodav-replay 1\nseed " + std::to_string(seed) + "\ntick 2\n" + ClickRow(6) +
                    ClickRow(levelRow) + "dump\n";
    for (int t = 0; t < 6000; ++t) {
        const double a = t * 0.05;
        s += "mouse " + std::to_string(512 + static_cast<int>(300 * std::cos(a))) + " " +
             std::to_string(384 + static_cast<int>(250 * std::sin(a))) + "\n";
        if (t < 600 && t % 40 == 0) s += t % 80 ? "press right\n" : "press left\n";
        if (t % 40 == 20) s += "release left\nrelease right\n";
        s += "tick 1\ndump\n";
    }
    return s;
}

void CheckTick(const json& before, const json& after) {
    const int bonus = before["timeBonus"];
    const int dt = after["timeLeft"].get<int>() - before["timeLeft"].get<int>();
    const int ds = after["score"].get<int>() - before["score"].get<int>();
    // Time falls by one a tick and rises only by the bonus of each match.
    EXPECT_TRUE(dt == -1 || dt == bonus - 1 || dt > bonus) << "time step " << dt;
    // The score rises only by an award.
    EXPECT_TRUE(ds == 0 || ds == after["lastAward"].get<int>() || ds >= 20) << "score step " << ds;
    for (const json& b : after["balls"]) {
        const double x = b["x"], y = b["y"], r = b["radius"];
        ASSERT_TRUE(std::isfinite(x) && std::isfinite(y));
        ASSERT_TRUE(std::isfinite(b["vx"].get<double>()) && std::isfinite(b["vy"].get<double>()));
        EXPECT_GE(x - r, -1e-4);
        EXPECT_GE(y - r, -1e-4);
        EXPECT_LE(x + r, after["fieldRight"].get<double>() + 1e-4);
        EXPECT_LE(y + r, after["fieldTop"].get<double>() + 1e-4);
    }
}

TEST(ZodavLevels, EachGameTypeThroughTheMenuRowsPlaysToItsEnd) {
    struct Case {
        int row, weapon, gameType;
    } cases[] = {{2, 0, 1}, {6, 1, 2}, {10, 2, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE("level row " + std::to_string(c.row));
        TempFolder folder;
        folder.Write("garbage/.keep", "");
        folder.Write("s.txt", Script(c.row, 5 + c.row));
        ASSERT_EQ(
            e2e::Run(folder.path(), e2e::Program("zodav") +
                                        " --replay s.txt --headless --dump d.jsonl 2>/dev/null"),
            0);
        const std::vector<json> d = e2e::ReadDumps(folder / "d.jsonl");
        ASSERT_GT(d.size(), 1000u);
        ASSERT_EQ(d[0]["screenState"], 0);
        EXPECT_EQ(d[0]["weapon"], c.weapon);
        EXPECT_EQ(d[0]["gameType"], c.gameType);
        size_t end = 1;
        while (end < d.size() && d[end]["screenState"] == 0) {
            CheckTick(d[end - 1], d[end]);
            ++end;
        }
        ASSERT_LT(end, d.size()) << "the game did not end within the script";
        // The game ends on the tick after time reached 0.
        EXPECT_EQ(d[end]["screenState"], 4);
        EXPECT_EQ(d[end - 1]["timeLeft"], 0);
        EXPECT_EQ(d[end - 2]["timeLeft"], 1);
        EXPECT_EQ(d[end]["ticksPlayed"].get<int>(), d[end - 1]["ticksPlayed"].get<int>() + 1);
    }
}

}  // namespace
