// Zodav on today's desktops, end to end: the screen shown scaled and centred on displays of several
// sizes (real Xvfb servers, the real screen read back), clicks at scaled positions, taps shorter
// than a tick, focus changes in replays, and SIGHUP during a recorded run.
#include <gtest/gtest.h>
// Xlib after gtest: its macros (None, Bool, Status) would otherwise reach gtest's headers.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cmath>
#include <thread>

#include "E2eSupport.h"
#include "GLUsePresent.h"
#include "LiveProgram.h"
#include "PrivateDisplay.h"
#include "media/Picture.h"

namespace {

using e2e::TempFolder;
using nlohmann::json;

// Screen pixel row of menu row i on the 1024 x 768 screen (0.0083 plane units a pixel).
int RowY(int row) {
    const double planeY = 2.032 - 0.35 * row + 0.15;
    return static_cast<int>(std::lround(384 - planeY / 0.0083));
}

// A tap: press and release with no tick between them.
std::string Tap(int row) {
    return "mouse 510 " + std::to_string(RowY(row)) + "\npress left\nrelease left\ntick 1\n";
}

using e2e::ZodavReplay;

TEST(ZodavScreen, TapsAndFocusChangesInReplays) {
    TempFolder folder;
    folder.Write("garbage/.keep", "");
    int code = 0;
    const auto d =
        ZodavReplay(folder,
                    "seed 4\ntick 2\n" + Tap(6) + "dump\n" +  // new game: the level choice
                        Tap(2) + "dump\n" +                   // a level row: play
                        "tick 5\nfocus out\ndump\n"           // paused as by Esc
                        "tick 5\nfocus in\ndump\n"            // still paused
                        "key 27\ntick 1\ndump\n",             // Esc resumes
                    &code);
    ASSERT_EQ(code, 0) << e2e::ReadFile(folder / "err.txt");
    ASSERT_EQ(d.size(), 5u);
    EXPECT_EQ(d[0]["screenState"], 5);
    EXPECT_EQ(d[1]["screenState"], 0);
    EXPECT_EQ(d[1]["gameInProgress"], true);
    EXPECT_EQ(d[2]["screenState"], 2);
    EXPECT_EQ(d[2]["gameInProgress"], true);
    EXPECT_EQ(d[3]["screenState"], 2);
    EXPECT_EQ(d[3]["timeLeft"], d[2]["timeLeft"]);  // no time passed while paused
    EXPECT_EQ(d[4]["screenState"], 0);
    // The same script gives the same dumps again.
    TempFolder again;
    again.Write("garbage/.keep", "");
    EXPECT_EQ(ZodavReplay(again, e2e::ReadFile(folder / "s.txt").substr(15)), d);

    for (const char* bad : {"focus\n", "focus sideways\n", "focus out in\n"}) {
        TempFolder f;
        ZodavReplay(f, bad, &code);
        EXPECT_EQ(code, 2) << bad;
    }
}

// One live run on an Xvfb server of the given size: wait until the field's frame shows, read the
// real screen, then tap the exit row at its scaled position until the game ends. Each step waits
// for evidence (a pixel, the process gone) with a generous deadline.
const char* kLiveRun = R"sh(#!/bin/sh
SDL_AUDIODRIVER=dummy "$1" --record rec.txt 2>err.txt &
game=$!
bluish() {
  import -window root -crop 9x1+$(($2 - 4))+$3 txt:- 2>/dev/null |
    grep -o 'srgb([0-9,]*)' | awk -F'[(,)]' '$4 - $2 > 30 { f = 1 } END { exit !f }'
}
tries=0
until bluish root "$4" "$5"; do
  tries=$((tries + 1)); [ $tries -gt 900 ] && { echo no-frame > result.txt; kill -9 $game; exit 0; }
  sleep 0.1
done
import -window root screen.bmp
tries=0
while kill -0 $game 2>/dev/null; do
  tries=$((tries + 1)); [ $tries -gt 600 ] && { kill -9 $game; break; }
  xdotool mousemove "$2" "$3" click 1
  sleep 0.1
done
wait $game
echo "exit $?" > result.txt
)sh";

// Runs the shell script `script` in `folder` on a private X server of width x height, with Zodav's
// path and `args` as its arguments and its output discarded; false when no server could start.
// Xvfb picks a free display number itself: `xvfb-run -a` races the servers of tests beside it.
bool RunOnScreen(const TempFolder& folder, int width, int height, const std::string& script,
                 const std::string& args = "") {
    e2e::PrivateDisplay display(width, height);
    if (!display.ok()) return false;
    e2e::Run(folder.path(), "DISPLAY=" + display.name() + " sh " + script + " " +
                                e2e::Program("zodav") + args + " >/dev/null 2>&1");
    return true;
}

