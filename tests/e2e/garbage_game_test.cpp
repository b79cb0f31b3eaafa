// Whole games of the catching game end to end. A small bot plays through a pipe: it reads the
// dump, throws each bin under the next piece of its kind, and writes the commands it used; the
// game it wins is then replayed from that script file and must end the same way.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

#include "E2eSupport.h"

namespace {

using nlohmann::json;

// The game running headless on a replay read from its standard input.
class GamePipe {
  public:
    GamePipe(const std::string& folder, uint64_t seed) {
        int in[2], out[2];
        if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
        pid_ = fork();
        if (pid_ == 0) {
            dup2(in[0], 0);
            dup2(out[1], 1);
            if (chdir(folder.c_str()) != 0) _exit(127);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            const std::string program = e2e::Program("garbage"), s = std::to_string(seed);
            execl(program.c_str(), program.c_str(), "--headless", "--replay", "-", "--seed",
                  s.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]);
        close(out[1]);
        to_ = fdopen(in[1], "w");
        from_ = fdopen(out[0], "r");
        Send("garbage-replay 1\n");
    }
    ~GamePipe() { Finish(); }
    bool ok() const { return pid_ > 0 && to_ && from_; }

    void Send(const std::string& commands) {
        std::fputs(commands.c_str(), to_);
        script_ += commands;
    }
    // The state after the commands sent so far; null when the game has ended.
    json Dump() {
        Send("dump\n");
        std::fflush(to_);
        char* line = nullptr;
        std::size_t size = 0;
        json j;
        if (getline(&line, &size, from_) > 0) j = json::parse(line);
        std::free(line);
        return j;
    }
    // Ends the input and returns the exit code.
    int Finish() {
        if (pid_ <= 0) return -1;
        if (to_) std::fclose(to_);
        if (from_) std::fclose(from_);
        to_ = from_ = nullptr;
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& script() const { return script_; }

  private:
    pid_t pid_ = -1;
    std::FILE* to_ = nullptr;
    std::FILE* from_ = nullptr;
    std::string script_;
};

// How far a bin slides after a throw with the mouse `offset` pixels from it (scale 1): the
// release speed is 0.05 per pixel, at most 10, then friction takes 0.1 per update.
double SlideOf(int offset) {
    double v = std::min(10.0, 0.05 * offset), x = 0;
    while (v > 0) {
        x += v;
        v -= 0.1;
        if (v < 0.1) v = 0;
    }
    return x;
}

int OffsetFor(double distance) {
    int best = 0;
    for (int m = 1; m <= 200; ++m)
        if (std::abs(SlideOf(m) - distance) < std::abs(SlideOf(best) - distance)) best = m;
    return best;
}

// The piece of `kind` that reaches bin `bin`'s height first and can still be caught.
const json* NextPiece(const json& state, int kind, double binY) {
    const json* best = nullptr;
    double soonest = 1e9;
    for (const json& item : state["Items"]) {
        if (item["Kind"] != kind) continue;
        const double centreY = double(item["Y"]) + 16, speed = item["Speed"];
        if (centreY > binY + 40 || speed <= 0) continue;  // already past the bin
        const double wait = (binY - 52 - centreY) / speed;
        if (wait < soonest) soonest = wait, best = &item;
    }
    return best;
}

// Commands that throw a resting bin toward the next piece of its kind, or nothing.
std::string Aim(const json& state, int b) {
    const json& bin = state["Bins"][b];
    if (!bin["Active"] || bin["Grabbed"] || bin["VelX"] != 0.0) return "";
    const double x = bin["X"], y = bin["Y"];
    const json* piece = NextPiece(state, b, y);
    if (!piece) return "";
    const double distance = double((*piece)["X"]) + 16 - x;
    if (std::abs(distance) < 12) return "";
    const int offset = OffsetFor(std::abs(distance));
    const long bx = std::lround(x), by = std::lround(y);
    const long mouse = std::max(0L, distance > 0 ? bx + offset : bx - offset);
    return "mouse " + std::to_string(bx) + " " + std::to_string(by) + "\nupdate 1\npress\nmouse " +
           std::to_string(mouse) + " " + std::to_string(by) + "\nupdate 1\nrelease\n";
}

TEST(GarbageGame, BotWinsAndTheScriptReplaysTheVictory) {
    TempFolder folder;
    GamePipe game(folder.path(), 2008);
    ASSERT_TRUE(game.ok());
    json state = game.Dump();
    for (int step = 0; step < 6000 && !state.is_null() && !state["Victory"]; ++step) {
        ASSERT_FALSE(state["Defeat"]) << "the bot lost at update " << state["update"];
        game.Send(Aim(state, 0) + Aim(state, 1) + "update 4\n");
        state = game.Dump();
    }
    ASSERT_FALSE(state.is_null());
    EXPECT_TRUE(state["Victory"]);
    EXPECT_FALSE(state["Defeat"]);
    EXPECT_EQ(state["Level"], 10);
    EXPECT_GE(state["Spawned"], 111);
    EXPECT_TRUE(state["Bins"][1]["Active"]);
    EXPECT_GT(state["Lives"], 0);
    EXPECT_GT(state["Score"], 0);
    game.Send("update 150\n");
    const json end = game.Dump();
    EXPECT_GE(end["Fade"], 0.5);
    game.Send("key 27\nupdate 1\n");
    EXPECT_EQ(game.Finish(), 0);

    // The same commands from a file, seeded by their own line, give the same game.
    folder.Write("victory.txt", "garbage-replay 1\nseed 2008\n" + game.script().substr(17));
    ASSERT_EQ(e2e::Run(folder.path(), "SDL_AUDIODRIVER=dummy '" + e2e::Program("garbage") +
                                          "' --headless --replay victory.txt > replay.jsonl"),
              0);
    auto dumps = e2e::ReadDumps(folder / "replay.jsonl");
    ASSERT_FALSE(dumps.empty());
    EXPECT_EQ(dumps.back(), end);
}

}  // namespace
