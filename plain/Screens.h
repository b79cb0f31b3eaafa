// Screens: the HUD texts, the thirteen menu rows, and each screen's rows, clicks and hover rules.
#pragma once

#include <array>
#include <cstdint>

#include "GLUseText.h"

constexpr int kMenuRows = 13;

struct ScreenState {
    TTextElement timeText;
    TTextElement scoreText;
    TTextElement timeBonusText;
    TTextElement scoreBonusText;
    std::array<TTextElement, kMenuRows> menuRows{};
    std::int32_t bonusShowTicks = 0;
};

extern ScreenState screens;

// Creates the four HUD texts and the thirteen rows at their positions (game initialisation).
void CreateTextElements();
// Refreshes the HUD, fills the live screen's rows, acts on a click and draws everything.
void UpdateScreens();
