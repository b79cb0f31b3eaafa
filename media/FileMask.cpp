// File-search masks: a greedy wildcard match with one backtrack point, the last '*' seen.
#include "media/FileMask.h"

namespace media {
namespace {

// ASCII only: the games' masks are ASCII, and a name's other bytes must compare as themselves
// whatever the locale.
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool MaskMatches(std::string_view name, std::string_view mask) {
    if (mask == "*.*" || mask == "*") return true;
    std::size_t n = 0, m = 0, starMask = std::string_view::npos, starName = 0;
    while (n < name.size()) {
        // A '*' in the mask is always a wildcard, even against a '*' in the name.
        if (m < mask.size() && mask[m] == '*') {
            starMask = m++;
            starName = n;
        } else if (m < mask.size() && (mask[m] == '?' || Lower(mask[m]) == Lower(name[n]))) {
            ++n;
            ++m;
        } else if (starMask != std::string_view::npos) {
            m = starMask + 1;
            n = ++starName;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

}  // namespace media
