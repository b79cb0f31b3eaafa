// The replay scripts' shared reader: its conventions for lines, comments, numbers and errors, and
// that it hands out each line of a pipe as soon as the line has arrived.
#include "media/ScriptReader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <future>

namespace {

using Words = std::vector<std::string>;
using R = media::ScriptReader;

// Every command line of `text` as words, or the error.
std::vector<Words> ReadAll(const std::string& text, std::string* error) {
    R reader(nullptr, "s.txt", "demo-replay 1");
    std::vector<Words> lines;
    Words words;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const R::Result r = reader.Feed(text.substr(start, end - start), &words);
        if (r == R::kError) break;
        if (r == R::kWords) lines.push_back(words);
        start = end + 1;
    }
    if (reader.Error().empty()) reader.End();
    *error = reader.Error();
    return lines;
}

TEST(ScriptReader, LinesWordsAndComments) {
    std::string error;
    const auto lines = ReadAll(
        "# leading comment\n\n demo-replay\t1  # the magic\r\ntick 5 # five\n"
        "  # indented comment\nshot a#b.bmp\nlast\tline",
        &error);
    ASSERT_EQ(error, "");
    EXPECT_EQ(lines, (std::vector<Words>{{"tick", "5"}, {"shot", "a#b.bmp"}, {"last", "line"}}));
}

TEST(ScriptReader, ErrorsNameTheFileAndTheLine) {
    struct Case {
        const char* fault;
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"empty script accepted", "", "s.txt: the script is empty"},
        {"comments only accepted", "# x\n\n", "s.txt: the script is empty"},
        {"wrong magic accepted", "\n# x\nother-replay 1\n", "s.txt:3: not a replay script"},
        {"wrong version accepted", "demo-replay 2\n", "s.txt:1: not a replay script"},
        {"overlong line held", "demo-replay 1\n" + std::string(4097, 'x') + "\n",
         "s.txt:2: the line is longer than 4096 bytes"},
    };
    for (const Case& c : cases) {
        std::string error;
        ReadAll(c.text, &error);
        EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.fault << ": " << error;
    }
    std::string error;
    ReadAll("demo-replay 1\n" + std::string(4096, 'x') + "\n", &error);
    EXPECT_EQ(error, "") << "a line of exactly the limit is allowed";
}

TEST(ScriptReader, NumbersWithinTheirRange) {
    struct Case {
        const char* word;
        std::int64_t lo, hi;
        bool ok;
        std::int64_t value;
    };
    const Case cases[] = {
        {"0", 0, 10, true, 0},
        {"10", 0, 10, true, 10},
        {"11", 0, 10, false, 0},
        {"+7", 0, 10, true, 7},
        {"-3", -5, 5, true, -3},
        {"-1", 0, 10, false, 0},
        {"007", 0, 10, true, 7},
        {"", 0, 10, false, 0},
        {"-", -5, 5, false, 0},
        {"1.5", 0, 10, false, 0},
        {"5x", 0, 10, false, 0},
        {"0x5", 0, 10, false, 0},
        {"99999999999999999999", 0, INT64_MAX, false, 0},
        {"-9223372036854775808", INT64_MIN, 0, true, INT64_MIN},
        {"9223372036854775808", 0, INT64_MAX, false, 0},
    };
    for (const Case& c : cases) {
        std::int64_t value = -99;
        EXPECT_EQ(media::ScriptNumber(c.word, c.lo, c.hi, &value), c.ok) << c.word;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.word;
        }
    }
    std::uint64_t seed = 0;
    EXPECT_TRUE(media::ScriptSeed("18446744073709551615", &seed));
    EXPECT_EQ(seed, UINT64_MAX);
    EXPECT_FALSE(media::ScriptSeed("18446744073709551616", &seed));
    EXPECT_FALSE(media::ScriptSeed("+1", &seed));
    EXPECT_FALSE(media::ScriptSeed("-1", &seed));
}

// A pipe's line is handed out while the writer still holds the pipe open: a bot can wait for the
// answer to one line before it writes the next.
TEST(ScriptReader, APipesLinesComeAsTheyArrive) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::FILE* in = fdopen(fds[0], "r");
    ASSERT_NE(in, nullptr);
    R reader(in, "(pipe)", "demo-replay 1");
    auto next = [&] {
        return std::async(std::launch::async, [&] {
            Words words;
            return reader.Next(&words) == R::kWords ? words : Words{};
        });
    };
    const std::string first = "demo-replay 1\ntick 1\n";
    ASSERT_EQ(write(fds[1], first.data(), first.size()), ssize_t(first.size()));
    auto got = next();
    if (got.wait_for(std::chrono::seconds(30)) != std::future_status::ready) close(fds[1]);
    EXPECT_EQ(got.get(), (Words{"tick", "1"}));
    ASSERT_EQ(write(fds[1], "dump\n", 5), 5);
    got = next();
    if (got.wait_for(std::chrono::seconds(30)) != std::future_status::ready) close(fds[1]);
    EXPECT_EQ(got.get(), (Words{"dump"}));
    close(fds[1]);
    Words words;
    EXPECT_EQ(reader.Next(&words), R::kEnd);
    std::fclose(in);
}

TEST(OpenScript, NamesTheTrueFault) {
    std::string error;
    EXPECT_FALSE(media::OpenScript("/", &error));
    EXPECT_NE(error.find("is a folder"), std::string::npos) << error;
    EXPECT_FALSE(media::OpenScript("/no/such/script.txt", &error));
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

}  // namespace
