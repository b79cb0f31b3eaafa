// The ball game's replay scripts: what is read from them, the malformed lines that must stop the
// program with the file and line named, and recordings whose writes fail.
#include "Replay.h"

#include <gtest/gtest.h>

#include <fstream>

#include "PresentFiles.h"

namespace {

TEST(ZodavReplayText, ReadsEveryCommandAndTheStartValues) {
    ReplayScript script;
    std::string error;
    ASSERT_TRUE(ParseReplayText("s.txt",
                                "# made by hand\nzodav-replay 1\r\nseed 18446744073709551615\n"
                                "screen 800 600 # small\nmouse -5 7\npress right\ntick 3\n"
                                "release left\nkey 27\ndump\nscreenshot a#b.bmp\n",
                                script, error))
        << error;
    using C = ReplayCommand;
    std::vector<C::Kind> kinds;
    for (const C& c : script.commands)
        kinds.push_back(c.kind);
    EXPECT_EQ(kinds, (std::vector<C::Kind>{C::Seed, C::Screen, C::Mouse, C::Press, C::Tick,
                                           C::Release, C::Key, C::Dump, C::Screenshot}));
    EXPECT_TRUE(script.hasSeed);
    EXPECT_EQ(script.seed, UINT64_MAX);
    EXPECT_EQ(script.screenWidth, 800);
    EXPECT_EQ(script.screenHeight, 600);
    EXPECT_EQ(script.commands[2].a, -5);
    EXPECT_EQ(script.commands[3].a, 1);
    EXPECT_EQ(script.commands[4].line, 7);
    EXPECT_EQ(script.commands[8].text, "a#b.bmp");
    EXPECT_TRUE(script.screenshots);
}

// The same conventions as the catching game's scripts: "FILE:LINE: what is wrong".
TEST(ZodavReplayText, MalformedLinesNameFileAndLine) {
    struct Case {
        const char* fault;
        std::string body;
        const char* where;
    };
    const Case cases[] = {
        {"empty script accepted", "", "s.txt: the script is empty"},
        {"other game's replay accepted", "garbage-replay 1\n", "s.txt:1: not a replay"},
        {"tick without count", "zodav-replay 1\ntick\n", "s.txt:2: tick takes"},
        {"negative tick", "zodav-replay 1\n\ntick -1\n", "s.txt:3: tick takes"},
        {"endless tick", "zodav-replay 1\ntick 1000000001\n", "s.txt:2: tick takes"},
        {"mouse with one coordinate", "zodav-replay 1\nmouse 1\n", "s.txt:2: mouse takes"},
        {"middle button", "zodav-replay 1\npress middle\n", "s.txt:2: press takes"},
        {"key beyond a byte", "zodav-replay 1\nkey 300\n", "s.txt:2: key takes"},
        {"unknown command", "zodav-replay 1\nbogus 1\n", "s.txt:2: unknown command \"bogus\""},
        {"seed after a tick", "zodav-replay 1\ntick 1\nseed 4\n", "s.txt:3: seed must come"},
        {"screen after a tick", "zodav-replay 1\ntick 1\nscreen 9 9\n", "s.txt:3: screen must"},
        {"extra argument", "zodav-replay 1\ntick 1 2\n", "s.txt:2: tick takes"},
        {"zero screen", "zodav-replay 1\nscreen 0 768\n", "s.txt:2: screen takes"},
        {"signed seed", "zodav-replay 1\nseed -1\n", "s.txt:2: seed takes"},
    };
    for (const Case& c : cases) {
        ReplayScript script;
        std::string error;
        EXPECT_FALSE(ParseReplayText("s.txt", c.body, script, error)) << c.fault;
        EXPECT_EQ(error.rfind(c.where, 0), 0u) << c.fault << ": " << error;
    }
}

TEST(ZodavRecording, AFailedWriteIsNamedAndReported) {
    ASSERT_TRUE(StartRecording("/dev/full", 5, 1024, 768)) << "opening /dev/full succeeds";
    for (int i = 0; i < 3; ++i)
        RecordTick(i, i);
    EXPECT_FALSE(StopRecording()) << "a full disk reported as success";
    EXPECT_NE(RecordingError().find("recording \"/dev/full\": No space left on device"),
              std::string::npos)
        << RecordingError();

    PresentTempFolder dir;
    const std::string path = dir.path + "/rec.txt";
    ASSERT_TRUE(StartRecording(path, 5, 1024, 768));
    RecordTick(0, 0);
    RecordTick(3, 4);
    EXPECT_TRUE(StopRecording()) << RecordingError();
    std::ifstream in(path);
    const std::string text(std::istreambuf_iterator<char>(in), {});
    EXPECT_EQ(
        text.rfind("zodav-replay 1\nseed 5\nscreen 1024 768\ntick 1\nmouse 3 4\ntick 1\n# ", 0), 0u)
        << text;
    ReplayScript script;
    std::string error;
    EXPECT_TRUE(ParseReplayText(path, text, script, error)) << error;
}

}  // namespace
