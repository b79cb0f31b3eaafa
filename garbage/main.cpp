// garbage: the catching game's entry point.
#include "program.h"

// The banner that marks the file: the linker exports this empty routine under the name
// CR LF CR LF "<<< Based on eXgine >>>" CR LF CR LF (see CMakeLists.txt). Nothing calls it.
extern "C" __attribute__((used, visibility("default"))) void GarbageBanner() {}

int main(int argc, char** argv) {
    return GarbageMain(argc, argv);
}
