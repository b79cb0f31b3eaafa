// The two overlap tests of the catching game: a point strictly inside a rectangle, and two
// circles that overlap or just touch.
#pragma once

// True exactly when left < px < left + width and top < py < top + height: a point on an edge
// is outside. Any NaN makes it false.
bool PointInRect(float px, float py, float left, float top, float width, float height);

// True exactly when the squared distance of the centres is at most (r1 + r2)^2: touching
// counts. No square root is taken. Any NaN makes it false.
bool CirclesTouch(float x1, float y1, float r1, float x2, float y2, float r2);
