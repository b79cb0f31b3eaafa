// GLUse, pictures: a picture file turned into an RGBA pixel buffer (optionally cut to its ellipse
// and brightened toward the centre), and the textured square the game draws with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media/Picture.h"

// The fallback picture: 128 x 128, every pixel grey (128, 128, 128).
constexpr int kFallbackSide = 128;
constexpr std::uint8_t kFallbackGrey = 128;

// Reads a .bmp or .jpg file into the process-wide pixel buffer (rows top first, RGBA). Never
// fails: "nill", any other name and any unreadable file give the grey 128 x 128 fallback.
const std::vector<std::uint8_t>& LoadPicturePixels(const std::string& fileName, std::int32_t& width,
                                                   std::int32_t& height, bool brighten,
                                                   bool cropToCircle);

// One picture made ready for a texture: RGBA rows, top first.
struct PicturePixels {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> rgba;
};

// What LoadPicturePixels does, into buffers of the caller's, so that worker threads may run it
// side by side: `decoded` is scratch that one thread may reuse from picture to picture.
void MakePicturePixels(const std::string& fileName, bool brighten, bool cropToCircle,
                       media::RgbPicture& decoded, PicturePixels& out);

// The per-pixel pass on 24-bit RGB rows (top first): writes width * height RGBA pixels.
void ProcessPicture(const std::uint8_t* rgb, int width, int height, bool brighten,
                    bool cropToCircle, std::vector<std::uint8_t>& rgba);
// The pass runs eight pixels at a time where the processor allows; tests compare both ways.
void SetVectorPicturePass(bool allowed);

// Shrinks RGBA rows (box average) so that neither side exceeds `limit`, keeping the aspect.
// Returns false (out untouched) when the picture already fits.
bool FitPictureToLimit(const std::vector<std::uint8_t>& rgba, int width, int height, int limit,
                       std::vector<std::uint8_t>& out, int& outWidth, int& outHeight);

// One square of side `size` centred at (x * scale, y * scale) with the bound texture.
// SpriteVertices gives its colour and four corners alone, for many squares inside one
// glBegin(GL_QUADS) ... glEnd() (drawn in the same order, with the same result).
void SpriteVertices(float x, float y, float scale, float size, float red, float green, float blue,
                    float alpha);
void DrawSprite(float x, float y, float scale, float size, float red, float green, float blue,
                float alpha);
