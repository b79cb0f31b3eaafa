// The frame of the catching game: playfield, rail, sun, bins, pieces, throw line, end veil,
// frame, HUD, title, credits and end captions, drawn from GameState without changing it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The render callback: draws one frame at the window size the engine reports.
void GameRender();

// The whole frame for a window of width x height pixels. Engine calls (clearing, the 2D view,
// text, textures, blending) are skipped when the engine is not bound, so the GL part can be
// drawn into any context whose projection is already window pixels, y down.
void DrawScene(int32_t width, int32_t height);

// The end-screen score line and the HUD lines, as drawn.
std::string ScoreLine(const char* label, int32_t value);
std::string PollutionLine(int32_t lives);

// How many of `entries` overlay lines, 16 pixels apart with the first at `firstTop`, start above
// the bottom edge of a window `height` pixels high: the overlay writes only those, so a content
// list of any length costs a frame no more than a screenful. A line the edge cuts still counts.
std::size_t ContentLinesInWindow(std::size_t entries, double firstTop, int32_t height);
