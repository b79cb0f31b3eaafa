// Pictures of any size: tiny files that declare giants cost their output's memory only (measured
// in a child process), pictures above 4096 pixels come out reduced, and every bitmap variant
// decodes exactly as SDL's reader, which the games used before, decoded it.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>

#include "GiantPictures.h"
#include "TempFolder.h"
#include "media/Picture.h"

namespace {

using giant::Bytes;
using giant::kMemorySlack;
using giant::Put16;
using giant::Put32;

long ResidentKb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

struct Decoded {
    bool ok = false;
    int width = 0, height = 0;
    long extraKb = 0;  // the child's peak resident memory above what it started with
};

// Decodes `file` in a child process, so that its peak memory is the decoder's alone.
Decoded DecodeInChild(const std::string& file, bool jpeg) {
    const long startKb = ResidentKb();
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        media::RgbPicture picture;
        const bool ok = jpeg ? media::LoadJpeg(file, picture) : media::LoadBmp(file, picture);
        const int result[3] = {ok, picture.width, picture.height};
        _exit(write(pipeFds[1], result, sizeof result) == sizeof result ? 0 : 1);
    }
    close(pipeFds[1]);
    int result[3] = {0, 0, 0};
    const bool got = read(pipeFds[0], result, sizeof result) == sizeof result;
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!got || !WIFEXITED(status)) return {};
    return {result[0] != 0, result[1], result[2], usage.ru_maxrss - startKb};
}

TEST(PictureSize, TinyFilesDeclaringGiantsCostTheirOutputOnly) {
    struct Case {
        const char* fault;
        Bytes bytes;
        bool jpeg, ok;
        int width, height;
    } cases[] = {
        {"RLE8 64,000,000 x 1: the surface was allocated at the declared size", giant::WideRle8(),
         false, true, 4096, 1},
        {"RLE8 1 x 64,000,000: one blank row at a time is 64 million rows",
         giant::RleBmp(1, 64000000, 8, {1, 4, 0, 0, 1, 5}), false, true, 1, 4096},
        {"RLE4 16000 x 4000, alternating runs", giant::RleBmp(16000, 4000, 4, {200, 0x12, 0, 0}),
         false, true, 4096, 1024},
        {"arithmetic 8000 x 8000 in one scan: decoded at 4/8",
         giant::LyingJpeg(8000, 8000, true, false), true, true, 4000, 4000},
        {"arithmetic 65000 x 984: still 8125 wide at 1/8, then averaged",
         giant::LyingJpeg(65000, 984, true, false), true, true, 4096, 62},
        {"arithmetic progressive 8000 x 8000: 192 MB of coefficients for a few bytes",
         giant::LyingJpeg(8000, 8000, true, true), true, false, 0, 0},
        {"arithmetic progressive grey 2000 x 2000: small enough to keep",
         giant::LyingJpeg(2000, 2000, true, true, 1), true, true, 2000, 2000},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        ASSERT_LT(c.bytes.size(), 2000u);
        const Decoded d = DecodeInChild(folder.Write(c.jpeg ? "g.jpg" : "g.bmp", c.bytes), c.jpeg);
        EXPECT_EQ(d.ok, c.ok);
        EXPECT_EQ(d.width, c.width);
        EXPECT_EQ(d.height, c.height);
        // The output and the decoder's own rows; 100 MB is what a few bytes may cost at most.
        EXPECT_LT(d.extraKb, kMemorySlack * 100 * 1024);
    }
}

// A 24-bit bitmap of width x height whose pixel (x, y) is colour(x, y).
template <typename Colour>
Bytes Bmp24(int width, int height, bool topDown, const Colour& colour) {
    const std::uint32_t rowBytes = (width * 3 + 3) / 4 * 4;
    Bytes f = {'B', 'M'};
    Put32(f, 54 + rowBytes * height), Put32(f, 0), Put32(f, 54), Put32(f, 40), Put32(f, width);
    Put32(f, static_cast<std::uint32_t>(topDown ? -height : height)), Put16(f, 1), Put16(f, 24);
    for (int i = 0; i < 6; ++i)
        Put32(f, 0);
    f.resize(54 + std::size_t(rowBytes) * height, 0);
    for (int r = 0; r < height; ++r) {
        const int y = topDown ? r : height - 1 - r;
        std::uint8_t* p = &f[54 + std::size_t(r) * rowBytes];
        for (int x = 0; x < width; ++x, p += 3) {
            const auto c = colour(x, y);
            p[0] = c[2], p[1] = c[1], p[2] = c[0];
        }
    }
    return f;
}

