// The dump line: every field under its name, floats short, the content list as objects.
#include "game_dump.h"

#include <gtest/gtest.h>

#include "game_state.h"
#include "garbage_files.h"

namespace {

TEST(GameDump, HoldsEveryFieldUnderItsName) {
    GameState = TGameState{};
    GameState.Items.push_back({1.5f, 2.5f, 1, 3.0f});
    GarbageFiles = {{"garbage/a.bmp", 0, 4}};
    PictureCount = 1;
    DumpJson j = GameDump();
    for (const char* name :
         {"Developer",    "Size",          "Scale",         "Bins",          "Items",
          "Spawned",      "LastSpawn",     "SpawnInterval", "Score",         "Level",
          "Lives",        "LastScoreTick", "MouseX",        "MouseY",        "Hovered",
          "DragStartX",   "DragStartY",    "DragCurX",      "DragCurY",      "SunPhase",
          "SunForward",   "SunTurnTime",   "ItemRadius",    "FontSmall",     "FontTitle",
          "FontBig",      "FontCredits",   "PictureId",     "SoundId",       "MusicIndex",
          "HopFlag",      "HopOffset",     "Fade",          "Defeat",        "Victory",
          "now",          "width",         "height",        "QuitRequested", "GarbageFiles",
          "PictureCount", "SoundCount",    "MusicCount",    "update"})
        EXPECT_TRUE(j.contains(name)) << name;
    for (const char* name :
         {"X", "Y", "Grabbed", "VelX", "FacingRight", "Count", "Active", "PayoutTime"})
        EXPECT_TRUE(j["Bins"][1].contains(name)) << name;
    EXPECT_EQ(j["Items"][0]["Kind"], 1);
    EXPECT_EQ(j["Items"][0]["Speed"], 3.0f);
    EXPECT_EQ(j["GarbageFiles"][0]["Path"], "garbage/a.bmp");
    EXPECT_EQ(j["GarbageFiles"][0]["EngineId"], 4);
    EXPECT_EQ(j["Lives"], 10);
}

TEST(GameDumpLine, FloatsHaveAtMostNineSignificantDigits) {
    GameState = TGameState{};
    GameState.Scale = 0.1f;
    GameState.SunPhase = -0.099999994f;
    GarbageFiles.clear();
    const std::string line = GameDumpLine();
    EXPECT_NE(line.find("\"Scale\":0.1,"), std::string::npos) << line;  // shortest form
    EXPECT_EQ(line.find("0.10000000149"), std::string::npos) << "printed as a double";
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(DumpJson::parse(line)["SunPhase"], -0.099999994f);
}

TEST(GameDumpLine, FileNamesThatAreNotUtf8DoNotThrow) {
    GameState = TGameState{};
    GarbageFiles = {{"garbage/\xff\xfe.bmp", 0, 1}};
    EXPECT_NO_THROW(GameDumpLine());
    GarbageFiles.clear();
}

}  // namespace
