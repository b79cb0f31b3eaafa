// The two overlap tests; the arithmetic runs in double so the results do not depend on
// float rounding of the squares.
#include "collisions.h"

bool PointInRect(float px, float py, float left, float top, float width, float height) {
    const double x = px, y = py, l = left, t = top;
    return l < x && x < l + static_cast<double>(width) && t < y &&
           y < t + static_cast<double>(height);
}

bool CirclesTouch(float x1, float y1, float r1, float x2, float y2, float r2) {
    const double dx = static_cast<double>(x1) - x2;
    const double dy = static_cast<double>(y1) - y2;
    const double reach = static_cast<double>(r1) + r2;
    return dx * dx + dy * dy <= reach * reach;
}
