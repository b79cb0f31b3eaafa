// The content walk: order of masks, folders and names, hidden folders and files, case of
// extensions, the fallback folder, links that must not be followed, and large trees.
#include "garbage_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>

#include "TempFolder.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Paths() {
    std::vector<std::string> out;
    for (const TGarbageFile& f : GarbageFiles)
        out.push_back(f.Path);
    return out;
}

std::vector<int> Categories() {
    std::vector<int> out;
    for (const TGarbageFile& f : GarbageFiles)
        out.push_back(f.Category);
    return out;
}

using Strings = std::vector<std::string>;

TEST(MaskMatches, FollowsTheFileSearchRules) {
    struct Case {
        const char* name;
        const char* mask;
        bool expected;
    };
    const Case cases[] = {
        {"a.bmp", "*.bmp", true},      {"PHOTO.JPG", "*.jpg", true}, {"x.jpeg", "*.jpg", false},
        {"x.jpg.txt", "*.jpg", false}, {"bmp", "*.bmp", false},      {".bmp", "*.bmp", true},
        {"a.b.bmp", "*.bmp", true},    {"noext", "*.*", true},       {"a.bmp", "a?bmp", true},
        {"a.bmp", "?.BMP", true},      {"ab.bmp", "?.bmp", false},   {"a.wav", "*", true},
        {"abc", "a*c*", true},         {"a*c", "a*c", true},         {"abxbc", "a*bc", true},
        {"abxbcd", "a*bc", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MaskMatches(c.name, c.mask), c.expected) << c.name << " vs " << c.mask;
}

// Each mask walks the whole tree before the next; a folder's files come before its subfolders'.
TEST(ListGarbageFolder, PicturesInMaskThenTreeOrder) {
    TempFolder dir(true);
    dir.Write("garbage/d.jpg", "");
    dir.Write("garbage/sub/b.bmp", "");
    dir.Write("garbage/a.bmp", "");
    ListGarbageFolder();
    EXPECT_EQ(Paths(), (Strings{"garbage/a.bmp", "garbage/sub/b.bmp", "garbage/d.jpg"}));
    EXPECT_EQ(PictureCount, 3);
    EXPECT_EQ(SoundCount, 0);
    EXPECT_EQ(MusicCount, 0);
}

TEST(ListGarbageFolder, CategoriesInPictureSoundMusicOrder) {
    TempFolder dir(true);
    dir.Write("garbage/m.mp3", "");
    dir.Write("garbage/s.WAV", "");
    dir.Write("garbage/z/p.jpg", "");
    dir.Write("garbage/z/q.bmp", "");
    dir.Write("garbage/notes.txt", "");
    ListGarbageFolder();
    EXPECT_EQ(Paths(),
              (Strings{"garbage/z/q.bmp", "garbage/z/p.jpg", "garbage/s.WAV", "garbage/m.mp3"}));
    EXPECT_EQ(Categories(), (std::vector<int>{0, 0, 1, 2}));
    EXPECT_EQ(PictureCount, 2);
    EXPECT_EQ(SoundCount, 1);
    EXPECT_EQ(MusicCount, 1);
}

TEST(ListGarbageFolder, NamesSortedWithinEveryFolder) {
    TempFolder dir(true);
    for (const char* name : {"c.bmp", "a.bmp", "b.bmp", "y/b.bmp", "x/a.bmp", "x/c.bmp"})
        dir.Write(std::string("garbage/") + name, "");
    ListGarbageFolder();
    EXPECT_EQ(Paths(), (Strings{"garbage/a.bmp", "garbage/b.bmp", "garbage/c.bmp",
                                "garbage/x/a.bmp", "garbage/x/c.bmp", "garbage/y/b.bmp"}));
}

TEST(ListGarbageFolder, OnlyMusicDoesNotTryTheFallback) {
    TempFolder dir(true);
    fs::create_directories("a/b");
    dir.Write("a/b/garbage/one.mp3", "");
    dir.Write("a/b/garbage/two.mp3", "");
    dir.Write("garbage/picture.bmp", "");  // the fallback seen from a/b
    fs::current_path("a/b");
    ListGarbageFolder();
    EXPECT_EQ(Paths(), (Strings{"garbage/one.mp3", "garbage/two.mp3"}));
    EXPECT_EQ(PictureCount, 0);
    EXPECT_EQ(SoundCount, 0);
    EXPECT_EQ(MusicCount, 2);
}

TEST(ListGarbageFolder, EmptyFolderFallsBackTwoLevelsUp) {
    TempFolder dir(true);
    fs::create_directories("a/b/garbage/empty");
    dir.Write("a/b/garbage/readme.txt", "");
    dir.Write("garbage/p.bmp", "");
    dir.Write("garbage/s.wav", "");
    fs::current_path("a/b");
    ListGarbageFolder();
    EXPECT_EQ(Paths(), (Strings{"../../garbage/p.bmp", "../../garbage/s.wav"}));
    EXPECT_EQ(PictureCount, 1);
    EXPECT_EQ(SoundCount, 1);
}

TEST(ListGarbageFolder, BothFoldersMissingGiveAnEmptyList) {
    TempFolder dir(true);
    GarbageFiles = {{"stale", 0, 5}};
    PictureCount = 1;
    ListGarbageFolder();
    EXPECT_TRUE(GarbageFiles.empty());
    EXPECT_EQ(PictureCount + SoundCount + MusicCount, 0);
}

TEST(ListGarbageFolder, HiddenFoldersSkippedHiddenFilesTaken) {
    TempFolder dir(true);
    dir.Write("garbage/.hidden/c.bmp", "");
    dir.Write("garbage/.e.bmp", "");
    dir.Write("garbage/x.jpeg", "");
    dir.Write("garbage/PHOTO.JPG", "");
    ListGarbageFolder();
    EXPECT_EQ(Paths(), (Strings{"garbage/.e.bmp", "garbage/PHOTO.JPG"}));
}

// A link back up the tree must neither loop nor repeat files; links to files are files.
TEST(ListGarbageFolder, LinkedFoldersAreNotFollowed) {
    TempFolder dir(true);
    dir.Write("garbage/sub/a.bmp", "");
    dir.Write("outside/secret.bmp", "");
    fs::create_directory_symlink("..", "garbage/sub/loop");
    fs::create_directory_symlink(dir / "outside", "garbage/escape");
    fs::create_symlink(dir / "outside/secret.bmp", "garbage/linked.bmp");
    fs::create_symlink("nowhere.bmp", "garbage/broken.bmp");
    ListGarbageFolder();
    EXPECT_EQ(Paths(), (Strings{"garbage/linked.bmp", "garbage/sub/a.bmp"}));
}

TEST(ListGarbageFolder, FifosAndFoldersNamedLikePicturesSkipped) {
    TempFolder dir(true);
    dir.Write("garbage/folder.bmp/inner.bmp", "");
    fs::create_directories("garbage");
    ASSERT_EQ(mkfifo("garbage/pipe.wav", 0600), 0);
    ListGarbageFolder();
    EXPECT_EQ(Paths(), (Strings{"garbage/folder.bmp/inner.bmp"}));
}

TEST(ListGarbageFolder, UnreadableFolderSkipped) {
    TempFolder dir(true);
    dir.Write("garbage/locked/a.bmp", "");
    dir.Write("garbage/open/b.bmp", "");
    chmod(dir.path().c_str(), 0755);
    chmod("garbage/locked", 0);
    EXPECT_TRUE(AsUnprivileged([] {
        ListGarbageFolder();
        return Paths() == Strings{"garbage/open/b.bmp"};
    }));
    chmod("garbage/locked", 0700);
}

TEST(FindGarbageFiles, FolderAndMaskDefaults) {
    TempFolder dir(true);
    dir.Write("k/one.txt", "");
    dir.Write("k/two", "");
    GarbageFiles.clear();
    FindGarbageFiles("k", "");  // no trailing "/", empty mask
    EXPECT_EQ(Paths(), (Strings{"k/one.txt", "k/two"}));
    GarbageFiles.clear();
    FindGarbageFiles("", "*.TXT");  // the current directory
    EXPECT_EQ(Paths(), (Strings{"k/one.txt"}));
}

TEST(CollectFiles, RestoresThePathAndAppends) {
    TempFolder dir(true);
    dir.Write("g/a/b/c.bmp", "");
    GarbageFiles = {{"first", 0, 0}};
    std::string path = "g/";
    CollectFiles(path, "*.bmp");
    EXPECT_EQ(path, "g/");
    EXPECT_EQ(Paths(), (Strings{"first", "g/a/b/c.bmp"}));
}

// Ten thousand files in nested folders: all found once, in tree order.
TEST(ListGarbageFolder, TenThousandNestedFiles) {
    TempFolder dir(true);
    const char* kinds[] = {".bmp", ".jpg", ".wav", ".mp3"};
    for (int a = 0; a < 10; ++a)
        for (int b = 0; b < 10; ++b) {
            std::string folder = "garbage/f" + std::to_string(a) + "/g" + std::to_string(b) + "/";
            fs::create_directories(folder);
            for (int i = 0; i < 100; ++i) {
                char name[32];
                std::snprintf(name, sizeof name, "n%03d%s", i, kinds[i % 4]);
                std::fclose(std::fopen((folder + name).c_str(), "w"));
            }
        }
    ListGarbageFolder();
    ASSERT_EQ(GarbageFiles.size(), 10000u);
    EXPECT_EQ(PictureCount, 5000);
    EXPECT_EQ(SoundCount, 2500);
    EXPECT_EQ(MusicCount, 2500);
    EXPECT_EQ(GarbageFiles.front().Path, "garbage/f0/g0/n000.bmp");
    EXPECT_EQ(GarbageFiles[2499].Path, "garbage/f9/g9/n096.bmp");
    EXPECT_EQ(GarbageFiles[2500].Path, "garbage/f0/g0/n001.jpg");
    EXPECT_EQ(GarbageFiles.back().Path, "garbage/f9/g9/n099.mp3");
}

}  // namespace
