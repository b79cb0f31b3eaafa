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
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "E2eSupport.h"
#include "LiveProgram.h"
#include "PrivateDisplay.h"

namespace {

// One live run of the game in `folder` on `display`.
class LiveGame : public e2e::LiveProgram {
  public:
    LiveGame(const e2e::PrivateDisplay& display, const e2e::TempFolder& folder,
             const std::string& options)
        : LiveProgram(display, folder, "garbage", options) {}
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

// Watches the top-level windows of a display as they are mapped, from before the game starts,
// so that a window that lives for two seconds is seen at once however slow the machine is.
class MapWatch {
  public:
    explicit MapWatch(const std::string& display)
        : x_(XOpenDisplay(display.c_str())), previousHandler_(XSetErrorHandler(IgnoreError)) {
        if (x_ != nullptr) XSelectInput(x_, DefaultRootWindow(x_), SubstructureNotifyMask);
        if (x_ != nullptr) XSync(x_, False);
    }
    ~MapWatch() {
        if (x_ != nullptr) XCloseDisplay(x_);
        XSetErrorHandler(previousHandler_);
    }
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;

    // The id of the first mapped window titled `title`, or "" once `giveUp` says so or a minute
    // has passed.
    std::string WaitForWindow(const std::string& title, const std::function<bool()>& giveUp) {
        if (x_ == nullptr) return "";
        std::string found;
        e2e::WaitFor([&] {
            while (found.empty() && XPending(x_) > 0) {
                XEvent e;
                XNextEvent(x_, &e);
                if (e.type == MapNotify) mapped_.push_back(e.xmap.window);
                if (e.type == DestroyNotify) std::erase(mapped_, e.xdestroywindow.window);
            }
            for (Window w : mapped_)
                if (found.empty() && Title(w) == title) found = std::to_string(w);
            return !found.empty() || giveUp();
        });
        return found;
    }

  private:
    // A window can be gone between its map and the question about its title; Xlib's own
    // handler would end the test, and leave the game running, for that.
    static int IgnoreError(Display*, XErrorEvent*) { return 0; }
    std::string Title(Window w) {
        char* name = nullptr;
        std::string title;
        if (XFetchName(x_, w, &name) && name != nullptr) title = name;
        if (name != nullptr) XFree(name);
        return title;
    }
    Display* x_;
    XErrorHandler previousHandler_;
    std::vector<Window> mapped_;
};

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
    auto other = std::make_unique<e2e::OtherWindow>(display);
    std::string over;
    ASSERT_TRUE(e2e::WaitFor([&] { return !(over = display.WindowNamed("^xmessage$")).empty(); }));
    e2e::Run("/", display.On("xdotool windowraise " + over));
    ASSERT_TRUE(display.Focus(over)) << "the second window never took the focus";
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
    other.reset();

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
    MapWatch windows(display.name());
    LiveGame game(display, folder, "--record rec.txt");
    const std::string splash = windows.WaitForWindow("garbage", [&] { return game.Exited(); });
    ASSERT_FALSE(splash.empty()) << "no splash was seen\n" << game.Errors() << game.Log();
    ASSERT_TRUE(SendCloseRequest(display.name(), splash));
    ASSERT_EQ(game.WaitForExit(), 0) << "the close request was lost\n" << game.Log();
    EXPECT_NE(game.Log().find("loop ended after 0 updates"), std::string::npos) << game.Log();
    EXPECT_NE(e2e::ReadFile(folder / "rec.txt").find("\nclose\n"), std::string::npos);
}

}  // namespace
