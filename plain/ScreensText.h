// Screens, texts: the Windows-1251 texts of the HUD and of every menu screen.
#pragma once

#include <array>
#include <string>

struct ScreenTexts {
    std::string timeLabel;   // "Time: "
    std::string scoreLabel;  // "Points: "
    // Main menu.
    std::string author;
    std::string continueRow;
    std::string newGame;
    std::string help;
    std::string options;
    std::string exit;
    std::string back;  // the back row of every screen
    // Help.
    std::string dedication;
    std::array<std::string, 10> helpLines;
    // Options: labels padded with blanks to 30 characters; the volume rows add the figure.
    std::string settings;
    std::array<std::string, 4> particles;  // none, few, normal, many
    std::string musicOn;
    std::string musicOff;
    std::string musicVolume;
    std::string soundsOn;
    std::string soundsOff;
    std::string soundVolume;
    std::string textureNone;
    std::string textureFull;
    std::string textureCrop;
    // Game over.
    std::string gameOver;
    std::string lasted;
    std::string ticksAbout;
    std::string seconds;
    std::string earned;
    std::string points;
    std::string hope;
    std::string thanks;
    // Level choice: rows 2 to 10, level k = game type k mod 3 + 1 with weapon k div 3.
    std::string levelHeader;
    std::array<std::string, 9> levels;
};

const ScreenTexts& Texts();
