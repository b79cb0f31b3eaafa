// Both programs from the command line: --version, and --home making, seeding and keeping the
// player's game folder under XDG_DATA_HOME while the player's own files stay where they started.
#include <gtest/gtest.h>

#include "E2eSupport.h"

namespace {

using e2e::TempFolder;

const char* const kPrograms[] = {"zodav", "garbage"};

std::string Script(const std::string& program) {
    return program == "zodav" ? "zodav-replay 1\nseed 3\ntick 2\ndump\n"
                              : "garbage-replay 1\nseed 3\nupdate 2\ndump\n";
}

// Runs `program` with `args` from `start`, the game folder under `data`.
int RunFrom(const TempFolder& start, const std::string& data, const std::string& program,
            const std::string& args) {
    return e2e::Run(start.path(), "XDG_DATA_HOME='" + data + "' " + e2e::Program(program) + " " +
                                      args + " >out.txt 2>err.txt");
}

TEST(Home, VersionNamesTheProgramAndTheProjectVersion) {
    for (const std::string program : kPrograms) {
        TempFolder start;
        EXPECT_EQ(RunFrom(start, start.path(), program, "--version"), 0) << program;
        EXPECT_EQ(e2e::ReadFile(start / "out.txt"), program + " 1.0.0\n");
        EXPECT_EQ(RunFrom(start, start.path(), program, "--help"), 0) << program;
        const std::string usage = e2e::ReadFile(start / "out.txt");
        EXPECT_NE(usage.find("--version"), std::string::npos) << program;
        EXPECT_NE(usage.find("--home"), std::string::npos) << program;
    }
}

TEST(Home, GameFolderIsSeededOnceAndKeepsThePlayersFiles) {
    for (const std::string program : kPrograms) {
        SCOPED_TRACE(program);
        TempFolder start, data;
        start.Write("r.txt", Script(program));
        const std::string home = data / "garbage-games";
        ASSERT_EQ(RunFrom(start, data.path(), program, "--home --replay r.txt --headless --dump d"),
                  0)
            << e2e::ReadFile(start / "err.txt");
        EXPECT_FALSE(e2e::ReadDumps(start / "d").empty()) << "the dump left the starting folder";
        EXPECT_TRUE(std::filesystem::exists(home + "/garbage/star.bmp"));
        EXPECT_TRUE(std::filesystem::exists(home + "/readme/logo.bmp"));
        EXPECT_FALSE(std::filesystem::exists(start / "log.txt"));
        EXPECT_FALSE(std::filesystem::exists(start / "config.txt"));
        // The player's own version of a demo file survives the next start.
        std::ofstream(home + "/garbage/star.bmp", std::ios::binary) << "mine";
        std::filesystem::remove(home + "/garbage/planet.jpg");
        ASSERT_EQ(RunFrom(start, data.path(), program, "--home --replay r.txt --headless --dump d"),
                  0);
        EXPECT_EQ(e2e::ReadFile(home + "/garbage/star.bmp"), "mine");
        EXPECT_FALSE(std::filesystem::exists(home + "/garbage/planet.jpg"));
    }
}

TEST(Home, ScrapfallKeepsItsConfigAndLogInTheGameFolder) {
    TempFolder start, data;
    start.Write("r.txt", Script("garbage"));
    ASSERT_EQ(RunFrom(start, data.path(), "garbage", "--home --replay r.txt --headless"), 0);
    EXPECT_EQ(e2e::ReadFile(data / "garbage-games/config.txt").rfind("developer=1", 0), 0u);
    // Pictures are decoded (and logged) only when drawn, so a headless run's log names the
    // content folder's sounds: the seeded demo was read from the game folder.
    const std::string log = e2e::ReadFile(data / "garbage-games/log.txt");
    EXPECT_EQ(log.rfind("eXgine started", 0), 0u) << log;
    EXPECT_NE(log.find(".wav"), std::string::npos) << log;
}

TEST(Home, FolderThatCannotBeMadeStopsWithAClearMessage) {
    for (const std::string program : kPrograms) {
        TempFolder start;
        start.Write("r.txt", Script(program));
        start.Write("plain-file", "not a folder");
        // The data folder sits under a plain file: nothing can be made there, not even by root.
        EXPECT_EQ(RunFrom(start, start / "plain-file", program, "--home --replay r.txt --headless"),
                  1)
            << program;
        const std::string err = e2e::ReadFile(start / "err.txt");
        EXPECT_NE(err.find(program + ": "), std::string::npos) << err;
        EXPECT_NE(err.find("plain-file/garbage-games"), std::string::npos) << err;
        EXPECT_EQ(e2e::ReadFile(start / "out.txt"), "") << "the game ran anyway";
    }
}

}  // namespace