struct Shot {
    media::RgbPicture picture;
    std::array<int, 3> At(int x, int y) const {
        const std::uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
        return {p[0], p[1], p[2]};
    }
    bool BluishNear(int x, int y, int reach) const {
        for (int dx = -reach; dx <= reach; ++dx)
            for (int dy = -reach; dy <= reach; ++dy) {
                const auto c = At(std::clamp(x + dx, 0, picture.width - 1),
                                  std::clamp(y + dy, 0, picture.height - 1));
                if (c[2] - c[0] > 30) return true;
            }
        return false;
    }
};

// The frame's corners on the 1024 x 768 screen: field (0, 0) and (26, 19).
constexpr int kFrameLeft = 43, kFrameRight = 980, kFrameTop = 45, kFrameBottom = 729;

TEST(ZodavScreen, FullScreenIsScaledCentredAndClickable) {
    struct Case {
        int width, height;
    } cases[] = {{800, 600}, {1366, 768}, {1920, 1080}, {1024, 768}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        TempFolder folder;
        folder.Write("garbage/.keep", "");
        folder.Write("live.sh", kLiveRun);
        const ScreenRect shown = FitScreen(1024, 768, c.width, c.height);
        auto toWindow = [&](int sx, int sy, int& wx, int& wy) {
            wx = shown.x + static_cast<int>((sx + 0.5) * shown.width / 1024);
            wy = shown.y + static_cast<int>((sy + 0.5) * shown.height / 768);
        };
        int exitX = 0, exitY = 0, frameX = 0, frameY = 0;
        toWindow(510, RowY(9), exitX, exitY);
        toWindow(kFrameLeft, 384, frameX, frameY);
        if (!RunOnScreen(folder, c.width, c.height, "live.sh",
                         " " + std::to_string(exitX) + " " + std::to_string(exitY) + " " +
                             std::to_string(frameX) + " " + std::to_string(frameY)))
            GTEST_SKIP() << "no private X server (Xvfb) could start";
        EXPECT_EQ(e2e::ReadFile(folder / "result.txt"), "exit 0\n")
            << e2e::ReadFile(folder / "err.txt");
        Shot shot;
        std::string error;
        ASSERT_TRUE(media::LoadBmp(folder / "screen.bmp", shot.picture, &error)) << error;
        ASSERT_EQ(shot.picture.width, c.width);
        ASSERT_EQ(shot.picture.height, c.height);
        // The four sides of the frame where the scaled screen puts them.
        int x = 0, y = 0;
        for (auto corner : {std::pair{kFrameLeft, 300}, std::pair{kFrameRight, 300},
                            std::pair{512, kFrameTop}, std::pair{512, kFrameBottom}}) {
            toWindow(corner.first, corner.second, x, y);
            EXPECT_TRUE(shot.BluishNear(x, y, 2)) << "no frame near " << x << "," << y;
        }
        // Black bars beside a screen narrower than the display, the same on both sides.
        if (shown.x > 2) {
            EXPECT_EQ(shot.At(1, c.height / 2), (std::array<int, 3>{0, 0, 0}));
            EXPECT_EQ(shot.At(c.width - 2, c.height / 2), (std::array<int, 3>{0, 0, 0}));
            EXPECT_EQ(c.width - shown.x - shown.width - shown.x, c.width % 2);
        }
        // The recording is complete and replays.
        const std::string rec = e2e::ReadFile(folder / "rec.txt");
        EXPECT_NE(rec.find("screen 1024 768"), std::string::npos);
        EXPECT_NE(rec.find("ticks in"), std::string::npos) << rec;
        EXPECT_EQ(e2e::Run(folder.path(),
                           e2e::Program("zodav") + " --replay rec.txt --headless --dump d.jsonl"),
                  0);
    }
}

