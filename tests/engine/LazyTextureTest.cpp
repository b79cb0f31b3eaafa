// Pictures are listed at load and decoded at first use: ids count up as before (0 for a file
// whose header already says it is no picture), nothing is decoded until a texture is drawn or
// its size asked for, and a picture whose pixels fail then draws untextured under its own id.
#include <SDL_opengl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "EngineTestFiles.h"

namespace {

using namespace enginetest;

int Occurrences(const std::string& text, const std::string& word) {
    int n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        ++n;
    return n;
}

// A JPEG whose header is whole but whose scan stops half-way: only decoding finds the fault.
std::string WriteCutJpeg(const TempFolder& dir, const std::string& name) {
    Picture noise = Filled(64, 64, {0, 0, 0});
    for (size_t i = 0; i < noise.pixels.size(); ++i)
        noise.pixels[i] = {std::uint8_t(i * 37), std::uint8_t(i * 91), std::uint8_t(i * 13)};
    const std::string whole = WriteJpeg(dir.File("whole-" + name), noise);
    const std::string bytes = ReadText(whole);
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + bytes.size() / 2);
    return dir.Write(name, cut);
}

TEST(LazyTextures, HeadersDecideTheIdsAndPixelsWaitForTheirFirstUse) {
    BoundEngine engine(ExHeadless);
    ASSERT_TRUE(engine.ok());
    ITextureStore* store = engine.core()->TextureStore();
    const TempFolder& dir = engine.folder();
    Picture red = Filled(5, 3, {255, 0, 0});
    Picture bmpHead = Filled(4, 4, {0, 0, 0});
    std::vector<std::uint8_t> bmp = BmpBytes(bmpHead);
    std::vector<std::uint8_t> noOffset = bmp;
    noOffset[10] = 0xF0;  // pixel data said to start past the end of the file
    struct Case {
        const char* fault;
        std::string file;
        int id;
    };
    const Case cases[] = {
        {"a good BMP got no id", dir.Write("a.bmp", BmpBytes(red)), 1},
        {"a JPEG cut in its scan was refused by its header", WriteCutJpeg(dir, "cut.jpg"), 2},
        {"a BMP without its pixel data got an id", dir.Write("b.bmp", noOffset), 0},
        {"a BMP cut inside its header got an id", dir.Write("c.bmp", {'B', 'M', 0, 0}), 0},
        {"a folder got an id", dir.File(""), 0},
        {"a good JPEG after refusals got the wrong id", WriteJpeg(dir.File("e.jpg"), red), 3},
    };
    for (const Case& c : cases)
        EXPECT_EQ(store->LoadTexture(c.file.c_str(), 0, 1, 0), c.id) << c.fault;
    EXPECT_EQ(Occurrences(engine.Log(), "texture loaded"), 0) << "decoded at load:\n"
                                                              << engine.Log();

    int w = 0, h = 0;
    EXPECT_TRUE(store->TextureSize(3, w, h));
    EXPECT_EQ(w * 100 + h, 503) << "the size must be the decoded picture's";
    EXPECT_FALSE(store->TextureSize(2, w, h)) << "a cut JPEG has no size";
    EXPECT_FALSE(store->TextureSize(2, w, h)) << "asking twice changed the answer";
    const std::string log = engine.Log();
    EXPECT_EQ(Occurrences(log, "texture loaded"), 1) << log;
    EXPECT_EQ(Occurrences(log, "texture loaded: " + dir.File("e.jpg") + " (5x3), id 3"), 1) << log;
    EXPECT_EQ(Occurrences(log, "texture refused: " + dir.File("cut.jpg")), 1)
        << "a failed decode must be said once:\n"
        << log;
}

constexpr int kW = 64;
constexpr int kH = 48;

Rgb ColourOf(int i) {
    return {std::uint8_t(40 + i), std::uint8_t(200 - i), std::uint8_t(i * 3)};
}

Rgb PixelAt(int x, int y) {
    std::uint8_t p[3] = {0, 0, 0};
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, kH - 1 - y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, p);
    return {p[0], p[1], p[2]};
}

bool Same(Rgb a, Rgb b) {
    return std::abs(a.r - b.r) <= 1 && std::abs(a.g - b.g) <= 1 && std::abs(a.b - b.b) <= 1;
}

void DrawSquare(ITextureStore* store, int id) {
    glColor3f(1, 1, 1);  // textures are modulated by the current colour
    store->BindTexture(id, 0);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(0, 0);
    glTexCoord2f(1, 0);
    glVertex2f(16, 0);
    glTexCoord2f(1, 1);
    glVertex2f(16, 16);
    glTexCoord2f(0, 1);
    glVertex2f(0, 16);
    glEnd();
    store->UnbindTexture(0);
}

TEST(LazyTextures, OnlyTheTexturesDrawnAreDecoded) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under xvfb-run)";
    BoundEngine engine(0);
    ASSERT_TRUE(engine.ok());
    IEngineCore* core = engine.core();
    ASSERT_TRUE(core->WindowHost()->CreateWindow("lazy textures", 0, 0, kW, kH)) << engine.Log();
    core->Renderer()->Set2DView(0, 0, kW, kH);
    ITextureStore* store = core->TextureStore();
    const TempFolder& dir = engine.folder();
    constexpr int kPictures = 150;
    std::vector<std::string> files;
    for (int i = 1; i <= kPictures; ++i) {
        Picture p = Filled(4, 4, ColourOf(i));
        files.push_back(dir.Write("p" + std::to_string(i) + ".bmp", BmpBytes(p)));
        ASSERT_EQ(store->LoadTexture(files.back().c_str(), 0, 1, 0), i);
    }
    const int cut = store->LoadTexture(WriteCutJpeg(dir, "cut.jpg").c_str(), 0, 1, 0);
    ASSERT_EQ(cut, kPictures + 1);
    for (int id : {57, 3, 57}) {
        DrawSquare(store, id);
        EXPECT_TRUE(Same(PixelAt(8, 8), ColourOf(id))) << "texture " << id << " shows another";
    }
    DrawSquare(store, cut);
    EXPECT_TRUE(Same(PixelAt(8, 8), {255, 255, 255})) << "an undecodable picture is not untextured";
    const std::string log = engine.Log();
    EXPECT_EQ(Occurrences(log, "texture loaded"), 2) << log;
    EXPECT_EQ(Occurrences(log, "texture loaded: " + files[56] + " "), 1) << log;
    EXPECT_EQ(Occurrences(log, "texture loaded: " + files[2] + " "), 1) << log;
    EXPECT_EQ(Occurrences(log, "draws untextured"), 1) << log;
}

}  // namespace
