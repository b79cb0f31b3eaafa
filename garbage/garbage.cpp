// The catching game's spine: the start-up sequence, the five routines the engine calls back,
// the order of work in one update, and the choice of pictures, sounds and music.
#include "garbage.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "drawing.h"
#include "eXgine_binding.h"
#include "g_cfg.h"
#include "game_state.h"
#include "garbage_files.h"
#include "mini_wnd.h"
#include "random.h"
#include "rules.h"
#include "scene.h"
#include "window.h"

std::optional<uint64_t> GameSeed;
uint64_t UsedSeed = 0;

namespace {

const char* const kConfigFile = "config.txt";
const char* const kLogoFile = "readme/logo.bmp";
constexpr int32_t kSplashWidth = 250;
constexpr int32_t kSplashHeight = 100;
constexpr uint32_t kSplashMs = 2000;

void ShowSplash() {
    const int32_t x = CentredEdge(WindowHost->ScreenWidth(), kSplashWidth);
    const int32_t y = CentredEdge(WindowHost->ScreenHeight(), kSplashHeight);
    if (!OpenSplash(x, y, kSplashWidth, kSplashHeight))
        GameLog(std::string("cannot open the splash window: ") + SDL_GetError());
    std::string error;
    if (!LoadSplash(kLogoFile, &error)) GameLog(error + "; the splash shows a plain panel");
    PaintSplash();
    WaitOnSplash(kSplashMs);
}

// One setting of config.txt; *written is its text as the file gives it (the default's when the
// file has none). A value that is not a 32-bit whole number counts as 0, as the file's rules say.
int32_t ReadSetting(const char* key, int32_t fallback, std::string* written) {
    std::string error;
    *written = ReadConfigString(kConfigFile, key, std::to_string(fallback), &error);
    const std::optional<int32_t> parsed = ParseConfigInt(*written);
    const int32_t value = parsed.value_or(0);
    if (!error.empty()) GameLog(error + "; \"" + key + "\" stays " + std::to_string(value));
    if (!parsed)
        GameLog(std::string("\"") + key + "=" + *written + "\" in " + kConfigFile +
                " is not a whole number of 32 bits; it counts as 0");
    return value;
}

// The fonts of the HUD, the title and the end screen.
void MakeFonts(bool smallOnly) {
    IFont* fonts = Renderer->Fonts();
    if (smallOnly) {
        GameState.FontSmall = fonts->MakeFont("Georgia", 7, 1, 512);
        return;
    }
    GameState.FontTitle = fonts->MakeFont("Comic Sans MS", 16, 1, 512);
    GameState.FontBig = fonts->MakeFont("Comic Sans MS", 32, 1, 1024);
    GameState.FontCredits = fonts->MakeFont("Comic Sans MS", 12, 0, 512);
}

void SeedGenerator() {
    UsedSeed = GameSeed ? *GameSeed
                        : uint64_t(std::chrono::system_clock::now().time_since_epoch().count());
    SeedRandom(UsedSeed);
}

int32_t DistinctIds(int32_t first, int32_t count) {
    std::vector<int32_t> ids;
    for (int32_t i = first; i < first + count; ++i)
        ids.push_back(GarbageFiles[size_t(i)].EngineId);
    std::sort(ids.begin(), ids.end());
    return int32_t(std::unique(ids.begin(), ids.end()) - ids.begin());
}

// The id of an entry drawn at random from [first, first + count), drawn again while it equals
// an earlier choice, unless the range holds too few distinct ids to avoid that.
int32_t DrawId(int32_t first, int32_t count, std::span<const int32_t> earlier, int32_t distinct) {
    auto draw = [&] { return GarbageFiles[size_t(first + Random(count))].EngineId; };
    int32_t id = draw();
    if (distinct <= int32_t(earlier.size())) return id;
    while (std::find(earlier.begin(), earlier.end(), id) != earlier.end())
        id = draw();
    return id;
}

}  // namespace

void ReadConfiguration() {
    std::string written;
    GameState.Developer = ReadSetting("developer", 1, &written);
    GameState.Size = ReadSetting("size", 10, &written);
    if (GameState.Size < kSmallestSize || GameState.Size > kLargestSize) {
        // Named as the file gives it: "99999999999" or "nan", not the 0 it counted as.
        GameLog("\"size\" " + written + " in " + kConfigFile + " is outside " +
                std::to_string(kSmallestSize) + " to " + std::to_string(kLargestSize) +
                "; 10 is used");
        GameState.Size = 10;
    }
    UseSize(GameState.Size);
}

void UseSize(int32_t size) {
    GameState.Size = size;
    GameState.Scale = float(double(size) / 10.0);
    GameWindowWidth = WindowWidthOf(size);
    GameWindowHeight = WindowHeightOf(size);
}

int32_t WindowWidthOf(int32_t size) {
    return int32_t(std::nearbyint(500.0 * double(float(double(size) / 10.0))));
}

int32_t WindowHeightOf(int32_t size) {
    return int32_t(std::nearbyint(600.0 * double(float(double(size) / 10.0))));
}

