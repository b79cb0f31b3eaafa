// A content folder far larger than a game shows, through the real engine in a real window: the
// scan numbers the pictures as always, only the two pictures in play are ever decoded, and the
// overlay writes only the content lines that reach into the window.
#include <GL/gl.h>
#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <map>
#include <set>

#include "TempFolder.h"
#include "drawing.h"
#include "eXgine_binding.h"
#include "game_state.h"
#include "garbage_files.h"
#include "media/Picture.h"
#include "rules.h"
#include "scene.h"

namespace {

using Rgb = std::array<int, 3>;
constexpr int kW = 500, kH = 600;

Rgb Pixel(int x, int y) {
    std::array<uint8_t, 4> p{};
    glFinish();
    glReadBuffer(GL_BACK);
    glReadPixels(x, kH - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
    return {p[0], p[1], p[2]};
}

bool Close(const Rgb& a, const Rgb& b) {
    for (size_t k = 0; k < 3; ++k)
        if (std::abs(a[k] - b[k]) > 1) return false;
    return true;
}

int Occurrences(const std::string& text, const std::string& word) {
    int n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

// garbage/f<a>/g<b>/ with 30 files each: flat-coloured bitmaps (some with capital extensions),
// text files named .jpg, empty sounds and music, and files that are no content at all.
class HugeContent : public ::testing::Test {
  public:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under xvfb-run)";
        const char* kinds[] = {".bmp", ".jpg", ".txt", ".wav", ".mp3", ".BMP"};
        for (int a = 0; a < 6; ++a)
            for (int b = 0; b < 6; ++b)
                for (int i = 0; i < 30; ++i) {
                    char name[48];
                    std::snprintf(name, sizeof name, "garbage/f%d/g%d/n%02d%s", a, b, i,
                                  kinds[i % 6]);
                    if (i % 6 == 0 || i % 6 == 5)
                        WritePicture(name);
                    else
                        dir_.Write(name, i % 6 == 1 ? "not a photo" : "");
                }
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!BindEngine(0)) GTEST_SKIP() << "the engine cannot start";
        if (!WindowHost->CreateWindow("content test", 0, 0, kW, kH)) GTEST_SKIP() << "no window";
        GameState = TGameState{};
        SetUpBins(kW, kH);
        StartPlay(0);
        SetBinHeights(kH);
        GameState.Developer = 0;
        CreateDiskQuadric();
    }

    void TearDown() override {
        FreeDiskQuadric();
        UnbindEngine();
        GarbageFiles.clear();
    }

    void WritePicture(const std::string& name) {
        const int n = int(colours_.size()) + 1;
        const Rgb colour = {20 + n % 200, 250 - n % 230, (n * 7) % 256};
        media::RgbPicture p{2, 2, {}};
        for (int k = 0; k < 4; ++k)
            p.rgb.insert(p.rgb.end(), {uint8_t(colour[0]), uint8_t(colour[1]), uint8_t(colour[2])});
        std::filesystem::create_directories(std::filesystem::path(dir_ / name).parent_path());
        ASSERT_TRUE(media::SaveBmp(dir_ / name, p));
        colours_[name] = colour;
    }

    std::string Log() const { return dir_.Read("log.txt"); }

    TempFolder dir_{true};
    std::map<std::string, Rgb> colours_;  // by path, the pictures that decode
};

TEST_F(HugeContent, IdsAsNumberedAndOnlyThePicturesInPlayDecoded) {
    ScanGarbageFolder();
    ASSERT_EQ(PictureCount, 36 * 15);
    // Every picture that can be read gets the next id in list order, the others 0.
    int32_t next = 0;
    std::vector<size_t> readable;
    for (size_t i = 0; i < size_t(PictureCount); ++i) {
        const TGarbageFile& f = GarbageFiles[i];
        const bool good = colours_.count(f.Path) > 0;
        EXPECT_EQ(f.EngineId, good ? ++next : 0) << f.Path;
        if (good) readable.push_back(i);
    }
    ASSERT_EQ(next, 36 * 10);
    EXPECT_EQ(Occurrences(Log(), "texture loaded"), 0) << "pictures decoded before any frame";

    const TGarbageFile& first = GarbageFiles[readable[7]];
    const TGarbageFile& second = GarbageFiles[readable[readable.size() - 3]];
    GameState.PictureId = {first.EngineId, second.EngineId};
    GameState.Items = {{100, 200, 0, 1}, {300, 250, 1, 1}};
    for (int frame = 0; frame < 3; ++frame)
        DrawScene(kW, kH);
    EXPECT_TRUE(Close(Pixel(116, 216), colours_[first.Path])) << first.Path;
    EXPECT_TRUE(Close(Pixel(316, 266), colours_[second.Path])) << second.Path;
    const std::string log = Log();
    EXPECT_EQ(Occurrences(log, "texture loaded"), 2) << log;
    EXPECT_EQ(Occurrences(log, "texture loaded: " + first.Path + " "), 1) << log;
    EXPECT_EQ(Occurrences(log, "texture loaded: " + second.Path + " "), 1) << log;
}

TEST(ContentLinesInWindow, CountsTheLinesThatStartAboveTheBottomEdge) {
    const double scaled = 32.0 * double(1.1f) + 64;  // size 11: the top is not a whole pixel
    struct Case {
        const char* fault;
        size_t entries;
        double firstTop;
        int32_t height;
        size_t lines;
    };
    const Case cases[] = {
        {"a long list is not cut at the window", 50000, 96, 600, 32},
        {"a line starting on the edge is drawn", 50000, 96, 608, 32},
        {"a line one pixel inside is left out", 50000, 96, 609, 33},
        {"a short list is cut", 3, 96, 600, 3},
        {"an empty list draws", 0, 96, 600, 0},
        {"a window shorter than the list's top draws", 50000, 96, 96, 0},
        {"the first line is left out of a window just tall enough", 50000, 96, 97, 1},
        {"a fractional top miscounts", 50000, scaled, 660, 36},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ContentLinesInWindow(c.entries, c.firstTop, c.height), c.lines) << c.fault;
}

TEST_F(HugeContent, TheOverlayStillWritesTheLineTheBottomEdgeCuts) {
    IFont* fonts = Renderer->Fonts();
    GameState.FontSmall = fonts->MakeFont("Georgia", 7, 1, 512);
    if (GameState.FontSmall == 0) GTEST_SKIP() << "no font on this system";
    GarbageFiles.assign(50000, TGarbageFile{"garbage/a rather long name of a photo.jpg", 0, 1});
    GameState.Developer = 1;
    DrawScene(kW, kH);
    // Lines start at 96 and every 16 pixels after: the one at 592 shows its top rows only.
    int red = 0;
    for (int y = 592; y < kH; ++y)
        for (int x = 250; x < kW - 40; ++x) {
            const Rgb c = Pixel(x, y);
            red += c[0] > 200 && c[1] < 100 && c[2] < 100;
        }
    EXPECT_GT(red, 5) << "the last line the window shows was left out";
}

}  // namespace
