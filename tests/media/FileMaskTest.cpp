// The file-search masks both games pick their content with.
#include "media/FileMask.h"

#include <gtest/gtest.h>

namespace {

TEST(FileMask, FollowsTheFileSearchRules) {
    struct Case {
        const char* name;
        const char* mask;
        bool expected;
    };
    const Case cases[] = {
        {"a.bmp", "*.bmp", true},
        {"PHOTO.JPG", "*.jpg", true},  // case aside
        {"c.Jpg", "*.JPG", true},
        {"x.jpeg", "*.jpg", false},  // the extension is matched whole
        {"x.jpg.txt", "*.jpg", false},
        {"bmp", "*.bmp", false},
        {".bmp", "*.bmp", true},  // a hidden file is a file
        {"a.b.bmp", "*.bmp", true},
        {"noext", "*.*", true},  // "*.*" takes names without a dot too
        {"a.wav", "*", true},
        {"a.bmp", "a?bmp", true},
        {"a.bmp", "?.BMP", true},
        {"ab.bmp", "?.bmp", false},  // '?' is exactly one character
        {"notes.txt", "n?tes.*", true},
        {"abc", "a*c*", true},
        {"abxbc", "a*bc", true},  // the '*' backtracks
        {"abxbcd", "a*bc", false},
        {"a*c", "a*c", true},  // a '*' in a name (legal here) is matched by the mask's '*'
        {"*s.ogg", "*.ogg", true},
        {"\xC0.BMP", "\xE0.bmp", false},  // only ASCII letters fold: other bytes are themselves
        {"", "*.bmp", false},
        {"", "*", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(media::MaskMatches(c.name, c.mask), c.expected) << c.name << " vs " << c.mask;
}

}  // namespace
