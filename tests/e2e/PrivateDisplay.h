// A private X server for end-to-end tests that move the keyboard focus, need a screen of a
// given size or must not be disturbed by windows of tests running beside them: Xvfb on a free
// display number, stopped with the object. Also small helpers to run X tools on it and to wait
// for evidence with a deadline instead of sleeping.
#pragma once

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace e2e {

// Polls `evidence` every 50 ms until it holds or `seconds` have passed; the result says which.
inline bool WaitFor(const std::function<bool()>& evidence, int seconds = 60) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!evidence()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

// The standard output of a shell command, its last line feed removed.
inline std::string Output(const std::string& command) {
    std::string text;
    if (std::FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
            text.append(buffer, n);
        pclose(p);
    }
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

class PrivateDisplay {
  public:
    // Starts Xvfb with one screen of width x height x 24; ok() says whether it answered.
    PrivateDisplay(int width, int height) {
        int fds[2];
        if (pipe(fds) != 0) return;
        const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(),
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        name_ = ReadDisplayNumber(fds[0]);
        close(fds[0]);
    }
    // Xvfb is asked to end and, should it not within ten seconds, killed: a test never hangs on
    // its server.
    ~PrivateDisplay() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        if (!WaitFor([&] { return waitpid(pid_, nullptr, WNOHANG) == pid_; }, 10)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    PrivateDisplay(const PrivateDisplay&) = delete;
    PrivateDisplay& operator=(const PrivateDisplay&) = delete;

    bool ok() const { return !name_.empty(); }
    // ":N", for DISPLAY.
    const std::string& name() const { return name_; }
    // `command` (one program and its arguments) on this display, for Run and Output; it is
    // stopped after 30 seconds so that an X tool stuck on a busy server cannot hang the test.
    std::string On(const std::string& command) const {
        return "DISPLAY=" + name_ + " timeout 30 " + command;
    }
    // The id of the first window whose name matches `regex`, "" when there is none.
    std::string WindowNamed(const std::string& regex) const {
        std::string ids = Output(On("xdotool search --name '" + regex + "'") + " 2>/dev/null");
        return ids.substr(0, ids.find('\n'));
    }
    // The id of the window that has the keyboard focus.
    std::string FocusedWindow() const {
        return Output(On("xdotool getwindowfocus") + " 2>/dev/null");
    }
    // Gives `window` the keyboard focus, asking again until it has it: a window found by name
    // may not be mapped yet, and focusing an unmapped window does nothing. False after a minute.
    bool Focus(const std::string& window) const {
        return WaitFor([&] {
            std::system((On("xdotool windowfocus " + window) + " >/dev/null 2>&1").c_str());
            return FocusedWindow() == window;
        });
    }

  private:
    // Xvfb writes the display number it took and a line feed once it accepts clients.
    static std::string ReadDisplayNumber(int fd) {
        std::string number;
        pollfd p{fd, POLLIN, 0};
        char c = 0;
        while (poll(&p, 1, 60000) == 1 && read(fd, &c, 1) == 1 && c != '\n')
            number += c;
        return c == '\n' && !number.empty() ? ":" + number : "";
    }

    pid_t pid_ = -1;
    std::string name_;
};

}  // namespace e2e
