// Pictures decoded on worker threads: the same pixels, in the same order, as on one thread, and
// large pictures reduced before the per-pixel pass (which then works on the reduced size).
#include <gtest/gtest.h>

#include "GLUsePicture.h"
#include "PictureLoader.h"
#include "PresentFiles.h"

namespace {

TEST(PictureLoader, EveryThreadCountGivesTheOneThreadPixelsInListOrder) {
    PresentTempFolder folder;
    // Different sizes and kinds, a missing file and "nill" among them, so that the workers finish
    // out of order and the fallback turns up between real pictures.
    std::vector<std::string> files;
    for (int k = 0; k < 7; ++k) {
        const auto picture =
            MakePicture(40 + 13 * k, 30 + 7 * k, [k](int x, int y, std::uint8_t rgb[3]) {
                rgb[0] = std::uint8_t(x * 5 + k);
                rgb[1] = std::uint8_t(y * 3);
                rgb[2] = std::uint8_t(x ^ y);
            });
        files.push_back(folder.File("p" + std::to_string(k) + (k % 2 ? ".jpg" : ".bmp")));
        ASSERT_TRUE(k % 2 ? WriteJpeg(files.back(), picture)
                          : media::SaveBmp(files.back(), picture));
    }
    files.insert(files.begin() + 2, folder.File("missing.bmp"));
    files.insert(files.begin() + 5, "nill");
    std::vector<PicturePixels> alone;
    for (const std::string& f : files) {
        PicturePixels p;
        const auto& pixels = LoadPicturePixels(f, p.width, p.height, true, true);
        p.rgba = pixels;
        alone.push_back(p);
    }
    for (int threads : {1, 2, 3, 8}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        std::size_t next = 0;
        LoadPicturesInOrder(files, true, true, threads, [&](std::size_t k, const PicturePixels& p) {
            ASSERT_EQ(k, next++) << "handed back out of order";
            EXPECT_EQ(p.width, alone[k].width);
            EXPECT_EQ(p.height, alone[k].height);
            EXPECT_TRUE(p.rgba == alone[k].rgba) << "picture " << k;
        });
        EXPECT_EQ(next, files.size());
    }
}

TEST(PictureLoader, LargePicturesAreReducedBeforeThePass) {
    PresentTempFolder folder;
    struct Case {
        const char* fault;
        std::string file;
        int width, height;
    } cases[] = {
        {"5000 x 4000 JPEG scaled by 6/8", folder.File("big.jpg"), 3750, 3000},
        {"6000 x 3000 bitmap averaged", folder.File("big.bmp"), 4096, 2048},
    };
    ASSERT_TRUE(WriteJpeg(cases[0].file, MakePicture(5000, 4000, Flat(100, 100, 100)), 90));
    ASSERT_TRUE(media::SaveBmp(cases[1].file, MakePicture(6000, 3000, Flat(100, 100, 100))));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        PicturePixels p;
        media::RgbPicture scratch;
        MakePicturePixels(c.file, true, true, scratch, p);
        ASSERT_EQ(p.width, c.width);
        ASSERT_EQ(p.height, c.height);
        // The ellipse of the reduced size: corners cut, centre brightened 2.4 times, rim at 0.8.
        auto at = [&](int x, int y, int channel) {
            return int(p.rgba[(std::size_t(y) * p.width + x) * 4 + channel]);
        };
        EXPECT_EQ(at(0, 0, 3), 0);
        EXPECT_EQ(at(c.width - 1, c.height - 1, 3), 0);
        EXPECT_NEAR(at(c.width / 2, c.height / 2, 0), 239, 3);
        EXPECT_EQ(at(c.width / 2, c.height / 2, 3), 255);
        EXPECT_NEAR(at(0, c.height / 2, 0), 80, 2);
        EXPECT_EQ(at(0, c.height / 2, 3), 255);
    }
}

}  // namespace