// At 1024 x 768 the real screen is the very frame a replay saves: a paused game is frozen, so the
// screen read while the replay goes on ticking equals its screenshot.
TEST(ZodavScreen, AtItsOwnSizeTheScreenIsTheReplayScreenshot) {
    TempFolder folder;
    folder.Write("garbage/.keep", "");
    folder.Write("s.txt", "zodav-replay 1\nseed 2\nmouse 900 700\ntick 2\n" + Tap(6) + Tap(2) +
                              "tick 30\nkey 27\ntick 30\nscreenshot replay.bmp\ntick 100000000\n");
    folder.Write("run.sh", R"sh(#!/bin/sh
SDL_AUDIODRIVER=dummy "$1" --replay s.txt 2>err.txt >/dev/null &
game=$!
tries=0
until [ "$(stat -c %s replay.bmp 2>/dev/null)" = 2359350 ]; do
  tries=$((tries + 1)); [ $tries -gt 900 ] && break
  sleep 0.1
done
import -window root screen.bmp
kill -HUP $game
wait $game
echo "exit $?" > result.txt
)sh");
    if (!RunOnScreen(folder, 1024, 768, "run.sh"))
        GTEST_SKIP() << "no private X server (Xvfb) could start";
    EXPECT_EQ(e2e::ReadFile(folder / "result.txt"), "exit 0\n")
        << e2e::ReadFile(folder / "err.txt");
    media::RgbPicture replay, screen;
    std::string error;
    ASSERT_TRUE(media::LoadBmp(folder / "replay.bmp", replay, &error)) << error;
    ASSERT_TRUE(media::LoadBmp(folder / "screen.bmp", screen, &error)) << error;
    ASSERT_EQ(screen.width, 1024);
    ASSERT_EQ(screen.height, 768);
    size_t differing = 0;
    for (size_t i = 0; i < replay.rgb.size() && i < screen.rgb.size(); ++i)
        differing += replay.rgb[i] != screen.rgb[i];
    EXPECT_EQ(differing, 0u);
}

// SIGHUP (a closed terminal) ends a recorded live run in order: exit 0, and the recording is whole.
TEST(ZodavScreen, HangupEndsARecordedRunInOrder) {
    for (const char* signalName : {"HUP", "QUIT"}) {
        SCOPED_TRACE(signalName);
        TempFolder folder;
        folder.Write("garbage/.keep", "");
        folder.Write("run.sh", std::string(R"sh(#!/bin/sh
SDL_AUDIODRIVER=dummy "$1" --windowed --record rec.txt 2>err.txt &
game=$!
tries=0
until xdotool search --name "Match 3 game" >/dev/null 2>&1; do
  tries=$((tries + 1)); [ $tries -gt 900 ] && break
  sleep 0.1
done
kill -)sh") + signalName + R"sh( $game
wait $game
echo "exit $?" > result.txt
)sh");
        if (!RunOnScreen(folder, 1024, 768, "run.sh"))
            GTEST_SKIP() << "no private X server (Xvfb) could start";
        EXPECT_EQ(e2e::ReadFile(folder / "result.txt"), "exit 0\n")
            << e2e::ReadFile(folder / "err.txt");
        const std::string rec = e2e::ReadFile(folder / "rec.txt");
        EXPECT_EQ(rec.rfind("zodav-replay 1\n", 0), 0u);
        EXPECT_NE(rec.find("ticks in"), std::string::npos) << rec;
        EXPECT_EQ(e2e::Run(folder.path(),
                           e2e::Program("zodav") + " --replay rec.txt --headless --dump d.jsonl"),
                  0);
    }
}

}  // namespace

namespace {

// A driver without framebuffer objects (Mesa told to hide them) falls back to a screen of the
// display's size, says so, and the recording carries that size so that it replays the same.
TEST(ZodavScreen, WithoutFramebufferObjectsTheScreenFillsTheDisplay) {
    TempFolder folder;
    folder.Write("garbage/.keep", "");
    folder.Write("run.sh", R"sh(#!/bin/sh
MESA_GL_VERSION_OVERRIDE=2.1 \
MESA_EXTENSION_OVERRIDE="-GL_ARB_framebuffer_object -GL_EXT_framebuffer_object" \
SDL_AUDIODRIVER=dummy "$1" --record rec.txt 2>err.txt &
game=$!
tries=0
until grep -q "cannot draw offscreen" err.txt 2>/dev/null; do
  tries=$((tries + 1)); [ $tries -gt 900 ] && break
  sleep 0.1
done
kill -TERM $game
wait $game
echo "exit $?" > result.txt
)sh");
    if (!RunOnScreen(folder, 1366, 768, "run.sh"))
        GTEST_SKIP() << "no private X server (Xvfb) could start";
    EXPECT_EQ(e2e::ReadFile(folder / "result.txt"), "exit 0\n");
    EXPECT_NE(e2e::ReadFile(folder / "err.txt").find("cannot draw offscreen"), std::string::npos);
    EXPECT_NE(e2e::ReadFile(folder / "rec.txt").find("screen 1366 768\n"), std::string::npos);
    ASSERT_EQ(e2e::Run(folder.path(),
                       e2e::Program("zodav") + " --replay rec.txt --headless --dump d.jsonl"),
              0);
}

}  // namespace

