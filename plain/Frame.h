// Frame: one drawn frame per tick: sparks, balls, the screens, the pointer, the field frame and the
// sweep line.
#pragma once

#include <cstdint>

struct TintColour {
    float red;
    float green;
    float blue;
};

// The tint of a colour index as given to glColor4f; any index past 9 keeps (4, 4, 4).
TintColour BallTint(std::uint8_t colour);
// The colour a ball is drawn with: (4, 4, 4) over its picture, or its tint when tinting is on
// or its colour has no picture.
TintColour BallColour(std::uint8_t colour);

// Draws the frame (nothing GL-wise without a context) and runs the screen update in its place.
void RenderFrame();
