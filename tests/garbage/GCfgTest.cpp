// The configuration reader: line ends, Ctrl+Z, first "=", no trimming, first match wins, the
// file created when missing, the integer rules, and failures that fall back to the defaults.
#include "g_cfg.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempFolder.h"

namespace {

struct ContentCase {
    const char* fault;  // what a reader that gets this wrong would be doing
    std::string content;
    int32_t expected;
};

TEST(ReadConfigInt, ReadsSizeAsTheFileSaysIt) {
    using namespace std::string_literals;
    const std::string longLine = "junk=" + std::string(70 * 1024, 'q') + "\r\n";
    const ContentCase cases[] = {
        {"CRLF line end kept in the value", "size=12\r\n", 12},
        {"LF line end not understood", "size=12\n", 12},
        {"last line without a line end dropped", "size=12", 12},
        {"later duplicate wins", "size=8\r\nsize=14\r\n", 8},
        {"trailing blank trimmed", "size=12 \r\n", 0},
        {"decimal point accepted", "size=1.5", 0},
        {"word accepted", "size=big", 0},
        {"empty value not defaulted", "size=\r\n", 10},
        {"bare key not defaulted", "size\r\n", 10},
        {"leading blanks not skipped", "size=  7", 7},
        {"dollar hex not understood", "size=$10", 16},
        {"0x hex not understood", "size=0x10", 16},
        {"x hex not understood", "size=x10", 16},
        {"upper-case hex prefix refused", "size=0X1f", 31},
        {"negative refused", "size=-3", -3},
        {"plus sign refused", "size=+3", 3},
        {"key compared without case", "Size=12", 10},
        {"key trimmed", "size =12", 10},
        {"key with leading blank trimmed", " size=12", 10},
        {"second equals sign split", "size=1=2", 0},
        {"hex pattern not taken as 32 bits", "size=$FFFFFFFF", -1},
        {"hex above 32 bits wrapped", "size=$100000000", 0},
        {"leading hex zeros refused", "size=$000000010", 16},
        {"hex not negated", "size=-$10", -16},
        {"largest int refused", "size=2147483647", 2147483647},
        {"int overflow wrapped", "size=2147483648", 0},
        {"smallest int refused", "size=-2147483648", -2147483647 - 1},
        {"negative overflow wrapped", "size=-2147483649", 0},
        {"sign alone taken as 0 silently", "size=-", 0},
        {"hex prefix alone", "size=$", 0},
        {"0x alone", "size=0x", 0},
        {"blank after the sign accepted", "size=- 5", 0},
        {"leading decimal zeros read as octal", "size=010", 10},
        {"tab taken as blank", "size=\t7", 0},
        {"text after Ctrl+Z read", "other=1\r\n\x1asize=12\r\n", 10},
        {"Ctrl+Z inside a value kept",
         "size=1\x1a"
         "2\r\n",
         1},
        {"lone CR kept in the value", "size=1\r2\r\n", 12},
        {"line longer than 64 KiB breaks reading", longLine + "size=5\r\n", 5},
        {"NUL in an earlier line ends reading", "a\0b=1\r\nsize=6\r\n"s, 6},
        {"NUL inside the value ignored", "size=6\0\r\n"s, 0},
        {"empty file", "", 10},
        {"blank lines confuse the reader", "\r\n\r\n\nsize=9", 9},
    };
    for (const ContentCase& c : cases) {
        TempFolder dir;
        dir.Write("config.txt", c.content);
        EXPECT_EQ(ReadConfigInt(dir / "config.txt", "size", 10), c.expected) << c.fault;
        EXPECT_EQ(dir.Read("config.txt"), c.content) << c.fault << ": the file was changed";
    }
}

TEST(ReadConfigInt, DeveloperOneEqualsTwoIsMalformed) {
    TempFolder dir;
    dir.Write("config.txt", "developer=1=2\r\n");
    EXPECT_EQ(ReadConfigInt(dir / "config.txt", "developer", 1), 0);
}

TEST(ReadConfigInt, MissingFileIsCreatedWithTheFirstKeyOnly) {
    TempFolder dir;
    const std::string file = dir / "config.txt";
    EXPECT_EQ(ReadConfigInt(file, "developer", 1), 1);
    EXPECT_EQ(ReadConfigInt(file, "size", 10), 10);
    EXPECT_EQ(dir.Read("config.txt"), "developer=1\r\n");
}

TEST(ReadConfigInt, NegativeDefaultIsWrittenInDecimal) {
    TempFolder dir;
    EXPECT_EQ(ReadConfigInt(dir / "c.txt", "k", -42), -42);
    EXPECT_EQ(dir.Read("c.txt"), "k=-42\r\n");
    EXPECT_EQ(ReadConfigInt(dir / "c.txt", "k", 7), -42);
}

TEST(ReadConfigInt, SizeWithoutDeveloperLeavesTheFileAlone) {
    TempFolder dir;
    dir.Write("config.txt", "size=12");
    EXPECT_EQ(ReadConfigInt(dir / "config.txt", "developer", 1), 1);
    EXPECT_EQ(ReadConfigInt(dir / "config.txt", "size", 10), 12);
    EXPECT_EQ(dir.Read("config.txt"), "size=12");
}

TEST(ReadConfigString, ValueKeepsLaterEqualsSigns) {
    TempFolder dir;
    dir.Write("config.txt", "name=a=b= \r\n");
    EXPECT_EQ(ReadConfigString(dir / "config.txt", "name", "x"), "a=b= ");
}

// A file that cannot be created or read must not end the game: the default comes back and the
// error says what went wrong.
TEST(ReadConfigInt, UncreatableFileFallsBackAndSaysWhy) {
    TempFolder dir;
    dir.Write("plain-file", "not a folder");
    std::string error;
    EXPECT_EQ(ReadConfigInt(dir / "plain-file/config.txt", "size", 10, &error), 10);
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    EXPECT_NE(error.find("plain-file/config.txt"), std::string::npos) << error;
}

TEST(ReadConfigInt, UnreadableFileFallsBackAndSaysWhy) {
    TempFolder dir;
    std::filesystem::create_directory(dir / "config.txt");  // exists, cannot be read
    std::string error;
    EXPECT_EQ(ReadConfigInt(dir / "config.txt", "developer", 1, &error), 1);
    EXPECT_FALSE(error.empty());
}

// A pipe named config.txt must not hold the start-up until something writes into it.
TEST(ReadConfigInt, PipeFallsBackWithoutWaiting) {
    TempFolder dir;
    ASSERT_EQ(mkfifo((dir / "config.txt").c_str(), 0600), 0);
    std::string error;
    EXPECT_EQ(ReadConfigInt(dir / "config.txt", "size", 10, &error), 10);
    EXPECT_NE(error.find("not a plain file"), std::string::npos) << error;
}

TEST(ReadConfigInt, ReadOnlyFolderFallsBackAndSaysWhy) {
    TempFolder dir;
    chmod(dir.path().c_str(), 0555);
    EXPECT_TRUE(AsUnprivileged([&] {
        std::string error;
        return ReadConfigInt(dir / "config.txt", "size", 10, &error) == 10 && !error.empty();
    }));
    EXPECT_FALSE(std::filesystem::exists(dir / "config.txt"));
}

TEST(ReadConfigInt, FileNotReadableFallsBackAndSaysWhy) {
    TempFolder dir;
    dir.Write("config.txt", "size=12");
    chmod(dir.path().c_str(), 0755);
    chmod((dir / "config.txt").c_str(), 0200);
    EXPECT_TRUE(AsUnprivileged([&] {
        std::string error;
        return ReadConfigInt(dir / "config.txt", "size", 10, &error) == 10 &&
               error.find("cannot open") != std::string::npos;
    }));
    EXPECT_EQ(dir.Read("config.txt"), "size=12");  // the player's file is left as it was
}

}  // namespace
