// Content: loaders of textures, music and effects.
#include "Content.h"

ContentState content;

void LoadMusic() {}

void LoadSounds() {}
