// A game running live on a private X server, and a second client's window to take the focus
// from it. Both are killed should a test leave them running; neither holds the test's output, so
// a test that fails early never leaves CTest waiting on a game.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "E2eSupport.h"
#include "PrivateDisplay.h"

namespace e2e {

// One live run of `program` in `folder` on `display`, its output in out.txt and err.txt.
class LiveProgram {
  public:
    LiveProgram(const PrivateDisplay& display, const TempFolder& folder, const std::string& program,
                const std::string& options)
        : folder_(folder) {
        const std::string command = "cd '" + folder.path() + "' && DISPLAY=" + display.name() +
                                    " SDL_AUDIODRIVER=dummy exec '" + Program(program) + "' " +
                                    options + " >out.txt 2>err.txt";
        pid_ = fork();
        if (pid_ == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~LiveProgram() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    LiveProgram(const LiveProgram&) = delete;
    LiveProgram& operator=(const LiveProgram&) = delete;

    pid_t pid() const { return pid_; }
    std::string Log() const { return ReadFile(folder_ / "log.txt"); }
    std::string Errors() const { return ReadFile(folder_ / "err.txt"); }
    bool WaitForLog(const std::string& text, int times = 1) const {
        return WaitFor([&] { return Count(Log(), text) >= times; });
    }
    // Whether the program has ended, without waiting.
    bool Exited() {
        if (pid_ > 0 && waitpid(pid_, &status_, WNOHANG) == pid_) pid_ = -1;
        return pid_ <= 0;
    }
    // The exit code, or -1 when the program did not exit by itself within a minute.
    int WaitForExit() {
        if (!WaitFor([&] { return Exited(); })) return -1;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }
    static int Count(const std::string& text, const std::string& part) {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }

  private:
    const TempFolder& folder_;
    pid_t pid_ = -1;
    int status_ = 0;
};

// A second client's window (xmessage, named "xmessage") at (300, 300) on `display`.
class OtherWindow {
  public:
    explicit OtherWindow(const PrivateDisplay& display) {
        pid_ = fork();
        if (pid_ == 0) {
            setenv("DISPLAY", display.name().c_str(), 1);
            execlp("xmessage", "xmessage", "-geometry", "+300+300", "over the game",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~OtherWindow() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;

  private:
    pid_t pid_ = -1;
};

}  // namespace e2e
