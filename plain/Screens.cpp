// Screens: the four HUD texts and the thirteen menu rows at their places, and the screen update
// that runs every tick between the balls and the pointer: HUD, the live screen's rows and clicks,
// drawing, and the rule that a click on a menu acts once.
#include "Screens.h"

#include <string>

#include "ScreensRows.h"
#include "ScreensText.h"
#include "Zodav.h"

ScreenState screens;

namespace {

// The bottom of the HUD line: just above the field's top edge, in the drawing plane.
double HudLine() {
    return (spine.fieldTop + 0.04 + spine.viewOffsetY) * static_cast<double>(spine.viewScale);
}

double PlaneX(double fieldX) {
    return (fieldX + spine.viewOffsetX) * static_cast<double>(spine.viewScale);
}

float F(double value) {
    return static_cast<float>(value);
}

void DrawAndAnimate(TTextElement& element) {
    DrawTextElement(element);
    AnimateTextElement(element);
}

void UpdateHud() {
    screens.timeText.text = Texts().timeLabel + std::to_string(gameState.timeLeft);
    DrawAndAnimate(screens.timeText);
    screens.scoreText.text = Texts().scoreLabel + std::to_string(gameState.score);
    DrawAndAnimate(screens.scoreText);
    // The "+ " popups of the last match stay a little while.
    const bool showBonus = screens.bonusShowTicks > 0;
    if (showBonus) screens.bonusShowTicks -= 1;
    screens.timeBonusText.visible = showBonus;
    screens.scoreBonusText.visible = showBonus;
    DrawAndAnimate(screens.timeBonusText);
    DrawAndAnimate(screens.scoreBonusText);
}

}  // namespace

void CreateTextElements() {
    const double y0 = HudLine();
    const double left = PlaneX(spine.fieldLeft);
    const double right = PlaneX(spine.fieldRight);
    InitTextElement(std::to_string(gameState.timeLeft), 0, false, F(left), F(y0), screens.timeText);
    InitTextElement(std::to_string(gameState.score), 2, false, F(right), F(y0), screens.scoreText);
    InitTextElement("game!", 0, true, F(screens.timeText.x + 0.02), F(y0 - 0.35),
                    screens.timeBonusText);
    InitTextElement("start", 2, true, F(screens.scoreText.x - 0.02), F(y0 - 0.35),
                    screens.scoreBonusText);
    const double centre =
        PlaneX((spine.fieldLeft + static_cast<double>(spine.fieldRight)) / 2) - 0.02;
    // The placeholder never shows: the first screen update replaces or hides it.
    for (int i = 0; i < kMenuRows; ++i)
        InitTextElement("help 124 24 243 ", 1, true, F(centre), F(y0 - 0.8 - 0.35 * i),
                        screens.menuRows[i]);
}

void UpdateScreens() {
    UpdateHud();
    const float px = F((spine.pointerX + spine.viewOffsetX) * static_cast<double>(spine.viewScale));
    const float py = F((spine.pointerY + spine.viewOffsetY) * static_cast<double>(spine.viewScale));
    FillScreenRows(px, py);
    for (TTextElement& row : screens.menuRows)
        DrawAndAnimate(row);
    // A click on a menu acts once; one that switched to play is left for the weapon.
    if (gameState.screenState != kScreenPlay) {
        spine.leftHeld = false;
        spine.rightHeld = false;
    }
}
