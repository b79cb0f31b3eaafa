// JPEG files made here with libjpeg's compressor, decoded through LoadJpeg and compared within
// the loss of the compression; broken, truncated and lying files must come back false.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
// clang-format off
#include <jpeglib.h>
// clang-format on

#include "TempFolder.h"
#include "media/Picture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

enum class Kind { Baseline, Progressive, Grey, Cmyk, ManyScans };

// A valid progressive script for one component with 1 + 63 x 11 = 694 scans: each AC
// coefficient on its own, refined one bit at a time.
std::vector<jpeg_scan_info> ManyScanScript() {
    std::vector<jpeg_scan_info> script;
    script.push_back({1, {0}, 0, 0, 0, 0});
    for (int k = 1; k < 64; ++k) {
        script.push_back({1, {0}, k, k, 0, 10});
        for (int al = 9; al >= 0; --al)
            script.push_back({1, {0}, k, k, al + 1, al});
    }
    return script;
}

// A gentle gradient (sizes up to 40), so that JPEG's loss stays small and known.
media::RgbPicture Gradient(int w, int h, bool grey) {
    media::RgbPicture pic{w, h, {}};
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int r = 40 + x * 4, g = 60 + y * 4, b = 100 + (x + y) * 2;
            for (int c : {r, g, b})
                pic.rgb.push_back(grey ? (r + g) / 2 : c);
        }
    }
    return pic;
}

// Compresses `pic` at quality 95. CMYK is written the way Adobe does: the stored values are
// inverted ink, so (r, g, b, 255) means colour r, g, b with no black.
Bytes Compress(const media::RgbPicture& pic, Kind kind) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr err{};
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = pic.width;
    cinfo.image_height = pic.height;
    const bool grey = kind == Kind::Grey || kind == Kind::ManyScans;
    cinfo.input_components = grey ? 1 : kind == Kind::Cmyk ? 4 : 3;
    cinfo.in_color_space = grey ? JCS_GRAYSCALE : kind == Kind::Cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 95, TRUE);
    if (kind == Kind::Progressive) jpeg_simple_progression(&cinfo);
    const std::vector<jpeg_scan_info> script = ManyScanScript();
    if (kind == Kind::ManyScans) {
        cinfo.scan_info = script.data();
        cinfo.num_scans = static_cast<int>(script.size());
    }
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(pic.width * 4);
    while (cinfo.next_scanline < cinfo.image_height) {
        const std::uint8_t* src = &pic.rgb[cinfo.next_scanline * pic.width * 3];
        for (int x = 0; x < pic.width; ++x) {
            for (int c = 0; c < cinfo.input_components; ++c) {
                row[x * cinfo.input_components + c] = c < 3 ? src[x * 3 + c] : 255;
            }
        }
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

int MaxDifference(const media::RgbPicture& a, const media::RgbPicture& b) {
    int worst = 0;
    for (std::size_t i = 0; i < a.rgb.size() && i < b.rgb.size(); ++i) {
        worst = std::max(worst, std::abs(a.rgb[i] - b.rgb[i]));
    }
    return worst;
}

TEST(Jpeg, VariantsDecodeCloseToTheOriginal) {
    struct Case {
        const char* fault;
        Kind kind;
        int width, height;
    } cases[] = {
        {"baseline colour with partial blocks at the edges", Kind::Baseline, 37, 23},
        {"progressive: only the first scan shown", Kind::Progressive, 40, 31},
        {"grey-scale not expanded to three channels", Kind::Grey, 19, 26},
        {"Adobe CMYK refused or inverted", Kind::Cmyk, 16, 9},
        {"smaller than one block", Kind::Baseline, 2, 2},
    };
    TempFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const media::RgbPicture original = Gradient(c.width, c.height, c.kind == Kind::Grey);
        const std::string file = folder.Write("p.jpg", Compress(original, c.kind));
        media::RgbPicture pic;
        std::string error;
        ASSERT_TRUE(media::LoadJpeg(file, pic, &error)) << error;
        EXPECT_EQ(pic.width, c.width);
        EXPECT_EQ(pic.height, c.height);
        ASSERT_EQ(pic.rgb.size(), original.rgb.size());
        EXPECT_LE(MaxDifference(pic, original), 12);
    }
}

// A game decodes photo after photo into one picture whose buffer it keeps: each must come out as
// it would into a fresh one, whatever the one before it was, and a failure leaves nothing.
TEST(Jpeg, OnePictureTakesFileAfterFileAsAFreshOneWould) {
    TempFolder folder;
    const std::string big =
        folder.Write("big.jpg", Compress(Gradient(3000, 1100, false), Kind::Baseline));
    const std::string small =
        folder.Write("small.jpg", Compress(Gradient(37, 23, false), Kind::Grey));
    const std::string wide =
        folder.Write("wide.jpg", Compress(Gradient(3100, 1000, false), Kind::Progressive));
    const std::string broken = folder.Write("broken.jpg", Bytes{0xFF, 0xD8, 0xFF});
    media::RgbPicture kept;
    for (const std::string& file : {big, small, big, wide, broken, small, wide}) {
        SCOPED_TRACE(file);
        media::RgbPicture fresh;
        const bool decoded = media::LoadJpeg(file, fresh);
        EXPECT_EQ(media::LoadJpeg(file, kept), decoded);
        EXPECT_EQ(kept.width, fresh.width);
        EXPECT_EQ(kept.height, fresh.height);
        EXPECT_TRUE(kept.rgb == fresh.rgb) << "bytes of the picture before are left in it";
        if (!decoded) {
            EXPECT_TRUE(kept.rgb.empty());
        }
    }
}

