// Both games and the files around them: the log never harms what lies under its name, failed
// writes end with exit 1 and the true reason, config.txt's odd values are named as written, and a
// script in a pipe is played as its lines arrive.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

#include "E2eSupport.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char* const kStart = "garbage-replay 1\nseed 11\ndump\nupdate 1\ndump\n";

// Scrapfall headless on `script` in `folder`; messages go to err.txt. A minute's limit turns a
// hang into a failure.
int Scrapfall(const e2e::TempFolder& folder, const std::string& script,
              const std::string& dump = "d.jsonl") {
    folder.Write("s.txt", script);
    return e2e::Run(folder.path(), "SDL_AUDIODRIVER=dummy timeout 60 '" + e2e::Program("garbage") +
                                       "' --headless --replay s.txt --dump " + dump + " 2>err.txt");
}

int Zodav(const e2e::TempFolder& folder, const std::string& script, const std::string& dump) {
    folder.Write("s.txt", script);
    return e2e::Run(folder.path(), "timeout 60 '" + e2e::Program("zodav") +
                                       "' --headless --replay s.txt --dump " + dump + " 2>err.txt");
}

TEST(FilesLog, NeverHarmsWhatLiesUnderItsName) {
    enum Under { kLink, kDangling, kFifo, kFolder, kForeign, kOurs };
    struct Case {
        const char* fault;
        Under under;
        bool written;        // the game's log went into log.txt
        const char* reason;  // said on standard error otherwise
    };
    const Case cases[] = {
        {"a linked document truncated", kLink, false, "symbolic link"},
        {"a file created through a dangling link", kDangling, false, "symbolic link"},
        {"start-up hung on a named pipe", kFifo, false, "named pipe"},
        {"a folder taken for a log", kFolder, false, "folder"},
        {"a foreign file overwritten", kForeign, false, "holds something else"},
        {"our own old log not rewritten", kOurs, true, ""},
    };
    for (const Case& c : cases) {
        e2e::TempFolder folder;
        folder.Write("document.txt", "the player's document\n");
        const std::string log = folder / "log.txt";
        if (c.under == kLink) fs::create_symlink(folder / "document.txt", log);
        if (c.under == kDangling) fs::create_symlink(folder / "elsewhere.txt", log);
        if (c.under == kFifo) {
            ASSERT_EQ(mkfifo(log.c_str(), 0600), 0);
        }
        if (c.under == kFolder) fs::create_directory(log);
        if (c.under == kForeign) folder.Write("log.txt", "notes\n");
        if (c.under == kOurs) folder.Write("log.txt", "eXgine started\nold line\n");
        ASSERT_EQ(Scrapfall(folder, kStart), 0) << c.fault << e2e::ReadFile(folder / "err.txt");
        const std::string err = e2e::ReadFile(folder / "err.txt");
        EXPECT_EQ(e2e::ReadFile(folder / "document.txt"), "the player's document\n") << c.fault;
        EXPECT_FALSE(fs::exists(folder / "elsewhere.txt")) << c.fault;
        if (c.written) {
            const std::string text = e2e::ReadFile(log);
            EXPECT_EQ(text.rfind("eXgine started headless\n", 0), 0u) << c.fault << text;
            EXPECT_EQ(text.find("old line"), std::string::npos) << c.fault;
            continue;
        }
        EXPECT_NE(err.find(c.reason), std::string::npos) << c.fault << ": " << err;
        EXPECT_NE(err.find("eXgine: loop ended"), std::string::npos)
            << c.fault << ": the log belongs on standard error: " << err;
        if (c.under == kForeign) {
            EXPECT_EQ(e2e::ReadFile(log), "notes\n") << c.fault;
        }
    }
}

TEST(FilesDump, AFullDiskEndsTheReplayWithExitOneAndTheReason) {
    for (const char* game : {"garbage", "zodav"}) {
        e2e::TempFolder folder;
        const int code = std::string(game) == "garbage"
                             ? Scrapfall(folder, kStart, "/dev/full")
                             : Zodav(folder, "zodav-replay 1\ndump\ntick 1\ndump\n", "/dev/full");
        const std::string err = e2e::ReadFile(folder / "err.txt");
        EXPECT_EQ(code, 1) << game << ": " << err;
        EXPECT_NE(err.find("\"/dev/full\": No space left on device"), std::string::npos)
            << game << ": " << err;
    }
}

TEST(FilesReplay, AFolderIsNamedAsAFolder) {
    for (const char* game : {"garbage", "zodav"}) {
        e2e::TempFolder folder;
        fs::create_directory(folder / "script");
        const int code = e2e::Run(
            folder.path(), "'" + e2e::Program(game) + "' --headless --replay script 2>err.txt");
        EXPECT_EQ(code, 2) << game;
        EXPECT_NE(e2e::ReadFile(folder / "err.txt").find("\"script\" is a folder"),
                  std::string::npos)
            << game << ": " << e2e::ReadFile(folder / "err.txt");
    }
}

