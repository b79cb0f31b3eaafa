// The player's game folder: made and seeded once from the installed demo, never overwriting the
// player's files, refused with a clear message where it cannot be made, found through XDG.
#include "media/GameHome.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

void Put(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// An installed data folder: demo content (with a subfolder and a link that must not be
// followed), the splash, and a file beside it that is not part of the seed.
fs::path MakeData(const fs::path& root) {
    const fs::path data = root / "data";
    Put(data / "garbage" / "a.bmp", "picture a");
    Put(data / "garbage" / "more" / "b.wav", "sound b");
    fs::create_symlink("/etc", data / "garbage" / "outside");
    Put(data / "readme" / "logo.bmp", "logo");
    Put(data / "readme" / "notes.txt", "not seeded");
    return data;
}

// Names in `folder` that look like a half-made game folder.
int Leftovers(const fs::path& folder) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder))
        count += entry.path().filename().string().find(".new-") != std::string::npos;
    return count;
}

// Sets or clears an environment variable for one test and puts the old value back.
struct ScopedEnv {
    std::string name;
    std::optional<std::string> old;
    ScopedEnv(const std::string& n, const char* value) : name(n) {
        if (const char* was = getenv(n.c_str())) old = was;
        value ? setenv(n.c_str(), value, 1) : unsetenv(n.c_str());
    }
    ~ScopedEnv() { old ? setenv(name.c_str(), old->c_str(), 1) : unsetenv(name.c_str()); }
};

TEST(GameHome, FreshFolderIsMadeWithItsParentsAndSeededFromTheDemo) {
    TempFolder temp;
    const fs::path data = MakeData(temp.path());
    const fs::path home = fs::path(temp.path()) / "xdg" / "deep" / "garbage-games";
    std::string error;
    ASSERT_TRUE(PrepareGameHome(home, data, error)) << error;
    EXPECT_EQ(Read(home / "garbage" / "a.bmp"), "picture a");
    EXPECT_EQ(Read(home / "garbage" / "more" / "b.wav"), "sound b");
    EXPECT_EQ(Read(home / "readme" / "logo.bmp"), "logo");
    EXPECT_FALSE(fs::exists(fs::symlink_status(home / "garbage" / "outside"))) << "link followed";
    EXPECT_FALSE(fs::exists(home / "readme" / "notes.txt"));
    EXPECT_EQ(Leftovers(home.parent_path()), 0);
    struct stat st {};
    ASSERT_EQ(stat((fs::path(temp.path()) / "xdg").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "new parents are private to the player";
}

TEST(GameHome, ExistingFolderIsSeededOnlyOnceAndNeverOverwritten) {
    TempFolder temp;
    const fs::path data = MakeData(temp.path());
    const fs::path home = fs::path(temp.path()) / "garbage-games";
    std::string error;
    ASSERT_TRUE(PrepareGameHome(home, data, error)) << error;
    // The player replaces one demo file, deletes another, and adds their own.
    Put(home / "garbage" / "a.bmp", "my picture");
    fs::remove(home / "readme" / "logo.bmp");
    Put(home / "config.txt", "developer=0\n");
    Put(home / "garbage" / "mine.jpg", "mine");
    ASSERT_TRUE(PrepareGameHome(home, data, error)) << error;
    EXPECT_EQ(Read(home / "garbage" / "a.bmp"), "my picture");
    EXPECT_FALSE(fs::exists(home / "readme" / "logo.bmp")) << "a deleted demo file came back";
    EXPECT_EQ(Read(home / "config.txt"), "developer=0\n");
    EXPECT_EQ(Read(home / "garbage" / "mine.jpg"), "mine");
    EXPECT_EQ(Leftovers(temp.path()), 0);
}

TEST(GameHome, FolderThatCannotBeMadeOrSeededIsRefusedClearlyAndLeavesNothing) {
    struct Case {
        const char* name;
        std::string home;  // under the temporary folder
        bool withData;
        const char* reason;  // part of the message
    };
    const Case cases[] = {
        {"parent is a file", "file/garbage-games", true, "Not a directory"},
        {"home is a file", "file", true, "is not a folder"},
        {"no installed demo", "garbage-games", false, "cannot fill the game folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder temp;
        Put(fs::path(temp.path()) / "file", "a plain file");
        const fs::path data = c.withData ? MakeData(temp.path()) : fs::path(temp.path()) / "none";
        const fs::path home = fs::path(temp.path()) / c.home;
        std::string error;
        EXPECT_FALSE(PrepareGameHome(home, data, error));
        EXPECT_NE(error.find(home.string()), std::string::npos) << error;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
        EXPECT_EQ(Leftovers(temp.path()), 0);
        EXPECT_EQ(Read(fs::path(temp.path()) / "file"), "a plain file");
        if (!c.withData) {
            EXPECT_FALSE(fs::exists(home)) << "a half-made folder stayed";
        }
    }
}

TEST(GameHome, ReadOnlyLocationIsRefusedClearly) {
    TempFolder temp;
    const fs::path data = MakeData(temp.path());
    const fs::path locked = fs::path(temp.path()) / "locked";
    fs::create_directory(locked);
    chmod(temp.path().c_str(), 0755);
    chmod(locked.c_str(), 0555);
    EXPECT_TRUE(AsUnprivileged([&] {
        std::string error;
        const bool made = PrepareGameHome(locked / "garbage-games", data, error);
        return !made && error.find("Permission denied") != std::string::npos;
    }));
    EXPECT_FALSE(fs::exists(locked / "garbage-games"));
    chmod(locked.c_str(), 0755);
}

TEST(GameHome, FolderFollowsXdgDataHomeThenHome) {
    struct Case {
        const char* xdg;
        const char* home;
        std::string expected;
    };
    const Case cases[] = {
        {"/x/data", "/home/p", "/x/data/garbage-games"},
        {nullptr, "/home/p", "/home/p/.local/share/garbage-games"},
        {"", "/home/p", "/home/p/.local/share/garbage-games"},
        {"relative/data", "/home/p", "/home/p/.local/share/garbage-games"},  // ignored
        {nullptr, nullptr, ""},
        {nullptr, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.xdg ? c.xdg : "(unset)") + " " + (c.home ? c.home : "(unset)"));
        ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
        ScopedEnv home("HOME", c.home);
        EXPECT_EQ(GameHomeFolder(), c.expected);
    }
}

TEST(GameHome, PlayersFilesAreTakenFromTheStartingFolder) {
    struct Case {
        const char* start;
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"", "out.json", "out.json"},  // no --home: the current folder is the starting folder
        {"/start", "out.json", "/start/out.json"},
        {"/start", "sub/shot.bmp", "/start/sub/shot.bmp"},
        {"/start", "/abs/out.json", "/abs/out.json"},
        {"/start", "-", "-"},  // standard input stays standard input
        {"/start", "", ""},    // no file named
    };
    for (const Case& c : cases) {
        gameHome = GameHomeState{};
        gameHome.startFolder = c.start;
        EXPECT_EQ(FromStartFolder(c.path), c.expected) << c.start << " " << c.path;
    }
    gameHome = GameHomeState{};
}

}  // namespace
