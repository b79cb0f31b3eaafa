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

// A child process running `command` through the shell, sent `endSignal` and waited for should a
// test leave it running.
class ChildProcess {
  public:
    ChildProcess(const std::string& command, int endSignal) : endSignal_(endSignal) {
        pid_ = fork();
        if (pid_ == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~ChildProcess() {
        if (pid_ <= 0) return;
        kill(pid_, endSignal_);
        waitpid(pid_, nullptr, 0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Whether the child has ended, without waiting; its wait status goes to `status`.
    bool Exited(int& status) {
        if (pid_ > 0 && waitpid(pid_, &status, WNOHANG) == pid_) pid_ = -1;
        return pid_ <= 0;
    }

  private:
    pid_t pid_ = -1;
    int endSignal_;
};

// One live run of `program` in `folder` on `display`, its output in out.txt and err.txt.
class LiveProgram {
  public:
    LiveProgram(const PrivateDisplay& display, const TempFolder& folder, const std::string& program,
                const std::string& options)
        : folder_(folder),
          child_("cd '" + folder.path() + "' && DISPLAY=" + display.name() +
                     " SDL_AUDIODRIVER=dummy exec '" + Program(program) + "' " + options +
                     " >out.txt 2>err.txt",
                 SIGKILL) {}

    pid_t pid() const { return child_.pid(); }
    std::string Log() const { return ReadFile(folder_ / "log.txt"); }
    std::string Errors() const { return ReadFile(folder_ / "err.txt"); }
    bool WaitForLog(const std::string& text, int times = 1) const {
        return WaitFor([&] { return Count(Log(), text) >= times; });
    }
    // Whether the program has ended, without waiting.
    bool Exited() { return child_.Exited(status_); }
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
    ChildProcess child_;
    int status_ = 0;
};

// A second client's window (xmessage, named "xmessage") at (300, 300) on `display`.
class OtherWindow : public ChildProcess {
  public:
    explicit OtherWindow(const PrivateDisplay& display)
        : ChildProcess("DISPLAY=" + display.name() +
                           " exec xmessage -geometry +300+300 'over the game' >/dev/null 2>&1",
                       SIGTERM) {}
};

}  // namespace e2e