// Offset of the first marker after SOI and the APP0 segment.
std::size_t AfterApp0(const Bytes& jpeg) {
    return 4 + (jpeg[4] << 8 | jpeg[5]);
}

// Offset of the SOF0/SOF2 segment's height field.
std::size_t SofHeightAt(const Bytes& jpeg) {
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) return i + 5;
    }
    return 0;
}

TEST(Jpeg, BrokenFilesComeBackFalse) {
    const Bytes baseline = Compress(Gradient(64, 48, false), Kind::Baseline);
    const Bytes progressive = Compress(Gradient(64, 48, false), Kind::Progressive);
    struct Bad {
        const char* fault;
        const Bytes* source;
        std::function<void(Bytes&)> spoil;
        const char* reason;
    } cases[] = {
        {"empty file", &baseline, [](Bytes& b) { b.clear(); }, "empty file"},
        {"cut in the middle of the picture data", &baseline,
         [](Bytes& b) { b.resize(b.size() / 2); }, "Premature end"},
        {"end marker missing", &baseline, [](Bytes& b) { b.erase(b.end() - 2, b.end()); },
         "Premature end"},
        {"progressive cut after its first scans", &progressive,
         [](Bytes& b) { b.resize(b.size() * 2 / 3); }, "Premature end"},
        {"cut inside the header", &baseline, [](Bytes& b) { b.resize(30); }, "Premature end"},
        {"not a JPEG at all", &baseline,
         [](Bytes& b) {
             b.assign({'B', 'M', 1, 2, 3, 4});
         },
         "Not a JPEG"},
        {"noise after the start marker", &baseline,
         [](Bytes& b) {
             for (std::size_t i = 2; i < b.size(); ++i)
                 b[i] = (i * 7919) & 0xFF;
         },
         "Premature end"},
        {"declares 65000 x 65000", &baseline,
         [](Bytes& b) {
             const std::size_t at = SofHeightAt(b);
             b[at] = b[at + 2] = 0xFD, b[at + 1] = b[at + 3] = 0xE8;
         },
         "declared size"},
        {"declares 8000 x 8000 in a few kilobytes", &baseline,
         [](Bytes& b) {
             const std::size_t at = SofHeightAt(b);
             b[at] = b[at + 2] = 0x1F, b[at + 1] = b[at + 3] = 0x40;
         },
         "more than the file can hold"},
        {"declares zero height", &baseline,
         [](Bytes& b) {
             const std::size_t at = SofHeightAt(b);
             b[at] = b[at + 1] = 0;
         },
         "Empty JPEG"},
    };
    TempFolder folder;
    for (const Bad& c : cases) {
        SCOPED_TRACE(c.fault);
        Bytes bytes = *c.source;
        c.spoil(bytes);
        media::RgbPicture pic{2, 2, Bytes(12, 9)};
        std::string error;
        EXPECT_FALSE(media::LoadJpeg(folder.Write("bad.jpg", bytes), pic, &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_TRUE(pic.rgb.empty() && pic.width == 0 && pic.height == 0);
    }
    std::string error;
    media::RgbPicture pic;
    EXPECT_FALSE(media::LoadJpeg(folder.path(), pic, &error));
    EXPECT_FALSE(media::LoadJpeg(folder.path() + "/missing.jpg", pic, &error));
}

TEST(Jpeg, StrayBytesBeforeAMarkerStillDecode) {
    const media::RgbPicture original = Gradient(33, 17, false);
    Bytes bytes = Compress(original, Kind::Baseline);
    const Bytes stray = {0x12, 0x34, 0x00, 0x56};
    bytes.insert(bytes.begin() + AfterApp0(bytes), stray.begin(), stray.end());
    TempFolder folder;
    media::RgbPicture pic;
    std::string error;
    ASSERT_TRUE(media::LoadJpeg(folder.Write("stray.jpg", bytes), pic, &error)) << error;
    EXPECT_EQ(pic.width, 33);
    EXPECT_LE(MaxDifference(pic, original), 12);
}

// A flat picture compresses to about two bits per block; the check against lying headers
// must leave such honest files alone.
TEST(Jpeg, FlatPicturesAreNotTakenForLyingHeaders) {
    TempFolder folder;
    for (Kind kind : {Kind::Grey, Kind::Progressive}) {
        const media::RgbPicture flat{1024, 1024, Bytes(1024 * 1024 * 3, 128)};
        const Bytes bytes = Compress(flat, kind);
        media::RgbPicture pic;
        std::string error;
        EXPECT_TRUE(media::LoadJpeg(folder.Write("flat.jpg", bytes), pic, &error))
            << error << " (" << bytes.size() << " bytes)";
        EXPECT_LE(MaxDifference(pic, flat), 2);
    }
}

// Every scan makes the decoder pass over the picture again: a small file with hundreds of
// scans would keep the game busy for minutes, so such a file is refused.
TEST(Jpeg, AbsurdScanCountsAreRefused) {
    TempFolder folder;
    const Bytes bytes = Compress(Gradient(16, 16, true), Kind::ManyScans);
    media::RgbPicture pic;
    std::string error;
    EXPECT_FALSE(media::LoadJpeg(folder.Write("scans.jpg", bytes), pic, &error));
    EXPECT_NE(error.find("scans"), std::string::npos) << error;
}

}  // namespace
