// OpenGL: the GL and GLU declarations the game draws with and the pixel-format set-up of the
// window.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <vector>

struct SDL_Window;

// Asks for a double-buffered RGBA format with `bits` of colour and depth, before the window is
// made (SDL picks the window's visual from these).
void RequestPixelFormat(std::uint8_t bits);

// Makes the context of the window in that format. Shows "ChoosePixelFormat failed" or
// "SetPixelFormat failed" (caption "Error") and returns null when the window cannot have one.
void* SetupPixelFormat(SDL_Window* window, std::uint8_t bits);

// Creates, binds, parameterises and fills one texture from RGBA rows; true when it returns.
bool CreateTexture(const std::vector<std::uint8_t>& pixels, std::int32_t width, std::int32_t height,
                   std::uint32_t& texture);
