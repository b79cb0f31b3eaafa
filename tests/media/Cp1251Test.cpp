// The Windows-1251 table checked against the C library's own converter, round trips of every
// assigned byte, and UTF-8 that is broken in the usual ways.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "media/Cp1251.h"

namespace {

// What glibc's converter says one byte is; U+FFFD where it knows no character.
char32_t IconvReference(unsigned char byte) {
    iconv_t cd = iconv_open("UTF-32LE", "CP1251");
    if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
    char in[1] = {static_cast<char>(byte)};
    unsigned char out[4] = {};
    char* inPtr = in;
    char* outPtr = reinterpret_cast<char*>(out);
    size_t inLeft = 1, outLeft = 4;
    const size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1)) return 0xFFFD;
    return out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<char32_t>(out[3]) << 24);
}

TEST(Cp1251, EveryByteMatchesTheSystemTable) {
    if (IconvReference('A') != U'A') GTEST_SKIP() << "the C library has no CP1251 converter";
    for (int b = 0; b < 256; ++b) {
        EXPECT_EQ(media::Cp1251ToUnicode(static_cast<unsigned char>(b)),
                  IconvReference(static_cast<unsigned char>(b)))
            << "byte 0x" << std::hex << b;
    }
}

TEST(Cp1251, AllAssignedBytesSurviveTheRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b) {
        if (b != 0x98) all += static_cast<char>(b);
    }
    ASSERT_EQ(all.size(), 255u);
    EXPECT_EQ(media::Utf8ToCp1251(media::Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, KnownTextsConvertBothWays) {
    struct Case {
        const char* fault;
        std::string cp1251;
        std::string utf8;
    } cases[] = {
        {"Cyrillic block offset wrong", "\xCF\xF0\xE8\xE2\xE5\xF2", "Привет"},
        {"Yo outside the contiguous block", "\xA8\xB8", "Ёё"},
        {"typographic signs of the high block", "\x85\x96\x97\xAB\xBB\xB9", "…–—«»№"},
        {"the euro sign", "\x88", "€"},
        {"unassigned 0x98 not the replacement character", "\x98", "\xEF\xBF\xBD"},
        {"NUL bytes dropped", std::string("a\0b", 3), std::string("a\0b", 3)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(media::Cp1251ToUtf8(c.cp1251), c.utf8) << c.fault;
    }
}

TEST(Cp1251, UnmappableAndMalformedUtf8BecomeQuestionMarks) {
    struct Case {
        const char* fault;
        std::string utf8;
        std::string expected;
    } cases[] = {
        {"CJK characters mapped to random bytes", "日本", "??"},
        {"four-byte sequence split into two", "x\xF0\x9F\x98\x80y", "x?y"},
        {"replacement character taken for 0x98", "\xEF\xBF\xBD", "?"},
        {"stray continuation byte",
         "a\x80"
         "b",
         "a?b"},
        {"cut sequence at the end read past the text", "ok\xD0", "ok?"},
        {"cut sequence swallowing the next letter",
         "\xD0"
         "A",
         "?A"},
        {"overlong slash accepted", "\xC0\xAF", "?"},
        {"surrogate half accepted", "\xED\xA0\x80", "?"},
        {"value past U+10FFFF accepted", "\xF4\x90\x80\x80", "?"},
        {"invalid lead byte", "\xFF\xFE", "??"},
        {"Cyrillic among Latin", "Жx", "\xC6x"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(media::Utf8ToCp1251(c.utf8), c.expected) << c.fault;
    }
}

}  // namespace
