// The catching game in a real window under Xvfb: the splash, the main window and a picture of
// a frame checked at pixels whose colour the scene fixes.
#include <gtest/gtest.h>

#include <array>

#include "E2eSupport.h"
#include "media/Picture.h"

namespace {

using Rgb = std::array<int, 3>;

Rgb Pixel(const media::RgbPicture& p, int x, int y) {
    const std::size_t i = (std::size_t(y) * std::size_t(p.width) + std::size_t(x)) * 3;
    return {p.rgb[i], p.rgb[i + 1], p.rgb[i + 2]};
}

TEST(GarbageWindow, FrameShowsPlayfieldFrameAndTitle) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs a display (run under xvfb-run)";
    TempFolder folder;
    std::filesystem::create_directories(folder / "readme");
    std::filesystem::copy_file(std::string(GAMES_SOURCE_DIR) + "/demo/readme/logo.bmp",
                               folder / "readme/logo.bmp");
    const std::string script = std::string(GAMES_SOURCE_DIR) + "/tests/e2e/garbage/window.txt";
    ASSERT_EQ(
        e2e::Run(folder.path(), "SDL_AUDIODRIVER=dummy '" + e2e::Program("garbage") +
                                    "' --replay '" + script + "' --dump dump.jsonl 2>stderr.txt"),
        0)
        << e2e::ReadFile(folder / "stderr.txt");
    EXPECT_EQ(e2e::ReadFile(folder / "stderr.txt").find("splash"), std::string::npos)
        << "the logo must load: " << e2e::ReadFile(folder / "stderr.txt");
    media::RgbPicture frame;
    std::string error;
    ASSERT_TRUE(media::LoadBmp(folder / "frame.bmp", frame, &error)) << error;
    ASSERT_EQ(frame.width, 500);
    ASSERT_EQ(frame.height, 600);
    const Rgb frameYellow{255, 224, 144}, white{255, 255, 255};
    EXPECT_EQ(Pixel(frame, 5, 5), frameYellow);
    EXPECT_EQ(Pixel(frame, 494, 594), frameYellow);
    EXPECT_EQ(Pixel(frame, 16, 200), frameYellow);
    EXPECT_EQ(Pixel(frame, 100, 200), white);
    EXPECT_EQ(Pixel(frame, 250, 300), white);
    int titlePixels = 0;  // letters of many colours on the top band
    for (int y = 0; y < 30; ++y)
        for (int x = 150; x < 350; ++x)
            titlePixels += Pixel(frame, x, y) != frameYellow;
    EXPECT_GT(titlePixels, 50);
    auto dumps = e2e::ReadDumps(folder / "dump.jsonl");
    ASSERT_EQ(dumps.size(), 1u);
    EXPECT_EQ(dumps[0]["width"], 500);
    EXPECT_EQ(dumps[0]["MouseX"], 250);
}

}  // namespace
