// Output files the player names: every failure is caught, with the file and the true reason.
#include "media/OutputFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "TempFolder.h"

namespace {

TEST(OutputFile, FailuresNameTheFileAndTheTrueCause) {
    TempFolder dir;
    std::filesystem::create_directory(dir.path + "/a folder");
    struct Case {
        const char* fault;
        std::string path;
        bool opens;
        const char* reason;
    };
    const Case cases[] = {
        {"a full disk reported as success", "/dev/full", true, "No space left on device"},
        {"a folder reported as something else", dir.path + "/a folder", false, "Is a directory"},
        {"a missing folder not named", dir.path + "/gone/dump.jsonl", false, "there is no folder"},
    };
    for (const Case& c : cases) {
        media::OutputFile out;
        EXPECT_EQ(out.Open(c.path, "dump"), c.opens) << c.fault;
        if (c.opens) {
            out.Write("{}\n");
            EXPECT_FALSE(out.Flush()) << c.fault;
            EXPECT_FALSE(out.Write("{}\n")) << "nothing is written after a failure";
            EXPECT_FALSE(out.Close()) << c.fault;
        }
        EXPECT_TRUE(out.Failed()) << c.fault;
        EXPECT_NE(out.Error().find("dump \"" + c.path + "\""), std::string::npos)
            << c.fault << ": " << out.Error();
        EXPECT_NE(out.Error().find(c.reason), std::string::npos) << c.fault << ": " << out.Error();
    }
}

TEST(OutputFile, AFullDiskIsCaughtAtCloseToo) {
    media::OutputFile out;
    ASSERT_TRUE(out.Open("/dev/full", "recording"));
    EXPECT_TRUE(out.Write("zodav-replay 1\n")) << "buffered: the failure comes later";
    EXPECT_FALSE(out.Close());
    EXPECT_NE(out.Error().find("No space left on device"), std::string::npos) << out.Error();
}

TEST(OutputFile, WritesWhatItIsGiven) {
    TempFolder dir;
    media::OutputFile out;
    ASSERT_TRUE(out.Open(dir.path + "/d.txt", "dump"));
    EXPECT_TRUE(out.Write("one\n") && out.Flush() && out.Write("two\n"));
    EXPECT_TRUE(out.Close());
    EXPECT_FALSE(out.Failed());
    std::ifstream in(dir.path + "/d.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "one\ntwo\n");
}

}  // namespace
