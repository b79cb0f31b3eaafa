// A fresh program for a test: every module at its start values, a 1024 x 768 screen and its
// 26 x 19 field under the fixed view transform; no balls, no sparks.
#pragma once

#include "Zodav.h"

inline void FreshProgram() {
    ResetAllState();
    spine.screenWidth = 1024;
    spine.screenHeight = 768;
    SetViewAndField();
}
