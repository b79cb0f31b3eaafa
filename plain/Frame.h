// Frame: one drawn frame per tick: sparks, balls, the screens, the pointer, the field frame and the
// sweep line.
#pragma once

void RenderFrame();
