// Content: the file lists, the sound slots, and the loaders of music and effects.
#include "Content.h"

ContentState content;

void LoadMusic() {}

void LoadSounds() {}
