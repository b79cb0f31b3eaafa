// Content: the player's files in the content folder: the three file lists, the nine textures and
// the five sound slots, and the loaders that F2, F3, F4 and the texture option rerun.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "bassUse.h"

constexpr const char* ContentFolder = "garbage/";

struct TextureSlot {
    std::uint32_t name = 0;  // GL texture name
    int width = 0;
    int height = 0;
};

struct ContentState {
    std::vector<std::string> PictureList;
    std::vector<std::string> MusicList;
    std::vector<std::string> SoundList;
    std::array<TextureSlot, 9> Textures{};
    TSound Music;
    std::array<TSound, 4> Sounds{};  // 0 wall bounce, 1 ball hit, 2 left weapon, 3 right weapon
};

extern ContentState content;

void LoadTextures();
void LoadMusic();
void LoadSounds();
