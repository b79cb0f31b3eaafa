// Picture decoding: BMP through SDL's reader, JPEG through libjpeg.
#include "media/Picture.h"

namespace media {

bool LoadBmp(const std::string&, RgbPicture&, std::string* error) {
    if (error) *error = "not built yet";
    return false;
}

bool LoadJpeg(const std::string&, RgbPicture&, std::string* error) {
    if (error) *error = "not built yet";
    return false;
}

bool SaveBmp(const std::string&, const RgbPicture&) {
    return false;
}

}  // namespace media
