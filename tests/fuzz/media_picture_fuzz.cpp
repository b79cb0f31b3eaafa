// The picture loader on any bytes: a BMP or JPEG that decodes must hand back exactly width x
// height RGB pixels of a size the loader accepts; anything else must be refused with a reason.
// Neither may crash, overrun or leak (the sanitizers watch).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "FuzzInput.h"
#include "media/Picture.h"

namespace {

void CheckDecoded(bool loaded, const media::RgbPicture& picture, const std::string& why) {
    if (!loaded) {
        if (why.empty()) std::abort();  // a refusal always says why
        return;
    }
    if (picture.width <= 0 || picture.height <= 0) std::abort();
    const auto pixels = static_cast<std::uint64_t>(picture.width) * picture.height;
    if (picture.rgb.size() != pixels * 3) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = InputAsFile(data, size);
    media::RgbPicture bmp, jpeg;
    std::string bmpWhy, jpegWhy;
    CheckDecoded(media::LoadBmp(file, bmp, &bmpWhy), bmp, bmpWhy);
    CheckDecoded(media::LoadJpeg(file, jpeg, &jpegWhy), jpeg, jpegWhy);
    return 0;
}
