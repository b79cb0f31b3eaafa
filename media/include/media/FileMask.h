// File-search masks, as both games pick their content by name ("*.bmp").
#pragma once

#include <string_view>

namespace media {

// '*' matches any run of characters (a '*' in the name too), '?' any one character, anything else
// itself with letters compared without regard to case (ASCII); "*.*" and "*" match every name,
// with or without a dot.
bool MaskMatches(std::string_view name, std::string_view mask);

}  // namespace media