namespace {

// The live screen of a private X server, read a pixel at a time.
class LiveScreen {
  public:
    explicit LiveScreen(const e2e::PrivateDisplay& display)
        : x_(XOpenDisplay(display.name().c_str())) {}
    ~LiveScreen() {
        if (x_ != nullptr) XCloseDisplay(x_);
    }
    LiveScreen(const LiveScreen&) = delete;
    LiveScreen& operator=(const LiveScreen&) = delete;

    bool ok() const { return x_ != nullptr; }
    // Red, green and blue at (x, y) of the root window; black when it cannot be read.
    std::array<int, 3> At(int x, int y) const {
        XImage* image = XGetImage(x_, DefaultRootWindow(x_), x, y, 1, 1, AllPlanes, ZPixmap);
        if (image == nullptr) return {0, 0, 0};
        const unsigned long p = XGetPixel(image, 0, 0);
        XDestroyImage(image);
        return {int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)};
    }

  private:
    Display* x_;
};

// A second window taking the focus from the game's window during play: the main menu shows (the
// game paused), the recording holds focus in and focus out, and replays to the paused game.
// Every step waits for what the screen shows, so a slow machine only makes it slower.
TEST(ZodavScreen, ASecondWindowTakingTheFocusPausesTheGame) {
    e2e::PrivateDisplay display(1024, 768);
    if (!display.ok()) GTEST_SKIP() << "no private X server (Xvfb) could start";
    TempFolder folder;
    folder.Write("garbage/.keep", "");
    e2e::LiveProgram game(display, folder, "zodav", "--windowed --record rec.txt");
    LiveScreen screen(display);
    ASSERT_TRUE(screen.ok());
    std::string window;
    ASSERT_TRUE(
        e2e::WaitFor([&] { return !(window = display.WindowNamed("Match 3 game")).empty(); }, 120))
        << game.Errors();
    ASSERT_TRUE(display.Focus(window)) << "the game's window never took the focus";

    // A row's box is green over red; the window fills the screen, so screen pixels are the
    // game's. Row 9 holds a box on both menus, row 2 only on the level choice.
    auto box = [&](int row) {
        const auto c = screen.At(420, RowY(row));
        return c[1] - c[0] > 25;
    };
    auto mainMenu = [&] { return box(9) && !box(2); };
    auto levelChoice = [&] { return box(2); };
    // Rows appear and vanish over twenty ticks: play is no box for a second and a half.
    auto play = [&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
        while (!box(9) && !box(2)) {
            if (std::chrono::steady_clock::now() > until) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    };
    auto clickRow = [&](int row) {
        e2e::Run("/",
                 display.On("xdotool mousemove 510 " + std::to_string(RowY(row)) + " click 1"));
    };
    ASSERT_TRUE(e2e::WaitFor(mainMenu, 120)) << game.Errors();
    // A click the game has not seen yet is never repeated before ten seconds: a second click
    // on row 6 of the level choice would start level 5, which is play all the same.
    for (int tries = 0; tries < 6 && mainMenu(); ++tries) {
        clickRow(6);
        e2e::WaitFor([&] { return levelChoice() || play(); }, 10);
    }
    for (int tries = 0; tries < 6 && levelChoice(); ++tries) {
        clickRow(2);
        e2e::WaitFor(play, 10);
    }
    ASSERT_TRUE(e2e::WaitFor(play, 10)) << "the game never started";

    e2e::OtherWindow other(display);
    std::string over;
    ASSERT_TRUE(e2e::WaitFor([&] { return !(over = display.WindowNamed("^xmessage$")).empty(); }));
    ASSERT_TRUE(display.Focus(over)) << "the second window never took the focus";
    ASSERT_TRUE(e2e::WaitFor(mainMenu, 120)) << "the game did not pause";
    kill(game.pid(), SIGTERM);
    ASSERT_EQ(game.WaitForExit(), 0) << game.Errors();

    const std::string rec = e2e::ReadFile(folder / "rec.txt");
    const size_t in = rec.find("focus in\n");
    ASSERT_NE(in, std::string::npos) << rec;
    EXPECT_NE(rec.find("focus out\n", in), std::string::npos) << rec;
    folder.Write("rec.txt", rec + "dump\n");
    ASSERT_EQ(e2e::Run(folder.path(),
                       e2e::Program("zodav") + " --replay rec.txt --headless --dump d.jsonl"),
              0);
    const auto d = e2e::ReadDumps(folder / "d.jsonl");
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0]["screenState"], 2) << rec;
    EXPECT_EQ(d[0]["gameInProgress"], true) << rec;
}

}  // namespace
