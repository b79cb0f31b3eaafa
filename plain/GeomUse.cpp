// GeomUse: vectors, distances and directions in degrees for balls, weapons and sparks.
#include "GeomUse.h"

#include <cmath>

namespace {

constexpr long double kPi = 3.14159265358979L;

// The processor's fsin/fcos give up beyond 2^63 and leave the argument; the game took such
// results as 0, and so do we.
long double Cosine(long double radians) {
    return std::fabs(radians) >= 9.223372036854775808e18L ? 0.0L : std::cos(radians);
}

long double Sine(long double radians) {
    return std::fabs(radians) >= 9.223372036854775808e18L ? 0.0L : std::sin(radians);
}

}  // namespace

void MakeVec(TVec2& v, float x, float y) {
    v = {x, y};
}

void VecAdd(const TVec2& a, const TVec2& b, TVec2& r) {
    r = {static_cast<float>(static_cast<long double>(a.x) + b.x),
         static_cast<float>(static_cast<long double>(a.y) + b.y)};
}

void VecSub(const TVec2& a, const TVec2& b, TVec2& r) {
    r = {static_cast<float>(static_cast<long double>(a.x) - b.x),
         static_cast<float>(static_cast<long double>(a.y) - b.y)};
}

float Distance(const TVec2& a, const TVec2& b) {
    const long double dx = static_cast<long double>(b.x) - a.x;
    const long double dy = static_cast<long double>(b.y) - a.y;
    const float d = static_cast<float>(std::sqrt(dx * dx + dy * dy));
    return d == 0.0f ? 1e-7f : d;
}

long double ArcTan2(long double y, long double x) {
    return std::atan2(y, x);
}

long double ArcCos(long double x) {
    return ArcTan2(std::sqrt(1.0L - x * x), x);
}

float DirectionAngle(const TVec2& a, const TVec2& b) {
    const float d = Distance(a, b);
    long double q = (static_cast<long double>(b.x) - a.x) / d;
    if (q >= 1) q = 1;
    if (q <= -1) q = -1;
    float alpha = static_cast<float>(ArcCos(q) * 180.0L / kPi);
    if (static_cast<long double>(b.y) - a.y > 0) alpha = NormalizeAngle(360.0f - alpha);
    return NormalizeAngle(-alpha);
}

float NormalizeAngle(float angle) {
    if (!std::isfinite(angle)) return 0.0f;
    // A few turns out of range are walked back exactly as before; anything further is reduced
    // with fmod first so that the walk always ends.
    if (std::fabs(angle) > 3600.0f) angle = std::fmod(angle, 360.0f);
    while (angle < 0.0f || angle >= 360.0f) {
        if (angle < 0.0f) angle += 360.0f;
        if (angle >= 360.0f) angle -= 360.0f;
    }
    return angle;
}

float LenDirX(float angle, float length) {
    return static_cast<float>(length * Cosine(angle * kPi / 180.0L));
}

float LenDirY(float angle, float length) {
    return static_cast<float>(length * Sine(angle * kPi / 180.0L));
}

void VecFromAngle(TVec2& v, float angle, float length) {
    v = {LenDirX(angle, length), LenDirY(angle, length)};
}

float PointLineDistance(const TVec2& a, const TVec2& b, const TVec2& p) {
    const float dx = static_cast<float>(static_cast<long double>(a.x) - b.x);
    const float dy = static_cast<float>(static_cast<long double>(a.y) - b.y);
    if (dx == 0.0f && dy == 0.0f) {
        // No line through one point: the distance to that point.
        const long double px = static_cast<long double>(p.x) - a.x;
        const long double py = static_cast<long double>(p.y) - a.y;
        return static_cast<float>(std::sqrt(px * px + py * py));
    }
    const float n = static_cast<float>((static_cast<long double>(p.y) - a.y) * dx -
                                       (static_cast<long double>(p.x) - a.x) * dy);
    return static_cast<float>(std::fabs(
        n / std::sqrt(static_cast<long double>(dx) * dx + static_cast<long double>(dy) * dy)));
}
