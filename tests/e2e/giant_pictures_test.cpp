// Both games started on a content folder of tiny files that declare giant pictures (a 1 KB
// bitmap of 64,000,000 x 1 pixels, run-length and arithmetic-coded giants): they start, draw and
// end normally, and their peak memory stays near what the same run costs without them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "../media/GiantPictures.h"
#include "E2eSupport.h"

namespace {

using giant::kMemorySlack;

struct Finished {
    int exitCode = -1;
    long peakKb = 0;
};

// Runs the program in `folder` (stderr into stderr.txt) and measures its own peak memory.
Finished RunMeasured(const std::string& folder, const std::vector<std::string>& args) {
    const pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        const int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (err >= 0) dup2(err, 2);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        std::vector<char*> argv;
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status)) return {};
    return {WEXITSTATUS(status), usage.ru_maxrss};
}

void FillGiants(const e2e::TempFolder& folder) {
    const std::pair<const char*, giant::Bytes> files[] = {
        {"garbage/wide.bmp", giant::WideRle8()},
        {"garbage/tall.bmp", giant::RleBmp(4000, 16000, 4, {200, 0x12, 0, 0})},
        {"garbage/flat.jpg", giant::LyingJpeg(8000, 8000, true, false)},
        {"garbage/scans.jpg", giant::LyingJpeg(8000, 8000, true, true)},
    };
    for (const auto& [name, bytes] : files)
        folder.Write(name, std::string(bytes.begin(), bytes.end()));
}

struct Game {
    const char* name;
    std::vector<std::string> args;
    const char* script;
};

TEST(GiantPictures, BothGamesStartWithTinyGiantsAtBoundedMemory) {
    const bool display = std::getenv("DISPLAY") != nullptr;
    const Game games[] = {
        {"garbage",
         {e2e::Program("garbage"), "--replay", "s.txt"},
         "garbage-replay 1\nseed 15\nupdate 5\nkey 27\nupdate 1\n"},
        {"zodav",
         {e2e::Program("zodav"), display ? "--windowed" : "--headless", "--replay", "s.txt"},
         "zodav-replay 1\nseed 1\ntick 1\n"},
    };
    for (const Game& g : games) {
        SCOPED_TRACE(g.name);
        if (std::string(g.name) == "garbage" && !display) continue;  // a real window only
        long peak[2] = {0, 0};
        for (int giants = 0; giants < 2; ++giants) {
            e2e::TempFolder folder;
            folder.Write("s.txt", g.script);
            folder.Write("garbage/empty.txt", "");
            if (giants) FillGiants(folder);
            const Finished run = RunMeasured(folder.path(), g.args);
            EXPECT_EQ(run.exitCode, 0) << e2e::ReadFile(folder / "stderr.txt");
            peak[giants] = run.peakKb;
        }
        // The 8000 x 8000 JPEG is decoded at 4000 x 4000 (48 MB, 64 MB with alpha, and its
        // texture); each giant used to cost 450 MB.
        EXPECT_LT(peak[1] - peak[0], kMemorySlack * 250 * 1024)
            << "without giants " << peak[0] << " KB, with " << peak[1] << " KB";
    }
}

}  // namespace
