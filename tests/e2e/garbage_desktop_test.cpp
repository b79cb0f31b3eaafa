// The catching game on a desktop of its own (a private Xvfb, no window manager): the signals
// that end a session, the keyboard focus and minimising that pause it, a display that does not
// answer, a configured window larger than the screen, and a close request on the splash.
#include <gtest/gtest.h>
// Xlib after gtest: its macros (None, Bool, Status) would otherwise reach gtest's headers.
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "E2eSupport.h"
#include "PrivateDisplay.h"

namespace {

// One live run of the game in `folder` on `display`; killed if a test leaves it running.
class LiveGame {
  public:
    LiveGame(const e2e::PrivateDisplay& display, const e2e::TempFolder& folder,
             const std::string& options)
        : folder_(folder) {
        const std::string command = "cd '" + folder.path() + "' && DISPLAY=" + display.name() +
                                    " SDL_AUDIODRIVER=dummy exec '" + e2e::Program("garbage") +
                                    "' " + options + " 2>err.txt";
        pid_ = fork();
        if (pid_ == 0) {
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~LiveGame() {
        if (pid_ <= 0) return;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    LiveGame(const LiveGame&) = delete;
    LiveGame& operator=(const LiveGame&) = delete;

    pid_t pid() const { return pid_; }
    std::string Log() const { return e2e::ReadFile(folder_ / "log.txt"); }
    bool WaitForLog(const std::string& text, int times = 1) const {
        return e2e::WaitFor([&] { return Count(Log(), text) >= times; });
    }
    // The exit code, or -1 when the game did not exit by itself within a minute.
    int WaitForExit() {
        int status = 0;
        const bool ended = e2e::WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; });
        if (!ended) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static int Count(const std::string& text, const std::string& part) {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
            ++n;
        return n;
    }

  private:
    const e2e::TempFolder& folder_;
    pid_t pid_ = -1;
};

// The number after the first `prefix` in the log, or -1.
long long LogNumber(const std::string& log, const std::string& prefix) {
    const std::size_t at = log.find(prefix);
    return at == std::string::npos ? -1 : std::atoll(log.c_str() + at + prefix.size());
}

// The clock and update count of every "paused" or "resumed" line of the engine's log.
std::vector<std::pair<long long, long long>> Pauses(const std::string& log,
                                                    const std::string& word) {
    std::vector<std::pair<long long, long long>> found;
    const std::regex line(word + " at (\\d+) ms after (\\d+) updates");
    for (std::sregex_iterator m(log.begin(), log.end(), line), end; m != end; ++m)
        found.emplace_back(std::stoll((*m)[1]), std::stoll((*m)[2]));
    return found;
}

// Replays the recording rec.txt headless in the folder; the updates its loop ran, or -1.
long long ReplayedUpdates(const e2e::TempFolder& folder) {
    const int code = e2e::Run(folder.path(), "'" + e2e::Program("garbage") +
                                                 "' --headless --replay rec.txt 2>replay-err.txt");
    if (code != 0) return -1;
    return LogNumber(e2e::ReadFile(folder / "log.txt"), "loop ended after ");
}

// A display number no server answers on.
std::string DeadDisplay() {
    for (int n = 901;; ++n) {
        const std::string tag = std::to_string(n);
        if (access(("/tmp/.X11-unix/X" + tag).c_str(), F_OK) != 0 &&
            access(("/tmp/.X" + tag + "-lock").c_str(), F_OK) != 0)
            return ":" + tag;
    }
}

// A window manager's close request (WM_DELETE_WINDOW), as Alt+F4 or a taskbar would send.
bool SendCloseRequest(const std::string& display, const std::string& window) {
    Display* x = XOpenDisplay(display.c_str());
    if (x == nullptr) return false;
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = std::strtoul(window.c_str(), nullptr, 10);
    e.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(x, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(x, e.xclient.window, False, NoEventMask, &e) != 0;
    XCloseDisplay(x);  // flushes the request
    return sent;
}

#define NEED_PRIVATE_DISPLAY(display)       \
    e2e::PrivateDisplay display(1024, 768); \
    if (!display.ok()) GTEST_SKIP() << "no private X server (Xvfb) could start"

TEST(GarbageDesktop, EveryEndSignalEndsInOrderWithACompleteRecording) {
    NEED_PRIVATE_DISPLAY(display);
    const std::pair<int, const char*> signals[] = {
        {SIGINT, "SIGINT"}, {SIGTERM, "SIGTERM"}, {SIGHUP, "SIGHUP"}, {SIGQUIT, "SIGQUIT"}};
    for (const auto& [number, name] : signals) {
        e2e::TempFolder folder;
        LiveGame game(display, folder, "--record rec.txt --seed 5");
        ASSERT_TRUE(game.WaitForLog("loop started")) << name << "\n" << game.Log();
        kill(game.pid(), number);
        ASSERT_EQ(game.WaitForExit(), 0) << name << " killed the game or left it running";
        const long long live = LogNumber(game.Log(), "loop ended after ");
        const std::string recording = e2e::ReadFile(folder / "rec.txt");
        EXPECT_EQ(recording.rfind("garbage-replay 1\n", 0), 0u) << name << "\n" << recording;
        EXPECT_NE(recording.find("\nclose\n"), std::string::npos) << name << "\n" << recording;
        EXPECT_GE(live, 0) << name;
        EXPECT_EQ(ReplayedUpdates(folder), live) << name << ": the recording is not complete";
    }
}

TEST(GarbageDesktop, LosingTheFocusOrMinimisingStopsUpdatesAndTheClock) {
    NEED_PRIVATE_DISPLAY(display);
    e2e::TempFolder folder;
    LiveGame game(display, folder, "--record rec.txt --seed 3");
    ASSERT_TRUE(game.WaitForLog("loop started")) << game.Log();
    std::string main;
    ASSERT_TRUE(e2e::WaitFor([&] {
        main = display.WindowNamed("^Scrapfall");
        return !main.empty() && display.FocusedWindow() == main;
    })) << "without a window manager the main window must ask for the focus itself";

    // A second client's window raised over the game takes the focus.
    const pid_t other = fork();
    if (other == 0) {
        setenv("DISPLAY", display.name().c_str(), 1);
        execlp("xmessage", "xmessage", "-geometry", "+300+300", "over the game",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string over;
    ASSERT_TRUE(e2e::WaitFor([&] { return !(over = display.WindowNamed("^xmessage$")).empty(); }));
    e2e::Run("/", display.On("xdotool windowraise " + over + " windowfocus " + over));
    ASSERT_TRUE(game.WaitForLog("paused at")) << game.Log();
    // However long the pause lasts, nothing may move; half a second makes it plain.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    e2e::Run("/", display.On("xdotool windowfocus " + main));
    ASSERT_TRUE(game.WaitForLog("resumed at")) << game.Log();

    // Minimised: the window is unmapped (there is no window manager to iconify it).
    e2e::Run("/", display.On("xdotool windowunmap " + main));
    ASSERT_TRUE(game.WaitForLog("paused at", 2)) << game.Log();
    e2e::Run("/", display.On("xdotool windowmap " + main + " windowfocus " + main));
    ASSERT_TRUE(game.WaitForLog("resumed at", 2)) << game.Log();
    kill(other, SIGTERM);
    waitpid(other, nullptr, 0);

    // Esc reaches the game, which has the focus again.
    EXPECT_TRUE(e2e::WaitFor([&] { return display.FocusedWindow() == main; }));
    e2e::Run("/", display.On("xdotool key Escape"));
    ASSERT_EQ(game.WaitForExit(), 0) << "Esc did not end the game";

    const std::string log = game.Log();
    const auto paused = Pauses(log, "paused"), resumed = Pauses(log, "resumed");
    ASSERT_EQ(paused.size(), 2u) << log;
    EXPECT_EQ(paused, resumed) << "the clock or the update count moved during a pause\n" << log;
    const std::string recording = e2e::ReadFile(folder / "rec.txt");
    EXPECT_TRUE(std::regex_search(recording, std::regex("\nfocus out\n(mouse .*\n)*focus in\n")))
        << "updates recorded during a pause, or no pause recorded\n"
        << recording;
    EXPECT_EQ(ReplayedUpdates(folder), LogNumber(log, "loop ended after "));
}

TEST(GarbageDesktop, ADisplayThatDoesNotAnswerEndsTheGameWithAMessage) {
    e2e::TempFolder folder;
    const int code = e2e::Run(folder.path(), "DISPLAY=" + DeadDisplay() + " timeout 60 '" +
                                                 e2e::Program("garbage") + "' 2>err.txt");
    EXPECT_EQ(code, 1) << "124 means it ran on, invisible";
    EXPECT_NE(e2e::ReadFile(folder / "err.txt").find("no display"), std::string::npos)
        << e2e::ReadFile(folder / "err.txt");
}

TEST(GarbageDesktop, AWindowLargerThanTheScreenShrinksToTheLargestSizeThatFits) {
    struct Case {
        const char* fault;
        int screenWidth, screenHeight;
        const char* config;
        const char* geometry;
        bool message;
    };
    const Case cases[] = {
        {"size 20 on 1024 x 768 kept its 1000 x 1200", 1024, 768, "size=20\n", "600x720", true},
        {"size 11 on 800 x 600", 800, 600, "size=11\n", "500x600", true},
        {"a size that fits was changed", 1024, 768, "size=12\n", "600x720", false},
    };
    for (const Case& c : cases) {
        e2e::PrivateDisplay display(c.screenWidth, c.screenHeight);
        if (!display.ok()) GTEST_SKIP() << "no private X server (Xvfb) could start";
        e2e::TempFolder folder;
        if (*c.config) folder.Write("config.txt", c.config);
        LiveGame game(display, folder, "");
        ASSERT_TRUE(game.WaitForLog("loop started")) << c.fault << "\n" << game.Log();
        std::string main;
        ASSERT_TRUE(
            e2e::WaitFor([&] { return !(main = display.WindowNamed("^Scrapfall")).empty(); }));
        const std::string geometry = e2e::Output(display.On("xdotool getwindowgeometry " + main));
        EXPECT_NE(geometry.find(std::string("Geometry: ") + c.geometry), std::string::npos)
            << c.fault << "\n"
            << geometry;
        kill(game.pid(), SIGTERM);
        ASSERT_EQ(game.WaitForExit(), 0) << c.fault;
        const std::string said = "is used";
        EXPECT_EQ(e2e::ReadFile(folder / "err.txt").find(said) != std::string::npos, c.message)
            << c.fault << "\n"
            << e2e::ReadFile(folder / "err.txt");
        EXPECT_EQ(game.Log().find(said) != std::string::npos, c.message) << c.fault;
    }
}

TEST(GarbageDesktop, ACloseRequestOnTheSplashEndsTheGame) {
    NEED_PRIVATE_DISPLAY(display);
    e2e::TempFolder folder;
    LiveGame game(display, folder, "--record rec.txt");
    std::string splash;
    ASSERT_TRUE(e2e::WaitFor([&] { return !(splash = display.WindowNamed("^garbage$")).empty(); }));
    ASSERT_TRUE(SendCloseRequest(display.name(), splash));
    ASSERT_EQ(game.WaitForExit(), 0) << "the close request was lost\n" << game.Log();
    EXPECT_NE(game.Log().find("loop ended after 0 updates"), std::string::npos) << game.Log();
    EXPECT_NE(e2e::ReadFile(folder / "rec.txt").find("\nclose\n"), std::string::npos);
}

}  // namespace
