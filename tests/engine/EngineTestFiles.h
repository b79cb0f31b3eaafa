// Test helpers for the engine: a fresh temporary folder, pictures and sounds written byte by
// byte (BMP, WAV) or through libjpeg (JPEG), and an engine bound for the length of one test.
#pragma once

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "eXgine.h"

namespace enginetest {

struct Rgb {
    std::uint8_t r, g, b;
};

// A picture as rows top-down.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;
    Rgb& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
};

inline Picture Filled(int width, int height, Rgb colour) {
    return Picture{width, height, std::vector<Rgb>(static_cast<size_t>(width) * height, colour)};
}

inline void Put16(std::vector<std::uint8_t>& b, unsigned v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

inline void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

inline void PutTag(std::vector<std::uint8_t>& b, const char* tag) {
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<std::uint8_t>(tag[i]));
}

// A 24-bit bottom-up Windows bitmap.
inline std::vector<std::uint8_t> BmpBytes(Picture& p) {
    const int stride = (p.width * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, 54 + stride * p.height);
    Put32(b, 0);
    Put32(b, 54);
    Put32(b, 40);
    Put32(b, p.width);
    Put32(b, p.height);
    Put16(b, 1);
    Put16(b, 24);
    for (int i = 0; i < 6; ++i)
        Put32(b, 0);
    for (int y = p.height - 1; y >= 0; --y) {
        for (int x = 0; x < p.width; ++x) {
            b.push_back(p.At(x, y).b);
            b.push_back(p.At(x, y).g);
            b.push_back(p.At(x, y).r);
        }
        for (int pad = p.width * 3; pad < stride; ++pad)
            b.push_back(0);
    }
    return b;
}

inline std::string WriteJpeg(const std::string& file, Picture& p) {
    std::FILE* out = std::fopen(file.c_str(), "wb");
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out);
    info.image_width = static_cast<JDIMENSION>(p.width);
    info.image_height = static_cast<JDIMENSION>(p.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = reinterpret_cast<JSAMPROW>(&p.At(0, static_cast<int>(info.next_scanline)));
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(out);
    return file;
}

// A PCM WAV: `seconds` of a square wave, with header fields that a test may falsify.
struct WavSpec {
    std::uint32_t rate = 22050;
    unsigned channels = 1;
    unsigned bits = 16;
    double seconds = 2.0;            // long enough to be still playing when a test looks
    std::int64_t declaredData = -1;  // data chunk size written in the header; -1: the true one
};

inline std::vector<std::uint8_t> WavBytes(const WavSpec& s) {
    const unsigned frameBytes = s.channels * s.bits / 8;
    const auto frames = static_cast<std::uint32_t>(s.rate * s.seconds);
    std::vector<std::uint8_t> data;
    for (std::uint32_t i = 0; i < frames; ++i)
        for (unsigned c = 0; c < frameBytes; ++c)
            data.push_back((i / 40) % 2 ? 0x40 : 0xC0);
    std::vector<std::uint8_t> b;
    PutTag(b, "RIFF");
    Put32(b, static_cast<std::uint32_t>(36 + data.size()));
    PutTag(b, "WAVE");
    PutTag(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, s.channels);
    Put32(b, s.rate);
    Put32(b, s.rate * frameBytes);
    Put16(b, frameBytes);
    Put16(b, s.bits);
    PutTag(b, "data");
    Put32(b, s.declaredData < 0 ? static_cast<std::uint32_t>(data.size())
                                : static_cast<std::uint32_t>(s.declaredData));
    for (std::uint8_t byte : data)
        b.push_back(byte);
    return b;
}

inline std::string ReadText(const std::string& file) {
    std::ifstream in(file);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

// Binds the engine for one test and releases it afterwards, the log in a fresh folder.
class BoundEngine {
  public:
    explicit BoundEngine(int flags) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        log_ = folder_ / "log.txt";
        ok_ = exInit(&core_, log_.c_str(), flags);
    }
    ~BoundEngine() {
        if (ok_) exDone();
    }
    BoundEngine(const BoundEngine&) = delete;
    BoundEngine& operator=(const BoundEngine&) = delete;

    bool ok() const { return ok_; }
    IEngineCore* core() const { return core_; }
    const TempFolder& folder() const { return folder_; }
    // The log as written so far (every line is flushed at once).
    std::string Log() const { return ReadText(log_); }

  private:
    TempFolder folder_;
    std::string log_;
    IEngineCore* core_ = nullptr;
    bool ok_ = false;
};

// A test on a real window of `Width` x `Height` under Xvfb, its engine bound and its renderer's
// 2D view one view pixel per window pixel; skipped without a display.
template <int Width, int Height>
class ShownWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display (run under xvfb-run)";
        engine_ = std::make_unique<BoundEngine>(0);
        ASSERT_TRUE(engine_->ok()) << engine_->Log();
        IEngineCore* core = engine_->core();
        ASSERT_TRUE(core->WindowHost()->CreateWindow("engine test", 0, 0, Width, Height))
            << engine_->Log();
        core->WindowHost()->ShowWindow();
        r_ = core->Renderer();
        r_->Set2DView(0, 0, Width, Height);
    }

    std::unique_ptr<BoundEngine> engine_;
    IRenderer* r_ = nullptr;
};

}  // namespace enginetest