int32_t LargestSizeThatFits(int32_t size, int32_t usableWidth, int32_t usableHeight) {
    while (size > kSmallestSize &&
           (WindowWidthOf(size) > usableWidth || WindowHeightOf(size) > usableHeight))
        --size;
    return size;
}

void FitWindowToDisplay(int32_t usableWidth, int32_t usableHeight) {
    const int32_t size = LargestSizeThatFits(GameState.Size, usableWidth, usableHeight);
    if (size == GameState.Size) return;
    auto area = [](int32_t w, int32_t h) { return std::to_string(w) + " x " + std::to_string(h); };
    GameLog("\"size\" " + std::to_string(GameState.Size) + " gives a " +
            area(GameWindowWidth, GameWindowHeight) + " window, larger than the display's usable " +
            area(usableWidth, usableHeight) + "; size " + std::to_string(size) + " (" +
            area(WindowWidthOf(size), WindowHeightOf(size)) + ") is used");
    UseSize(size);
}

void RegisterCallbacks() {
    Core->SetCallback(ExUpdate, GameUpdate);
    Core->SetCallback(ExRender, GameRender);
    Core->SetCallback(ExInit, GameInit);
    Core->SetCallback(ExFree, GameFree);
    Core->SetCallback(ExMessage, GameMessage);
}

bool GameStartUp(bool headless) {
    if (!headless) ShowSplash();
    ReadConfiguration();
    int32_t usableWidth = 0, usableHeight = 0;
    if (!headless && UsableDisplayArea(&usableWidth, &usableHeight))
        FitWindowToDisplay(usableWidth, usableHeight);
    if (!CreateGameWindow(headless)) {
        CloseSplash();
        return false;
    }
    RegisterCallbacks();
    return true;
}

void ChooseContent() {
    const int32_t pictures = PictureCount, sounds = SoundCount, music = MusicCount;
    if (pictures > 1) {
        const int32_t distinct = DistinctIds(0, pictures);
        GameState.PictureId[0] = DrawId(0, pictures, {}, distinct);
        GameState.PictureId[1] =
            DrawId(0, pictures, std::span(GameState.PictureId).first(1), distinct);
    }
    if (sounds > 2) {
        const int32_t distinct = DistinctIds(pictures, sounds);
        for (size_t k = 0; k < 3; ++k)
            GameState.SoundId[k] =
                DrawId(pictures, sounds, std::span(GameState.SoundId).first(k), distinct);
    }
    if (music > 0) {
        GameState.MusicIndex = pictures + sounds + Random(music);
        const std::string& path = GarbageFiles[size_t(GameState.MusicIndex)].Path;
        if (Audio && !Audio->PlayMusic(path.c_str(), true))
            GameLog("cannot play the music \"" + path + "\"");
    }
}

void GameInitWithClock(int32_t (*clock)()) {
    WindowHost->SetCursorPos(WindowHost->ScreenWidth() / 2, WindowHost->ScreenHeight() / 2);
    WindowHost->ShowCursor(true);
    SetUpBins(WindowHost->Width(), WindowHost->Height());
    // Each timer starts from the clock as it reads at its own step: making a font takes time.
    StartHoverAndSun(clock());
    MakeFonts(true);
    CreateDiskQuadric();
    StartSpawning(clock());
    SeedGenerator();
    StartCounters(clock());
    MakeFonts(false);
    ScanGarbageFolder();
    CloseSplash();
    WindowHost->ShowWindow();
    ChooseContent();
}

void GameInit() {
    GameInitWithClock([] { return int32_t(Core->TimeMs()); });
}

void GameFree() {
    FreeDiskQuadric();
    GameState.Items.clear();
}

void GameMessage(uint32_t msg, uint32_t, uint32_t lParam) {
    switch (msg) {
        case ExWmMouseMove:
            // Signed: while the button is held the pointer is reported past the window's edges,
            // and a bin dragged past the left edge must be thrown left.
            GameState.MouseX = ExLParamX(lParam);
            GameState.MouseY = ExLParamY(lParam);
            break;
        case ExWmLButtonDown:
            GrabBin();
            break;
        case ExWmLButtonUp:
            ReleaseBins();
            break;
        default:
            break;
    }
}

void GameUpdate() {
    if (QuitRequested) DestroyGameWindow();
    RunUpdateSteps(Core->TimeMs(), WindowHost->Width(), WindowHost->Height());
}

void ResetAllState() {
    // Whatever a test left open is released first: the engine takes its window with it.
    CloseSplash();
    FreeDiskQuadric();
    UnbindEngine();
    SplashWindow = TSplashWindow{};
    SplashDimension = TBitmapDimension{};
    GameWindow = nullptr;
    GameWindowWidth = 0;
    GameWindowHeight = 0;
    QuitRequested = false;
    GameSeed.reset();
    UsedSeed = 0;
    RandomGenerator = std::mt19937_64{};
    GarbageFiles.clear();
    PictureCount = 0;
    SoundCount = 0;
    MusicCount = 0;
    GameState = TGameState{};
}
