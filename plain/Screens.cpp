// Screens: HUD, menus and their clicks.
#include "Screens.h"

#include "Zodav.h"

ScreenState screens;

void CreateTextElements() {}

void UpdateScreens() {
    // A click on a menu acts once.
    if (gameState.screenState != kScreenPlay) {
        spine.leftHeld = 0;
        spine.rightHeld = 0;
    }
}
