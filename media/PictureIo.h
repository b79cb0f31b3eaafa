// Helpers the picture decoders share: file checks before decoding and error reporting.
#pragma once

#include <cstdint>
#include <string>

namespace media::detail {

// Says why a picture could not be read: "<path>: <reason>" into *error when asked for.
bool Fail(std::string* error, const std::string& path, const std::string& reason);

// True when `path` names a regular file; fills its size. Missing files, folders and devices are
// refused with a reason, so a decoder never blocks on a pipe or reads a folder.
bool StatPictureFile(const std::string& path, std::uintmax_t& size, std::string* error);

}  // namespace media::detail
