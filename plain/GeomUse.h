// GeomUse: the plane-geometry kit of the ball game. Field units, y up; directions in degrees,
// counter-clockwise from +x, in [0, 360). Arithmetic runs in long double, results are stored
// once as float.
#pragma once

struct TVec2 {
    float x = 0;
    float y = 0;
};

void MakeVec(TVec2& v, float x, float y);
void VecAdd(const TVec2& a, const TVec2& b, TVec2& r);
void VecSub(const TVec2& a, const TVec2& b, TVec2& r);
// Euclidean distance; exactly 0 is returned as 1e-7 so that callers may divide by it.
float Distance(const TVec2& a, const TVec2& b);
// Direction from a to b; two equal points give 270.
float DirectionAngle(const TVec2& a, const TVec2& b);
// Brings a finite angle into [0, 360); NaN and infinities give 0.
float NormalizeAngle(float angle);
float LenDirX(float angle, float length);
float LenDirY(float angle, float length);
void VecFromAngle(TVec2& v, float angle, float length);
// Distance from p to the infinite line through a and b; with a = b, the distance from p to a.
float PointLineDistance(const TVec2& a, const TVec2& b, const TVec2& p);
long double ArcCos(long double x);
long double ArcTan2(long double y, long double x);
