// Files the programs write on their own: what each kind of thing lying under the name gets, and
// that nothing but our own files is ever truncated, created through a link or waited on.
#include "media/OwnFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "TempFolder.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// What lies under the name before the call, made in a fresh folder.
enum class Under {
    kNothing,
    kOurs,
    kEmpty,
    kForeign,
    kLinkToDocument,
    kDanglingLink,
    kFifo,
    kFolder
};

void Make(const TempFolder& dir, Under what, const std::string& name) {
    const std::string path = dir.path + "/" + name;
    WriteText(dir.path + "/document.txt", "the player's document\n");
    switch (what) {
        case Under::kNothing:
            break;
        case Under::kOurs:
            WriteText(path, "eXgine started\nold lines\n");
            break;
        case Under::kEmpty:
            WriteText(path, "");
            break;
        case Under::kForeign:
            WriteText(path, "a shopping list\n");
            break;
        case Under::kLinkToDocument:
            fs::create_symlink(dir.path + "/document.txt", path);
            break;
        case Under::kDanglingLink:
            fs::create_symlink(dir.path + "/elsewhere.txt", path);
            break;
        case Under::kFifo:
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
            break;
        case Under::kFolder:
            fs::create_directory(path);
            break;
    }
}

TEST(RewriteOwnFile, WritesOnlyIntoMissingOrOurOwnFiles) {
    struct Case {
        const char* fault;
        Under under;
        bool accepted;
        const char* reason;  // in *why when refused
    };
    const Case cases[] = {
        {"missing file not created", Under::kNothing, true, ""},
        {"our old log not rewritten", Under::kOurs, true, ""},
        {"empty file refused", Under::kEmpty, true, ""},
        {"a foreign file truncated", Under::kForeign, false, "holds something else"},
        {"a link's target truncated", Under::kLinkToDocument, false, "symbolic link"},
        {"a dangling link's target created", Under::kDanglingLink, false, "symbolic link"},
        {"a named pipe waited on", Under::kFifo, false, "named pipe"},
        {"a folder opened", Under::kFolder, false, "folder"},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        Make(dir, c.under, "log.txt");
        const std::string path = dir.path + "/log.txt";
        std::string why;
        const int fd = media::RewriteOwnFile(path, "eXgine started", &why);
        EXPECT_EQ(fd >= 0, c.accepted) << c.fault << ": " << why;
        if (fd >= 0) {
            ASSERT_EQ(write(fd, "eXgine started\n", 15), 15);
            close(fd);
            EXPECT_EQ(ReadAll(path), "eXgine started\n") << c.fault;
            continue;
        }
        EXPECT_NE(why.find(c.reason), std::string::npos) << c.fault << ": " << why;
        EXPECT_NE(why.find("log.txt"), std::string::npos) << c.fault << ": " << why;
        EXPECT_EQ(ReadAll(dir.path + "/document.txt"), "the player's document\n") << c.fault;
        EXPECT_FALSE(fs::exists(dir.path + "/elsewhere.txt")) << c.fault;
        if (c.under == Under::kForeign) {
            EXPECT_EQ(ReadAll(path), "a shopping list\n");
        }
    }
}

TEST(AppendToOwnFile, AddsOnlyToOurOwnFilesAndNeverCreates) {
    struct Case {
        const char* fault;
        Under under;
        bool accepted;
    };
    const Case cases[] = {
        {"our log not added to", Under::kOurs, true},
        {"a missing log created", Under::kNothing, false},
        {"a foreign file added to", Under::kForeign, false},
        {"a link's target added to", Under::kLinkToDocument, false},
        {"a named pipe waited on", Under::kFifo, false},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        Make(dir, c.under, "log.txt");
        const std::string path = dir.path + "/log.txt";
        std::string why;
        const int fd = media::AppendToOwnFile(path, "eXgine started", &why);
        EXPECT_EQ(fd >= 0, c.accepted) << c.fault << ": " << why;
        if (fd < 0) continue;
        ASSERT_EQ(write(fd, "more\n", 5), 5);
        close(fd);
        EXPECT_EQ(ReadAll(path), "eXgine started\nold lines\nmore\n") << c.fault;
    }
}

TEST(CreateOwnFile, MakesOnlyNewPlainFiles) {
    const Under refused[] = {Under::kOurs, Under::kDanglingLink, Under::kFifo, Under::kFolder};
    for (Under under : refused) {
        TempFolder dir;
        Make(dir, under, "config.txt");
        std::string why;
        EXPECT_LT(media::CreateOwnFile(dir.path + "/config.txt", &why), 0) << int(under);
        EXPECT_FALSE(why.empty());
        EXPECT_FALSE(fs::exists(dir.path + "/elsewhere.txt"));
    }
    TempFolder dir;
    std::string why;
    const int fd = media::CreateOwnFile(dir.path + "/config.txt", &why);
    ASSERT_GE(fd, 0) << why;
    close(fd);
    EXPECT_LT(media::CreateOwnFile(dir.path + "/no/such/folder/config.txt", &why), 0);
    EXPECT_NE(why.find("there is no folder"), std::string::npos) << why;
}

}  // namespace
