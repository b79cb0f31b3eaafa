// Screens, rows: the rows of the main menu, help, options, game-over and level-choice screens,
// their clicks (start, shut down, reload textures, music and effect volumes) and the hover rules.
#include <string>

#include "Content.h"
#include "Screens.h"
#include "ScreensRows.h"
#include "ScreensText.h"
#include "Zodav.h"
#include "bassUse.h"

namespace {

using Rows = std::array<TTextElement, kMenuRows>;

// Rows wiped for a new screen: texts emptied and shown. Help, options and level choice also
// forget the hover flags; the main menu and game over keep them (a row keeps the hover of its
// last hit test).
void ClearRows(bool clearHover) {
    for (TTextElement& row : screens.menuRows) {
        row.text.clear();
        row.visible = true;
        if (clearHover) row.hover = false;
    }
}

void SetRow(int i, const std::string& text) {
    screens.menuRows[i].text = text;
}

// The hit test runs first (it sets the row's hover), then the left button decides.
bool Clicked(int i, float px, float py) {
    return TextElementHit(screens.menuRows[i], px, py) && spine.leftHeld;
}

void Back() {
    gameState.screenState = spine.gameInProgress ? kScreenPlay : kScreenMainMenu;
}

void MainMenu(float px, float py) {
    const ScreenTexts& t = Texts();
    ClearRows(false);
    SetRow(0, t.author);
    // Continue is offered only with a game in progress; otherwise row 5 is empty and inert.
    if (spine.gameInProgress) SetRow(5, t.continueRow);
    SetRow(6, t.newGame);
    SetRow(7, t.help);
    SetRow(8, t.options);
    SetRow(9, t.exit);
    if (spine.gameInProgress && Clicked(5, px, py)) gameState.screenState = kScreenPlay;
    if (Clicked(6, px, py)) gameState.screenState = kScreenLevelChoice;
    if (Clicked(7, px, py)) gameState.screenState = kScreenHelp;
    if (Clicked(8, px, py)) gameState.screenState = kScreenOptions;
    if (Clicked(9, px, py)) Shutdown();
}

void Help(float px, float py) {
    const ScreenTexts& t = Texts();
    ClearRows(true);
    SetRow(0, t.author);
    SetRow(1, t.dedication);
    for (int i = 0; i < 10; ++i)
        SetRow(2 + i, t.helpLines[i]);
    SetRow(12, t.back);
    if (Clicked(12, px, py)) Back();
}

// A label, a percentage, then blanks up to 30 characters.
std::string VolumeText(const std::string& label, int percent) {
    std::string text = label + std::to_string(percent) + "%";
    if (text.size() < 30) text.append(30 - text.size(), ' ');
    return text;
}

// 10, 20, ..., 100, then back to 10.
std::uint8_t NextVolume(std::uint8_t volume) {
    return volume >= 100 ? 10 : static_cast<std::uint8_t>(volume + 10);
}

const std::string& TextureText() {
    const ScreenTexts& t = Texts();
    if (!gameState.textureProcessing) return t.textureNone;
    return gameState.textureFull ? t.textureFull : t.textureCrop;
}

void FillOptionRows() {
    const ScreenTexts& t = Texts();
    ClearRows(true);
    SetRow(1, t.settings);
    SetRow(3, t.particles[gameState.particleLevel & 3]);
    SetRow(4, gameState.musicOn ? t.musicOn : t.musicOff);
    SetRow(5, VolumeText(t.musicVolume, gameState.musicVolume));
    SetRow(6, gameState.soundsOn ? t.soundsOn : t.soundsOff);
    SetRow(7, VolumeText(t.soundVolume, gameState.soundVolume));
    SetRow(8, TextureText());
    SetRow(10, t.back);
}

void ToggleMusic() {
    if (gameState.musicOn) {
        gameState.musicOn = false;
        SoundStop(content.Music);
    } else {
        gameState.musicOn = true;
        SoundPlay(content.Music);  // from the beginning of the track
    }
}

// full -> none -> crop -> full, and the nine textures are made again.
void CycleTextureProcessing() {
    if (gameState.textureProcessing && gameState.textureFull) {
        gameState.textureProcessing = false;
        gameState.textureFull = false;
    } else if (!gameState.textureProcessing) {
        gameState.textureProcessing = true;
    } else {
        gameState.textureFull = true;
    }
    LoadTextures();
}

// The rows show the values before this tick's click; the new value shows on the next tick.
void Options(float px, float py) {
    FillOptionRows();
    if (Clicked(3, px, py))
        gameState.particleLevel = gameState.particleLevel >= 3
                                      ? 0
                                      : static_cast<std::uint8_t>(gameState.particleLevel + 1);
    if (Clicked(4, px, py)) ToggleMusic();
    if (Clicked(5, px, py)) {
        gameState.musicVolume = NextVolume(gameState.musicVolume);
        SoundSetVolume(content.Music, gameState.musicVolume);
    }
    if (Clicked(6, px, py)) gameState.soundsOn = !gameState.soundsOn;
    if (Clicked(7, px, py)) {
        gameState.soundVolume = NextVolume(gameState.soundVolume);
        for (TSound& slot : content.Sounds)
            SoundSetVolume(slot, gameState.soundVolume);
    }
    if (Clicked(8, px, py)) CycleTextureProcessing();
    if (Clicked(10, px, py)) Back();
}

void GameOver(float px, float py) {
    const ScreenTexts& t = Texts();
    const std::int32_t played = gameState.ticksPlayed;
    ClearRows(false);
    SetRow(0, t.author);
    SetRow(5, t.gameOver);
    SetRow(6, t.lasted + std::to_string(played));
    // Sixty ticks to the second, the fraction cut off.
    SetRow(7, t.ticksAbout + std::to_string(played / 60) + t.seconds);
    SetRow(8, t.earned + std::to_string(gameState.score) + t.points);
    SetRow(9, t.hope);
    SetRow(10, t.thanks);
    SetRow(12, t.back);
    if (Clicked(12, px, py)) gameState.screenState = kScreenMainMenu;
}

void LevelChoice(float px, float py) {
    const ScreenTexts& t = Texts();
    ClearRows(true);
    SetRow(0, t.levelHeader);
    for (int k = 0; k < 9; ++k)
        SetRow(2 + k, t.levels[k]);
    SetRow(12, t.back);
    for (int k = 0; k < 9; ++k)
        if (Clicked(2 + k, px, py))
            StartNewGame(static_cast<Weapon>(k / 3), static_cast<GameType>(k % 3 + 1));
    if (Clicked(12, px, py)) Back();
}

}  // namespace

void FillScreenRows(float px, float py) {
    switch (gameState.screenState) {
        case kScreenPlay:
            // The rows keep their texts and shrink away.
            for (TTextElement& row : screens.menuRows)
                row.visible = false;
            break;
        case kScreenMainMenu:
            MainMenu(px, py);
            break;
        case kScreenHelp:
            Help(px, py);
            break;
        case kScreenOptions:
            Options(px, py);
            break;
        case kScreenGameOver:
            GameOver(px, py);
            break;
        case kScreenLevelChoice:
            LevelChoice(px, py);
            break;
        default:
            break;
    }
}