TEST(FilesConfig, OddValuesAreNamedAsWritten) {
    struct Case {
        const char* fault;
        std::string config;
        int width;
        const char* said;  // on standard error; empty: nothing about config.txt
    };
    const Case cases[] = {
        {"a huge size reported as 0", "size=99999999999\r\n", 500, "99999999999"},
        {"nan reported as 0", "size=nan\r\n", 500, "\"size=nan\""},
        {"a byte-order mark hid the first key", "\xEF\xBB\xBFsize=15\r\n", 750, ""},
    };
    for (const Case& c : cases) {
        e2e::TempFolder folder;
        folder.Write("config.txt", c.config);
        ASSERT_EQ(Scrapfall(folder, kStart), 0) << c.fault;
        const auto dumps = e2e::ReadDumps(folder / "d.jsonl");
        ASSERT_FALSE(dumps.empty()) << c.fault;
        EXPECT_EQ(dumps[0]["width"], c.width) << c.fault;
        const std::string err = e2e::ReadFile(folder / "err.txt");
        if (*c.said) {
            EXPECT_NE(err.find(c.said), std::string::npos) << c.fault << ": " << err;
        } else {
            EXPECT_EQ(err.find("config.txt"), std::string::npos) << c.fault << ": " << err;
        }
        EXPECT_EQ(e2e::ReadFile(folder / "config.txt"), c.config) << "never rewritten";
    }
}

// Waits until `path` holds at least `lines` lines, for up to a minute.
bool WaitForLines(const std::string& path, std::size_t lines) {
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < deadline) {
        const std::string text = e2e::ReadFile(path);
        if (std::size_t(std::count(text.begin(), text.end(), '\n')) >= lines) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// A script in a named pipe: each dump comes while the writer still holds the pipe open, so a
// program can drive either game line by line.
TEST(FilesReplay, APipesLinesArePlayedAsTheyArrive) {
    struct Case {
        const char* game;
        const char* start;
        const char* step;
    };
    const Case cases[] = {
        {"garbage", "garbage-replay 1\nseed 2\nupdate 1\ndump\n", "update 2\ndump\n"},
        {"zodav", "zodav-replay 1\nseed 2\ntick 1\ndump\n", "tick 2\ndump\n"},
    };
    for (const Case& c : cases) {
        e2e::TempFolder folder;
        const std::string fifo = folder / "s.fifo";
        ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
        const std::string program = e2e::Program(c.game);
        const pid_t pid = fork();
        if (pid == 0) {
            if (chdir(folder.path().c_str()) != 0) _exit(127);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            execl(program.c_str(), program.c_str(), "--headless", "--replay", "s.fifo", "--dump",
                  "d.jsonl", static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_GT(pid, 0);
        const int out = open(fifo.c_str(), O_WRONLY);
        ASSERT_GE(out, 0);
        const std::string start = c.start, step = c.step;
        ASSERT_EQ(write(out, start.data(), start.size()), ssize_t(start.size()));
        EXPECT_TRUE(WaitForLines(folder / "d.jsonl", 1)) << c.game << ": first dump never came";
        ASSERT_EQ(write(out, step.data(), step.size()), ssize_t(step.size()));
        EXPECT_TRUE(WaitForLines(folder / "d.jsonl", 2)) << c.game << ": second dump never came";
        close(out);
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.game;
        const auto dumps = e2e::ReadDumps(folder / "d.jsonl");
        ASSERT_EQ(dumps.size(), 2u) << c.game;
        const char* counter = std::string(c.game) == "garbage" ? "update" : "tick";
        EXPECT_EQ(dumps[0][counter], 1) << c.game;
        EXPECT_EQ(dumps[1][counter], 3) << c.game;
    }
}

// Live play recorded onto a full disk: the run ends with exit 1 and the reason.
TEST(FilesRecording, AFullDiskEndsLivePlayWithExitOne) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (run under xvfb-run)";
    e2e::TempFolder folder;
    const std::string program = e2e::Program("garbage");
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.path().c_str()) != 0) _exit(127);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!freopen("err.txt", "w", stderr)) _exit(127);
        execl(program.c_str(), program.c_str(), "--record", "/dev/full",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    const auto deadline = Clock::now() + std::chrono::seconds(60);
    bool running = false;
    while (!running && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        running = e2e::ReadFile(folder / "log.txt").find("loop started") != std::string::npos;
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(running);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string err = e2e::ReadFile(folder / "err.txt");
    EXPECT_NE(err.find("recording \"/dev/full\": No space left on device"), std::string::npos)
        << err;
}

}  // namespace
