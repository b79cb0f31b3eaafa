// File checks the picture decoders run before they open anything.
#include "PictureIo.h"

#include <filesystem>
#include <system_error>

namespace media::detail {

bool Fail(std::string* error, const std::string& path, const std::string& reason) {
    if (error) *error = path + ": " + reason;
    return false;
}

bool StatPictureFile(const std::string& path, std::uintmax_t& size, std::string* error) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) return Fail(error, path, "no such file");
    if (fs::is_directory(status)) return Fail(error, path, "is a folder, not a picture");
    if (!fs::is_regular_file(status)) return Fail(error, path, "not a regular file");
    size = fs::file_size(path, ec);
    if (ec) return Fail(error, path, "cannot read its size: " + ec.message());
    if (size == 0) return Fail(error, path, "empty file");
    return true;
}

}  // namespace media::detail
