// The content folder: listing it (masks, case, links, directories, order), and what game
// initialisation, F2, F3 and F4 load from it, on real files in a temporary folder.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "Balls.h"
#include "Bass.h"
#include "Content.h"
#include "GLUsePicture.h"
#include "SoundTestKit.h"
#include "SysUtUse.h"
#include "Zodav.h"

using namespace soundkit;
namespace fs = std::filesystem;

namespace {

using List = std::vector<std::string>;

void Touch(const std::string& path) {
    std::ofstream(path) << "x";
}

void WriteEffect(const std::string& path) {
    WriteWav(path, 22050, 1, 2205, [](std::uint32_t i) { return Square(i, 4000); });
}

void Key(int vk) {
    WindowProcedure(Message{MessageType::KeyDown, vk});
}

void StartGame(std::uint64_t seed) {
    ResetAllState();
    GameInitialisation(seed);
}

}  // namespace

TEST(ContentFolder, ListingTakesFilesByMaskInNameOrder) {
    TempFolder dir;
    const std::string g = dir / "g";
    fs::create_directories(g + "/sub");
    fs::create_directories(g + "/x.bmp");
    for (const char* name :
         {"b.jpg", "a.BMP", "c.Jpg", ".hidden.bmp", "notes.txt", "sub/in.bmp", "*s.ogg"})
        Touch(g + "/" + name);
    fs::create_symlink("a.BMP", g + "/link.bmp");
    fs::create_directory_symlink("sub", g + "/dirlink.bmp");
    fs::create_symlink("missing.bmp", g + "/broken.bmp");
    fs::create_symlink("loop.bmp", g + "/loop.bmp");
    fs::create_directory_symlink(".", g + "/self");
    ASSERT_EQ(mkfifo((g + "/pipe.wav").c_str(), 0600), 0);
    struct Case {
        const char* fault;
        std::string folder, mask;
        List before, after;
    };
    const Case cases[] = {
        {"case, hidden files, links to files, directories or order go wrong",
         g + "/",
         "*.bmp",
         {},
         {".hidden.bmp", "a.BMP", "link.bmp"}},
        {"the mask's case decides", g, "*.JPG", {}, {"b.jpg", "c.Jpg"}},
        {"a scan replaces instead of appending",
         g + "/",
         "*.jpg",
         {"z.bmp"},
         {"z.bmp", "b.jpg", "c.Jpg"}},
        {"a pipe is listed (and would block its loader)", g + "/", "*.wav", {}, {}},
        {"a missing folder fails loudly", dir / "none/", "*.bmp", {"q"}, {"q"}},
        {"the mask is not honoured", g + "/", "n?tes.*", {}, {"notes.txt"}},
        {"a '*' in a name stops the mask's wildcard", g + "/", "*.ogg", {}, {"*s.ogg"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        List list = c.before;
        AddFilesToList(c.folder, c.mask, list);
        EXPECT_EQ(list, c.after);
    }
}

TEST(ContentFolder, PicturesAreListedBmpFirstAndChosenOnlyFromTheList) {
    TempFolder dir(true);  // the game reads garbage/ of its current folder
    fs::create_directories(dir / "garbage");
    Touch(dir / "garbage/b.jpg");
    Touch(dir / "garbage/a.BMP");
    StartGame(7);
    EXPECT_EQ(content.PictureList, (List{"a.BMP", "b.jpg"}));
    int textured = 0;
    for (const std::string& name : balls.pictureNames) {
        if (name == "nill") continue;
        ++textured;
        EXPECT_TRUE(name == "a.BMP" || name == "b.jpg") << name;
    }
    EXPECT_LE(textured, 2);
}

TEST(ContentFolder, MissingFolderGivesEmptyListsNillNamesAndGreyTextures) {
    TempFolder dir(true);  // the game reads garbage/ of its current folder
    StartGame(3);
    EXPECT_TRUE(content.PictureList.empty());
    EXPECT_TRUE(content.MusicList.empty());
    EXPECT_TRUE(content.SoundList.empty());
    for (const std::string& name : balls.pictureNames) {
        EXPECT_EQ(name, "nill");
        std::int32_t width = 0, height = 0;
        const auto& pixels = LoadPicturePixels(ContentFolder + name, width, height, true, true);
        ASSERT_EQ(pixels.size(), static_cast<std::size_t>(width) * height * 4);
        ASSERT_GT(pixels.size(), 0u);
        EXPECT_TRUE(pixels[0] == pixels[1] && pixels[1] == pixels[2]) << "not grey";
    }
    EXPECT_EQ(content.Music.loaded, 0);
    for (const TSound& slot : content.Sounds)
        EXPECT_EQ(slot.loaded, 0);
    EXPECT_EQ(gameState.musicOn, 1);
    EXPECT_EQ(gameState.ready, 1);
}

TEST(ContentReloads, F3WithNoMusicDoesNothingAudible) {
    TempFolder dir(true);  // the game reads garbage/ of its current folder
    fs::create_directories(dir / "garbage");
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    StartGame(5);
    gameState.musicOn = 0;
    Key(kVkF3);
    EXPECT_EQ(content.Music.loaded, 0);
    EXPECT_EQ(content.Music.handle, 0u);
    EXPECT_EQ(gameState.musicOn, 1);
    EXPECT_EQ(SecondsAt(audio.Peaks(), kSilence + 1, 32767), 0.0);
}

TEST(ContentReloads, OneEffectFileFillsAllFourSlotsUnstartedAtHalfVolume) {
    TempFolder dir(true);  // the game reads garbage/ of its current folder
    fs::create_directories(dir / "garbage");
    WriteEffect(dir / "garbage/only.wav");
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    StartGame(11);
    for (int press = 0; press < 2; ++press) {
        SCOPED_TRACE(press ? "after F4" : "after initialisation");
        for (const TSound& slot : content.Sounds) {
            EXPECT_EQ(slot.file, "garbage/only.wav");
            EXPECT_NE(slot.handle, 0u);
            EXPECT_EQ(slot.loaded, 1);
            EXPECT_EQ(slot.started, 0);
            EXPECT_FLOAT_EQ(slot.volume, 0.5f);
            EXPECT_EQ(BASS_ChannelIsActive(slot.handle), BASS_ACTIVE_STOPPED);
        }
        for (TSound& slot : content.Sounds)
            SoundSetVolume(slot, 30);
        Key(kVkF4);
    }
}

// Music comes back at full volume and effects at half, whatever the options screen set; the
// replaced streams are stopped and freed.
TEST(ContentReloads, ReloadsRestoreVolumeFactorsAndFreeTheOldStreams) {
    TempFolder dir(true);  // the game reads garbage/ of its current folder
    fs::create_directories(dir / "garbage");
    fs::copy_file(GAMES_SOURCE_DIR "/demo/garbage/chiptune.mp3", dir / "garbage/m.mp3");
    WriteEffect(dir / "garbage/e.wav");
    DiskAudio audio(dir / "out.raw");
    ASSERT_TRUE(audio.open);
    StartGame(13);
    const std::uint32_t oldMusic = content.Music.handle;
    const std::uint32_t oldEffect = content.Sounds[2].handle;
    EXPECT_EQ(BASS_ChannelIsActive(oldMusic), BASS_ACTIVE_PLAYING);
    EXPECT_FLOAT_EQ(content.Music.volume, 1.0f);
    SoundSetVolume(content.Music, 30);
    SoundSetVolume(content.Sounds[2], 30);
    SoundPlay(content.Sounds[2]);
    Key(kVkF3);
    Key(kVkF4);
    EXPECT_FLOAT_EQ(content.Music.volume, 1.0f);
    EXPECT_FLOAT_EQ(content.Sounds[2].volume, 0.5f);
    EXPECT_EQ(content.Music.file, "garbage/m.mp3");
    EXPECT_EQ(content.Music.started, 1);
    EXPECT_EQ(BASS_ChannelIsActive(content.Music.handle), BASS_ACTIVE_PLAYING);
    EXPECT_EQ(BASS_ChannelIsActive(content.Sounds[2].handle), BASS_ACTIVE_STOPPED);
    for (const std::uint32_t old : {oldMusic, oldEffect}) {
        EXPECT_NE(old, 0u);
        EXPECT_EQ(BASS_StreamFree(old), 0) << "stream " << old << " was not freed";
    }
    // W turns the music off and on again: from the beginning.
    Key(kVkW);
    EXPECT_EQ(BASS_ChannelIsActive(content.Music.handle), BASS_ACTIVE_STOPPED);
    Key(kVkW);
    EXPECT_EQ(BASS_ChannelIsActive(content.Music.handle), BASS_ACTIVE_PLAYING);
}