// The area average in real numbers: source pixel i of n spans [i m / n, (i + 1) m / n) of m.
double Coverage(int i, int n, int k, int m) {
    const double from = double(i) * m / n, to = double(i + 1) * m / n;
    return std::max(0.0, std::min(to, k + 1.0) - std::max(from, double(k)));
}

TEST(PictureSize, BitmapsAboveTheLimitAreAveragedByArea) {
    // Stripes of periods 3 and 7 so that output pixels straddle source pixels unevenly.
    auto colour = [](int x, int y) {
        return std::array<std::uint8_t, 3>{std::uint8_t(x % 3 * 100), std::uint8_t(y % 7 * 40),
                                           std::uint8_t(x < 3000 ? 20 : 220)};
    };
    struct Case {
        const char* fault;
        int width, height;
        bool topDown;
        int outWidth, outHeight;
    } cases[] = {
        {"6000 x 3000 bottom-up: rows gathered in the wrong direction", 6000, 3000, false, 4096,
         2048},
        {"5000 x 301 top-down: uneven ratios on both sides", 5000, 301, true, 4096, 247},
        {"301 x 5000 bottom-up: the taller side is the one reduced", 301, 5000, false, 247, 4096},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        media::RgbPicture p;
        std::string error;
        ASSERT_TRUE(media::LoadBmp(
            folder.Write("w.bmp", Bmp24(c.width, c.height, c.topDown, colour)), p, &error))
            << error;
        ASSERT_EQ(p.width, c.outWidth);
        ASSERT_EQ(p.height, c.outHeight);
        for (int k : {0, 1, p.width / 2, p.width - 1}) {
            for (int row : {0, 5, p.height / 2, p.height - 1}) {
                double want[3] = {0, 0, 0};
                for (int x = k * c.width / p.width; x <= (k + 1) * c.width / p.width; ++x)
                    for (int y = row * c.height / p.height; y <= (row + 1) * c.height / p.height;
                         ++y) {
                        if (x >= c.width || y >= c.height) continue;
                        const double w =
                            Coverage(x, c.width, k, p.width) * Coverage(y, c.height, row, p.height);
                        for (int ch = 0; ch < 3; ++ch)
                            want[ch] += colour(x, y)[ch] * w;
                    }
                const std::uint8_t* got = &p.rgb[(std::size_t(row) * p.width + k) * 3];
                for (int ch = 0; ch < 3; ++ch)
                    EXPECT_NEAR(got[ch], want[ch], 0.51)
                        << "output pixel " << k << "," << row << " channel " << ch;
            }
        }
    }
    // At the limit nothing changes; one pixel past it, the picture is reduced.
    media::RgbPicture p;
    ASSERT_TRUE(media::LoadBmp(folder.Write("e.bmp", Bmp24(4096, 3, false, colour)), p));
    EXPECT_EQ(p.width, 4096);
    EXPECT_EQ(p.rgb[3 * 4095], colour(4095, 0)[0]);
    ASSERT_TRUE(media::LoadBmp(folder.Write("f.bmp", Bmp24(3, 4097, false, colour)), p));
    EXPECT_EQ(p.width, 3);
    EXPECT_EQ(p.height, 4096);
}

Bytes JpegOf(int width, int height) {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<JSAMPLE> row(width * 3);
    while (cinfo.next_scanline < cinfo.image_height) {
        // Left half red, right half blue, a green band across the middle third.
        const bool band = cinfo.next_scanline >= JDIMENSION(height / 3) &&
                          cinfo.next_scanline < JDIMENSION(2 * height / 3);
        for (int x = 0; x < width; ++x) {
            row[x * 3] = x < width / 2 ? 200 : 0;
            row[x * 3 + 1] = band ? 200 : 0;
            row[x * 3 + 2] = x < width / 2 ? 0 : 200;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

TEST(PictureSize, JpegsAboveTheLimitAreScaledWhileDecoded) {
    TempFolder folder;
    media::RgbPicture p;
    std::string error;
    ASSERT_TRUE(media::LoadJpeg(folder.Write("big.jpg", JpegOf(5000, 4000)), p, &error)) << error;
    ASSERT_EQ(p.width, 3750);  // 6/8: 7/8 would be 4375
    ASSERT_EQ(p.height, 3000);
    auto near = [&](int x, int y, int r, int g, int b) {
        const std::uint8_t* px = &p.rgb[(std::size_t(y) * p.width + x) * 3];
        EXPECT_NEAR(px[0], r, 6) << x << "," << y;
        EXPECT_NEAR(px[1], g, 6) << x << "," << y;
        EXPECT_NEAR(px[2], b, 6) << x << "," << y;
    };
    near(100, 100, 200, 0, 0);
    near(3650, 2900, 0, 0, 200);
    near(900, 1500, 200, 200, 0);
    near(2800, 1500, 0, 200, 200);
}

}  // namespace
