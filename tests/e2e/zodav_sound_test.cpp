// The ball game heard from outside: replays in a real window (Xvfb) with SDL's disk audio driver
// writing the mixed output to a file, in a temporary folder whose garbage/ holds one MP3 and one
// WAV. The music plays from the start, the weapons sound while they are used, and all falls
// silent when W and Q turn music and effects off; reloading pictures, music and effects hundreds
// of times leaves the process's memory flat.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../plain/SoundTestKit.h"

namespace fs = std::filesystem;

namespace {

struct Folder : TempFolder {
    Folder() {
        fs::create_directories(*this / "garbage");
        fs::copy_file(GAMES_SOURCE_DIR "/demo/garbage/chiptune.mp3", *this / "garbage/music.mp3");
        WriteEffect(*this / "garbage/effect.wav");
    }
    // A quarter second of a 16-bit mono 441 Hz square at 22050 Hz.
    static void WriteEffect(const std::string& file) {
        std::ofstream out(file, std::ios::binary);
        const auto put = [&out](std::uint32_t v, int bytes) {
            for (int i = 0; i < bytes; ++i)
                out.put(static_cast<char>((v >> (8 * i)) & 0xFF));
        };
        const std::uint32_t frames = 5512;
        out.write("RIFF", 4);
        put(36 + frames * 2, 4);
        out.write("WAVEfmt ", 8);
        put(16, 4), put(1, 2), put(1, 2), put(22050, 4), put(44100, 4), put(2, 2), put(16, 2);
        out.write("data", 4);
        put(frames * 2, 4);
        for (std::uint32_t i = 0; i < frames; ++i)
            put(static_cast<std::uint16_t>((i / 25) % 2 ? 6000 : -6000), 2);
    }
};

struct ProcessRun {
    int exitCode = -1;
    long peakKb = 0;  // the process's peak resident memory
};

// Runs the game on `script` inside `folder`, with the disk audio driver writing to out.raw.
ProcessRun RunReplay(const Folder& folder, const std::string& script) {
    std::ofstream(folder.path() + "/s.txt") << script;
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.path().c_str()) != 0) _exit(126);
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", (folder.path() + "/out.raw").c_str(), 1);
        const char* program = GAMES_BINARY_DIR "/plain/zodav";
        execl(program, program, "--windowed", "--replay", "s.txt", "--dump", "d.jsonl", nullptr);
        _exit(127);
    }
    ProcessRun run;
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.peakKb = usage.ru_maxrss;
    }
    return run;
}

std::vector<nlohmann::json> Dumps(const Folder& folder) {
    std::ifstream in(folder.path() + "/d.jsonl");
    std::vector<nlohmann::json> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(nlohmann::json::parse(line));
    return lines;
}

std::vector<int> Peaks(const Folder& folder) {
    return soundkit::PeaksOf(folder.path() + "/out.raw");
}

std::string Repeat(const std::string& line, int times) {
    std::string text;
    for (int i = 0; i < times; ++i)
        text += line;
    return text;
}

bool HaveDisplay() {
    const char* display = std::getenv("DISPLAY");
    return display != nullptr && *display != '\0';
}

}  // namespace

// The replay clicks "new game" on the main menu and level 4 (collisions with the whirlwind),
// holds the left button, then both, releases them, turns music (W) and effects (Q) off and holds
// the left button again: now it must stay silent.
// Rows on a 1024 x 768 screen: "new game" at y = -0.068 and level 4 at y = 0.282 in the drawing
// plane, 0.0083 a pixel from the centre.
TEST(ZodavSound, MusicAndWeaponsSoundUntilWAndQTurnThemOff) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    Folder folder;
    const ProcessRun run = RunReplay(folder,
                                     "zodav-replay 1\nseed 5\ntick 30\n"
                                     "mouse 510 383\npress left\ntick 1\nrelease left\ntick 30\n"
                                     "mouse 510 340\npress left\ntick 100\ndump\n"
                                     "press right\ntick 50\ndump\n"
                                     "release left\nrelease right\ntick 1\n"
                                     "key 87\nkey 81\npress left\ntick 800\ndump\n");
    ASSERT_EQ(run.exitCode, 0);
    const std::vector<nlohmann::json> dumps = Dumps(folder);
    ASSERT_EQ(dumps.size(), 3u);
    EXPECT_EQ(dumps[0]["music"]["file"], "garbage/music.mp3");
    EXPECT_TRUE(dumps[0]["music"]["playing"]);
    for (const auto& slot : dumps[0]["sounds"])
        EXPECT_EQ(slot["file"], "garbage/effect.wav");
    if (dumps[0]["gameInProgress"]) {
        EXPECT_TRUE(dumps[0]["sounds"][2]["playing"]) << "left weapon silent";
        EXPECT_TRUE(dumps[1]["sounds"][3]["playing"]) << "right weapon silent";
    } else {
        std::printf("note: the menus did not start a game; only the music is checked\n");
    }
    EXPECT_FALSE(dumps[2]["musicOn"]);
    EXPECT_FALSE(dumps[2]["soundsOn"]);
    EXPECT_FALSE(dumps[2]["music"]["playing"]);
    for (const auto& slot : dumps[2]["sounds"])
        EXPECT_FALSE(slot["playing"]);

    const std::vector<int> peaks = Peaks(folder);
    ASSERT_GT(peaks.size(), 40u) << "the disk driver wrote less than 0.4 s";
    int loud = 0;
    for (std::size_t i = 0; i < peaks.size() / 2; ++i)
        if (peaks[i] > 1000) ++loud;
    EXPECT_GT(loud, 10) << "the music was not heard while it played";
    // The last windows come well after W and Q (800 ticks later): nothing may sound.
    int lastLoud = -1;
    for (int i = 0; i < static_cast<int>(peaks.size()); ++i)
        if (peaks[i] > 200) lastLoud = i;
    EXPECT_LT(lastLoud, static_cast<int>(peaks.size()) - 20) << "sound after W and Q";
}

// Each reload replaces textures and streams; the replaced ones must be given back, so three
// hundred presses of F2 and a hundred of F3 and F4 cost no more memory than ten of each.
TEST(ZodavSound, ReloadsLeaveMemoryFlat) {
    if (!HaveDisplay()) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    Folder folder;
    const auto script = [](int f2, int f3, int f4) {
        return "zodav-replay 1\nseed 9\ntick 2\n" + Repeat("key 113\ntick 1\n", f2) +
               Repeat("key 114\ntick 1\n", f3) + Repeat("key 115\ntick 1\n", f4) + "dump\n";
    };
    const ProcessRun few = RunReplay(folder, script(10, 10, 10));
    const ProcessRun many = RunReplay(folder, script(300, 100, 100));
    ASSERT_EQ(few.exitCode, 0);
    ASSERT_EQ(many.exitCode, 0);
    const std::vector<nlohmann::json> dumps = Dumps(folder);
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_TRUE(dumps[0]["music"]["playing"]);
    // One decoded copy of the music is 3.5 MB: ninety kept copies would be over 300 MB.
    EXPECT_LT(many.peakKb - few.peakKb, 16 * 1024)
        << "peak " << few.peakKb << " kB after 10 reloads, " << many.peakKb << " kB after 100+";
}
