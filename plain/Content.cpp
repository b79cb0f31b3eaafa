// Content: loaders of textures, music and effects.
#include "Content.h"

ContentState content;

void LoadTextures() {}

void LoadMusic() {}

void LoadSounds() {}
