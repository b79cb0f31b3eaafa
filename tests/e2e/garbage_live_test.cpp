// The catching game's live loop in a real window under Xvfb: it starts, records what happens,
// and ends cleanly when the system asks it to; the recording then replays headless.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "E2eSupport.h"
#include "PrivateDisplay.h"

namespace {

TEST(GarbageLive, RecordsUntilTheSystemEndsItAndTheRecordingReplays) {
    // A display of its own: the game pauses when a window of a test running beside it takes
    // the focus.
    e2e::PrivateDisplay display(1024, 768);
    if (!display.ok()) GTEST_SKIP() << "no private X server (Xvfb) could start";
    TempFolder folder;
    const std::string program = e2e::Program("garbage");
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.path().c_str()) != 0) _exit(127);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        setenv("DISPLAY", display.name().c_str(), 1);
        execl(program.c_str(), program.c_str(), "--record", "rec.txt", "--seed", "5",
              static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(pid, 0);
    // The splash takes two seconds; then the loop runs. The log says when the first update is
    // done: wait for that, however loaded the machine, up to two minutes.
    bool running = false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!running && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        running = e2e::ReadFile(folder / "log.txt").find("first update done") != std::string::npos;
    }
    kill(pid, SIGTERM);  // the system asks the program to end
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(running) << e2e::ReadFile(folder / "log.txt");
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    const std::string recording = e2e::ReadFile(folder / "rec.txt");
    EXPECT_EQ(recording.rfind("garbage-replay 1\n", 0), 0u) << recording;
    EXPECT_NE(recording.find("\nseed 5\n"), std::string::npos) << recording;
    EXPECT_NE(recording.find("\nupdate "), std::string::npos) << recording;
    EXPECT_NE(recording.find("\nclose\n"), std::string::npos) << recording;
    EXPECT_EQ(e2e::Run(folder.path(),
                       "'" + program + "' --headless --replay rec.txt --dump d.jsonl 2>err.txt"),
              0)
        << e2e::ReadFile(folder / "err.txt");
}

}  // namespace
