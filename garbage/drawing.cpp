// Immediate-mode OpenGL 1.1 and GLU primitives for the scene. Without a current GL context
// the calls do nothing, so the rules and their tests never need a window.
#include "drawing.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
GLUquadric* DiskQuadric = nullptr;
int32_t DiskRings = 1;
}  // namespace

void SetDiskRings(int32_t rings) {
    DiskRings = std::max(1, rings);
}

void CreateDiskQuadric() {
    if (DiskQuadric == nullptr) DiskQuadric = gluNewQuadric();
}

void FreeDiskQuadric() {
    if (DiskQuadric != nullptr) gluDeleteQuadric(DiskQuadric);
    DiskQuadric = nullptr;
}

void DrawQuad(float x, float y, float width, float height) {
    const double right = static_cast<double>(x) + width;
    const double bottom = static_cast<double>(y) + height;
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(x, y);
    glTexCoord2f(1, 0);
    glVertex2f(static_cast<float>(right), y);
    glTexCoord2f(1, 1);
    glVertex2f(static_cast<float>(right), static_cast<float>(bottom));
    glTexCoord2f(0, 1);
    glVertex2f(x, static_cast<float>(bottom));
    glEnd();
}

void DrawLine(float x1, float y1, float x2, float y2) {
    glBegin(GL_LINES);
    glVertex2f(x1, y1);
    glVertex2f(x2, y2);
    glEnd();
}

void DrawDisk(float x, float y, float radius) {
    // The game always makes the quadric in its init; a frame before that draws no disks.
    if (DiskQuadric == nullptr) return;
    glPushMatrix();
    glTranslatef(x, y, 0);
    gluDisk(DiskQuadric, 0, radius, 32, DiskRings);
    glPopMatrix();
}

std::array<float, 4> CircleSegment(int32_t i, int32_t segments, float cx, float cy, float rx,
                                   float ry) {
    const double a0 = i * 2 * std::numbers::pi / segments;
    const double a1 = (i + 1) * 2 * std::numbers::pi / segments;
    auto snap = [](double v) { return static_cast<float>(std::nearbyint(v)); };
    return {snap(cx + static_cast<double>(rx) * std::cos(a0)),
            snap(cy + static_cast<double>(ry) * std::sin(a0)),
            snap(cx + static_cast<double>(rx) * std::cos(a1)),
            snap(cy + static_cast<double>(ry) * std::sin(a1))};
}

void DrawCircle(int32_t segments, float cx, float cy, float rx, float ry) {
    for (int32_t i = 0; i < segments; ++i) {
        const auto p = CircleSegment(i, segments, cx, cy, rx, ry);
        DrawLine(p[0], p[1], p[2], p[3]);
    }
}
