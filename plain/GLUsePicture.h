// GLUse, pictures: a picture file turned into an RGBA pixel buffer (optionally cut to its ellipse
// and brightened toward the centre), and the textured square the game draws with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a .bmp or .jpg file into the process-wide pixel buffer (rows top first, RGBA). Never
// fails: "nill", any other name and any unreadable file give the grey 128 x 128 fallback.
const std::vector<std::uint8_t>& LoadPicturePixels(const std::string& fileName, std::int32_t& width,
                                                   std::int32_t& height, bool brighten,
                                                   bool cropToCircle);

// One square of side `size` centred at (x * scale, y * scale) with the bound texture.
void DrawSprite(float x, float y, float scale, float size, float red, float green, float blue,
                float alpha);
