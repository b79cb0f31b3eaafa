// Frame: draws the field and everything on it.
#include "Frame.h"

#include "GLUse.h"
#include "OpenGL.h"
#include "Screens.h"
#include "Zodav.h"

namespace {

// A field point in the drawing plane.
void FieldVertex(float x, float y) {
    glVertex2f((x + spine.viewOffsetX) * spine.viewScale,
               (y + spine.viewOffsetY) * spine.viewScale);
}

void DrawFieldFrame() {
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 1, 4, 4);
    glBegin(GL_LINE_LOOP);
    FieldVertex(spine.fieldLeft, spine.fieldBottom);
    FieldVertex(spine.fieldLeft, spine.fieldTop);
    FieldVertex(spine.fieldRight, spine.fieldTop);
    FieldVertex(spine.fieldRight, spine.fieldBottom);
    glEnd();
}

}  // namespace

void RenderFrame() {
    const bool draw = HasGLContext();
    if (draw) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }
    UpdateScreens();
    if (!draw) return;
    DrawFieldFrame();
    PresentFrame();
}
