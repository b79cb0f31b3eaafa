// Immediate-mode drawing primitives of the catching game: textured quads, lines, filled disks
// and circle outlines snapped to whole pixels. None of them sets a colour, texture or blend
// mode: the caller does that first.
#pragma once

#include <array>
#include <cstdint>

// Makes and deletes the one GLU quadric that DrawDisk uses (game init and free).
void CreateDiskQuadric();
void FreeDiskQuadric();

// A quad from (x, y) to (x + width, y + height), texture (0, 0) at the top-left corner.
void DrawQuad(float x, float y, float width, float height);
void DrawLine(float x1, float y1, float x2, float y2);
// A filled disk of 32 slices; does nothing before CreateDiskQuadric.
void DrawDisk(float x, float y, float radius);
// How many concentric rings DrawDisk fills its disk with (at least 1, the default). The rings
// share their vertices exactly, so every count covers the same 32-sided polygon and gives the
// same pixels; one ring is a single fan of 32 triangles, about a sixtieth of the vertices of
// the 31 rings the disks were once drawn with (the tests compare both).
void SetDiskRings(int32_t rings);
// The outline of an ellipse as `segments` straight lines between whole-pixel points, starting
// at (cx + rx, cy) and running toward growing y. Nothing for segments <= 0.
void DrawCircle(int32_t segments, float cx, float cy, float rx, float ry);

// The two endpoints of segment i of DrawCircle, rounded to the nearest pixel (halves to even):
// {x0, y0, x1, y1}.
std::array<float, 4> CircleSegment(int32_t i, int32_t segments, float cx, float cy, float rx,
                                   float ry);
