// Zodav: the spine of the ball game. The state record, window creation and game initialisation,
// the tick, the window procedure with its key table, game start and end, and the shutdown.
#include "Zodav.h"

#include <chrono>
#include <cmath>

#include "Balls.h"
#include "Content.h"
#include "Frame.h"
#include "GLUse.h"
#include "GLUseText.h"
#include "OpenGL.h"
#include "Particles.h"
#include "Random.h"
#include "Replay.h"
#include "Screens.h"
#include "SysUtUse.h"
#include "Weapons.h"
#include "bassUse.h"

GameState gameState;
Spine spine;

namespace {

int timerId = 0;
bool seedFixed = false;
std::uint64_t fixedSeed = 0;

std::uint64_t ClockSeed() {
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

void StartBursting() {
    for (Ball& ball : balls.BallPool)
        if (ball.alive) ball.burst = 1;
}

void StopEffectSounds() {
    for (TSound& slot : content.Sounds)
        SoundStop(slot);
}

void PlayTick() {
    UpdatePointerAndWeapons();
    SpawnBall();
    StepBalls();
    ResolveMatches();
    RenderFrame();
    gameState.ticksPlayed += 1;
    if (gameState.timeLeft > 0)
        gameState.timeLeft -= 1;
    else
        EndGame();
}

void MenuTick() {
    StopEffectSounds();
    UpdatePointerAndWeapons();
    if (!spine.gameInProgress) {
        SpawnBall();
        StepBalls();
    }
    RenderFrame();
}

// Window creation: timer, pointer, GL, sound, font, blending, then game initialisation.
void OnCreate() {
    timerId = SetTimer(20, Tick);
    ShowCursor(false);
    if (SDL_Window* window = MainWindow()) {
        const std::int32_t askedWidth = spine.screenWidth, askedHeight = spine.screenHeight;
        InitGL(window, spine.screenWidth, spine.screenHeight);
        // A driver that cannot scale gives the screen the window's size: the recording says so.
        if (spine.screenWidth != askedWidth || spine.screenHeight != askedHeight)
            RecordScreenSize(spine.screenWidth, spine.screenHeight);
    }
    InitSound(MainWindow());
    BuildFont();
    EnableBlending();
    if (HasGLContext()) {
        glDisable(GL_DEPTH_TEST);
        glClearColor(1, 1, 1, 1);
    }
    GameInitialisation(seedFixed ? fixedSeed : ClockSeed());
}

void OnKeyDown(int key) {
    if (key == kVkEscape) {
        if (gameState.screenState != kScreenMainMenu)
            gameState.screenState = kScreenMainMenu;
        else if (spine.gameInProgress)
            gameState.screenState = kScreenPlay;
    }
    if (key == kVkF1) {
        if (gameState.screenState != kScreenHelp)
            gameState.screenState = kScreenHelp;
        else
            gameState.screenState = spine.gameInProgress ? kScreenPlay : kScreenMainMenu;
    }
    if (key == kVkF2) {
        ChoosePictures();
        LoadTextures();
    }
    if (key == kVkF3) LoadMusic();
    if (key == kVkF4) LoadSounds();
    if (key == kVkQ) gameState.soundsOn = !gameState.soundsOn;
    if (key == kVkW) {
        gameState.musicOn = !gameState.musicOn;
        if (gameState.musicOn)
            SoundPlay(content.Music);
        else
            SoundStop(content.Music);
    }
    if (key == kVkTilde) gameState.tintAlways = !gameState.tintAlways;
}

// The window lost the focus (or was minimised): a game in play pauses as Esc would pause it.
void OnFocusOut() {
    if (gameState.screenState == kScreenPlay) gameState.screenState = kScreenMainMenu;
}

void Press(bool& held, bool& unseen, bool& releaseDue) {
    held = true;
    unseen = true;
    releaseDue = false;
}

// A release before any tick has seen the press waits until one has.
void Release(bool& held, bool unseen, bool& releaseDue) {
    if (unseen)
        releaseDue = true;
    else
        held = false;
}

// After a tick: every press has been seen, and the releases that waited for it take effect.
void SettleButtons() {
    spine.leftPressUnseen = spine.rightPressUnseen = false;
    if (spine.leftReleaseDue) spine.leftHeld = false;
    if (spine.rightReleaseDue) spine.rightHeld = false;
    spine.leftReleaseDue = spine.rightReleaseDue = false;
}

}  // namespace

void SetGameSeed(std::uint64_t seed) {
    seedFixed = true;
    fixedSeed = seed;
}

void ResetAllState() {
    gameState = GameState{};
    spine = Spine{};
    balls = BallState{};
    particles = ParticleState{};
    screens = ScreenState{};
    content = ContentState{};
    timerId = 0;
}

void ComputeField() {
    spine.fieldLeft = 0;
    spine.fieldBottom = 0;
    spine.fieldRight = static_cast<float>(std::nearbyint(spine.screenWidth / 40.0));
    spine.fieldTop = static_cast<float>(std::nearbyint(spine.screenHeight / 40.0));
    spine.sweepA = {spine.fieldLeft, spine.fieldBottom};
    spine.sweepB = {spine.fieldRight, spine.fieldBottom};
}

void MapPointer(int pixelX, int pixelY) {
    spine.pointerPixelX = pixelX;
    spine.pointerPixelY = pixelY;
    // One pixel is 0.0083 units of the drawing plane; the screen centre is the field point
    // (13, 9.6).
    const double x = (pixelX - spine.screenWidth / 2.0) * 0.0083 / spine.viewScale;
    const double y = (spine.screenHeight / 2.0 - pixelY) * 0.0083 / spine.viewScale;
    spine.pointerX = static_cast<float>(x - spine.viewOffsetX);
    spine.pointerY = static_cast<float>(y - spine.viewOffsetY);
}

void SetViewAndField() {
    spine.viewOffsetX = -13.0f;
    spine.viewOffsetY = -9.6f;
    spine.viewScale = 0.3f;
    ComputeField();
}

void GameInitialisation(std::uint64_t seed) {
    Randomize(seed);
    SetViewAndField();
    gameState.screenState = kScreenMainMenu;
    content.PictureList.clear();
    AddFilesToList(ContentFolder, "*.bmp", content.PictureList);
    AddFilesToList(ContentFolder, "*.jpg", content.PictureList);
    ChoosePictures();
    LoadTextures();
    gameState.musicOn = true;
    gameState.soundsOn = true;
    content.MusicList.clear();
    AddFilesToList(ContentFolder, "*.mp3", content.MusicList);
    LoadMusic();
    content.SoundList.clear();
    AddFilesToList(ContentFolder, "*.wav", content.SoundList);
    LoadSounds();
    CreateTextElements();
    gameState.ready = true;
}

void Tick() {
    if (!gameState.ready || spine.shutDown) return;
    SoundUpdate();
    spine.tick += 1;
    if (gameState.screenState == kScreenPlay)
        PlayTick();
    else if (gameState.screenState >= kScreenHelp && gameState.screenState <= kScreenLevelChoice)
        MenuTick();
    SettleButtons();
}

void StartNewGame(Weapon weapon, GameType gameType) {
    StartBursting();
    gameState.weapon = weapon;
    gameState.gameType = gameType;
    gameState.screenState = kScreenPlay;
    spine.gameInProgress = true;
    gameState.timeLeft = 1000;
    gameState.ticksPlayed = 0;
    gameState.score = 0;
    screens.timeText.visible = true;
    screens.scoreText.visible = true;
    gameState.damping = 0.98f;
}

void EndGame() {
    gameState.damping = 1.0f;
    StartBursting();
    gameState.gameType = GameType::None;
    spine.gameInProgress = false;
    screens.timeText.visible = false;
    screens.scoreText.visible = false;
    gameState.screenState = kScreenGameOver;
}

void Shutdown() {
    if (spine.shutDown) return;
    spine.shutDown = true;
    RestoreDisplayMode();
    ShowCursor(true);
    FreeSound();
    content.PictureList.clear();
    content.SoundList.clear();
    content.MusicList.clear();
    FreeFont();
    FreeGL();
    KillTimer(timerId);
    PostQuitMessage(0);
}

int WindowProcedure(const Message& message) {
    switch (message.type) {
        case MessageType::Create:
            OnCreate();
            break;
        case MessageType::Destroy:
            Shutdown();
            break;
        case MessageType::KeyDown:
            if (!spine.shutDown) OnKeyDown(message.key);
            break;
        case MessageType::LButtonDown:
            Press(spine.leftHeld, spine.leftPressUnseen, spine.leftReleaseDue);
            break;
        case MessageType::LButtonUp:
            Release(spine.leftHeld, spine.leftPressUnseen, spine.leftReleaseDue);
            break;
        case MessageType::RButtonDown:
            Press(spine.rightHeld, spine.rightPressUnseen, spine.rightReleaseDue);
            break;
        case MessageType::RButtonUp:
            Release(spine.rightHeld, spine.rightPressUnseen, spine.rightReleaseDue);
            break;
        case MessageType::FocusOut:
            if (!spine.shutDown) OnFocusOut();
            break;
        case MessageType::FocusIn:
        case MessageType::KeyUp:
        case MessageType::Activate:
            break;
    }
    return 0;
}
