// The command line: every option, and the mistakes that must give usage instead of a game.
#include "options.h"

#include <gtest/gtest.h>

namespace {

using Args = std::vector<std::string>;

TEST(ParseOptions, AcceptsEveryOption) {
    std::string error;
    auto o = ParseOptions({"--seed", "42", "--replay", "r.txt", "--headless", "--dump", "d.json"},
                          &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->Seed, 42u);
    EXPECT_EQ(o->ReplayFile, "r.txt");
    EXPECT_TRUE(o->Headless);
    EXPECT_EQ(o->DumpFile, "d.json");
    o = ParseOptions({"--record", "out.txt", "--seed", "18446744073709551615"}, &error);
    ASSERT_TRUE(o) << error;
    EXPECT_EQ(o->RecordFile, "out.txt");
    EXPECT_EQ(o->Seed, 18446744073709551615u);
    o = ParseOptions({}, &error);
    ASSERT_TRUE(o);
    EXPECT_FALSE(o->Seed);
    EXPECT_TRUE(ParseOptions({"--help"}, &error)->Help);
    EXPECT_TRUE(ParseOptions({"--version"}, &error)->Version);
    o = ParseOptions({"--home", "--replay", "r.txt"}, &error);
    ASSERT_TRUE(o) << error;
    EXPECT_TRUE(o->Home);
    EXPECT_FALSE(ParseOptions({}, &error)->Home) << "the current folder stays the default";
}

TEST(ParseOptions, RefusesMistakes) {
    struct Case {
        const char* fault;
        Args args;
        const char* message;
    };
    const Case cases[] = {
        {"unknown option accepted", {"--fast"}, "unknown option"},
        {"stray word accepted", {"play"}, "unknown option"},
        {"missing value read past the end", {"--replay"}, "needs a value"},
        {"negative seed wrapped", {"--seed", "-1"}, "--seed"},
        {"seed overflow wrapped", {"--seed", "18446744073709551616"}, "--seed"},
        {"seed with junk accepted", {"--seed", "12x"}, "--seed"},
        {"headless live game hangs", {"--headless"}, "needs --replay"},
        {"record and replay together", {"--record", "a", "--replay", "b"}, "together"},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_FALSE(ParseOptions(c.args, &error)) << c.fault;
        EXPECT_NE(error.find(c.message), std::string::npos) << c.fault << ": " << error;
    }
}

}  // namespace
